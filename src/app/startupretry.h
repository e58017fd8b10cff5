#pragma once
// TStartupRetry: the start-up of an unattended kiosk. The start-up checks (connection test,
// staff login) run from the event loop; a failure shows the full-screen start-up page with the
// failure's own texts instead of message boxes, is logged, and the checks run again after a
// wait that backs off (App.ini [kiosk] retryseconds, doubling up to retrymaxseconds). When they
// pass, the page goes and `started` runs (it shows the login screen). Nothing ends the program.
#include <QObject>
#include <QTimer>
#include <functional>
#include <string>
#include <vector>

#include "app/startuppage.h"
#include "core/unattended.h"

namespace kiosk {

class TFrmMainNew;
class TPluginMgr;

class TStartupRetry : public QObject {
    Q_OBJECT
public:
    TStartupRetry(TPluginMgr& pluginMgr, TFrmMainNew& mainWindow, const TUnattendedSettings& settings,
                  std::function<void()> started, QObject* parent = nullptr);

    // The first try, from the event loop once it runs.
    void Start();
    TStartupPage& Page() { return page_; }

signals:
    // A try failed; the next one is in `waitSeconds`.
    void Failed(const QString& texts, int waitSeconds);

private:
    void Try();
    bool RunChecks(std::vector<std::string>& texts);
    void ShowPage();

    TPluginMgr& pluginMgr_;
    TFrmMainNew& mainWindow_;
    TRetryBackoff backoff_;
    std::function<void()> started_;
    TStartupPage page_;
    QTimer next_;
};

} // namespace kiosk
