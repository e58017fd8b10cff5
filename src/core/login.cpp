#include "core/login.h"

#include "core/dmpublic.h"
#include "core/sharedops.h"
#include "core/sysservice.h"
#include "platform/exception.h"

namespace kiosk {

namespace {

std::string AppIniName() { return GetSysInfo()->AppPath() + "App.ini"; }

} // namespace

void TLogin::ReadLoginSettings()
{
    try {
        Ini = std::make_unique<TIniFile>(AppIniName());
        ticketoutletcode = Ini->ReadString("ticketoutlet", "code", "");
        _automin = static_cast<int>(Ini->ReadInteger("userinfo", "automin", 60));
        UserName = Ini->ReadString("userinfo", "username", "");
        password = Ini->ReadString("userinfo", "password", "");
        autologin = Ini->ReadString("userinfo", "isautologin", "");
        if (UserName.empty()) {
            Ini->WriteString("userinfo", "username", "");
            Ini->WriteString("userinfo", "password", "");
            Ini->WriteString("userinfo", "isautologin", "");
            Ini->WriteInteger("userinfo", "automin", 60);
        }
    } catch (...) {
        _automin = 60;
        Ini.reset();
        throw;
    }
}

void TLogin::Login()
{
    isSuccess = true;
    std::string code;
    try {
        ReadLoginSettings();
        code = Ini->ReadString("ticketoutlet", "code", "");
    } catch (const std::exception&) {
        GetDialog()->ShowError("请配置所属售票点！");
        Ini.reset();
        isSuccess = false;
        return;
    }
    if (UserName.empty()) {
        GetDialog()->ShowWarning("请输入用户名！");
        isSuccess = false;
        return;
    }
    try {
        TjsonClientDataSet& ds = DMPublic()->jsonClientDataSetLogin;
        ds.Close();
        ds.ParamByName("username").SetAsString(UserName);
        ds.ParamByName("userpwd").SetAsString(password);
        ds.ParamByName("ticketoutletcode").SetAsString(code);
        ds.Execute();
        if (ds.ParamByName("flag").AsInteger() != 1) {
            GetDialog()->ShowError(ds.ParamByName("msg").AsString());
            isSuccess = false;
            return;
        }
        Ini->WriteString("ticketoutlet", "code", code);
        FillUserInfo();
        LoadBillLengths();
        GetLog()->LogOperation("用户登录", "登录", "用户登录");
    } catch (const std::exception& e) {
        // No message here: the start-up ends the program; the log keeps why.
        TryWriteLog("登录失败：" + std::string(e.what()));
        isSuccess = false;
    }
}

void TLogin::FillUserInfo()
{
    TjsonClientDataSet& ds = DMPublic()->jsonClientDataSetLogin;
    auto user = std::make_shared<TLoginUserInfo>();
    user->UserID = ds.ParamByName("global.userinfo.id").AsLargeInt();
    user->UserCode = ds.ParamByName("global.userinfo.code").AsString();
    user->UserName = ds.ParamByName("global.userinfo.name").AsString();
    user->OrgID = ds.ParamByName("global.userinfo.orgid").AsLargeInt();
    user->OrgIDs = ds.ParamByName("global.orgIDs").AsString();
    user->OrgName = ds.ParamByName("global.organization.name").AsString();
    user->_automin = _automin;
    if (!ds.ParamByName("global.organization.organ.id").IsNull()) {
        user->POrgID = ds.ParamByName("global.organization.organ.id").AsLargeInt();
        user->POrgName = ds.ParamByName("global.organization.organ.name").AsString();
    }
    user->ticketoutletsid = ds.ParamByName("global.ticketoutlets.id").AsLargeInt();
    user->ticketoutletsname = ds.ParamByName("global.ticketoutlets.name").AsString();
    user->departmentID = ds.ParamByName("global.department.id").AsLargeInt();
    user->departmentName = ds.ParamByName("global.department.name").AsString();
    user->StationID = ds.ParamByName("global.organization.station.id").AsLargeInt();

    auto main = GetMainForm();
    main->ShowStatus(1, "当前机构：" + user->OrgName);
    main->ShowStatus(3, ClockText(DateTime::Now()));
    main->ShowStatus(2, "登录售票点：" + user->ticketoutletsname);
    main->ShowStatus(4, "用户所属部门：" + user->departmentName);
    main->ShowStatus(5, "登录用户：" + user->UserName);
    main->setLblloginname(user->UserName);

    user->RoleID = 1;
    user->IsAdmin = false;
    GetSysInfo()->setLoginUserInfo(user);
}

void TLogin::LoadBillLengths()
{
    TjsonClientDataSet& ds = DMPublic()->jcdsGetTicketLength;
    ds.Close();
    ds.Open();
    if (ds.RecordCount() == 0) return;
    std::map<std::string, int> lengths;
    for (ds.First(); !ds.Eof(); ds.Next()) {
        const std::string code = ds.FieldByName("code").AsString();
        if (!lengths.emplace(code, ds.FieldByName("ticketnolength").AsInteger()).second)
            throw Exception("票据类型代码重复：" + code);
    }
    GetSysInfo()->setBillLength(lengths);
}

void TLogin::Logout()
{
    try {
        TjsonClientDataSet ds("jcdsLogout");
        ds.SetRemoteServer(&DMPublic()->jcon);
        ds.SetSaveAddress("system/logout");
        AddParam(ds, ftString, "msg", ptOutput);
        AddParam(ds, ftBCD, "flag", ptOutput);
        ds.Close();
        ds.Execute();
        if (ds.ParamByName("flag").AsInteger() != 1) return;
        GetLog()->LogOperation("退出系统", "退出系统", "退出系统");
    } catch (const std::exception& e) {
        TryWriteLog("该用户退出失败：" + std::string(e.what()));
    }
    GetMainForm()->ExitApplication();
}

void TLogin::userLogout()
{
    if (GetDialog()->Confirm("退出系统", "您确认要退出系统吗？")) Logout();
}

std::string FindParameterValue(const std::string& code, std::int64_t orgid)
{
    TjsonClientDataSet& ds = DMPublic()->ParameterDataSet();
    ds.Close();
    ds.ParamByName("code").SetAsString(code);
    if (orgid > 0)
        ds.ParamByName("orgid").SetAsString(std::to_string(orgid));
    else
        ds.ParamByName("orgid").Clear();
    ds.Execute();
    return ds.ParamByName("parametervalue").AsString();
}

} // namespace kiosk
