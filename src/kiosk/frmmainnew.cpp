#include "kiosk/frmmainnew.h"

#include <QApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QVBoxLayout>
#include <algorithm>

#include "core/sharedops.h"
#include "platform/datetime.h"
#include "widgets/screentext.h"

namespace kiosk {

namespace {

constexpr int kPanelWidths[TFrmMainNew::kPanelCount] = {100, 150, 150, 500, 140, 120, 50};
constexpr int kClockPanel = 3;

// The login tab's background when no picture is configured: the station's blue, lighter
// towards the bottom.
QPixmap DrawnBackground()
{
    QImage image(1920, 1080, QImage::Format_RGB32);
    QPainter p(&image);
    QLinearGradient g(0, 0, 0, image.height());
    g.setColorAt(0, QColor(10, 62, 128));
    g.setColorAt(0.55, QColor(32, 118, 196));
    g.setColorAt(1, QColor(196, 226, 246));
    p.fillRect(image.rect(), g);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 28));
    p.drawEllipse(QPoint(1500, 1200), 900, 500);
    p.end();
    return QPixmap::fromImage(image);
}

} // namespace

TFrmMainNew::TFrmMainNew(MainWindowOptions options, QWidget* parent) : QWidget(parent)
{
    setObjectName("FrmMainNew");
    setProperty("kioskMainForm", true);  // the application's main form, for the card reader
    setWindowTitle("自助检票打单系统");
    setFont(KioskFont(35));

    pagecontrl = new QTabWidget(this);
    pagecontrl->setObjectName("pagecontrl");
    TabSheet1 = AddTabPage(*pagecontrl, "TabSheet1", "登录系统");
    TabSheet2 = AddTabPage(*pagecontrl, "TabSheet2", "异常班次");
    TabSheet3 = AddTabPage(*pagecontrl, "TabSheet3", "加班班次");

    if (!options.backgroundFile.isEmpty()) background_.load(options.backgroundFile);
    if (background_.isNull()) background_ = DrawnBackground();
    Image1 = new QLabel(TabSheet1);
    Image1->setObjectName("Image1");
    Image1->setProperty("tag", 99);
    Image1->setScaledContents(true);
    Image1->setPixmap(background_);

    Label4 = new QLabel("岚途客运自助结算查询系统", TabSheet1);
    Label4->setObjectName("Label4");
    Label4->setFont(KioskFont(56, true));
    Label4->setStyleSheet("color: white; background: transparent;");
    Label4->setAlignment(Qt::AlignCenter);
    TabSheet1->installEventFilter(this);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(pagecontrl);
    CreateStatusBar(options.showStatusBar);
    layout->addWidget(StatusBar);

    tmrTime = new QTimer(this);
    tmrTime->setObjectName("tmrTime");
    tmrTime->setInterval(1000);
    connect(tmrTime, &QTimer::timeout, this, &TFrmMainNew::tmrTimeTimer);

    unattended_ = options.unattended;
    tmrReader = new QTimer(this);
    tmrReader->setObjectName("tmrReader");
    tmrReader->setInterval(std::max(1, options.readerRetrySeconds) * 1000);
    connect(tmrReader, &QTimer::timeout, this, &TFrmMainNew::RegisterWithCardReader);

    CreateLoginTab();
    CreateScheduleTabs();
}

void TFrmMainNew::CreateStatusBar(bool visible)
{
    StatusBar = new QStatusBar(this);
    StatusBar->setObjectName("StatusBar");
    StatusBar->setSizeGripEnabled(false);
    StatusBar->setFont(KioskFont(16));
    for (int i = 0; i < kPanelCount; ++i) {
        panels_[static_cast<std::size_t>(i)] = new QLabel(StatusBar);
        panels_[static_cast<std::size_t>(i)]->setFixedWidth(kPanelWidths[i]);
        StatusBar->addWidget(panels_[static_cast<std::size_t>(i)]);
    }
    // The clock panel is drawn in blue, 20 point, bold.
    QFont clock = KioskFont(16);
    clock.setPointSize(20);
    clock.setBold(true);
    panels_[kClockPanel]->setFont(clock);
    panels_[kClockPanel]->setStyleSheet("color: blue; padding-left: 1px; padding-top: 1px;");
    StatusBar->setVisible(visible);
}

void TFrmMainNew::LayOutLoginTab()
{
    Image1->setGeometry(TabSheet1->rect());
    if (!pnlLogin) return;  // not made yet
    const int titleTop = TabSheet1->height() / 12;
    Label4->setGeometry(0, titleTop, TabSheet1->width(), 90);
    // The login panel under the title, centred; on a small window it takes what is left.
    const int top = titleTop + 90 + TabSheet1->height() / 30;
    const int width = std::min(1500, TabSheet1->width() - 40);
    const int height = std::min(760, TabSheet1->height() - top - 20);
    pnlLogin->setGeometry((TabSheet1->width() - width) / 2, top, width, std::max(height, 0));
}

void TFrmMainNew::ShowStatus(int PnlIndex, const std::string& Msg)
{
    if (PnlIndex < 0 || PnlIndex >= kPanelCount - 1) return;
    panels_[static_cast<std::size_t>(PnlIndex)]->setText(ScreenText(Msg));
}

QString TFrmMainNew::PanelText(int index) const
{
    return (index >= 0 && index < kPanelCount) ? panels_[static_cast<std::size_t>(index)]->text() : QString();
}

void TFrmMainNew::ExitApplication()
{
    // A queued quit is delivered once the loop runs, so a call made during start-up lets the
    // start-up checks finish first.
    exitRequested_ = true;
    if (holdExit_) return;
    QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
}

bool TFrmMainNew::TakeExitRequest()
{
    const bool requested = exitRequested_;
    exitRequested_ = false;
    return requested;
}

void TFrmMainNew::FormShow()
{
    tmrTime->start();
    tmrTimeTimer();
    pagecontrl->setCurrentIndex(0);
    setWindowState(windowState() | Qt::WindowMaximized);
    QApplication::processEvents();
    edtUserpwd->setFocus(Qt::OtherFocusReason);
    RegisterWithCardReader();
}

void TFrmMainNew::tmrTimeTimer() { panels_[kClockPanel]->setText(QString::fromStdString(ClockText(DateTime::Now()))); }

void TFrmMainNew::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    FormShow();
}

bool TFrmMainNew::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == TabSheet1 && event->type() == QEvent::Resize) LayOutLoginTab();
    // A tab's page is shown when the tab is chosen (and with the window, when it is current).
    if (watched == TabSheet2 && event->type() == QEvent::Show) TabSheet2Show();
    if (watched == TabSheet3 && event->type() == QEvent::Show) TabSheet3Show();
    return QWidget::eventFilter(watched, event);
}

} // namespace kiosk
