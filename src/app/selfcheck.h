#pragma once
// kiosk --check: the technician's self-test of a kiosk PC. With the application folder's
// App.ini it goes through what the kiosk needs, one line each: the configuration, the
// connection test and the staff login (the requests of the start-up), the printers and the one
// a slip goes to, the scanner's port, the ID card library, the folder's write access. It shows
// no window and changes nothing: the clock is left alone, App.ini and PrintConfig.ini are only
// read, the scanner port and the card reader are closed again.
#include <string>
#include <vector>

namespace kiosk {

class IPrintPlatform;

struct TCheckResult {
    std::string item;  // what was checked
    bool ok = false;
    std::string text;  // what was found when it passed, the failure's own text otherwise
};

struct TCheckPrinters {
    IPrintPlatform* platform = nullptr;
    // The print system lists no printer: the platform is the PDF stand-in.
    bool standIn = false;
};

// Runs every check in order, on the application object of the caller and the core services
// registered for `appFolder` (RegisterCoreServices). For the run it puts its own dialog, main
// form and log in the registry, so every message the start-up requests give lands in the line
// of its check (the log file still gets its lines), and restores the former ones afterwards.
std::vector<TCheckResult> RunSelfCheck(const std::string& appFolder, const TCheckPrinters& printers);

// "item: OK what" or "item: failure text".
std::string CheckLine(const TCheckResult& result);

// The whole of `kiosk --check` for the application folder: the services, an application object
// on the offscreen platform, the checks, one line each on standard output. Answers 0 when every
// check passed, 1 otherwise.
int SelfCheckMain(const std::string& appFolder, int argc, char** argv);

} // namespace kiosk
