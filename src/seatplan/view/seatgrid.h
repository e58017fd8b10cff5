#pragma once
// TSeatGrid: the drawn grid the seat views stand on. Rows and columns of their own sizes, one
// fixed row and one fixed column (the seat views make them zero-sized), a current cell moved by
// mouse and keys, a grid line of one pixel after every row and column, and scrolling when the
// grid is larger than the control. What a cell shows is up to DrawCell.
#include <QAbstractScrollArea>
#include <vector>

namespace kiosk {

class TSeatGrid : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit TSeatGrid(QWidget* parent = nullptr);

    static constexpr int GridLineWidth = 1;

    int RowCount() const { return int(FRowHeights.size()); }
    int ColCount() const { return int(FColWidths.size()); }
    // Replaces every column width and row height (at least one of each, the fixed ones first).
    void setGridSizes(std::vector<int> colWidths, std::vector<int> rowHeights);
    int Col() const { return FCol; }
    int Row() const { return FRow; }
    // Makes a cell current when SelectCell agrees, scrolling it into view; the answer of
    // SelectCell, false for a fixed cell or one off the grid.
    bool FocusCell(int col, int row);
    // The cell under a point of the viewport, (-1, -1) for none.
    QPoint MouseCoord(const QPoint& viewportPos) const;
    // A cell's rectangle in grid coordinates (before scrolling).
    QRect CellRect(int col, int row) const;
    // Draws the visible part of the grid with `painter` set up on the viewport's coordinates.
    void PaintCells(QPainter& painter, const QRect& viewportRect);

protected:
    virtual void DrawCell(QPainter& painter, int col, int row, const QRect& rect, bool focused) = 0;
    // Whether a cell may become current.
    virtual bool SelectCell(int col, int row);

    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    int ColLeft(int col) const;
    int RowTop(int row) const;
    int ContentWidth() const;
    int ContentHeight() const;
    void updateScrollBars();
    void scrollToCell(int col, int row);
    bool moveBy(int dcol, int drow);

    std::vector<int> FColWidths{0};
    std::vector<int> FRowHeights{0};
    std::vector<int> FColLefts{0};
    std::vector<int> FRowTops{0};
    int FCol = 1;
    int FRow = 1;
};

} // namespace kiosk
