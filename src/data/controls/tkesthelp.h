#pragma once
// TKestHelp: a TKestEdit with a lookup. As the user types, it asks the server through its own
// TjsonClientDataSet (parameters "helpType" and "param") and lists the matching rows in a
// drop-down grid on the form; Up / Down move in the list, Enter or a double click picks a row:
// the text becomes the row's EdtField, Id its "id", and every field of the row stays readable
// through HelpFieldValue. A typed text that was never picked leaves Id 0 when the user leaves.
//
// Set-up for a form: HelpOptions() (connection, address, data source name, HelpType, sizes,
// EdtField), SetHDBGColumns({{"name", "车牌号码", 200}, ...}), extra Params() of the inner
// dataset; the control sets itself up (Init) on its first entry. Connect OnIdChange for the pick.
//
// Ownership: the control owns the drop-down (panel and grid, placed on the form at set-up) and
// its dataset; the connection belongs to the application.
#include <QFrame>
#include <QPointer>
#include <functional>
#include <utility>
#include <vector>

#include "data/controls/tkestedit.h"
#include "data/tjsonclientdataset.h"
#include "grid/tktdbgrideh.h"
#include "platform/exception.h"

namespace kiosk {

// Raised by HelpFieldValue for a field the picked row does not have.
class NoFieldFindException : public Exception {
public:
    using Exception::Exception;
};

class THelpOptions {
public:
    // `sizeChanged` is told when one of the four sizes takes a different value.
    explicit THelpOptions(std::function<void()> sizeChanged) : sizeChanged_(std::move(sizeChanged)) {}

    // The width 126 means: as wide as the grid's columns. It is also the default: the width a
    // new edit has (121) plus 5.
    static constexpr int kWidthOfColumns = 126;

    int HelpHeight() const { return height_; }
    void SetHelpHeight(int value) { SetSize(height_, value); }
    int HelpWidth() const { return width_; }
    void SetHelpWidth(int value) { SetSize(width_, value); }
    // Stored settings; the drop-down is placed under the edit whatever they say.
    int HelpTop() const { return top_; }
    void SetHelpTop(int value) { SetSize(top_, value); }
    int HelpLeft() const { return left_; }
    void SetHelpLeft(int value) { SetSize(left_, value); }

    std::string EdtField = "name";
    // The application's skin: asked to refresh the form that holds the drop-down when it shows.
    std::function<void(QWidget& form)> HSkinData;
    TjsonConnection* HJSONConnection = nullptr;
    std::string HDataSourceName = "helpmap";
    std::string HelpType;
    std::string HQueryAddress = "system/help";

private:
    void SetSize(int& size, int value)
    {
        if (size == value) return;
        size = value;
        if (sizeChanged_) sizeChanged_();
    }

    std::function<void()> sizeChanged_;
    int height_ = 0;
    int width_ = 0;
    int top_ = 0;
    int left_ = 0;
};

class TKestHelp : public TKestEdit {
    Q_OBJECT
public:
    explicit TKestHelp(QWidget* parent = nullptr);
    ~TKestHelp() override;

    // ---- published properties
    const TKtColumns& HDBGColumns() const { return columns_; }
    void SetHDBGColumns(TKtColumns columns) { columns_ = std::move(columns); }
    THelpOptions& HelpOptions() { return options_; }
    TParams& Params() { return dataSet_.Params(); }
    // The inner dataset is open (a search answered and nothing was picked yet).
    bool isactive() const { return dataSet_.Active(); }
    bool notFocusedShowHelp() const { return notFocusedShowHelp_; }
    void SetnotFocusedShowHelp(bool value) { notFocusedShowHelp_ = value; }
    const std::string& ignoreSearchFlag() const { return ignoreSearchFlag_; }
    void SetignoreSearchFlag(std::string value) { ignoreSearchFlag_ = std::move(value); }

    // ---- operations
    // The set-up: columns into the grid, the drop-down onto the form, the inner dataset's
    // connection, parameters, address and data source name. Runs once, on the first entry.
    void Init();
    // The text of field `name` (any letter case) of the last picked row; "" while the text was
    // typed since. Raises NoFieldFindException for a field the row does not have.
    std::string HelpFieldValue(std::string_view name) const;

    bool CompInit() const { return compInit_; }
    bool IsChange() const { return isChange_; }

    // ---- the drop-down
    QFrame* DropDown() const { return dropDown_; }
    TKtDbgridEh* HelpGrid() const { return grid_; }
    TjsonClientDataSet& HelpDataSet() { return dataSet_; }
    bool DropDownShown() const { return dropDown_ && !dropDown_->isHidden(); }

protected:
    void Change() override;
    void DoEnter() override;
    void DoExit() override;
    bool KeyDown(QKeyEvent* event) override;
    void KeyUp(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool DataSetUsable() const;
    void Search(const std::string& text);
    void PickCurrentRow();
    void Leave();
    void ClearPick();
    void ShowDropDown();
    void HideDropDown();
    void PlaceDropDown();
    int DropDownWidth() const;
    bool KeepsFocus(const QWidget* widget) const;

    TjsonClientDataSet dataSet_;
    THelpOptions options_;
    TKtColumns columns_;
    QPointer<QFrame> dropDown_;
    TKtDbgridEh* grid_ = nullptr;
    std::vector<std::pair<std::string, std::string>> picked_; // fields of the last picked row
    bool notFocusedShowHelp_ = false;
    std::string ignoreSearchFlag_;
    bool compInit_ = false;
    bool isChange_ = false;
    bool dontFindData_ = false;
};

} // namespace kiosk
