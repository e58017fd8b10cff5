#pragma once
// The reading side of TComm: a QSerialPort living in TComm's thread.
#include <QByteArray>
#include <QObject>
#include <QSerialPort>
#include <QTimer>

namespace kiosk {

class TCommWorker : public QObject {
    Q_OBJECT
public:
    TCommWorker() = default;

public slots:
    // Both run in the worker's thread, called blocking from TComm; an empty answer is success.
    QString Open(const QString& device, int baudRate);
    QString Close();

signals:
    void Chunk(const QByteArray& chunk);
    void Lost(const QString& reason);

private:
    void ReadAvailable();
    void Flush();
    void OnError(QSerialPort::SerialPortError error);
    QString ApplySettings(int baudRate);

    QSerialPort* port_ = nullptr;
    QTimer* quiet_ = nullptr;
    QByteArray gathered_;
};

} // namespace kiosk
