#pragma once
// TComm: the barcode scanner's serial link. The port is read on a thread of its own; bytes are
// gathered until 100 ms pass without one (or 1,024 have come), and each gathered chunk reaches
// the user-interface thread as one ReceiveData signal, queued, so a scan that arrives while a
// check blocks the screen waits its turn instead of merging with the next one.
//
// Settings are those the scanners of the station are set up with: 8 data bits, no parity,
// 1 stop bit, XON/XOFF flow control (17/19), DTR and RTS on.
#include <QByteArray>
#include <QObject>
#include <QThread>
#include <string>

namespace kiosk {

class TCommWorker;

// The device of a configured port name: "comN" (any letter case) is the N-th serial port of
// the machine (/dev/ttyS<N-1> on Linux, the name itself on Windows); other names are devices
// already ("/dev/ttyUSB0", "/dev/serial/by-id/...").
std::string SerialDeviceName(const std::string& configured);

class TComm : public QObject {
    Q_OBJECT
public:
    static constexpr int kChunkLimit = 1024;
    static constexpr int kReadIntervalMs = 100;

    explicit TComm(QObject* parent = nullptr);
    ~TComm() override;

    const std::string& CommName() const { return commName_; }
    void SetCommName(std::string value) { commName_ = std::move(value); }
    int BaudRate() const { return baudRate_; }
    void SetBaudRate(int value) { baudRate_ = value; }

    // Opens the port; raises an Exception with the platform's reason when it cannot.
    void StartComm();
    // Closes the port (nothing when it is not open); raises when closing fails.
    void StopComm();
    bool Opened() const { return opened_; }

signals:
    // One gathered chunk of at most kChunkLimit bytes.
    void ReceiveData(const QByteArray& chunk);
    // The open port failed (unplugged, I/O error); it is closed and reports nothing more.
    void PortLost(const QString& reason);

private:
    void OnLost(const QString& reason);

    std::string commName_;
    int baudRate_ = 9600;
    bool opened_ = false;
    QThread thread_;
    TCommWorker* worker_ = nullptr;  // lives in thread_, deleted when it finishes
};

} // namespace kiosk
