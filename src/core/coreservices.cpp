#include "core/coreservices.h"

#include "core/logobj.h"
#include "core/sysinfo.h"
#include "core/sysservice.h"

namespace kiosk {

void RegisterCoreServices(const std::string& appFolder)
{
    TSingletonFactory::Create(ISysInfo::IID, [appFolder](IInterfacePtr& obj) {
        obj = std::make_shared<TSysInfoObj>(appFolder);
    });
    TIntfFactory::Create(ILog::IID, [](IInterfacePtr& obj) { obj = std::make_shared<TLogObj>(GetSysInfo()); });
    if (!SysService()) InitSysService();
}

} // namespace kiosk
