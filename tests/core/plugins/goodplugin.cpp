// A package that registers one function item and counts its entry calls in the environment.
#include <cstdlib>
#include <string>

#include "core/plugin.h"

namespace {

class Item : public kiosk::TInterfacedObject<kiosk::IFunctionItem> {
public:
    kiosk::TGUID FunctionKey() const override { return kiosk::TGUID::FromText("{0F0E0D0C-0B0A-0908-0706-050403020100}"); }
};

void Bump(const char* name)
{
    const char* v = std::getenv(name);
    setenv(name, std::to_string((v ? std::atoi(v) : 0) + 1).c_str(), 1);
}

} // namespace

extern "C" void PlugInit(kiosk::IPluginLoader* loader)
{
    Bump("GOODPLUGIN_INIT");
    loader->AddFunctionItem(std::make_shared<Item>());
    loader->AddFunctionItem(nullptr);
}

extern "C" void PlugInFinal() { Bump("GOODPLUGIN_FINAL"); }
