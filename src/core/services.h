#pragma once
// The service interfaces that the registry serves, with their identifiers.
#include <exception>
#include <initializer_list>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "core/interface.h"
#include "core/logininfo.h"

namespace kiosk {

// The run's shared values: one object for the whole run.
class ISysInfo : public virtual IInterface {
public:
    static inline const TGUID IID = TGUID::FromText("{AECD69EB-D852-49A8-82A9-BCAE582E1DC4}");
    virtual std::string serverURL() const = 0;
    virtual void setServerURL(const std::string& value) = 0;
    virtual std::string serverSecretKey() const = 0;
    virtual void setServerSecretKey(const std::string& value) = 0;
    virtual std::string LocalHostAddress() const = 0;
    virtual void setLocalHostAddress(const std::string& value) = 0;
    virtual std::string LocalHostName() const = 0;
    virtual void setLocalHostName(const std::string& value) = 0;
    virtual std::map<std::string, int>& BillLength() = 0;
    virtual void setBillLength(const std::map<std::string, int>& value) = 0;
    // The application folder with a trailing separator.
    virtual std::string AppPath() const = 0;
    // AppPath + "error", created with its parents when missing (EInOutError when it cannot be).
    virtual std::string ErrorPath() const = 0;
    virtual void setCardManage(std::shared_ptr<void> value) = 0;
    virtual std::shared_ptr<void> cardManage() const = 0;
    virtual std::shared_ptr<TLoginUserInfo> LoginUserInfo() const = 0;
    virtual void setLoginUserInfo(std::shared_ptr<TLoginUserInfo> value) = 0;
};

class ILog : public virtual IInterface {
public:
    static inline const TGUID IID = TGUID::FromText("{28547D91-03D0-4997-B141-F8FC8E3438BC}");
    virtual void LogOperation(const std::string& module, const std::string& action, const std::string& content) = 0;
    virtual void LogReserved(const std::string& a, const std::string& b, const std::string& c) = 0;
    virtual void WriteLog(const std::string& text) = 0;
    virtual void WriteLogFmt(std::string_view format, std::initializer_list<std::string_view> args) = 0;
};

class IDialog : public virtual IInterface {
public:
    static inline const TGUID IID = TGUID::FromText("{CBCB3734-0FEC-4090-B0C4-50E1646D5758}");
    // Message-box results.
    enum Result { mrNone = 0, mrOK = 1, mrCancel = 2, mrYes = 6, mrNo = 7 };
    virtual void ShowMessage(const std::string& text) = 0;
    virtual void ShowMessageFmt(std::string_view format, std::initializer_list<std::string_view> args) = 0;
    virtual void ShowInfo(const std::string& text) = 0;
    virtual int ShowError(const std::string& text) = 0;
    virtual void ShowException(const std::exception& e) = 0;
    virtual void ShowErrorFmt(std::string_view format, std::initializer_list<std::string_view> args) = 0;
    virtual void ShowWarning(const std::string& text) = 0;
    virtual bool Confirm(const std::string& caption, const std::string& text) = 0;
    virtual bool AskYesNo(const std::string& caption, const std::string& text) = 0;
    virtual bool InputQuery(const std::string& caption, const std::string& prompt, std::string& value) = 0;
};

class ILogin : public virtual IInterface {
public:
    static inline const TGUID IID = TGUID::FromText("{694033A7-8C4F-4FCC-ABA9-01ECD1FF4F28}");
    virtual void Login() = 0;
    virtual void LoginReserved1() = 0;
    virtual void LoginReserved2() = 0;
    virtual void Logout() = 0;
    virtual bool IsSuccess() const = 0;
};

class IConnectCFG : public virtual IInterface {
public:
    static inline const TGUID IID = TGUID::FromText("{910B24D6-F3D1-45C5-AC26-7325D33AC613}");
    virtual bool connectToServer() = 0;
};

class IMainForm : public virtual IInterface {
public:
    static inline const TGUID IID = TGUID::FromText("{5A9D183E-D0BC-4033-BF48-D0CC5DB6270F}");
    virtual void ShowStatus(int panelIndex, const std::string& text) = 0;
    virtual void ExitApplication() = 0;
    virtual void setLblloginname(const std::string& text) = 0;
};

// Declared by the system; no implementation is registered.
class IEncdDecd : public virtual IInterface {
public:
    static inline const TGUID IID = TGUID::FromText("{58F6F931-CC76-410E-B17D-AA3BD462DCDB}");
    virtual std::string Encode(const std::string& key, const std::string& text) = 0;
    virtual std::string Decode(const std::string& key, const std::string& text) = 0;
};

} // namespace kiosk
