#pragma once
// The staff login of a kiosk connection, as the start-up makes it: stationd takes a kiosk's
// requests only in the session this login opens (the connection keeps its cookie). For tests
// that put a logged-in user in place without running the start-up.
#include <string>

#include "data/tjsonclientdataset.h"
#include "data/tjsonconnection.h"
#include "platform/exception.h"

namespace kiosk::test {

// Logs the demo account kiosk01 in at outlet ZZ01; throws with the server's text when refused.
inline void StaffLogin(TjsonConnection& jcon, const std::string& username = "kiosk01",
                       const std::string& password = "123456", const std::string& outlet = "ZZ01")
{
    TjsonClientDataSet login("jcdsStaffLogin");
    login.SetRemoteServer(&jcon);
    login.SetProviderName("staffLogin");
    login.SetSaveAddress("system/login");
    login.Params().CreateParam(ftString, "username", ptInput).SetAsString(username);
    login.Params().CreateParam(ftString, "userpwd", ptInput).SetAsString(password);
    login.Params().CreateParam(ftString, "ticketoutletcode", ptInput).SetAsString(outlet);
    login.Params().CreateParam(ftBCD, "flag", ptOutput);
    login.Params().CreateParam(ftString, "msg", ptOutput);
    login.Execute();
    if (login.ParamByName("flag").AsInteger() != 1)
        throw Exception("staff login refused: " + login.ParamByName("msg").AsString());
}

} // namespace kiosk::test
