#pragma once
// TFrmCheck: the ticket check screen a driver works in after logging in. The login screen
// creates one per login, sets the vehicle's plate (KestEdtVehicleNo) and id (vehicleid) and
// shows it maximised and modal.
#include <QDialog>
#include <cstdint>

#include "data/controls/tkestedit.h"

namespace kiosk {

class TFrmCheck : public QDialog {
    Q_OBJECT
public:
    explicit TFrmCheck(QWidget* owner);

    TKestEdit* KestEdtVehicleNo;
    std::int64_t vehicleid = 0;
};

// The check window of the newest login; nullptr before the first.
extern TFrmCheck* FrmCheck;

} // namespace kiosk
