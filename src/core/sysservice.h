#pragma once
// The service locator and the typed accessors.
#include <memory>

#include "core/services.h"
#include "core/sysfactory.h"

namespace kiosk {

// The locator: serves the basic interface itself and every other identifier through the
// first factory that supports it.
class TSysService : public TInterfacedObject<> {
public:
    HRESULT QueryInterface(const TGUID& iid, IInterfacePtr& obj);
};

// The process-wide locator; empty before InitSysService and after FreeSysService.
std::shared_ptr<TSysService>& SysService();
void InitSysService();
void FreeSysService();

// Each raises "找不到%s接口！" when the locator has no such service.
std::shared_ptr<IDialog> GetDialog();
std::shared_ptr<IEncdDecd> GetEncdDecd();
std::shared_ptr<ILog> GetLog();
std::shared_ptr<ISysInfo> GetSysInfo();
std::shared_ptr<IMainForm> GetMainForm();

// Writes a line to the log when there is one; a log that cannot be written is ignored, for
// the places where a failure is already being handled.
void TryWriteLog(const std::string& text) noexcept;

// The locator's answer as interface I, or empty when there is none (for code that goes on
// without the service).
template <typename I>
std::shared_ptr<I> QueryService()
{
    IInterfacePtr obj;
    if (!SysService() || SysService()->QueryInterface(I::IID, obj) != S_OK) return nullptr;
    return QueryAs<I>(obj);
}

} // namespace kiosk
