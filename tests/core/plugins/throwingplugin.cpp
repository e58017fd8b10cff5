// A package whose initialisation fails.
#include <stdexcept>

#include "core/plugin.h"

extern "C" void PlugInit(kiosk::IPluginLoader*) { throw std::runtime_error("初始化失败"); }
