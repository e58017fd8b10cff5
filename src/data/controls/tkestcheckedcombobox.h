#pragma once
// TKestCheckedComboBox: a drop-down list of check boxes filled from the server. Each item is a
// TCommInfo (ID, Name, Value and its check); the closed box shows the names of the checked
// items, and the checked identifiers are read back as "(12,15,31)". A click on an item or a
// Space in the open list toggles it and leaves the list open; the pop-up menu checks or
// unchecks everything.
//
// Filling: set HelpOptions (connection, address, data source name, HelpType, SelectAll) and the
// inner dataset's Params(), then SetActive(true): the list is queried once per switch of Active
// from false to true.
#include <QComboBox>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "data/tjsonclientdataset.h"

class QMenu;

namespace kiosk {

enum TATCBQuoteStyle { qsNone, qsSingle, qsDouble };

struct TCommInfo {
    std::int64_t ID = 0;
    std::string Name;
    std::string Value;
    bool IsSelected = false;
};

class TKestCheckedComboBox : public QComboBox {
    Q_OBJECT
public:
    // Where the list comes from.
    struct THelpOptions {
        TjsonConnection* HJSONConnection = nullptr;
        std::string HDataSourceName = "datalist";
        std::string HelpType;
        std::string HQueryAddress = "system/queryhelpcombox";
        bool SelectAll = false;
    };

    explicit TKestCheckedComboBox(QWidget* parent = nullptr);
    ~TKestCheckedComboBox() override;

    // ---- published properties
    QColor ColorNotFocus() const { return colorNotFocus_; }
    void SetColorNotFocus(const QColor& value);
    TATCBQuoteStyle QuoteStyle() const { return quoteStyle_; }
    void SetQuoteStyle(TATCBQuoteStyle value) { quoteStyle_ = value; }
    bool ShowTextAsHint() const { return showTextAsHint_; }
    void SetShowTextAsHint(bool value);
    static std::string Version() { return "1.2"; }
    bool Active() const { return active_; }
    // Switching it on fills the list from the server; a failure switches it off again and
    // goes to the caller with its text.
    void SetActive(bool value);
    THelpOptions& HelpOptions() { return helpOptions_; }
    TParams& Params() { return dataSet_.Params(); }

    // ---- the items
    const std::vector<TCommInfo>& Items() const { return items_; }
    void AddItem(TCommInfo item);
    void ClearItems();

    // ---- checks
    // An index outside the list is ignored; fires OnCheckClick.
    void SetCheck(int nIndex, bool checked);
    bool IsChecked(int nIndex) const;
    void CheckAll(bool checked);
    // Unchecks all, then checks the first item whose ID is `id` (`checked` is not used).
    void CheckById(bool checked, std::int64_t id);
    // "(3,7)": the IDs of the checked items in list order; "" when none is checked.
    std::string GetSelectID() const;
    // The names of the checked items joined by "; ", quoted as QuoteStyle says.
    std::string Text() const;
    int CheckedCount() const;

    // The background the closed box is drawn on now.
    QColor BackgroundColor() const { return background_; }
    // The pop-up menu with "全选" and "取消" (there once the list was filled).
    QMenu* PopupMenu() const { return menu_; }

    void showPopup() override;

signals:
    void OnCheckClick(int index);
    // A toggle in the list changed the selection.
    void OnChange();
    void OnEnter();
    void OnExit();

protected:
    void paintEvent(QPaintEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    class ItemDelegate;

    void Fill();
    void PrepareDataSet();
    void AttachMenu();
    void ToggleFromList(int index);
    void CheckedTextChanged();
    std::string CheckedNames() const;

    TjsonClientDataSet dataSet_;
    THelpOptions helpOptions_;
    std::vector<TCommInfo> items_;
    QColor colorNotFocus_ = Qt::white;
    QColor background_ = Qt::white;
    TATCBQuoteStyle quoteStyle_ = qsNone;
    bool showTextAsHint_ = true;
    bool active_ = false;
    bool listTakenOver_ = false;
    bool entered_ = false; // between the enter and the exit event
    QMenu* menu_ = nullptr;
};

} // namespace kiosk
