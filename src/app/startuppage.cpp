#include "app/startuppage.h"

#include <QVBoxLayout>

#include "platform/datetime.h"
#include "widgets/kioskstyle.h"

namespace kiosk {

TStartupPage::TStartupPage(QWidget* parent) : QWidget(parent)
{
    setObjectName("StartupPage");
    setWindowTitle("自助检票打单系统");
    setAutoFillBackground(true);
    setStyleSheet("#StartupPage { background: #0a3e80; } QLabel { color: white; }");

    LabTitle = new QLabel("自助检票打单系统", this);
    LabTitle->setObjectName("LabTitle");
    LabTitle->setFont(KioskFont(56, true));
    LabFailure = new QLabel(this);
    LabFailure->setObjectName("LabFailure");
    LabFailure->setFont(KioskFont(40, true));
    LabFailure->setWordWrap(true);
    LabFailure->setStyleSheet("color: #ffd24a;");
    LabNextTry = new QLabel(this);
    LabNextTry->setObjectName("LabNextTry");
    LabNextTry->setFont(KioskFont(32));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(80, 80, 80, 80);
    layout->setSpacing(48);
    layout->addStretch(1);
    for (QLabel* label : {LabTitle, LabFailure, LabNextTry}) {
        label->setAlignment(Qt::AlignCenter);
        layout->addWidget(label);
    }
    layout->addStretch(2);
}

void TStartupPage::ShowTrying()
{
    LabFailure->setText("正在连接应用服务器……");
    LabNextTry->clear();
}

void TStartupPage::ShowFailure(const std::vector<std::string>& texts, const DateTime& nextTry)
{
    QStringList lines;
    for (const std::string& text : texts) lines << QString::fromStdString(text);
    LabFailure->setText(lines.join('\n'));
    LabNextTry->setText(QString::fromStdString("下次重试时间：" + nextTry.Format("hh:nn:ss")));
}

} // namespace kiosk
