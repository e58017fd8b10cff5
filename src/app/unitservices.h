#pragma once
// The registration of every unit-level service, the first call of the program.
#include <string>

namespace kiosk {

// Registers system information (for `appFolder`), staff login, connection configuration, log
// and dialogs, and sets the service locator.
void RegisterUnitServices(const std::string& appFolder);

} // namespace kiosk
