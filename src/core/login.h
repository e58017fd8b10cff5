#pragma once
// TLogin (ILogin): logs the kiosk's staff account in at the server, fills the logged-in user
// and the bill-type lengths; logs it out at the end. Also the system parameter lookup.
#include <cstdint>
#include <memory>
#include <string>

#include "core/services.h"
#include "platform/inifile.h"

namespace kiosk {

class TLogin : public TInterfacedObject<ILogin> {
public:
    void Login() override;
    void LoginReserved1() override {}
    void LoginReserved2() override {}
    void Logout() override;
    bool IsSuccess() const override { return isSuccess; }
    // Asks "您确认要退出系统吗？" and logs out on OK.
    void userLogout();

    // Reads the [userinfo] settings; with no user name it writes the keys to fill in.
    void ReadLoginSettings();
    // Loads bill type code → ticket number length into ISysInfo.BillLength.
    static void LoadBillLengths();

private:
    void FillUserInfo();

    int _automin = 60;
    std::string UserName;
    std::string password;
    std::string autologin;
    std::string ticketoutletcode;
    std::unique_ptr<TIniFile> Ini;
    bool isSuccess = false;
};

// The value of a server system parameter for an organisation (orgid ≤ 0: not sent).
std::string FindParameterValue(const std::string& code, std::int64_t orgid);

} // namespace kiosk
