#pragma once
// TSeatPlan: the seat plan grid. Draws the seats of a bus, either the floor plan of a vehicle
// brand model or a plain block of numbered seats: each cell shows a picture, a status overlay in
// one corner and its text at the bottom. The seat states, ticket types and hints come in as
// shared dictionaries keyed by seat number; the pictures come from the process-wide caches.
#include <functional>
#include <map>
#include <memory>
#include <QFont>

#include "seatplan/seatgeometry.h"
#include "seatplan/seatplanmodel.h"
#include "seatplan/view/seatcellcache.h"
#include "seatplan/view/seatgrid.h"

namespace kiosk {

class TSeatPictureCache;

class TSeatPlan : public TSeatGrid {
    Q_OBJECT
public:
    // Loads the list of vehicle spaces the first time a seat plan is created in the process.
    explicit TSeatPlan(QWidget* parent = nullptr);
    ~TSeatPlan() override;

    // 0 = the seat-number layout; another id loads that brand model's plan.
    void setBrandModelid(std::int64_t value);
    std::int64_t getBrandModelid() const { return FModel->getBrandModelid(); }
    // By reference; a non-empty dictionary loads the picture caches not loaded yet and lays the
    // grid out by seat count.
    void setSeatsStatus(TSeatDictPtr value);
    const TSeatDictPtr& getSeatsStatus() const { return FModel->getSeatsStatus(); }
    void setSeatsTickettype(TSeatDictPtr value);
    const TSeatDictPtr& getSeatsTickettype() const { return FModel->getSeatsTickettype(); }
    const TSeatDictPtr& seatshint() { return FModel->seatshint(); }
    void setSeatshint(TSeatDictPtr value) { FModel->setSeatshint(std::move(value)); }
    bool showspacepicture() const { return FModel->showspacepicture(); }
    void setShowspacepicture(bool value);
    bool showspacename() const { return FModel->showspacename(); }
    void setShowspacename(bool value);
    int getActualwidth() const { return FModel->getActualwidth(); }
    int getActualheight() const { return FModel->getActualheight(); }
    int defaultcellwidth() const { return FModel->defaultcellwidth(); }
    void setDefaultcellwidth(int value) { FModel->setDefaultcellwidth(value); }
    int defaultcellheight() const { return FModel->defaultcellheight(); }
    void setDefaultcellheight(int value) { FModel->setDefaultcellheight(value); }
    int defaultcolcount() const { return FModel->defaultcolcount(); }
    void setDefaultcolcount(int value) { FModel->setDefaultcolcount(value); }
    TStatusPicturePosition StatusPicturePosition() const { return FModel->StatusPicturePosition(); }
    void setStatusPicturePosition(TStatusPicturePosition value);
    int CellBottomlinenum() const { return FModel->CellBottomlinenum(); }
    void setCellBottomlinenum(int value);
    // Balloon hints of the seats (tool tips); on by default.
    bool ShowHint() const { return FShowHint; }
    void setShowHint(bool value) { FShowHint = value; }

    TSeatNo getSeatNo(int row, int col) const { return FModel->getSeatNo(row, col); }
    std::string getSeatNoStr(TSeatNo seatno) const { return FModel->getSeatNoStr(seatno); }
    std::string getSeatNoStr(int row, int col) const { return FModel->getSeatNoStr(row, col); }
    TSeatNo getFocusCellSeatNo() const { return FModel->getSeatNo(Row(), Col()); }
    const TVehicleseatplandetail* getVehicleseatplandetail(int row, int col) const
    {
        return FModel->getVehicleseatplandetail(row, col);
    }
    // Moves the focus to a seat's cell; the grid's answer for selecting it, false when the seat
    // is not on the plan. `triggerSelectEvent` false keeps touch events quiet meanwhile.
    bool locateBySeatNo(TSeatNo seatno, bool triggerSelectEvent);
    // Sets the parent control and answers the grid itself.
    TSeatPlan* setParentControl(QWidget* parent);

    TSeatPlanModel& model() { return *FModel; }
    const TSeatPlanModel& model() const { return *FModel; }

    // Repaints the cells whose look changed since they were last drawn (after the shared
    // dictionaries were refilled, for example), and only those.
    void repaintChangedCells();

protected:
    TSeatPlan(std::unique_ptr<TSeatPlanModel> model, QWidget* parent);

    // Copies the cell's look from the cell cache, drawing it there first when it is new.
    void DrawCell(QPainter& painter, int col, int row, const QRect& rect, bool focused) override;
    // The drawing of a cell: background, picture, text, overlay.
    void drawSeatCell(QPainter& painter, int col, int row, const QRect& rect, bool focused);
    // Whether a cell is drawn grey; none is here.
    virtual bool greyedCell(int, int) { return false; }
    bool SelectCell(int col, int row) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;
    // Takes the model's rows and columns and resizes the control to the size they need.
    void applyLayout();
    // Repaints what changed when the control is visible.
    void repaintIfVisible();

    // Raised on every cell selection when assigned; no public property sets it.
    std::function<void(int acol, int arow)> FOnSelectRowChangeEvent;

private:
    TSeatCellLook lookOf(int col, int row, const QSize& size, int scale, bool focused);
    TSeatCellLook* drawnLook(int col, int row);
    void forgetCells();
    void showCellHint(int col, int row);
    TTextMetrics metricsAt(int pixelSize);
    const QFont& fontAt(int pixelSize);
    int basePixelSize();
    void drawFittedText(QPainter& painter, const TCellText& text, const QRect& band);

    std::unique_ptr<TSeatPlanModel> FModel;
    TSeatPictureCache& FPictures;
    bool FShowHint = true;
    std::string cellhint;
    int curhintcol = -1;
    int curhintrow = -1;
    int FBasePixelSize = 0;
    std::map<int, std::pair<QFont, TTextMetrics>> FFonts;
    TSeatCellCache FCells;
    std::vector<TSeatCellLook> FDrawnLooks;  // per cell (row * ColCount() + col), as last drawn
};

} // namespace kiosk
