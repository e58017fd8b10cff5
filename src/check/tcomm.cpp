#include "check/tcomm.h"

#include <cctype>

#include "check/tcomm_p.h"
#include "platform/exception.h"

namespace kiosk {

std::string SerialDeviceName(const std::string& configured)
{
#ifdef _WIN32
    return configured;
#else
    const bool comPrefix = configured.size() > 3 && std::tolower(static_cast<unsigned char>(configured[0])) == 'c' &&
                           std::tolower(static_cast<unsigned char>(configured[1])) == 'o' &&
                           std::tolower(static_cast<unsigned char>(configured[2])) == 'm';
    if (!comPrefix) return configured;
    int number = 0;
    for (std::size_t i = 3; i < configured.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(configured[i])) || number > 255) return configured;
        number = number * 10 + (configured[i] - '0');
    }
    return number >= 1 ? "/dev/ttyS" + std::to_string(number - 1) : configured;
#endif
}

// ---------------------------------------------------------------- worker

QString TCommWorker::Open(const QString& device, int baudRate)
{
    port_ = new QSerialPort(this);
    port_->setPortName(device);
    if (!port_->open(QIODevice::ReadWrite)) {
        const QString reason = port_->errorString();
        delete port_;
        port_ = nullptr;
        return reason.isEmpty() ? QStringLiteral("cannot open ") + device : reason;
    }
    if (const QString failed = ApplySettings(baudRate); !failed.isEmpty()) {
        port_->close();
        delete port_;
        port_ = nullptr;
        return failed;
    }
    quiet_ = new QTimer(this);
    quiet_->setSingleShot(true);
    quiet_->setInterval(TComm::kReadIntervalMs);
    connect(quiet_, &QTimer::timeout, this, &TCommWorker::Flush);
    connect(port_, &QSerialPort::readyRead, this, &TCommWorker::ReadAvailable);
    connect(port_, &QSerialPort::errorOccurred, this, &TCommWorker::OnError);
    return {};
}

QString TCommWorker::ApplySettings(int baudRate)
{
    const bool applied = port_->setBaudRate(baudRate) && port_->setDataBits(QSerialPort::Data8) &&
                         port_->setParity(QSerialPort::NoParity) && port_->setStopBits(QSerialPort::OneStop) &&
                         port_->setFlowControl(QSerialPort::SoftwareControl);
    if (!applied) return port_->errorString();
    // Adapters without modem lines (and pseudo-terminals) refuse DTR and RTS; the scanner's
    // data flows without them.
    port_->setDataTerminalReady(true);
    port_->setRequestToSend(true);
    port_->clearError();
    return {};
}

QString TCommWorker::Close()
{
    if (!port_) return {};
    Flush();
    quiet_->stop();
    port_->disconnect(this);
    port_->close();
    const QString reason = port_->error() == QSerialPort::NoError ? QString() : port_->errorString();
    delete port_;
    port_ = nullptr;
    return reason;
}

void TCommWorker::ReadAvailable()
{
    gathered_ += port_->readAll();
    while (gathered_.size() >= TComm::kChunkLimit) {
        emit Chunk(gathered_.left(TComm::kChunkLimit));
        gathered_.remove(0, TComm::kChunkLimit);
    }
    if (!gathered_.isEmpty()) quiet_->start();
}

void TCommWorker::Flush()
{
    if (gathered_.isEmpty()) return;
    emit Chunk(gathered_);
    gathered_.clear();
}

void TCommWorker::OnError(QSerialPort::SerialPortError error)
{
    // Only a failing device ends the link; a refused setting or a read time-out does not.
    if (error != QSerialPort::ResourceError && error != QSerialPort::ReadError && error != QSerialPort::PermissionError)
        return;
    const QString reason = port_->errorString();
    Flush();
    quiet_->stop();
    port_->disconnect(this);
    port_->close();
    port_->deleteLater();
    port_ = nullptr;
    emit Lost(reason);
}

// ---------------------------------------------------------------- TComm

TComm::TComm(QObject* parent) : QObject(parent)
{
    thread_.setObjectName("TComm");
    worker_ = new TCommWorker;
    worker_->moveToThread(&thread_);
    connect(&thread_, &QThread::finished, worker_, &QObject::deleteLater);
    connect(worker_, &TCommWorker::Chunk, this, &TComm::ReceiveData, Qt::QueuedConnection);
    connect(worker_, &TCommWorker::Lost, this, &TComm::OnLost, Qt::QueuedConnection);
    thread_.start();
}

TComm::~TComm()
{
    if (opened_) {
        QString ignored;
        QMetaObject::invokeMethod(worker_, &TCommWorker::Close, Qt::BlockingQueuedConnection, &ignored);
    }
    thread_.quit();
    thread_.wait();
}

void TComm::StartComm()
{
    if (opened_) return;
    const QString device = QString::fromStdString(SerialDeviceName(commName_));
    QString failed;
    const int baud = baudRate_;
    QMetaObject::invokeMethod(
        worker_, [this, device, baud] { return worker_->Open(device, baud); }, Qt::BlockingQueuedConnection, &failed);
    if (!failed.isEmpty()) throw Exception(failed.toStdString());
    opened_ = true;
}

void TComm::StopComm()
{
    if (!opened_) return;
    opened_ = false;
    QString failed;
    QMetaObject::invokeMethod(worker_, &TCommWorker::Close, Qt::BlockingQueuedConnection, &failed);
    if (!failed.isEmpty()) throw Exception(failed.toStdString());
}

void TComm::OnLost(const QString& reason)
{
    if (!opened_) return;
    opened_ = false;
    emit PortLost(reason);
}

} // namespace kiosk
