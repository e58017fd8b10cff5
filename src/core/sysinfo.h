#pragma once
// TSysInfoObj: the one holder of the run's shared values (ISysInfo).
#include "core/services.h"

namespace kiosk {

class TSysInfoObj : public TInterfacedObject<ISysInfo> {
public:
    // `appFolder` is the application folder (the executable's, or the one given by --home).
    explicit TSysInfoObj(std::string appFolder);

    std::string serverURL() const override { return FserverURL; }
    void setServerURL(const std::string& value) override { FserverURL = value; }
    std::string serverSecretKey() const override { return FserverSecretKey; }
    void setServerSecretKey(const std::string& value) override { FserverSecretKey = value; }
    std::string LocalHostAddress() const override { return FLocalHostAddress; }
    void setLocalHostAddress(const std::string& value) override { FLocalHostAddress = value; }
    std::string LocalHostName() const override { return FLocalHostName; }
    void setLocalHostName(const std::string& value) override { FLocalHostName = value; }
    std::map<std::string, int>& BillLength() override { return FBillLength; }
    void setBillLength(const std::map<std::string, int>& value) override { FBillLength = value; }
    std::string AppPath() const override { return FAppPath; }
    std::string ErrorPath() const override;
    void setCardManage(std::shared_ptr<void> value) override { FcardManage = std::move(value); }
    std::shared_ptr<void> cardManage() const override { return FcardManage; }
    std::shared_ptr<TLoginUserInfo> LoginUserInfo() const override { return FLoginUserInfo; }
    void setLoginUserInfo(std::shared_ptr<TLoginUserInfo> value) override { FLoginUserInfo = std::move(value); }

private:
    std::shared_ptr<TLoginUserInfo> FLoginUserInfo;
    std::shared_ptr<void> FcardManage;
    std::string FserverURL;
    std::string FserverSecretKey;
    std::string FLocalHostName;
    std::string FLocalHostAddress;
    std::map<std::string, int> FBillLength;
    std::string FAppPath;
};

// The folder of the running executable, with a trailing separator.
std::string ExecutableFolder();
// Adds the platform's separator when the folder text does not end with one.
std::string WithTrailingSeparator(std::string folder);

} // namespace kiosk
