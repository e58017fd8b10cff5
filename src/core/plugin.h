#pragma once
// Plug-in packages and the function permissions they declare. A package is a shared library
// exporting "PlugInit" (taking the loader's IPluginLoader) and "PlugInFinal" (no arguments).
#include <memory>
#include <string>
#include <vector>

#include "core/interface.h"
#include "platform/sharedlibrary.h"

namespace kiosk {

// The parameter list that tells permissions of one function apart; empty (null) or a list of
// texts shared by reference.
using TParameterList = std::shared_ptr<std::vector<std::string>>;

// A function a package offers; the system only asks it for its key.
class IFunctionItem : public virtual IInterface {
public:
    static inline const TGUID IID = TGUID::FromText("{5FDE6E9B-0D0A-479F-884B-D3E82841A929}");
    virtual TGUID FunctionKey() const = 0;
};
using IFunctionItemPtr = std::shared_ptr<IFunctionItem>;

class IPluginLoader : public virtual IInterface {
public:
    static inline const TGUID IID = TGUID::FromText("{3E2FB798-6217-43BF-BB57-5FB3362C595B}");
    // Appends a function item; an empty one is ignored.
    virtual void AddFunctionItem(const IFunctionItemPtr& item) = 0;
};

// Entry points a package exports.
extern "C" {
using TPlugInitProc = void (*)(IPluginLoader* loader);
using TPlugInFinalProc = void (*)();
}

class TSubfunction {
public:
    TSubfunction(const TGUID& key, std::string describe) : key(key), describe(std::move(describe)) {}
    TSubfunction(const std::string& key, std::string describe);
    bool operator==(const TSubfunction& other) const { return key == other.key; }
    TGUID key;
    std::string describe;
};

class TSubfunctionPermission : public TSubfunction {
public:
    TSubfunctionPermission(const TGUID& key, bool enable, std::string describe)
        : TSubfunction(key, std::move(describe)), enable(enable) {}
    TSubfunctionPermission(const std::string& key, bool enable, std::string describe)
        : TSubfunction(key, std::move(describe)), enable(enable) {}
    bool enable;
};

class TFunctionPermission {
public:
    TFunctionPermission(const TGUID& key, TParameterList parameter, std::string menuname, bool enable,
                        std::string describe);
    TFunctionPermission(const std::string& key, TParameterList parameter, std::string menuname, bool enable,
                        std::string describe);

    // Adds the sub-function, or updates `enable` and `describe` of the one with the same key.
    void addorsetSubFunction(const TGUID& key, bool enable, const std::string& describe);
    void addorsetSubFunction(const std::string& key, bool enable, const std::string& describe);
    const std::vector<TSubfunctionPermission>& SubFunctions() const { return FsubFunctionPermissionList; }

    TGUID key;
    TParameterList parameter;
    std::string menuname;
    std::string describe;
    bool enable;

private:
    std::vector<TSubfunctionPermission> FsubFunctionPermissionList;
};

// Whether two parameter lists name the same permission: both empty, or equal texts.
bool SameParameters(const TParameterList& a, const TParameterList& b);

// One package: loads it (unless delayed), runs its "PlugInit", and finalises and unloads it
// when destroyed. Owns the permissions registered for the package.
class TPluginLoader : public TInterfacedObject<IPluginLoader> {
public:
    // A loader created without delay must be initialised with init() right after creation;
    // Create() does that and swallows what the package's initialisation raises.
    static std::shared_ptr<TPluginLoader> Create(const std::string& packageFile, bool delayload);
    ~TPluginLoader() override;

    void init();
    void AddFunctionItem(const IFunctionItemPtr& item) override;
    TFunctionPermission* getFunctionPermissionBykey(const TGUID& key, const TParameterList& parameter);
    TFunctionPermission* getFunctionPermissionBykey(const std::string& key, const TParameterList& parameter);
    TFunctionPermission& AddPermission(std::unique_ptr<TFunctionPermission> permission);

    const std::string& PackageFile() const { return FPackageFile; }
    bool Inited() const { return Finited; }
    bool Loaded() const { return FPackage.IsLoaded(); }
    const std::vector<IFunctionItemPtr>& FunctionItems() const { return FFunctionItemList; }

private:
    explicit TPluginLoader(std::string packageFile) : FPackageFile(std::move(packageFile)) {}
    SharedLibrary FPackage;
    std::string FPackageFile;
    std::vector<IFunctionItemPtr> FFunctionItemList;
    bool Finited = false;
    std::vector<std::unique_ptr<TFunctionPermission>> FFunctionPermissionList;
};

} // namespace kiosk
