#include "core/unattended.h"

#include <algorithm>

#include "platform/inifile.h"

namespace kiosk {

namespace {

TUnattendedSettings& Current()
{
    static TUnattendedSettings settings;
    return settings;
}

int PositiveSeconds(const TIniFile& ini, const char* key, int def)
{
    const long long value = ini.ReadInteger("kiosk", key, def);
    return value > 0 && value <= 24 * 3600 ? static_cast<int>(value) : def;
}

} // namespace

TUnattendedSettings ReadUnattendedSettings(const TIniFile& appIni, bool forced)
{
    TUnattendedSettings s;
    s.unattended = forced || appIni.ReadBool("kiosk", "unattended", false);
    s.retrySeconds = PositiveSeconds(appIni, "retryseconds", s.retrySeconds);
    s.retryMaxSeconds = std::max(s.retrySeconds, PositiveSeconds(appIni, "retrymaxseconds", s.retryMaxSeconds));
    s.readerRetrySeconds = PositiveSeconds(appIni, "readerretryseconds", s.readerRetrySeconds);
    s.scannerRetrySeconds = PositiveSeconds(appIni, "scannerretryseconds", s.scannerRetrySeconds);
    return s;
}

const TUnattendedSettings& UnattendedSettings() { return Current(); }

void SetUnattendedSettings(const TUnattendedSettings& settings) { Current() = settings; }

TRetryBackoff::TRetryBackoff(int firstSeconds, int maxSeconds)
    : next_(std::max(1, firstSeconds)), max_(std::max(next_, maxSeconds))
{
}

int TRetryBackoff::Next()
{
    const int wait = next_;
    next_ = std::min(max_, next_ * 2);
    return wait;
}

} // namespace kiosk
