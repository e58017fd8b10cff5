#include "print/qt/kestprint.h"

#include <QFont>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <limits>

#include "core/sharedops.h"
#include "core/sysservice.h"
#include "platform/datetime.h"
#include "platform/exception.h"
#include "platform/inifile.h"
#include "platform/textutil.h"
#include "print/barcode.h"
#include "print/formatitemvalue.h"
#include "print/moneycapital.h"
#include "print/qt/drawbarcode.h"

namespace kiosk {

namespace {

// Item kinds (valuetype).
enum ItemKind {
    kLineOrBox = 0,
    kFixedText = 1,
    kFormattedValue = 2,
    kCapitalDigit = 3,
    kArabicDigit = 4,
    kDateTime = 5,
    kBarcode = 6,
    kAmountInCapitals = 7,
};

constexpr int kMinPaperWidth = 2500;
// What a printer page can hold, in tenths of a millimetre: the paper width and length of a
// printer's device settings are 16-bit (3.2767 m). Template and item distances beyond it are
// refused before any arithmetic, so no sum or product of them can overflow.
constexpr double kLargestDistance = 32767;
// The largest font a printer driver takes, in points.
constexpr double kLargestFontSize = 1638;
// A barcode bitmap larger than this many pixels is no slip's barcode (64 MB decoded).
constexpr std::int64_t kLargestBarcodePixels = std::int64_t(16) * 1024 * 1024;
constexpr const char* kPrintTimePattern = "yyyy-mm-dd hh:nn:ss";
// The barcode bitmap of kind 6: module width 2 pixels, ratio 2.0, no added check digit.
constexpr int kBarcodeModule = 2;
constexpr double kBarcodeRatio = 2.0;

double ToFloat(const std::string& text)
{
    double value;
    if (!TryStrToFloat(text, value)) throw Exception(Format("“%s”不是有效的浮点数", {text}));
    return value;
}

int ToInteger(const std::string& text)
{
    std::int64_t value;
    if (!TryStrToInt64(text, value) || value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max())
        throw Exception(Format("“%s”不是有效的整数值", {text}));
    return int(value);
}

// A date-time as the server writes it: year-month-day and hour:minute:second. Single items
// choose '.' or '-' between the date parts from the text; list rows take '-' only.
DateTime ToDateTime(const std::string& text, bool single)
{
    std::optional<DateTime> value;
    if (single || text.find('.') == std::string::npos) value = ParseDateTimeDotOrDash(text);
    if (!value) throw Exception(Format("“%s”不是有效的日期时间", {text}));
    return *value;
}

std::optional<std::string> OptionalText(const TField& field)
{
    if (field.IsNull()) return std::nullopt;
    return field.AsString();
}

} // namespace

// Whether a position in device pixels at `dpi` lies within twice the largest page (a template
// offset plus an item offset). Such positions, and sums of two of them, fit an int.
bool OnAnyPage(double pixels, int dpi)
{
    const double limit = std::min(2 * kLargestDistance / 254.0 * std::abs(double(dpi)), double(std::numeric_limits<int>::max() / 4));
    return std::abs(pixels) <= limit;
}

// Device pixels of a distance in tenths of a millimetre at `dpi`; std::nullopt off every page.
std::optional<int> DevicePixels(double tenthMm, int dpi)
{
    const double pixels = tenthMm / 254.0 * dpi;
    if (!OnAnyPage(pixels, dpi)) return std::nullopt;
    return int(RoundHalfAway(pixels));
}

// One template item as drawn, read from the current record of the item dataset.
struct TKestPrint::Item {
    int valuetype = 0;
    double left = 0, top = 0, width = 0, height = 0;
    std::optional<std::string> title;
    std::string fontname;
    int fontsize = 0;
    std::optional<bool> islist;
    std::string itemcode;
    std::optional<std::string> parameter;

    explicit Item(const TDataSet& ds)
        : valuetype(ds.FieldByName("valuetype").AsInteger()),
          left(ds.FieldByName("left").AsFloat()),
          top(ds.FieldByName("top").AsFloat()),
          width(ds.FieldByName("width").AsFloat()),
          height(ds.FieldByName("height").AsFloat()),
          title(OptionalText(ds.FieldByName("title"))),
          fontname(ds.FieldByName("fontname").AsString()),
          fontsize(ds.FieldByName("fontsize").AsInteger()),
          itemcode(ds.FieldByName("itemcode").AsString()),
          parameter(OptionalText(ds.FieldByName("parameter")))
    {
        const TField& list = ds.FieldByName("islist");
        if (!list.IsNull()) islist = list.AsBoolean();
    }
};

TKestPrint::TKestPrint(QObject* AOwner, const std::string& templatename, TjsonConnection& connection,
                       IPrintPlatform& printers)
    : TKestPrint(AOwner, templatename, 0, connection, printers)
{
}

TKestPrint::TKestPrint(QObject* AOwner, std::int64_t templateid, TjsonConnection& connection, IPrintPlatform& printers)
    : TKestPrint(AOwner, std::string(), templateid, connection, printers)
{
}

TKestPrint::TKestPrint(QObject* AOwner, const std::string& templatename, std::int64_t templateid,
                       TjsonConnection& connection, IPrintPlatform& printers)
    : QObject(AOwner), FPrintTemplateName(templatename), FPrintTemplateid(templateid), printers_(printers)
{
    LoadTemplate(connection);
    LoadTemplateItems(connection);
    CheckLayout();
    PageCount = 1;
    SingleValue = std::make_shared<TPrintValues>();
    MultipleValue = std::make_shared<TPrintRows>();
    SetPaperSize(PaperWidth(), TemplateInt("height"));
    px = printers_.DpiX();
    py = printers_.DpiY();
}

TKestPrint::~TKestPrint() = default;

void TKestPrint::LoadTemplate(TjsonConnection& connection)
{
    cdsPrintTemplate = std::make_unique<TjsonClientDataSet>("cdsPrintTemplate");
    cdsPrintTemplate->SetRemoteServer(&connection);
    cdsPrintTemplate->SetQueryAddress("system/queryPrinttemplate");
    cdsPrintTemplate->SetDataSourceName("printtemplatelist");
    if (FPrintTemplateid > 0)
        cdsPrintTemplate->Params().CreateParam(ftString, "filter_EQL_pt!id", ptInput).SetAsString(IntToStr(FPrintTemplateid));
    else
        cdsPrintTemplate->Params().CreateParam(ftString, "filter_EQS_pt!name", ptInput).SetAsString(FPrintTemplateName);
    cdsPrintTemplate->Open();
    if (cdsPrintTemplate->RecordCount() == 0) throw Exception("找不到打印模板：" + FPrintTemplateName);
    if (cdsPrintTemplate->RecordCount() > 1) throw Exception("打印模板：" + FPrintTemplateName + "名称重复");
}

void TKestPrint::LoadTemplateItems(TjsonConnection& connection)
{
    cdsPrintTemplateitem = std::make_unique<TjsonClientDataSet>("cdsPrintTemplateitem");
    cdsPrintTemplateitem->SetRemoteServer(&connection);
    cdsPrintTemplateitem->SetQueryAddress("system/queryPrinttemplateitem");
    cdsPrintTemplateitem->SetDataSourceName("printtemplateitemlist");
    cdsPrintTemplateitem->Params()
        .CreateParam(ftString, "filter_EQL_pti!printtemplate.id", ptInput)
        .SetAsString(cdsPrintTemplate->FieldByName("id").AsString());
    cdsPrintTemplateitem->Open();
    if (cdsPrintTemplateitem->RecordCount() == 0) throw Exception("打印模板：" + FPrintTemplateName + "的明细为空");
}

int TKestPrint::TemplateInt(const char* field) const { return cdsPrintTemplate->FieldByName(field).AsInteger(); }

[[noreturn]] void TKestPrint::OutOfRange(const std::string& what, double value) const
{
    throw Exception(Format("打印模板：%s的%s超出范围：%s", {FPrintTemplateName, what, FloatToStr(value)}));
}

// A distance of the template record, refused outside [low, kLargestDistance].
int TKestPrint::TemplateDistance(const char* field, double low) const
{
    const TField& f = cdsPrintTemplate->FieldByName(field);
    const double value = f.AsFloat();
    if (!(value >= low && value <= kLargestDistance)) OutOfRange(field, value);
    return f.AsInteger();
}

// Every number of the template and its printable items that positions or sizes something is
// checked here, once, before anything is computed from it.
void TKestPrint::CheckLayout() const
{
    for (const char* field : {"width", "height", "heightcorrection"}) TemplateDistance(field, 0);
    for (const char* field : {"left", "top", "rowspace"}) TemplateDistance(field, -kLargestDistance);
    (void)PaperWidth();
    TjsonClientDataSet& items = *cdsPrintTemplateitem;
    for (items.First(); !items.Eof(); items.Next()) {
        if (!items.FieldByName("isprint").AsBoolean()) continue;
        const Item item(items);
        const std::pair<const char*, double> distances[] = {
            {"left", item.left}, {"top", item.top}, {"width", item.width}, {"height", item.height}};
        for (const auto& [field, value] : distances)
            if (!(std::abs(value) <= kLargestDistance)) OutOfRange(std::string("明细") + field, value);
        if (std::abs(double(item.fontsize)) > kLargestFontSize) OutOfRange("明细fontsize", item.fontsize);
    }
    items.First();
}

int TKestPrint::PaperWidth() const
{
    const std::int64_t width = std::int64_t(TemplateDistance("width", 0)) + 2 * std::int64_t(TemplateDistance("left", -kLargestDistance));
    if (width > kLargestDistance) OutOfRange("纸张宽度", double(width));
    return std::max(int(width), kMinPaperWidth);
}

int TKestPrint::ToDeviceX(double v) const { return ToDevice(v, px); }

int TKestPrint::ToDeviceY(double v) const { return ToDevice(v, py); }

int TKestPrint::ToDevice(double v, int dpi) const
{
    const std::optional<int> pixels = DevicePixels(v, dpi);
    if (!pixels) throw Exception("打印模板：" + FPrintTemplateName + "的明细超出纸张范围");
    return *pixels;
}

void TKestPrint::SetPaperSize(int width, int length) { printers_.SetPaperSize(PaperSettingsFor(width, length)); }

int TKestPrint::getPrintPageCount(int MultipleValueCount) const
{
    if (MultipleValueCount <= 0) return 1;
    // Rows that no page can take would be lost from the document: refuse to print it.
    const std::int64_t rows = TemplateInt("rowperpage");
    const std::int64_t columns = TemplateInt("columnsperpage");
    if (rows < 1 || columns < 1) throw Exception("打印模板：" + FPrintTemplateName + "的每页行数或列数无效");
    const std::int64_t perPage = rows * columns;  // below 2^62
    if (perPage >= MultipleValueCount) return 1;
    return int((MultipleValueCount + perPage - 1) / perPage);
}

int TKestPrint::CurPrintPageCount() const
{
    if (!MultipleValue || MultipleValue->empty()) return 1;
    return getPrintPageCount(int(MultipleValue->size()));
}

std::string TKestPrint::GetSingleValue(const std::string& itemcode, int p) const
{
    if (itemcode == "pageno") return IntToStr(p + 1);
    if (itemcode == "totalpage") return IntToStr(CurPrintPageCount());
    if (itemcode == "printtime") return DateTime::Now().Format(kPrintTimePattern);
    if (!SingleValue) return {};
    const auto it = SingleValue->find(itemcode);
    if (it == SingleValue->end()) return {};
    const std::string& stored = it->second;
    if (FbillNoFieldName.empty() || itemcode != FbillNoFieldName || p <= 0 || Trim(stored).empty()) return stored;
    std::int64_t number;
    if (!TryStrToInt64(stored, number)) throw Exception(Format("“%s”不是有效的整数值", {stored}));
    if (number > std::numeric_limits<std::int64_t>::max() - p) throw Exception(Format("“%s”超出整数的范围", {stored}));
    return PadZeroLeft(IntToStr(number + p), int(stored.size()));
}

std::string TKestPrint::GetListValue(int index, const std::string& itemcode) const
{
    const TPrintValues& row = MultipleValue->at(std::size_t(index));
    const auto it = row.find(itemcode);
    return it == row.end() ? std::string() : it->second;
}

std::string TKestPrint::FormatItemValue(const std::optional<std::string>& parameter, const std::string& text)
{
    return kiosk::FormatItemValue(parameter ? std::optional<std::string_view>(*parameter) : std::nullopt, text);
}

std::string TKestPrint::GetTicketModelName(const std::string& templateTypeName, const std::string& templateName)
{
    return GetTicketModelName(GetSysInfo()->AppPath(), templateTypeName, templateName);
}

std::string TKestPrint::GetTicketModelName(const std::string& appFolder, const std::string& templateTypeName,
                                           const std::string& templateName)
{
    TIniFile ini((std::filesystem::path(appFolder) / "PrintConfig.ini").string());
    const std::string stored = ini.ReadString(templateTypeName, "templateName", "0");
    if (stored != "0") return stored;
    ini.WriteString(templateTypeName, "templateName", templateName);
    return templateName;
}

void TKestPrint::SelectTemplatePrinter()
{
    const std::string wanted = cdsPrintTemplate->FieldByName("printername").AsString();
    const std::optional<std::string> found = FindPrinter(printers_.Printers(), wanted);
    printers_.SelectPrinter(found ? *found : printers_.DefaultPrinter());
}

void TKestPrint::Print()
{
    SelectTemplatePrinter();
    px = printers_.DpiX();
    py = printers_.DpiY();
    const int pages = CurPrintPageCount();
    for (int p = 0; p < pages; ++p) PrintPage(p);
}

void TKestPrint::PrintPage(int p)
{
    SetPaperSize(PaperWidth(), TemplateDistance(PageCount % 2 == 1 ? "height" : "heightcorrection", 0));
    IPrintCanvas& canvas = printers_.BeginJob(cdsPrintTemplate->FieldByName("name").AsString(), PageCount);
    try {
        DrawItems(canvas, p);
    } catch (...) {
        printers_.AbortJob();
        throw;
    }
    printers_.EndJob();
    ++PageCount;
}

void TKestPrint::DrawItems(IPrintCanvas& canvas, int p)
{
    TjsonClientDataSet& items = *cdsPrintTemplateitem;
    for (items.First(); !items.Eof(); items.Next()) {
        if (!items.FieldByName("isprint").AsBoolean()) continue;
        const Item item(items);
        switch (item.valuetype) {
        case kLineOrBox: DrawLines(canvas, item); break;
        case kFixedText:
            if (item.title) {
                canvas.SetFont(item.fontname, item.fontsize);
                canvas.TextOut(ToDeviceX(item.left + TemplateInt("left")), ToDeviceY(item.top + TemplateInt("top")), *item.title);
            }
            break;
        case kFormattedValue:
        case kCapitalDigit:
        case kArabicDigit:
        case kDateTime:
        case kBarcode:
        case kAmountInCapitals:
            if (item.islist == false) DrawSingleItem(canvas, item, p);
            if (item.islist == true) DrawListItem(canvas, item, p);
            break;
        default: break;  // unknown kinds print nothing
        }
    }
}

// Height alone gives a vertical line, width alone a horizontal one at the bottom, both a box.
void TKestPrint::DrawLines(IPrintCanvas& canvas, const Item& item) const
{
    const int x = ToDeviceX(item.left + TemplateInt("left"));
    const int y = ToDeviceY(item.top + TemplateInt("top"));
    const int w = ToDeviceX(item.width);
    const int h = ToDeviceY(item.height);
    if (item.height > 1) {
        canvas.Line(x, y, x, y + h);
        if (item.width > 1) canvas.Line(x + w, y + h, x + w, y);
    }
    if (item.width > 1) {
        canvas.Line(x, y + h, x + w, y + h);
        if (item.height > 1) canvas.Line(x + w, y, x, y);
    }
}

void TKestPrint::DrawSingleItem(IPrintCanvas& canvas, const Item& item, int p) const
{
    if (!SingleValue) return;
    const std::string value = GetSingleValue(item.itemcode, p);
    if (value.empty()) return;
    canvas.SetFont(item.fontname, item.fontsize);
    DrawValue(canvas, item, ToDeviceX(item.left + TemplateInt("left")), ToDeviceY(item.top + TemplateInt("top")), value, true);
}

// Rows fill a column top to bottom, then the next column. Only the positions of rows that exist
// are visited, however many rows and columns the template gives a page.
void TKestPrint::DrawListItem(IPrintCanvas& canvas, const Item& item, int p) const
{
    if (!MultipleValue || MultipleValue->empty()) return;
    canvas.SetFont(item.fontname, item.fontsize);
    const std::int64_t rows = TemplateInt("rowperpage");
    const std::int64_t columns = TemplateInt("columnsperpage");
    if (rows < 1 || columns < 1) throw Exception("打印模板：" + FPrintTemplateName + "的每页行数或列数无效");
    const double pitch = double(TemplateInt("width")) / double(columns);
    const double rowspace = TemplateInt("rowspace");
    const std::int64_t first = std::int64_t(p) * rows * columns;
    const std::int64_t end = std::min<std::int64_t>(std::int64_t(MultipleValue->size()), first + rows * columns);
    for (std::int64_t index = first; index < end; ++index) {
        const std::int64_t ci = (index - first) / rows;
        const std::int64_t ri = (index - first) % rows;
        const std::string value = GetListValue(int(index), item.itemcode);
        const int x = ToDeviceX(item.left + TemplateInt("left") + double(RoundHalfAway(pitch * double(ci))));
        const double y = double(ToDeviceY(item.top + TemplateInt("top") + rowspace * double(ri))) +
                         double(ri) * canvas.TextHeight(value);
        // A row beyond any page would be lost in silence: refuse the print instead.
        if (!OnAnyPage(y, py)) throw Exception("打印模板：" + FPrintTemplateName + "的明细超出纸张范围");
        DrawValue(canvas, item, x, int(y), value, false);
    }
}

void TKestPrint::DrawValue(IPrintCanvas& canvas, const Item& item, int x, int y, const std::string& value, bool single) const
{
    if (item.valuetype != kBarcode) {
        const std::string text = ValueText(item, value, single);
        if (!text.empty()) canvas.TextOut(x, y, text);
        return;
    }
    if (single) {
        DrawBarcodeBitmap(canvas, item, x, y, value);
        return;
    }
    // A list barcode shows the single value stored under the item's code at every row.
    const auto it = SingleValue ? SingleValue->find(item.itemcode) : TPrintValues::const_iterator();
    if (!SingleValue || it == SingleValue->end()) throw Exception("Item not found");
    DrawBarcodeBitmap(canvas, item, x, y, it->second);
}

std::string TKestPrint::ValueText(const Item& item, const std::string& value, bool single) const
{
    switch (item.valuetype) {
    case kFormattedValue: return FormatItemValue(item.parameter, value);
    case kCapitalDigit:
    case kArabicDigit:
        return AmountDigitAt(ToInteger(item.parameter.value_or("")), item.valuetype == kCapitalDigit, currency, ToFloat(value));
    case kDateTime: {
        const std::string pattern = item.parameter && !item.parameter->empty() ? *item.parameter : kPrintTimePattern;
        return ToDateTime(value, single).Format(pattern);
    }
    case kAmountInCapitals: return FormatItemValue(item.parameter, MoneyToCapital(ToFloat(value)));
    default: return {};
    }
}

void TKestPrint::DrawBarcodeBitmap(IPrintCanvas& canvas, const Item& item, int x, int y, const std::string& value) const
{
    const std::optional<TBarType> type = FindBarType(item.parameter.value_or(""));
    if (!type) throw Exception("Wrong barcode type.");
    const std::int64_t width = BarcodeWidth(*type, value, kBarcodeModule, kCheckSumNone, kBarcodeRatio);
    // Sized by the screen's resolution, copied one pixel per printer pixel.
    const std::int64_t height = RoundHalfAway(item.height / 254.0 * printers_.ScreenDpi());
    if (width <= 0 || height <= 0) return;
    // A barcode wider or higher than any paper, or too big to hold, would be cut or lost.
    if (width > DevicePixels(kLargestDistance, px).value_or(0) || height > DevicePixels(kLargestDistance, py).value_or(0) ||
        width * height > kLargestBarcodePixels)
        throw Exception("打印模板：" + FPrintTemplateName + "的条码超出纸张范围");
    QImage bitmap(int(width), int(height), QImage::Format_RGB32);
    bitmap.fill(Qt::white);
    TBarcodeStyle style;
    style.moduleWidth = kBarcodeModule;
    style.ratio = kBarcodeRatio;
    style.height = int(height);
    style.font = QFont(QString::fromStdString(item.fontname));
    style.font.setPointSize(std::max(item.fontsize, 1));
    {
        QPainter painter(&bitmap);
        DrawBarcode(painter, *type, value, 0, 0, style);
    }
    canvas.Draw(x, y, bitmap);
}

} // namespace kiosk
