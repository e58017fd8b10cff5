#include "check/frmcheck.h"

#include <QVBoxLayout>

namespace kiosk {

TFrmCheck* FrmCheck = nullptr;

TFrmCheck::TFrmCheck(QWidget* owner) : QDialog(owner)
{
    setObjectName("FrmCheck");
    setWindowTitle("自助检票打单系统");
    KestEdtVehicleNo = new TKestEdit(this);
    KestEdtVehicleNo->setObjectName("KestEdtVehicleNo");
    KestEdtVehicleNo->setReadOnly(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(KestEdtVehicleNo);
}

} // namespace kiosk
