#include "grid/tktdbgrideh.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <cmath>

#include "core/sysservice.h"
#include "platform/textutil.h"

namespace kiosk {

namespace {

const QColor kLineNoColor(224, 41, 105);
constexpr int kLineNoLeft = 5;
constexpr long long kTypedNumberCap = 1'000'000'000LL;

// A failure inside a handler of the grid goes to the application's error box and the grid
// stays usable.
void ReportHandlerError(const std::exception& e)
{
    if (auto dialog = QueryService<IDialog>()) dialog->ShowException(e);
}

QString ToQString(const std::string& text) { return QString::fromUtf8(text.data(), qsizetype(text.size())); }

} // namespace

// The indicator column: the record number of each row at x = 5 and the row's top.
class TKtIndicatorHeader : public QHeaderView {
public:
    explicit TKtIndicatorHeader(TKtDbgridEh& grid) : QHeaderView(Qt::Vertical, &grid), grid_(grid)
    {
        setSectionResizeMode(QHeaderView::Fixed);
        setSectionsClickable(false);
    }

    QSize sizeHint() const override { return {grid_.indicatorWidth_, QHeaderView::sizeHint().height()}; }

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override
    {
        QStyleOptionHeader option;
        initStyleOption(&option);
        option.rect = rect;
        option.section = logicalIndex;
        option.orientation = Qt::Vertical;
        painter->save(); // the style leaves its clip on the painter
        style()->drawControl(QStyle::CE_Header, &option, painter, this);
        painter->restore();
        if (!grid_.showLineNo_ || !grid_.model_->DataSetActive()) return;
        painter->save();
        painter->setPen(kLineNoColor);
        painter->setFont(grid_.font());
        painter->drawText(rect.adjusted(kLineNoLeft, 0, 0, 0), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                          QString::number(logicalIndex + 1));
        painter->restore();
    }

private:
    TKtDbgridEh& grid_;
};

// The footer row under the data, its cells lined up with the columns.
class TKtFooterBar : public QWidget {
public:
    explicit TKtFooterBar(TKtDbgridEh& grid) : QWidget(&grid), grid_(grid) { setAutoFillBackground(false); }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), palette().button());
        painter.setPen(palette().mid().color());
        painter.drawLine(0, 0, width(), 0);
        const int left = grid_.viewport()->x();
        painter.setClipRect(QRect(left, 0, grid_.viewport()->width(), height()));
        painter.setPen(palette().buttonText().color());
        painter.setFont(grid_.font());
        const auto& columns = grid_.Columns();
        for (int c = 0; c < grid_.model_->columnCount(); ++c) {
            if (grid_.isColumnHidden(c)) continue;
            const QRect cell(left + grid_.columnViewportPosition(c), 0, grid_.columnWidth(c), height());
            painter.drawLine(cell.right(), 0, cell.right(), height());
            const bool isNumber = c < int(columns.size()) && columns[std::size_t(c)].Footer.ValueType != fvtStaticText;
            painter.drawText(cell.adjusted(3, 0, -4, 0),
                             Qt::AlignVCenter | (isNumber ? Qt::AlignRight : Qt::AlignLeft) | Qt::TextSingleLine,
                             grid_.FooterText(c));
        }
    }

private:
    TKtDbgridEh& grid_;
};

// Lets the form's cell-parameter handler colour each cell.
class TKtCellDelegate : public QStyledItemDelegate {
public:
    explicit TKtCellDelegate(TKtDbgridEh& grid) : QStyledItemDelegate(&grid), grid_(grid) {}

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        if (!grid_.OnGetCellParams) return;
        TKtCellParams params;
        params.Row = index.row();
        params.Column = index.column();
        params.Selected = (option->state & QStyle::State_Selected) != 0;
        try {
            grid_.OnGetCellParams(grid_, params);
        } catch (const std::exception&) {
            return; // a failing handler leaves the cell in the grid's colours
        }
        if (params.Background.isValid()) {
            option->backgroundBrush = params.Background;
            if (params.Selected) option->palette.setColor(QPalette::Highlight, params.Background);
        }
        if (params.FontColor.isValid()) {
            option->palette.setColor(QPalette::Text, params.FontColor);
            option->palette.setColor(QPalette::HighlightedText, params.FontColor);
        }
    }

private:
    TKtDbgridEh& grid_;
};

TKtDbgridEh::TKtDbgridEh(QWidget* parent)
    : QTableView(parent), model_(new TDataSetTableModel(this)), indicator_(new TKtIndicatorHeader(*this)),
      footer_(new TKtFooterBar(*this))
{
    setVerticalHeader(indicator_);
    setModel(model_);
    setItemDelegate(new TKtCellDelegate(*this));
    setEditTriggers(NoEditTriggers);
    setSortingEnabled(false);
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setSortIndicatorShown(true);
    horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    horizontalHeader()->setHighlightSections(false);
    footer_->hide();
    ApplySelectionMode();
    UpdateRowHeight();

    focusKeyTimer_.setSingleShot(true);
    connect(&focusKeyTimer_, &QTimer::timeout, this, &TKtDbgridEh::JumpToTypedRecord);
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, &TKtDbgridEh::TitleClicked);
    connect(horizontalHeader(), &QHeaderView::sectionResized, this, &TKtDbgridEh::RememberColumnWidth);
    connect(horizontalHeader(), &QHeaderView::sectionMoved, footer_, qOverload<>(&QWidget::update));
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, footer_, qOverload<>(&QWidget::update));
    connect(model_, &QAbstractItemModel::modelAboutToBeReset, this, [this] { resetting_ = true; });
    connect(model_, &QAbstractItemModel::modelReset, this, [this] {
        resetting_ = false;
        ApplyColumnLayout();
    });
    connect(model_, &QAbstractItemModel::dataChanged, this, &TKtDbgridEh::RecomputeFooters);
    connect(model_, &TDataSetTableModel::CurrentRowChanged, this, &TKtDbgridEh::FollowDataSetCursor);
}

TKtDbgridEh::~TKtDbgridEh() = default;

void TKtDbgridEh::SetDataSet(TDataSet* dataSet) { model_->SetDataSet(dataSet); }

void TKtDbgridEh::SetColumns(TKtColumns columns)
{
    columns_ = std::move(columns);
    markers_.clear();
    model_->SetColumns(columns_);
}

void TKtDbgridEh::SetShowLineNo(bool value)
{
    showLineNo_ = value;
    indicator_->viewport()->update();
}

void TKtDbgridEh::SetIndicatorWidth(int value)
{
    indicatorWidth_ = value;
    updateGeometries();
}

void TKtDbgridEh::SetAutoSetMultiSelect(bool value)
{
    multiSelect_ = value;
    ApplySelectionMode();
}

void TKtDbgridEh::SetAutoSetCtrlKey(bool value)
{
    ctrlKey_ = value;
    ApplySelectionMode();
}

// One row at a time without multi-selection; with it, a plain click starts a new selection
// unless the clear-selection option is off (AutoSetCtrlKey), when every click adds or removes.
void TKtDbgridEh::ApplySelectionMode()
{
    if (!multiSelect_) setSelectionMode(SingleSelection);
    else setSelectionMode(ctrlKey_ ? MultiSelection : ExtendedSelection);
}

TKtSortMarker TKtDbgridEh::SortMarker(int column) const
{
    return column >= 0 && column < int(markers_.size()) ? markers_[std::size_t(column)] : smNone;
}

QString TKtDbgridEh::FooterText(int column) const
{
    return column >= 0 && column < int(footerTexts_.size()) ? footerTexts_[std::size_t(column)] : QString();
}

QRect TKtDbgridEh::IndicatorRect(int row) const
{
    const QRect header = indicator_->geometry();
    return {header.x(), header.y() + indicator_->sectionViewportPosition(row), header.width(), rowHeight(row)};
}

// ---------------------------------------------------------------- title click

void TKtDbgridEh::TitleClicked(int section)
{
    emit TitleClick(section);
    try {
        SortByColumn(section);
    } catch (const std::exception& e) {
        ReportHandlerError(e);
    }
}

// Only a column showing one data field sorts: a column naming several fields (the key fields
// of a lookup), a missing field or a blob leaves the order as it is.
void TKtDbgridEh::SortByColumn(int column)
{
    TDataSet* ds = DataSet();
    if (!ds || !ds->Active()) return;
    const TField* field = model_->ColumnField(column);
    if (!field || field->IsBlob() || field->FieldKind() != fkData) return;
    const std::string name = field->FieldName();

    markers_.resize(std::size_t(model_->columnCount()), smNone);
    TKtSortMarker& marker = markers_[std::size_t(column)];
    marker = marker == smNone ? smAscending : marker == smAscending ? smDescending : smNone;
    // The order now follows this column alone.
    for (std::size_t c = 0; c < markers_.size(); ++c)
        if (int(c) != column) markers_[c] = smNone;

    // One change notice for the whole rebuild of the index.
    ds->DisableControls();
    struct Enable {
        TDataSet* ds;
        ~Enable() { ds->EnableControls(); }
    } enable{ds};
    for (const TIndexDef& index : ds->IndexDefs())
        if (SameText(index.Name, name)) {
            ds->DeleteIndex(name);
            break;
        }
    ds->AddIndex(name, name, ixCaseInsensitive | (marker == smDescending ? ixDescending : 0u));
    ds->SetIndexName(name);

    if (marker == smNone) horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    else horizontalHeader()->setSortIndicator(column, marker == smAscending ? Qt::AscendingOrder : Qt::DescendingOrder);
}

// ---------------------------------------------------------------- digit-key jump

void TKtDbgridEh::keyPressEvent(QKeyEvent* event)
{
    const int key = event->key();
    if (autoFocusKey_ && model_->DataSetActive() && key >= Qt::Key_0 && key <= Qt::Key_9 &&
        !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
        DigitTyped(key - Qt::Key_0);
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

void TKtDbgridEh::DigitTyped(int digit)
{
    typedNumber_ = std::min(typedNumber_ * 10 + digit, kTypedNumberCap);
    focusKeyTimer_.start(int(focusKeyInterval_));
}

void TKtDbgridEh::JumpToTypedRecord()
{
    focusKeyTimer_.stop();
    const long long number = typedNumber_;
    typedNumber_ = 0;
    TDataSet* ds = DataSet();
    if (!ds || !ds->Active() || number <= 0 || number > ds->RecordCount()) return;
    try {
        ds->SetRecNo(int(number));
    } catch (const std::exception& e) {
        ReportHandlerError(e);
    }
}

// ---------------------------------------------------------------- cursor both ways

void TKtDbgridEh::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    QTableView::currentChanged(current, previous);
    TDataSet* ds = DataSet();
    if (followingCursor_ || !current.isValid() || !ds || !ds->Active()) return;
    if (current.row() + 1 == ds->RecNo()) return;
    try {
        ds->SetRecNo(current.row() + 1);
    } catch (const std::exception& e) {
        ReportHandlerError(e);
    }
    // A scroll the dataset refused puts the grid back on the dataset's record.
    if (ds->Active() && ds->RecNo() != current.row() + 1) FollowDataSetCursor(ds->RecNo() - 1);
}

void TKtDbgridEh::FollowDataSetCursor(int row)
{
    if (resetting_ || !selectionModel()) return;
    followingCursor_ = true;
    if (row < 0 || row >= model_->rowCount()) {
        selectionModel()->clear();
    } else {
        int column = currentIndex().isValid() ? currentIndex().column() : 0;
        if (column >= model_->columnCount() || isColumnHidden(column)) column = 0;
        while (column < model_->columnCount() && isColumnHidden(column)) ++column;
        if (column < model_->columnCount()) {
            const QModelIndex index = model_->index(row, column);
            selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                         (RowSelect() ? QItemSelectionModel::Rows
                                                                      : QItemSelectionModel::NoUpdate));
            scrollTo(index);
        }
    }
    followingCursor_ = false;
}

// ---------------------------------------------------------------- layout

void TKtDbgridEh::ApplyColumnLayout()
{
    resetting_ = true; // section changes below are the grid's own, not the user's
    const int count = model_->columnCount();
    for (int c = 0; c < count; ++c) {
        const TKtColumn* column = c < int(columns_.size()) ? &columns_[std::size_t(c)] : nullptr;
        setColumnHidden(c, column && !column->Visible);
        if (column && column->Width > 0) setColumnWidth(c, column->Width);
    }
    if (int(markers_.size()) != count) {
        markers_.assign(std::size_t(count), smNone);
        horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    }
    resetting_ = false;
    RecomputeFooters();
    if (TDataSet* ds = DataSet(); ds && ds->Active()) FollowDataSetCursor(ds->RecNo() - 1);
}

void TKtDbgridEh::RememberColumnWidth(int section, int, int newSize)
{
    if (resetting_ || section < 0 || section >= int(columns_.size()) || newSize <= 0) return;
    columns_[std::size_t(section)].Width = newSize;
    footer_->update();
}

void TKtDbgridEh::UpdateRowHeight()
{
    indicator_->setDefaultSectionSize(fontMetrics().height() + 6);
    PlaceFooter();
}

void TKtDbgridEh::changeEvent(QEvent* event)
{
    QTableView::changeEvent(event);
    if (event->type() == QEvent::FontChange) UpdateRowHeight();
}

void TKtDbgridEh::resizeEvent(QResizeEvent* event)
{
    QTableView::resizeEvent(event);
    PlaceFooter();
}

void TKtDbgridEh::updateGeometries()
{
    QTableView::updateGeometries();
    footer_->update();
}

// ---------------------------------------------------------------- footers

bool TKtDbgridEh::HasFooters() const
{
    for (const TKtColumn& column : columns_)
        if (column.Footer.ValueType != fvtNon) return true;
    return false;
}

int TKtDbgridEh::FooterHeight() const { return HasFooters() ? fontMetrics().height() + 8 : 0; }

// The footer row lies under the frame of the data area: the frame, and with it the headers,
// the data and the scroll bars, ends where the footer begins.
void TKtDbgridEh::PlaceFooter()
{
    const int height = FooterHeight();
    setFrameRect(QRect(0, 0, width(), this->height() - height));
    footer_->setGeometry(0, this->height() - height, width(), height);
    footer_->setVisible(height > 0);
}

QString TKtDbgridEh::ComputeFooter(int column) const
{
    if (column >= int(columns_.size())) return {};
    const TKtFooter& footer = columns_[std::size_t(column)].Footer;
    TDataSet* ds = DataSet();
    switch (footer.ValueType) {
    case fvtStaticText: return ToQString(footer.Text);
    case fvtCount: return ds && ds->Active() ? QString::number(ds->RecordCount()) : QString();
    case fvtSum: {
        const TField* field = model_->ColumnField(column);
        if (!field) return {};
        const int index = field->Index();
        if (IsIntegerType(field->DataType())) {
            long long total = 0;
            for (int row = 0; row < ds->RecordCount(); ++row) {
                std::int64_t v = 0;
                if (ds->ValueAt(row, index).TryToInt64(v)) total += v;
            }
            return QString::number(total);
        }
        double total = 0;
        for (int row = 0; row < ds->RecordCount(); ++row) {
            double v = 0;
            if (ds->ValueAt(row, index).TryToDouble(v)) total += v;
        }
        // Amounts are kept to the cent and below; the rounding drops the binary noise of the sum.
        return ToQString(FloatToStr(std::round(total * 1e6) / 1e6));
    }
    case fvtNon: break;
    }
    return {};
}

void TKtDbgridEh::RecomputeFooters()
{
    footerTexts_.clear();
    for (int c = 0; c < model_->columnCount(); ++c) footerTexts_.push_back(ComputeFooter(c));
    PlaceFooter();
    footer_->update();
}

} // namespace kiosk
