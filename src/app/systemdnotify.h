#pragma once
// TSystemdNotify: what the kiosk tells systemd (a Type=notify unit with WatchdogSec=). READY=1
// once the login screen shows; WATCHDOG=1 at half the watchdog interval from a timer of the
// user-interface thread's event loop, so a thread held up by a call that never returns stops
// the pings and systemd restarts the kiosk. Without NOTIFY_SOCKET it does nothing at all.
#include <QObject>
#include <QTimer>
#include <string>

namespace kiosk {

class TSystemdNotify : public QObject {
    Q_OBJECT
public:
    explicit TSystemdNotify(QObject* parent = nullptr);

    // Starts the pings when systemd asked for a watchdog (WATCHDOG_USEC for this process).
    void StartWatchdog();
    // READY=1, once per run.
    void Ready();
    // STATUS=<text>, shown by systemctl status.
    void Status(const std::string& text);
    bool WatchdogRunning() const { return ping_.isActive(); }

private:
    void Ping();

    bool enabled_ = false;
    bool ready_ = false;
    QTimer ping_;
};

} // namespace kiosk
