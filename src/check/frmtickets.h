#pragma once
// TFrmTickets: the tickets of one settlement slip, opened from the check screen's slip list
// ("明细"). The caller sets the slip's number, departure day, report and schedule plan before
// showing it; the list is asked for when the window is shown.
#include <QDialog>
#include <QPushButton>
#include <QWidget>
#include <cstdint>
#include <string>

#include "data/tjsonclientdataset.h"
#include "grid/tktdbgrideh.h"

namespace kiosk {

class TFrmTickets : public QDialog {
    Q_OBJECT
public:
    explicit TFrmTickets(QWidget* owner);

    QWidget* Panel1;
    QPushButton* BtnClose;
    TKtDbgridEh* KtDbgridEh4;
    TjsonClientDataSet jscdqryTicketsellsByVehicle{"jscdqryTicketsellsByVehicle"};

    // Set by the caller before the form is shown.
    std::string departinvoicesno;
    std::string departdate;   // "yyyy-mm-dd"
    std::int64_t reportid = 0;
    std::int64_t scheduleplanid = 0;

    void FormShow();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void QueryTickets();

    bool formShown_ = false;
};

} // namespace kiosk
