#pragma once
// The kiosk's command line: its own options; Qt's (-platform …) are left to the application.
#include <optional>
#include <string>

namespace kiosk {

struct KioskOptions {
    std::string home;        // the application folder, with a trailing separator
    std::string screenshot;  // save the main window to this PNG once it is shown
    bool quitAfterScreenshot = false;
    bool unattended = false;  // as App.ini [kiosk] unattended=1, whatever the file says
    bool help = false;
    bool version = false;
    bool check = false;      // the technician's self-test instead of the kiosk
    std::string error;       // a malformed command line
};

// --home DIR (or $KIOSK_HOME; default the executable's folder), --screenshot FILE, --quit,
// --unattended, --check, --help, --version. Unknown options are kept for Qt.
KioskOptions ParseKioskOptions(int argc, char** argv);
const char* KioskUsage();

} // namespace kiosk
