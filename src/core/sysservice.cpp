#include "core/sysservice.h"

#include "platform/exception.h"
#include "platform/textutil.h"

namespace kiosk {

namespace {

template <typename I>
std::shared_ptr<I> RequireService()
{
    IInterfacePtr obj;
    std::shared_ptr<I> service;
    if (SysService() && SysService()->QueryInterface(I::IID, obj) == S_OK) service = QueryAs<I>(obj);
    // A factory may answer S_OK without an object; that is as missing as no factory at all.
    if (!service) throw Exception(Format("找不到%s接口！", {I::IID.ToString()}));
    return service;
}

} // namespace

HRESULT TSysService::QueryInterface(const TGUID& iid, IInterfacePtr& obj)
{
    if (iid == IInterface::IID) {
        obj = SysService();
        return S_OK;
    }
    ISysFactoryPtr factory = FactoryManager().FindFactory(iid);
    if (!factory) {
        obj.reset();
        return E_NOINTERFACE;
    }
    factory->CreateInstance(iid, obj);
    return S_OK;
}

std::shared_ptr<TSysService>& SysService()
{
    static std::shared_ptr<TSysService> service;
    return service;
}

void InitSysService() { SysService() = std::make_shared<TSysService>(); }
void FreeSysService() { SysService().reset(); }

void TryWriteLog(const std::string& text) noexcept
{
    try {
        if (auto log = QueryService<ILog>()) log->WriteLog(text);
    } catch (...) {
        // Nowhere left to write it.
    }
}

std::shared_ptr<IDialog> GetDialog() { return RequireService<IDialog>(); }
std::shared_ptr<IEncdDecd> GetEncdDecd() { return RequireService<IEncdDecd>(); }
std::shared_ptr<ILog> GetLog() { return RequireService<ILog>(); }
std::shared_ptr<ISysInfo> GetSysInfo() { return RequireService<ISysInfo>(); }
std::shared_ptr<IMainForm> GetMainForm() { return RequireService<IMainForm>(); }

} // namespace kiosk
