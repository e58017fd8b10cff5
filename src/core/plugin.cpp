#include "core/plugin.h"

#include "platform/exception.h"

namespace kiosk {

namespace {

std::string JoinedText(const std::vector<std::string>& lines)
{
    std::string text;
    for (const auto& l : lines) text += l + "\r\n";
    return text;
}

} // namespace

TSubfunction::TSubfunction(const std::string& key, std::string describe)
    : TSubfunction(TGUID::FromText(key), std::move(describe))
{
}

TFunctionPermission::TFunctionPermission(const TGUID& key, TParameterList parameter, std::string menuname, bool enable,
                                         std::string describe)
    : key(key), parameter(std::move(parameter)), menuname(std::move(menuname)), describe(std::move(describe)),
      enable(enable)
{
}

TFunctionPermission::TFunctionPermission(const std::string& key, TParameterList parameter, std::string menuname,
                                         bool enable, std::string describe)
    : TFunctionPermission(TGUID::FromText(key), std::move(parameter), std::move(menuname), enable, std::move(describe))
{
}

void TFunctionPermission::addorsetSubFunction(const TGUID& key, bool enable, const std::string& describe)
{
    TSubfunctionPermission added(key, enable, describe);
    for (auto& sub : FsubFunctionPermissionList)
        if (sub == added) {
            sub.describe = added.describe;
            sub.enable = added.enable;
            return;
        }
    FsubFunctionPermissionList.push_back(std::move(added));
}

void TFunctionPermission::addorsetSubFunction(const std::string& key, bool enable, const std::string& describe)
{
    addorsetSubFunction(TGUID::FromText(key), enable, describe);
}

bool SameParameters(const TParameterList& a, const TParameterList& b)
{
    const bool aEmpty = !a || a->empty();
    const bool bEmpty = !b || b->empty();
    if (aEmpty || bEmpty) return aEmpty == bEmpty;
    return JoinedText(*a) == JoinedText(*b);
}

std::shared_ptr<TPluginLoader> TPluginLoader::Create(const std::string& packageFile, bool delayload)
{
    std::shared_ptr<TPluginLoader> loader(new TPluginLoader(packageFile));
    if (!delayload) {
        try {
            loader->init();
        } catch (...) {
            // A package whose initialisation fails stays listed, not initialised.
        }
    }
    return loader;
}

void TPluginLoader::init()
{
    if (!FPackage.Load(FPackageFile)) throw Exception(FPackage.ErrorText());
    if (auto plugInit = FPackage.Function<TPlugInitProc>("PlugInit")) {
        plugInit(this);
        Finited = true;
    }
}

TPluginLoader::~TPluginLoader()
{
    if (FPackage.IsLoaded()) {
        // Items the package made must go before its code is unloaded.
        FFunctionItemList.clear();
        if (auto plugInFinal = FPackage.Function<TPlugInFinalProc>("PlugInFinal")) plugInFinal();
        FPackage.Unload();
    }
}

void TPluginLoader::AddFunctionItem(const IFunctionItemPtr& item)
{
    if (item) FFunctionItemList.push_back(item);
}

TFunctionPermission* TPluginLoader::getFunctionPermissionBykey(const TGUID& key, const TParameterList& parameter)
{
    for (auto& p : FFunctionPermissionList)
        if (p->key == key && SameParameters(p->parameter, parameter)) return p.get();
    return nullptr;
}

TFunctionPermission* TPluginLoader::getFunctionPermissionBykey(const std::string& key, const TParameterList& parameter)
{
    return getFunctionPermissionBykey(TGUID::FromText(key), parameter);
}

TFunctionPermission& TPluginLoader::AddPermission(std::unique_ptr<TFunctionPermission> permission)
{
    FFunctionPermissionList.push_back(std::move(permission));
    return *FFunctionPermissionList.back();
}

} // namespace kiosk
