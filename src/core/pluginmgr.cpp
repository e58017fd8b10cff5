#include "core/pluginmgr.h"

#include <filesystem>
#include <thread>

#include "core/sysservice.h"
#include "platform/exception.h"
#include "platform/inifile.h"
#include "platform/textutil.h"

namespace kiosk {

TPluginMgr::TPluginMgr(IMainForm* mainForm, std::string appFolder)
    : appFolder_(std::move(appFolder))
{
    mainFormFactory_ = TObjFactoryEx::Create({IMainForm::IID}, mainForm);
    regPluginFactory_ = TObjFactoryEx::Create({IRegPlugin::IID}, this);
    errorReport_ = [](const std::string& text) { TryWriteLog(text); };
}

TPluginMgr::~TPluginMgr()
{
    // The registry may outlive the manager; take our own entries out so it never hands out a
    // dangling object.
    if (regPluginFactory_) FactoryManager().UnRegisterFactory(std::static_pointer_cast<ISysFactory>(regPluginFactory_));
    if (mainFormFactory_) FactoryManager().UnRegisterFactory(std::static_pointer_cast<ISysFactory>(mainFormFactory_));
}

void TPluginMgr::Init()
{
    const auto elapsed = std::chrono::steady_clock::now() - Tick;
    if (elapsed < std::chrono::seconds(1)) std::this_thread::sleep_for(std::chrono::seconds(1) - elapsed);
    StartupChecks(false);
}

bool TPluginMgr::StartupChecks(bool stopAtFailedConnection)
{
    bool connected = true;
    if (auto connect = QueryService<IConnectCFG>()) {
        connected = connect->connectToServer();
        if (!connected) {
            GetDialog()->ShowError("无法连接应用服务器");
            GetMainForm()->ExitApplication();
            if (stopAtFailedConnection) return false;
        }
    }

    auto login = QueryService<ILogin>();
    if (!login) {
        GetDialog()->ShowError("找不到登陆模块！");
        GetMainForm()->ExitApplication();
        return false;
    }
    login->Login();
    if (!login->IsSuccess()) GetMainForm()->ExitApplication();
    return connected && login->IsSuccess();
}

void TPluginMgr::LoadPackage(bool beforelogin)
{
    const std::string section = beforelogin ? "plugin" : "pluginafterlogin";
    const std::string iniName = appFolder_ + "App.ini";
    if (!std::filesystem::exists(iniName)) {
        GetDialog()->ShowError("找不到系统配置文件！App.ini");
        GetMainForm()->ExitApplication();
        return;
    }
    TIniFile ini(iniName);
    for (const std::string& key : ini.ReadSection(section)) {
        const std::string path = ini.ReadString(section, key, "");
        if (!std::filesystem::exists(path)) {
            ReportError(Format("找不到包[%s]，无法加载！", {path}));
            continue;
        }
        auto loader = TPluginLoader::Create(path, true);
        try {
            loader->init();
        } catch (const std::exception& e) {
            ReportError(Format("加载包[%s]出错，错误：%s", {path, e.what()}));
        }
        FpluginList.push_back(std::move(loader));
    }
}

void TPluginMgr::ReportError(const std::string& text)
{
    if (errorReport_) errorReport_(text);
}

TPluginLoader& TPluginMgr::LoaderFor(const std::string& packagename)
{
    for (auto& loader : FpluginList)
        if (loader->PackageFile() == packagename) return *loader;
    FpluginList.push_back(TPluginLoader::Create(packagename, true));
    return *FpluginList.back();
}

void TPluginMgr::registerFunctionPermission(const std::string& packagename, const std::string& functionGUID,
                                            const TParameterList& parameter, bool enable, const std::string& menuname,
                                            const std::string& describe)
{
    TPluginLoader& loader = LoaderFor(packagename);
    TFunctionPermission* permission = loader.getFunctionPermissionBykey(functionGUID, parameter);
    if (!permission)
        permission = &loader.AddPermission(
            std::make_unique<TFunctionPermission>(functionGUID, parameter, menuname, enable, describe));
    permission->enable = enable;
    permission->describe = describe;
}

void TPluginMgr::registerSubFunctionPermission(const std::string& packagename, const std::string& functionGUID,
                                               const TParameterList& parameter, const std::string& subFunctionGUID,
                                               bool enable, const std::string& menuname, const std::string& describe)
{
    TPluginLoader& loader = LoaderFor(packagename);
    TFunctionPermission* permission = loader.getFunctionPermissionBykey(functionGUID, parameter);
    if (!permission)
        permission = &loader.AddPermission(
            std::make_unique<TFunctionPermission>(functionGUID, parameter, menuname, false, std::string()));
    permission->addorsetSubFunction(subFunctionGUID, enable, describe);
}

TFunctionPermission* TPluginMgr::getFunctionPermission(const TGUID& functionkey, const TParameterList& parameter)
{
    for (auto& loader : FpluginList)
        if (auto* p = loader->getFunctionPermissionBykey(functionkey, parameter)) return p;
    return nullptr;
}

TFunctionPermission* TPluginMgr::getFunctionPermission(const std::string& functionkey, const TParameterList& parameter)
{
    return getFunctionPermission(TGUID::FromText(functionkey), parameter);
}

TFunctionPermission* TPluginMgr::getFunctionPermission(const IFunctionItemPtr& functionitem,
                                                       const TParameterList& parameter)
{
    if (!functionitem) return nullptr;
    return getFunctionPermission(functionitem->FunctionKey(), parameter);
}

} // namespace kiosk
