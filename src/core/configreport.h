#pragma once
// The kiosk's configuration looked over at start-up: App.ini and PrintConfig.ini (missing,
// empty, not text, cut off), the [server] port, the error folder and the disk it is on. Each
// problem is one line saying what is wrong and what the kiosk does instead; none stops it.
#include <string>
#include <vector>

namespace kiosk {

// The problems of the configuration in `appFolder` (with a trailing separator).
std::vector<std::string> ConfigurationProblems(const std::string& appFolder);

// One INI file's problems; `sections` are the sections the kiosk cannot do without, `fallback`
// says what the kiosk does without the file's settings.
std::vector<std::string> IniFileProblems(const std::string& fileName, const std::string& shownName,
                                         const std::vector<std::string>& sections, const std::string& fallback);

// Writes each problem to standard error ("kiosk: " + text) and to the log when it can.
void ReportConfiguration(const std::string& appFolder);

} // namespace kiosk
