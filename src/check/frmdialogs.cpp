#include "check/frmdialogs.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace kiosk {

TFrmDialogs::TFrmDialogs(QWidget* owner) : QDialog(owner, Qt::Tool | Qt::WindowTitleHint)
{
    setObjectName("FrmDialogs");
    setWindowTitle("提示信息");
    QFont font("微软雅黑");
    font.setPixelSize(35);
    setFont(font);
    resize(497, 245);

    Label1 = new QLabel("确认进行发班打印操作？", this);
    Label1->setObjectName("Label1");
    Label1->setAlignment(Qt::AlignCenter);
    Label1->setWordWrap(true);
    BitBtn1 = new QPushButton("确定", this);
    BitBtn1->setObjectName("BitBtn1");
    BitBtn2 = new QPushButton("取消", this);
    BitBtn2->setObjectName("BitBtn2");
    for (QPushButton* button : {BitBtn1, BitBtn2}) button->setMinimumSize(160, 70);
    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(BitBtn1);
    buttons->addWidget(BitBtn2);
    buttons->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1, 1);
    layout->addLayout(buttons);
}

} // namespace kiosk
