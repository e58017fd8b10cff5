#pragma once
// TScannerReopen: brings a lost scanner port back. A USB scanner that drops off the bus for a
// moment comes back as the same device node, or under another node with the same name in
// /dev/serial/by-id/; while the port is lost both are looked for every few seconds, and the
// first that opens is the scanner again.
#include <QObject>
#include <QTimer>
#include <string>

namespace kiosk {

class TComm;

// The name in `byIdFolder` whose link leads to the same device as `device`; empty for none.
std::string SerialByIdName(const std::string& device, const std::string& byIdFolder = "/dev/serial/by-id");

class TScannerReopen : public QObject {
    Q_OBJECT
public:
    TScannerReopen(TComm& comm, int intervalSeconds, QObject* parent = nullptr);

    // The folder of the stable names (/dev/serial/by-id; another one in tests).
    void SetByIdFolder(std::string folder) { byIdFolder_ = std::move(folder); }
    // The port opened with the configured name: remembers its device's by-id name.
    void Remember(const std::string& configured);
    // The port is lost (or was absent at show time): look for the device until it opens.
    void Start();
    void Stop();
    bool Watching() const { return timer_.isActive(); }

signals:
    // The port is open again on `device`.
    void Reopened(const QString& device);

private:
    void Try();
    bool TryOpen(const std::string& device);

    TComm& comm_;
    QTimer timer_;
    std::string byIdFolder_ = "/dev/serial/by-id";
    std::string configured_;
    std::string byIdName_;
};

} // namespace kiosk
