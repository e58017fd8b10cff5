#pragma once
// TFrmDialogs: the kiosk's confirmation box with big touch buttons. Label1 carries the
// question (callers may replace it); 确定 answers Accepted, 取消 Rejected.
#include <QDialog>
#include <QLabel>
#include <QPushButton>

namespace kiosk {

class TFrmDialogs : public QDialog {
    Q_OBJECT
public:
    explicit TFrmDialogs(QWidget* owner);

    QLabel* Label1;
    QPushButton* BitBtn1;
    QPushButton* BitBtn2;
};

} // namespace kiosk
