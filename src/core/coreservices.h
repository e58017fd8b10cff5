#pragma once
// Registration of the core's unit-level services (system information, staff login,
// connection configuration and log). The program
// body makes this call first thing, before any form exists.
#include <string>

namespace kiosk {

// Registers ISysInfo (one TSysInfoObj for `appFolder`), ILogin, IConnectCFG and ILog, and
// sets the locator.
void RegisterCoreServices(const std::string& appFolder);

} // namespace kiosk
