#pragma once
// TKtDbgridEh: the data grid of every list on the kiosk screens. A table view over a dataset
// (through TDataSetTableModel) whose current row is the dataset's cursor, both ways; it writes
// each row's record number in the indicator column, sorts by a click on a column title
// (none → ascending → descending → none, through an index named after the field), jumps to a
// typed record number, and shows an optional footer row (fixed text, record count or sum).
//
// Binding: SetDataSet(&jscdQryCheckeds) and SetColumns({{"ticketno", "票号"}, ...}); columns
// name their fields, so they may be set before the query opens. The grid does not own the
// dataset.
#include <QColor>
#include <QTableView>
#include <QTimer>
#include <functional>

#include "grid/datasetmodel.h"
#include "grid/ktcolumn.h"

namespace kiosk {

enum TKtSortMarker { smNone, smAscending, smDescending };

// What the form's cell-parameter handler may change for one cell before it is drawn.
struct TKtCellParams {
    int Row = 0;           // record position in the cursor's order, from 0
    int Column = 0;        // grid column
    bool Selected = false; // the cell is drawn selected
    QColor Background;     // invalid: the grid's own colour
    QColor FontColor;      // invalid: the grid's own colour
};

class TKtIndicatorHeader;
class TKtFooterBar;

class TKtDbgridEh : public QTableView {
    Q_OBJECT
public:
    explicit TKtDbgridEh(QWidget* parent = nullptr);
    ~TKtDbgridEh() override;

    // ---- data
    void SetDataSet(TDataSet* dataSet);
    TDataSet* DataSet() const { return model_->DataSet(); }
    TDataSetTableModel* Model() const { return model_; }
    void SetColumns(TKtColumns columns);
    const TKtColumns& Columns() const { return columns_; }
    // The field value of the record in row `row` (for cell-parameter handlers).
    Value RowValue(int row, std::string_view fieldName) const { return model_->RowValue(row, fieldName); }

    // ---- published properties
    bool ShowLineNo() const { return showLineNo_; }
    void SetShowLineNo(bool value);
    int IndicatorWidth() const { return indicatorWidth_; }
    void SetIndicatorWidth(int value);
    bool AutoSetMultiSelect() const { return multiSelect_; }
    void SetAutoSetMultiSelect(bool value);
    bool AutoSetCtrlKey() const { return ctrlKey_; }
    void SetAutoSetCtrlKey(bool value);
    bool AutoFocusKey() const { return autoFocusKey_; }
    void SetAutoFocusKey(bool value) { autoFocusKey_ = value; }
    unsigned AutoFocusKeyInterval() const { return focusKeyInterval_; }
    void SetAutoFocusKeyInterval(unsigned value) { focusKeyInterval_ = value; }
    // Kept for the forms that set it; the titles are drawn centred whatever it says.
    Qt::Alignment TitleAlign() const { return titleAlign_; }
    void SetTitleAlign(Qt::Alignment value) { titleAlign_ = value; }
    // Whole-row selection (the row of the cursor is selected across all columns).
    bool RowSelect() const { return selectionBehavior() == SelectRows; }
    void SetRowSelect(bool value) { setSelectionBehavior(value ? SelectRows : SelectItems); }

    TKtSortMarker SortMarker(int column) const;
    // The footer text of a column as the footer row shows it ("" without a footer).
    QString FooterText(int column) const;
    // Called for every data cell before it is drawn (the forms' row colours).
    std::function<void(TKtDbgridEh&, TKtCellParams&)> OnGetCellParams;

    // The grid's rectangle of the indicator cell of `row`.
    QRect IndicatorRect(int row) const;

signals:
    // A column title was clicked (before the grid sorts by it).
    void TitleClick(int column);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void updateGeometries() override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    friend class TKtIndicatorHeader;
    friend class TKtCellDelegate;
    friend class TKtFooterBar;

    void TitleClicked(int section);
    void SortByColumn(int column);
    void DigitTyped(int digit);
    void JumpToTypedRecord();
    void FollowDataSetCursor(int row);
    void ApplyColumnLayout();
    void ApplySelectionMode();
    void RememberColumnWidth(int section, int oldSize, int newSize);
    void UpdateRowHeight();
    void RecomputeFooters();
    QString ComputeFooter(int column) const;
    bool HasFooters() const;
    int FooterHeight() const;
    void PlaceFooter();

    TDataSetTableModel* model_;
    TKtIndicatorHeader* indicator_;
    TKtFooterBar* footer_;
    TKtColumns columns_;
    std::vector<TKtSortMarker> markers_;
    std::vector<QString> footerTexts_;
    bool showLineNo_ = true;
    int indicatorWidth_ = 32;
    bool multiSelect_ = false;
    bool ctrlKey_ = false;
    bool autoFocusKey_ = false;
    unsigned focusKeyInterval_ = 300;
    Qt::Alignment titleAlign_ = Qt::AlignLeft;
    long long typedNumber_ = 0;
    QTimer focusKeyTimer_;
    bool followingCursor_ = false;
    bool resetting_ = false;
};

} // namespace kiosk
