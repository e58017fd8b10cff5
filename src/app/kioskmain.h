#pragma once
// The kiosk program's body: the command line, the services, the application object, the data
// module, the main window, the plug-in manager with the start-up checks, the message loop.
#include <functional>

namespace kiosk {

class TFrmMainNew;

// Called once the main window is shown, before the message loop runs (the demo's road player
// starts there); empty for the kiosk itself.
using AfterShow = std::function<void(TFrmMainNew& mainWindow)>;

int KioskMain(int argc, char** argv, const AfterShow& afterShow = {});

} // namespace kiosk
