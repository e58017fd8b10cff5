#include "check/scannerreopen.h"

#include <algorithm>
#include <filesystem>

#include "check/tcomm.h"

namespace kiosk {

namespace fs = std::filesystem;

std::string SerialByIdName(const std::string& device, const std::string& byIdFolder)
{
    std::error_code ec;
    const fs::path target = fs::canonical(device, ec);
    if (ec) return {};
    for (const auto& entry : fs::directory_iterator(byIdFolder, ec)) {
        std::error_code each;
        if (fs::canonical(entry.path(), each) == target && !each) return entry.path().filename().string();
    }
    return {};
}

TScannerReopen::TScannerReopen(TComm& comm, int intervalSeconds, QObject* parent) : QObject(parent), comm_(comm)
{
    timer_.setInterval(std::max(1, intervalSeconds) * 1000);
    connect(&timer_, &QTimer::timeout, this, &TScannerReopen::Try);
}

void TScannerReopen::Remember(const std::string& configured)
{
    configured_ = configured;
    byIdName_ = SerialByIdName(SerialDeviceName(configured), byIdFolder_);
}

void TScannerReopen::Start()
{
    if (configured_.empty()) configured_ = comm_.CommName();
    if (!timer_.isActive()) timer_.start();
}

void TScannerReopen::Stop() { timer_.stop(); }

void TScannerReopen::Try()
{
    if (comm_.Opened()) {
        timer_.stop();
        return;
    }
    if (TryOpen(configured_)) return;
    if (!byIdName_.empty()) TryOpen(byIdFolder_ + "/" + byIdName_);
}

bool TScannerReopen::TryOpen(const std::string& name)
{
    std::error_code ec;
    if (name.empty() || !fs::exists(SerialDeviceName(name), ec)) return false;
    try {
        comm_.SetCommName(name);
        comm_.StartComm();
    } catch (const std::exception&) {
        return false;  // the node is back but not ready yet: the next round tries again
    }
    timer_.stop();
    emit Reopened(QString::fromStdString(SerialDeviceName(name)));
    return true;
}

} // namespace kiosk
