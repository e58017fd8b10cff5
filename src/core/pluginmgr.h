#pragma once
// TPluginMgr: the plug-in manager. Registers the main window and itself with the registry,
// runs the start-up checks (connection test, staff login) and keeps the function permissions
// that packages declare. Not reference-counted: the program body owns it for the whole run.
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/plugin.h"
#include "core/services.h"
#include "core/sysfactory.h"

namespace kiosk {

class IRegPlugin : public virtual IInterface {
public:
    static inline const TGUID IID = TGUID::FromText("{A25F04F6-9587-4060-B837-D1632ACBCDC0}");
    virtual void registerFunctionPermission(const std::string& packagename, const std::string& functionGUID,
                                            const TParameterList& parameter, bool enable,
                                            const std::string& menuname, const std::string& describe) = 0;
    virtual void registerSubFunctionPermission(const std::string& packagename, const std::string& functionGUID,
                                               const TParameterList& parameter, const std::string& subFunctionGUID,
                                               bool enable, const std::string& menuname,
                                               const std::string& describe) = 0;
    virtual TFunctionPermission* getFunctionPermission(const IFunctionItemPtr& functionitem,
                                                       const TParameterList& parameter) = 0;
    virtual TFunctionPermission* getFunctionPermission(const std::string& functionkey,
                                                       const TParameterList& parameter) = 0;
    virtual TFunctionPermission* getFunctionPermission(const TGUID& functionkey, const TParameterList& parameter) = 0;
    virtual void exec(const TGUID& guid, const TParameterList& parameters) = 0;
};

class TPluginMgr : public IRegPlugin {
public:
    // The manager's error report for packages (failed or missing ones); writes to the log.
    using ErrorReport = std::function<void(const std::string& text)>;

    // Registers `mainForm` under IMainForm and the manager under IRegPlugin (not owning either).
    TPluginMgr(IMainForm* mainForm, std::string appFolder);
    ~TPluginMgr() override;
    TPluginMgr(const TPluginMgr&) = delete;
    TPluginMgr& operator=(const TPluginMgr&) = delete;

    bool Implements(const TGUID& iid) const override { return iid == IRegPlugin::IID || iid == IInterface::IID; }

    // The start-up checks: connection test, then staff login; a failure asks the main window to
    // end the program once the message loop runs.
    void Init();
    // The checks of Init without its wait: connection test, then staff login, each reporting
    // through the dialog service and asking the main window to end the program when it fails.
    // Answers whether both passed; with `stopAtFailedConnection` a failed connection test skips
    // the login (the unattended start-up, which holds the end requests and tries again).
    bool StartupChecks(bool stopAtFailedConnection);
    // Loads the packages listed in App.ini, section "plugin" (true) or "pluginafterlogin".
    void LoadPackage(bool beforelogin);

    void registerFunctionPermission(const std::string& packagename, const std::string& functionGUID,
                                    const TParameterList& parameter, bool enable, const std::string& menuname,
                                    const std::string& describe) override;
    void registerSubFunctionPermission(const std::string& packagename, const std::string& functionGUID,
                                       const TParameterList& parameter, const std::string& subFunctionGUID,
                                       bool enable, const std::string& menuname, const std::string& describe) override;
    TFunctionPermission* getFunctionPermission(const IFunctionItemPtr& functionitem,
                                               const TParameterList& parameter) override;
    TFunctionPermission* getFunctionPermission(const std::string& functionkey, const TParameterList& parameter) override;
    TFunctionPermission* getFunctionPermission(const TGUID& functionkey, const TParameterList& parameter) override;
    void exec(const TGUID&, const TParameterList&) override {}

    const std::vector<std::shared_ptr<TPluginLoader>>& Loaders() const { return FpluginList; }
    void SetErrorReport(ErrorReport report) { errorReport_ = std::move(report); }

private:
    TPluginLoader& LoaderFor(const std::string& packagename);
    void ReportError(const std::string& text);

    // Reference time of the start-up wait: the clock's origin (the machine's start), so Init
    // only waits when the kiosk starts within the first second after boot.
    std::chrono::steady_clock::time_point Tick{};
    std::vector<std::shared_ptr<TPluginLoader>> FpluginList;
    std::string appFolder_;
    ErrorReport errorReport_;
    std::shared_ptr<TObjFactoryEx> mainFormFactory_;
    std::shared_ptr<TObjFactoryEx> regPluginFactory_;
};

} // namespace kiosk
