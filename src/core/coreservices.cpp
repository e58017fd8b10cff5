#include "core/coreservices.h"

#include "core/connectcfg.h"
#include "core/login.h"
#include "core/logobj.h"
#include "core/sysinfo.h"
#include "core/sysservice.h"

namespace kiosk {

void RegisterCoreServices(const std::string& appFolder)
{
    TSingletonFactory::Create(ISysInfo::IID, [appFolder](IInterfacePtr& obj) {
        obj = std::make_shared<TSysInfoObj>(appFolder);
    });
    TIntfFactory::Create(ILogin::IID, [](IInterfacePtr& obj) { obj = std::make_shared<TLogin>(); });
    TIntfFactory::Create(IConnectCFG::IID, [](IInterfacePtr& obj) { obj = std::make_shared<TConnectCFG>(); });
    TIntfFactory::Create(ILog::IID, [](IInterfacePtr& obj) { obj = std::make_shared<TLogObj>(GetSysInfo()); });
    if (!SysService()) InitSysService();
}

} // namespace kiosk
