#include "seatplan/view/seatplan.h"

#include <QEvent>
#include <QFontInfo>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QToolTip>

#include "platform/textutil.h"
#include "seatplan/seatplanloader.h"
#include "seatplan/view/eventguard_p.h"
#include "seatplan/view/seatpicturecache.h"

namespace kiosk {

namespace {

TCellRect ToCellRect(const QRect& r) { return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()}; }
QRect ToQRect(const TCellRect& r) { return QRect(r.left, r.top, r.Width(), r.Height()); }

// Puts the locate flag back however the locate ends.
class TLocateFlag {
public:
    TLocateFlag(TSeatPlanModel& model, bool trigger) : FModel(model) { FModel.setLocateTriggerSelectEvent(trigger); }
    ~TLocateFlag() { FModel.setLocateTriggerSelectEvent(true); }
    TLocateFlag(const TLocateFlag&) = delete;
    TLocateFlag& operator=(const TLocateFlag&) = delete;

private:
    TSeatPlanModel& FModel;
};

} // namespace

TSeatPlan::TSeatPlan(QWidget* parent) : TSeatPlan(nullptr, parent) {}

TSeatPlan::TSeatPlan(std::unique_ptr<TSeatPlanModel> model, QWidget* parent)
    : TSeatGrid(parent), FPictures(TSeatPictureCache::Instance())
{
    FPictures.EnsureVehiclespaces();
    FModel = model ? std::move(model) : std::make_unique<TSeatPlanModel>(FPictures.keys());
    FModel->setPlanQuery(QueryVehicleseatplandetail);
    FModel->setOnSeatStatesGiven([this] { FPictures.EnsureSeatPictures(); });
    FModel->setOnInvalidate([this] { repaintIfVisible(); });
    applyLayout();
}

TSeatPlan::~TSeatPlan() = default;

void TSeatPlan::applyLayout()
{
    std::vector<int> cols(FModel->ColCount()), rows(FModel->RowCount());
    for (int c = 0; c < FModel->ColCount(); ++c) cols[c] = FModel->ColWidth(c);
    for (int r = 0; r < FModel->RowCount(); ++r) rows[r] = FModel->RowHeight(r);
    setGridSizes(std::move(cols), std::move(rows));
    resize(getActualwidth(), getActualheight());
}

void TSeatPlan::repaintIfVisible()
{
    if (isVisible()) repaintChangedCells();
}

TSeatCellLook* TSeatPlan::drawnLook(int col, int row)
{
    const std::size_t cells = std::size_t(ColCount()) * std::size_t(RowCount());
    if (FDrawnLooks.size() != cells) FDrawnLooks.assign(cells, TSeatCellLook{});
    return &FDrawnLooks[std::size_t(row) * std::size_t(ColCount()) + std::size_t(col)];
}

void TSeatPlan::repaintChangedCells()
{
    if (!isVisible()) return;
    const QPoint offset(horizontalScrollBar()->value(), verticalScrollBar()->value());
    const int scale = qRound(viewport()->devicePixelRatioF() * 100);
    const bool focusedView = hasFocus();
    for (int row = 1; row < RowCount(); ++row) {
        for (int col = 1; col < ColCount(); ++col) {
            const QRect cell = CellRect(col, row);
            if (cell.isEmpty()) continue;
            const TSeatCellLook look = lookOf(col, row, cell.size(), scale, focusedView && col == Col() && row == Row());
            if (!(*drawnLook(col, row) == look)) viewport()->update(cell.translated(-offset));
        }
    }
}

void TSeatPlan::forgetCells()
{
    FCells.Clear();
    FDrawnLooks.clear();
}

void TSeatPlan::setBrandModelid(std::int64_t value)
{
    FModel->setBrandModelid(value);
    applyLayout();
}

void TSeatPlan::setSeatsStatus(TSeatDictPtr value)
{
    FModel->setSeatsStatus(std::move(value));
    applyLayout();
}

void TSeatPlan::setSeatsTickettype(TSeatDictPtr value)
{
    FModel->setSeatsTickettype(std::move(value));
    repaintIfVisible();
}

void TSeatPlan::setShowspacepicture(bool value)
{
    FModel->setShowspacepicture(value);
    repaintIfVisible();
}

void TSeatPlan::setShowspacename(bool value)
{
    FModel->setShowspacename(value);
    repaintIfVisible();
}

void TSeatPlan::setStatusPicturePosition(TStatusPicturePosition value)
{
    FModel->setStatusPicturePosition(value);
    repaintIfVisible();
}

void TSeatPlan::setCellBottomlinenum(int value)
{
    FModel->setCellBottomlinenum(value);
    repaintIfVisible();
}

TSeatPlan* TSeatPlan::setParentControl(QWidget* parent)
{
    const bool hidden = isHidden() && testAttribute(Qt::WA_WState_ExplicitShowHide);
    setParent(parent);
    if (!hidden) show();
    return this;
}

bool TSeatPlan::locateBySeatNo(TSeatNo seatno, bool triggerSelectEvent)
{
    const auto cell = FModel->cellOfSeat(seatno);
    if (!cell) return false;
    TLocateFlag flag(*FModel, triggerSelectEvent);
    return FocusCell(cell->col, cell->row);
}

// ---- hints ----

bool TSeatPlan::SelectCell(int col, int row)
{
    if (FOnSelectRowChangeEvent) FOnSelectRowChangeEvent(col, row);
    showCellHint(col, row);
    return TSeatGrid::SelectCell(col, row);
}

void TSeatPlan::mouseMoveEvent(QMouseEvent* event)
{
    TSeatGrid::mouseMoveEvent(event);
    GuardInput([&] {
        const QPoint cell = MouseCoord(event->position().toPoint());
        showCellHint(cell.x(), cell.y());
    });
}

void TSeatPlan::showCellHint(int col, int row)
{
    const std::string text = FModel->hintOf(row, col);
    if (text != cellhint || col != curhintcol || row != curhintrow) {
        cellhint = text;
        if (FShowHint) {
            QToolTip::hideText();
            if (!text.empty()) {
                const int dx = horizontalScrollBar()->value();
                const int dy = verticalScrollBar()->value();
                const QPoint centre = CellRect(col, row).center() - QPoint(dx, dy);
                QToolTip::showText(viewport()->mapToGlobal(centre), QString::fromStdString(text), viewport(), QRect(), 3000);
            }
        }
    }
    curhintcol = col;
    curhintrow = row;
}

// ---- drawing ----

void TSeatPlan::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange) {
        FFonts.clear();
        FBasePixelSize = 0;
        forgetCells();
    }
    if (event->type() == QEvent::PaletteChange) forgetCells();
    TSeatGrid::changeEvent(event);
}

int TSeatPlan::basePixelSize()
{
    if (FBasePixelSize == 0) FBasePixelSize = QFontInfo(font()).pixelSize();
    return FBasePixelSize;
}

const QFont& TSeatPlan::fontAt(int pixelSize)
{
    auto it = FFonts.find(pixelSize);
    if (it == FFonts.end()) {
        QFont f = font();
        f.setPixelSize(std::max(pixelSize, 1));
        const QFontMetrics fm(f);
        it = FFonts.emplace(pixelSize, std::make_pair(f, TTextMetrics{fm.height(), fm.horizontalAdvance(QStringLiteral("中"))})).first;
    }
    return it->second.first;
}

TTextMetrics TSeatPlan::metricsAt(int pixelSize)
{
    fontAt(pixelSize);
    return FFonts.at(pixelSize).second;
}

TSeatCellLook TSeatPlan::lookOf(int col, int row, const QSize& size, int scale, bool focused)
{
    TSeatCellLook look;
    look.size = size;
    look.scale = scale;
    look.focused = focused;
    if (row == 0 || col == 0) return look;
    if (FModel->showspacepicture())
        if (const QImage* picture = FPictures.Picture(FModel->getSpacePicture(row, col))) look.picture = picture->cacheKey();
    TCellText text = FModel->getCellText(col, row);
    look.text = std::move(text.text);
    look.color = text.color;
    if (const QImage* overlay = FPictures.Overlay(FModel->getStatusPicture(row, col))) look.overlay = overlay->cacheKey();
    look.band = metricsAt(basePixelSize()).height * FModel->textBandLines();
    look.corner = int(FModel->StatusPicturePosition());
    look.grey = greyedCell(col, row);
    return look;
}

void TSeatPlan::DrawCell(QPainter& painter, int col, int row, const QRect& rect, bool focused)
{
    GuardPaint([&] {
        const int scale = qRound(painter.device()->devicePixelRatioF() * 100);
        const TSeatCellLook look = lookOf(col, row, rect.size(), scale, focused);
        const QImage& cell = FCells.Cell(look, [&](QPainter& apart) {
            drawSeatCell(apart, col, row, QRect(QPoint(0, 0), rect.size()), focused);
        });
        painter.drawImage(rect.topLeft(), cell);
        *drawnLook(col, row) = look;
    });
}

void TSeatPlan::drawSeatCell(QPainter& painter, int col, int row, const QRect& rect, bool focused)
{
    // A disabled grid keeps its colours: the check screen shows its seat plan on a disabled panel.
    painter.fillRect(rect, palette().color(QPalette::Active, focused ? QPalette::Highlight : QPalette::Base));
    if (row == 0 || col == 0) return;

    const int band = metricsAt(basePixelSize()).height * FModel->textBandLines();
    const TCellRect cell = ToCellRect(rect);
    if (FModel->showspacepicture()) {
        if (const QImage* picture = FPictures.Picture(FModel->getSpacePicture(row, col))) {
            const TCellRect at = FitPicture(cell, band, picture->width(), picture->height());
            if (!at.IsEmpty()) {
                painter.setRenderHint(QPainter::SmoothPixmapTransform, at.Width() != picture->width());
                painter.drawImage(ToQRect(at), *picture);
            }
        }
    }
    const TCellText text = FModel->getCellText(col, row);
    if (!Trim(text.text).empty()) drawFittedText(painter, text, QRect(rect.left(), rect.bottom() + 1 - band, rect.width(), band));
    if (const QImage* overlay = FPictures.Overlay(FModel->getStatusPicture(row, col))) {
        const TCellRect at = StatusPictureRect(cell, overlay->width(), overlay->height(), FModel->StatusPicturePosition());
        if (!at.IsEmpty()) {
            painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
            painter.drawImage(ToQRect(at), *overlay);
        }
    }
}

void TSeatPlan::drawFittedText(QPainter& painter, const TCellText& text, const QRect& band)
{
    const TFittedText fit =
        FitCellText(text.text, band.width(), band.height(), basePixelSize(), [this](int size) { return metricsAt(size); });
    painter.setFont(fontAt(fit.fontSize));
    painter.setPen(QColor(text.color.r, text.color.g, text.color.b));
    const int lines = int(fit.lines.size());
    const int top = band.top() + (band.height() - lines * fit.lineHeight) / 2;
    for (int i = 0; i < lines; ++i) {
        const QRect line(band.left(), top + i * fit.lineHeight, band.width(), fit.lineHeight);
        painter.drawText(line, Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine, QString::fromStdString(fit.lines[i]));
    }
}

} // namespace kiosk
