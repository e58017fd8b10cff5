#pragma once
// Unattended operation: a kiosk PC that stands alone in the station hall, with nobody to touch
// a message box. App.ini [kiosk] unattended=1 (or --unattended) switches it on; without it the
// kiosk behaves as a kiosk with a person beside it. The process keeps one set of settings,
// read at start-up, that the start-up, the ID card reader and the scanner link consult.
#include <string>

namespace kiosk {

class TIniFile;

struct TUnattendedSettings {
    bool unattended = false;
    // Start-up tries again after retrySeconds, doubling the wait up to retryMaxSeconds.
    int retrySeconds = 10;
    int retryMaxSeconds = 60;
    // An ID card reader that cannot be opened is tried again this often.
    int readerRetrySeconds = 5;
    // A lost scanner port is looked for this often.
    int scannerRetrySeconds = 1;
};

// [kiosk] unattended, retryseconds, retrymaxseconds, readerretryseconds, scannerretryseconds;
// `forced` (the command line) switches unattended operation on whatever the file says. Values
// that are not positive numbers keep their defaults; the ceiling is never below the first wait.
TUnattendedSettings ReadUnattendedSettings(const TIniFile& appIni, bool forced);

// The settings of this run (defaults: attended) and their setter, called once by the program.
const TUnattendedSettings& UnattendedSettings();
void SetUnattendedSettings(const TUnattendedSettings& settings);

// The waits between start-up tries: first, then doubled each time, at most the ceiling.
class TRetryBackoff {
public:
    TRetryBackoff(int firstSeconds, int maxSeconds);
    // The wait before the next try, in seconds; each call backs off further.
    int Next();

private:
    int next_;
    int max_;
};

} // namespace kiosk
