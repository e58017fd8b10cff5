#include "core/connectcfg.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "core/dmpublic.h"
#include "core/sharedops.h"
#include "core/sysservice.h"
#include "platform/exception.h"
#include "platform/inifile.h"
#include "platform/textutil.h"

namespace kiosk {

std::string LocalHostNameText(const std::string& officialName)
{
    // "Hostname: <name>" up to the first line feed, and from it the part after the first colon.
    std::string text = "Hostname: " + officialName + "\n\r" + "IPaddress: ";
    text = text.substr(0, std::min(text.find('\n'), std::size_t(101)));
    const std::size_t colon = text.find(':');
    return colon == std::string::npos ? std::string() : text.substr(colon + 1);
}

std::string ServerURL(bool https, const std::string& host, int port, const std::string& pathSegment)
{
    return std::string(https ? "https://" : "http://") + host + ":" + std::to_string(port) + "/" + pathSegment + "/";
}

namespace {

// A kiosk that may not set the clock keeps starting; the log says once per run why its clock
// is not the server's (a unit without CAP_SYS_TIME, say), not on every start-up try.
void SetClockFromServer(const DateTime& serverTime)
{
    errno = 0;
    if (SetSystemClock(serverTime)) return;
    const int err = errno;
    static bool reported = false;
    if (reported) return;
    reported = true;
    std::string reason = err ? std::strerror(err) : "系统拒绝";
    if (err == EPERM) reason += "（进程没有设置系统时间的权限CAP_SYS_TIME）";
    TryWriteLog("设置系统时间失败：" + reason);
}

} // namespace

bool TConnectCFG::connectToServer()
{
    ReadConfig();
    return TestConnection(ip, port, kPathSegment, "");
}

void TConnectCFG::ReadConfig()
{
    const std::string iniName = GetSysInfo()->AppPath() + "App.ini";
    if (!std::filesystem::exists(iniName)) {
        GetDialog()->ShowError("找不到系统配置文件！App.ini");
        GetMainForm()->ExitApplication();
        return;
    }
    if (ReadEncoded(iniName)) return;
    const TIniFile ini(iniName);
    ReadTransport(ini);
    ip = ini.ReadString("server", "ip", "127.0.0.1");
    port = static_cast<int>(ini.ReadInteger("server", "port", https ? 443 : 80));
    path = ini.ReadString("server", "path", "");
    secretKey = ini.ReadString("server", "secretKey", "");
}

// What the connection needs besides the address: HTTPS with an optional CA file of the
// station's own (relative to the application folder), and the time-outs.
void TConnectCFG::ReadTransport(const TIniFile& ini)
{
    https = ini.ReadInteger("server", "https", 0) == 1;
    TDMPublic* dm = DMPublic();
    if (!dm) return;
    dm->jcon.ReadTimeouts(ini);
    std::string caFile = ini.ReadString("server", "cafile", "");
    if (!caFile.empty() && std::filesystem::path(caFile).is_relative()) caFile = GetSysInfo()->AppPath() + caFile;
    dm->jcon.SetCaFile(caFile);
}

bool TConnectCFG::ReadEncoded(const std::string& iniName)
{
    try {
        auto cipher = GetEncdDecd();
        const TIniFile ini(iniName);
        auto read = [&](const char* key, const char* plainDefault) {
            return cipher->Decode(kCipherKey, ini.ReadString("server", key, cipher->Encode(kCipherKey, plainDefault)));
        };
        const std::string encodedIp = read("ip", "127.0.0.1");
        std::int64_t encodedPort = 0;
        if (!TryStrToInt64(read("port", "80"), encodedPort)) return false;
        ip = encodedIp;
        port = static_cast<int>(encodedPort);
        path = read("path", kPathSegment);
        secretKey = read("secretKey", "");
        ReadTransport(ini);
        return true;
    } catch (const std::exception&) {
        return false;  // no cipher service in this system: the plain form is read
    }
}

bool TConnectCFG::TestConnection(const std::string& host, int portNumber, const std::string& pathSegment,
                                 const std::string& serverSecretKey)
{
    auto info = GetSysInfo();
    info->setServerURL(ServerURL(https, host, portNumber, pathSegment));
    info->setServerSecretKey(serverSecretKey);
    const LocalHost local = FindLocalHost();
    if (local.address.empty()) {
        TryWriteLog("无法取得本机地址：" + local.name);
    }
    info->setLocalHostAddress(local.address);
    info->setLocalHostName(LocalHostNameText(local.name));

    TDMPublic* dm = DMPublic();
    if (!dm) return false;
    dm->jcon.SetURLHost(info->serverURL());
    try {
        TjsonClientDataSet test("jcdsTestConnection");
        test.SetRemoteServer(&dm->jcon);
        test.SetProviderName("testConnection");
        test.SetSaveAddress("system/testConn");
        test.SetDataSourceName("connDataSet");
        AddParam(test, ftString, "secretKey", ptInput);
        AddParam(test, ftString, "hostAddress", ptInput);
        AddParam(test, ftString, "hostName", ptInput);
        AddParam(test, ftBCD, "connmsg", ptOutput);
        AddParam(test, ftString, "sresult", ptOutput);
        AddParam(test, ftDateTime, "curDatetime", ptOutput);
        test.Close();
        test.ParamByName("secretKey").SetAsString("KESTKEY");
        test.ParamByName("hostAddress").SetAsString(info->LocalHostAddress());
        test.ParamByName("hostName").SetAsString(info->LocalHostName());
        test.Execute();
        if (test.ParamByName("connmsg").AsInteger() != 1) {
            GetDialog()->ShowInfo(test.ParamByName("sresult").AsString());
            return false;
        }
        SetClockFromServer(test.ParamByName("curDatetime").AsDateTime());
        return true;
    } catch (const std::exception& e) {
        // The start-up reports the failure to the user; the log keeps why.
        TryWriteLog("连接服务器失败：" + std::string(e.what()));
        return false;
    }
}

} // namespace kiosk
