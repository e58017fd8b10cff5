#include "app/startupretry.h"

#include <QGuiApplication>
#include <QScreen>

#include "core/pluginmgr.h"
#include "core/sysservice.h"
#include "kiosk/frmmainnew.h"
#include "platform/datetime.h"
#include "widgets/dialogs.h"

namespace kiosk {

namespace {

std::string Joined(const std::vector<std::string>& texts)
{
    std::string out;
    for (const std::string& text : texts) out += (out.empty() ? "" : "；") + text;
    return out;
}

} // namespace

TStartupRetry::TStartupRetry(TPluginMgr& pluginMgr, TFrmMainNew& mainWindow, const TUnattendedSettings& settings,
                             std::function<void()> started, QObject* parent)
    : QObject(parent),
      pluginMgr_(pluginMgr),
      mainWindow_(mainWindow),
      backoff_(settings.retrySeconds, settings.retryMaxSeconds),
      started_(std::move(started))
{
    next_.setSingleShot(true);
    connect(&next_, &QTimer::timeout, this, &TStartupRetry::Try);
}

void TStartupRetry::Start() { next_.start(0); }

void TStartupRetry::Try()
{
    if (page_.isVisible()) {
        page_.ShowTrying();
        page_.repaint();  // the try blocks the thread; the page says so first
    }
    std::vector<std::string> texts;
    if (RunChecks(texts)) {
        page_.hide();
        TryWriteLog("应用服务器已连接，启动完成");
        started_();
        return;
    }
    if (texts.empty()) texts.push_back("无法连接应用服务器");
    const int wait = backoff_.Next();
    const DateTime nextTry = DateTime::Now().AddSeconds(wait);
    TryWriteLog("启动失败：" + Joined(texts) + "，" + nextTry.Format("hh:nn:ss") + "重试");
    page_.ShowFailure(texts, nextTry);
    ShowPage();
    emit Failed(QString::fromStdString(Joined(texts)), wait);
    next_.start(wait * 1000);
}

// The checks as the attended start-up runs them, with every box caught for the page and the
// request to end the program only noted.
bool TStartupRetry::RunChecks(std::vector<std::string>& texts)
{
    const ScopedDialogCapture capture([&texts](const std::string& text) {
        if (!text.empty()) texts.push_back(text);
    });
    mainWindow_.HoldExit(true);
    bool passed = false;
    try {
        passed = pluginMgr_.StartupChecks(true);
    } catch (const std::exception& e) {
        texts.push_back(e.what());
    }
    mainWindow_.HoldExit(false);
    const bool exitAsked = mainWindow_.TakeExitRequest();
    return passed && !exitAsked;
}

void TStartupRetry::ShowPage()
{
    if (page_.isVisible()) return;
    if (const QScreen* screen = QGuiApplication::primaryScreen()) page_.setGeometry(screen->availableGeometry());
    page_.showFullScreen();
}

} // namespace kiosk
