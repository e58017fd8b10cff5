#include "seatplan/view/seatgrid.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <algorithm>

namespace kiosk {

namespace {

std::vector<int> Offsets(const std::vector<int>& sizes)
{
    std::vector<int> offsets(sizes.size() + 1, 0);
    for (std::size_t i = 0; i < sizes.size(); ++i) offsets[i + 1] = offsets[i] + sizes[i] + TSeatGrid::GridLineWidth;
    return offsets;
}

// The index whose span [offsets[i], offsets[i + 1]) holds `pos`, or -1.
int IndexAt(const std::vector<int>& offsets, int pos)
{
    if (pos < 0 || pos >= offsets.back()) return -1;
    const auto it = std::upper_bound(offsets.begin(), offsets.end(), pos);
    return int(it - offsets.begin()) - 1;
}

} // namespace

TSeatGrid::TSeatGrid(QWidget* parent) : QAbstractScrollArea(parent)
{
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setAutoFillBackground(false);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setMouseTracking(true);
}

void TSeatGrid::setGridSizes(std::vector<int> colWidths, std::vector<int> rowHeights)
{
    if (colWidths.empty()) colWidths.push_back(0);
    if (rowHeights.empty()) rowHeights.push_back(0);
    // The same sizes again (every refresh of a seat view lays it out anew) change nothing.
    if (colWidths == FColWidths && rowHeights == FRowHeights) return;
    FColWidths = std::move(colWidths);
    FRowHeights = std::move(rowHeights);
    FColLefts = Offsets(FColWidths);
    FRowTops = Offsets(FRowHeights);
    FCol = std::clamp(FCol, 1, std::max(1, ColCount() - 1));
    FRow = std::clamp(FRow, 1, std::max(1, RowCount() - 1));
    updateScrollBars();
    viewport()->update();
}

int TSeatGrid::ColLeft(int col) const { return FColLefts[col]; }
int TSeatGrid::RowTop(int row) const { return FRowTops[row]; }
int TSeatGrid::ContentWidth() const { return FColLefts.back(); }
int TSeatGrid::ContentHeight() const { return FRowTops.back(); }

QRect TSeatGrid::CellRect(int col, int row) const
{
    if (col < 0 || row < 0 || col >= ColCount() || row >= RowCount()) return {};
    return QRect(ColLeft(col), RowTop(row), FColWidths[col], FRowHeights[row]);
}

QPoint TSeatGrid::MouseCoord(const QPoint& viewportPos) const
{
    const int col = IndexAt(FColLefts, viewportPos.x() + horizontalScrollBar()->value());
    const int row = IndexAt(FRowTops, viewportPos.y() + verticalScrollBar()->value());
    if (col < 0 || row < 0) return {-1, -1};
    return {col, row};
}

bool TSeatGrid::SelectCell(int, int) { return true; }

bool TSeatGrid::FocusCell(int col, int row)
{
    if (col < 1 || row < 1 || col >= ColCount() || row >= RowCount()) return false;
    if (!SelectCell(col, row)) return false;
    const QRect before = CellRect(FCol, FRow);
    FCol = col;
    FRow = row;
    scrollToCell(col, row);
    const QPoint offset(horizontalScrollBar()->value(), verticalScrollBar()->value());
    viewport()->update(before.translated(-offset));
    viewport()->update(CellRect(col, row).translated(-offset));
    return true;
}

void TSeatGrid::scrollToCell(int col, int row)
{
    const QRect cell = CellRect(col, row);
    QScrollBar* h = horizontalScrollBar();
    QScrollBar* v = verticalScrollBar();
    if (cell.left() < h->value()) h->setValue(cell.left());
    else if (cell.right() >= h->value() + viewport()->width()) h->setValue(cell.right() + 1 - viewport()->width());
    if (cell.top() < v->value()) v->setValue(cell.top());
    else if (cell.bottom() >= v->value() + viewport()->height()) v->setValue(cell.bottom() + 1 - viewport()->height());
}

void TSeatGrid::updateScrollBars()
{
    // Decide from the largest viewport, so a bar that is no longer needed goes away even while
    // the scroll area's own layout has not caught up.
    const QSize most = maximumViewportSize();
    const int barWidth = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    bool needH = ContentWidth() > most.width();
    const bool needV = ContentHeight() > most.height() - (needH ? barWidth : 0);
    needH = ContentWidth() > most.width() - (needV ? barWidth : 0);
    const QSize area(most.width() - (needV ? barWidth : 0), most.height() - (needH ? barWidth : 0));
    horizontalScrollBar()->setRange(0, std::max(0, ContentWidth() - area.width()));
    horizontalScrollBar()->setPageStep(area.width());
    horizontalScrollBar()->setSingleStep(20);
    verticalScrollBar()->setRange(0, std::max(0, ContentHeight() - area.height()));
    verticalScrollBar()->setPageStep(area.height());
    verticalScrollBar()->setSingleStep(20);
}

void TSeatGrid::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
}

void TSeatGrid::scrollContentsBy(int, int)
{
    viewport()->update();
}

void TSeatGrid::PaintCells(QPainter& painter, const QRect& viewportRect)
{
    const int dx = horizontalScrollBar()->value();
    const int dy = verticalScrollBar()->value();
    const QRect area = viewportRect.translated(dx, dy);  // in grid coordinates
    painter.fillRect(viewportRect, palette().color(QPalette::Active, QPalette::Base));
    if (RowCount() == 0 || ColCount() == 0) return;

    painter.save();
    painter.translate(-dx, -dy);
    const int firstCol = std::max(0, IndexAt(FColLefts, area.left()));
    const int firstRow = std::max(0, IndexAt(FRowTops, area.top()));
    const bool focused = hasFocus();
    const QColor line = palette().color(QPalette::Active, QPalette::Mid);
    for (int row = firstRow; row < RowCount() && RowTop(row) <= area.bottom(); ++row) {
        for (int col = firstCol; col < ColCount() && ColLeft(col) <= area.right(); ++col) {
            const QRect cell = CellRect(col, row);
            if (!cell.isEmpty()) {
                painter.save();
                painter.setClipRect(cell);
                DrawCell(painter, col, row, cell, focused && col == FCol && row == FRow);
                painter.restore();
            }
            // The grid lines after the cell.
            painter.fillRect(QRect(cell.right() + 1, cell.top(), GridLineWidth, cell.height() + GridLineWidth), line);
            painter.fillRect(QRect(cell.left(), cell.bottom() + 1, cell.width() + GridLineWidth, GridLineWidth), line);
        }
    }
    if (focused && FCol < ColCount() && FRow < RowCount()) {
        painter.setPen(QPen(palette().color(QPalette::Text), 1, Qt::DotLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(CellRect(FCol, FRow).adjusted(0, 0, -1, -1));
    }
    painter.restore();
}

void TSeatGrid::paintEvent(QPaintEvent* event)
{
    QPainter painter(viewport());
    PaintCells(painter, event->rect());
}

void TSeatGrid::mousePressEvent(QMouseEvent* event)
{
    const QPoint cell = MouseCoord(event->position().toPoint());
    if (cell.x() >= 1 && cell.y() >= 1) FocusCell(cell.x(), cell.y());
    QAbstractScrollArea::mousePressEvent(event);
}

bool TSeatGrid::moveBy(int dcol, int drow)
{
    const int col = std::clamp(FCol + dcol, 1, ColCount() - 1);
    const int row = std::clamp(FRow + drow, 1, RowCount() - 1);
    return (col != FCol || row != FRow) && FocusCell(col, row);
}

void TSeatGrid::keyPressEvent(QKeyEvent* event)
{
    const int visibleRows = std::max(1, viewport()->height() / std::max(1, FRowHeights.back() + GridLineWidth));
    switch (event->key()) {
    case Qt::Key_Left: moveBy(-1, 0); break;
    case Qt::Key_Right: moveBy(1, 0); break;
    case Qt::Key_Up: moveBy(0, -1); break;
    case Qt::Key_Down: moveBy(0, 1); break;
    case Qt::Key_PageUp: moveBy(0, -visibleRows); break;
    case Qt::Key_PageDown: moveBy(0, visibleRows); break;
    case Qt::Key_Home: moveBy(1 - FCol, 0); break;
    case Qt::Key_End: moveBy(ColCount() - 1 - FCol, 0); break;
    default: QAbstractScrollArea::keyPressEvent(event); return;
    }
    event->accept();
}

} // namespace kiosk
