#pragma once
// TKestPrint: prints a document whose whole layout is a print template on the station's
// server (one template record and its items). The caller creates it for a template, hands over
// single values and list rows, and calls Print: every page becomes one print job on the
// template's printer, drawn in printer pixels.
//
// Ownership: the engine belongs to its owner (a form); it owns its two datasets and shares the
// two value containers with the caller (whatever SingleValue and MultipleValue hold when the
// engine goes is released with it). The connection and the printing platform are the caller's
// and must outlive the engine.
#include <QObject>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "data/tjsonclientdataset.h"
#include "print/qt/printplatform.h"

namespace kiosk {

// Single values by item code (case-sensitive keys), and one such dictionary per list row.
using TPrintValues = std::map<std::string, std::string>;
using TPrintRows = std::vector<TPrintValues>;

class TKestPrint : public QObject {
public:
    // Fetches the template by name and its items; raises "找不到打印模板：<name>",
    // "打印模板：<name>名称重复" or "打印模板：<name>的明细为空", or the dataset's error. A
    // template whose sizes no printer page can hold (paper and item distances beyond 3.2767 m,
    // fonts beyond 1638 points) is refused with "打印模板：<name>的<field>超出范围：<value>".
    TKestPrint(QObject* AOwner, const std::string& templatename, TjsonConnection& connection, IPrintPlatform& printers);
    // The same by template id (the error texts then name no template).
    TKestPrint(QObject* AOwner, std::int64_t templateid, TjsonConnection& connection, IPrintPlatform& printers);
    ~TKestPrint() override;

    // Prints every page once: one print job per page on the template's printer (the default
    // printer when the system has none of that name). An item that fails aborts the job in
    // progress and the error reaches the caller; so does a list row or barcode that would land
    // beyond any paper ("打印模板：<name>的明细超出纸张范围", "…的条码超出纸张范围").
    void Print();

    // Pages for that many list rows.
    int getPrintPageCount(int MultipleValueCount) const;
    // 1 without list rows, else getPrintPageCount of their number.
    int CurPrintPageCount() const;

    // Item code of a bill number that advances by the page index on later pages.
    const std::string& billNoFieldName() const { return FbillNoFieldName; }
    void setBillNoFieldName(const std::string& value) { FbillNoFieldName = value; }

    // The value of a single item on page p (0-based): the reserved codes "pageno", "totalpage"
    // and "printtime" first, then SingleValue; a missing key gives "".
    std::string GetSingleValue(const std::string& itemcode, int p) const;
    // The value of list row `index`, "" when the row lacks the code.
    std::string GetListValue(int index, const std::string& itemcode) const;
    // The item value formatting (print/formatitemvalue.h).
    static std::string FormatItemValue(const std::optional<std::string>& parameter, const std::string& text);

    // Asks the printer for the paper of the next job (tenths of a millimetre).
    void SetPaperSize(int width, int length);

    // The template name for a document type from PrintConfig.ini of the application folder:
    // key "templateName" of section templateTypeName; when it is missing (or "0") templateName
    // is written there and returned.
    static std::string GetTicketModelName(const std::string& templateTypeName, const std::string& templateName);
    static std::string GetTicketModelName(const std::string& appFolder, const std::string& templateTypeName,
                                          const std::string& templateName);

    // Public state, as callers use it.
    std::shared_ptr<TPrintValues> SingleValue;
    std::shared_ptr<TPrintRows> MultipleValue;
    bool currency = false;

    int Pagecount() const { return PageCount; }
    int Px() const { return px; }
    int Py() const { return py; }
    const TjsonClientDataSet& PrintTemplate() const { return *cdsPrintTemplate; }
    const TjsonClientDataSet& PrintTemplateItems() const { return *cdsPrintTemplateitem; }

private:
    struct Item;

    TKestPrint(QObject* AOwner, const std::string& templatename, std::int64_t templateid, TjsonConnection& connection,
               IPrintPlatform& printers);

    void LoadTemplate(TjsonConnection& connection);
    void LoadTemplateItems(TjsonConnection& connection);
    void SelectTemplatePrinter();
    void PrintPage(int p);
    void DrawItems(IPrintCanvas& canvas, int p);
    void DrawLines(IPrintCanvas& canvas, const Item& item) const;
    void DrawSingleItem(IPrintCanvas& canvas, const Item& item, int p) const;
    void DrawListItem(IPrintCanvas& canvas, const Item& item, int p) const;
    void DrawValue(IPrintCanvas& canvas, const Item& item, int x, int y, const std::string& value, bool single) const;
    void DrawBarcodeBitmap(IPrintCanvas& canvas, const Item& item, int x, int y, const std::string& value) const;
    std::string ValueText(const Item& item, const std::string& value, bool single) const;
    int TemplateInt(const char* field) const;
    int TemplateDistance(const char* field, double low) const;
    [[noreturn]] void OutOfRange(const std::string& what, double value) const;
    void CheckLayout() const;
    int PaperWidth() const;
    int ToDeviceX(double v) const;
    int ToDeviceY(double v) const;
    int ToDevice(double v, int dpi) const;

    std::string FPrintTemplateName;
    std::int64_t FPrintTemplateid = 0;
    std::unique_ptr<TjsonClientDataSet> cdsPrintTemplate;
    std::unique_ptr<TjsonClientDataSet> cdsPrintTemplateitem;
    int PageCount = 1;
    int px = 0;
    int py = 0;
    std::string FbillNoFieldName;
    IPrintPlatform& printers_;
};

} // namespace kiosk
