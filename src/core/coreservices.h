#pragma once
// Registration of the core's unit-level services (system information and log). The program
// body makes this call first thing, before any form exists.
#include <string>

namespace kiosk {

// Registers ISysInfo (one TSysInfoObj for `appFolder`) and ILog, and sets the locator.
void RegisterCoreServices(const std::string& appFolder);

} // namespace kiosk
