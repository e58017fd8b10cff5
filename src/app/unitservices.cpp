#include "app/unitservices.h"

#include "core/coreservices.h"
#include "widgets/dialogs.h"

namespace kiosk {

void RegisterUnitServices(const std::string& appFolder)
{
    RegisterCoreServices(appFolder);
    RegisterDialogService();
}

} // namespace kiosk
