#include "app/selfcheck.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "check/tcomm.h"
#include "core/coreservices.h"
#include "core/dmpublic.h"
#include "core/idcardsdk.h"
#include "core/logobj.h"
#include "core/sharedops.h"
#include "core/sysfactory.h"
#include "core/sysservice.h"
#include "platform/inifile.h"
#include "platform/textutil.h"
#include "print/qt/kestprint.h"
#include "print/qt/qtprintplatform.h"

namespace kiosk {

namespace {

// What the start-up requests said while one check ran: dialog texts and log lines.
using Said = std::vector<std::string>;

// The check's dialog: no window, every text kept; questions are answered no.
class TCheckDialog : public TInterfacedObject<IDialog> {
public:
    explicit TCheckDialog(std::shared_ptr<Said> said) : said_(std::move(said)) {}
    void ShowMessage(const std::string& text) override { said_->push_back(text); }
    void ShowMessageFmt(std::string_view format, std::initializer_list<std::string_view> args) override
    {
        said_->push_back(Format(format, args));
    }
    void ShowInfo(const std::string& text) override { said_->push_back(text); }
    int ShowError(const std::string& text) override
    {
        said_->push_back(text);
        return mrOK;
    }
    void ShowException(const std::exception& e) override { said_->push_back(e.what()); }
    void ShowErrorFmt(std::string_view format, std::initializer_list<std::string_view> args) override
    {
        said_->push_back(Format(format, args));
    }
    void ShowWarning(const std::string& text) override { said_->push_back(text); }
    bool Confirm(const std::string&, const std::string&) override { return false; }
    bool AskYesNo(const std::string&, const std::string&) override { return false; }
    bool InputQuery(const std::string&, const std::string&, std::string&) override { return false; }

private:
    std::shared_ptr<Said> said_;
};

// The kiosk's log, with every line also kept for the check's report.
class TCheckLog : public TInterfacedObject<ILog> {
public:
    TCheckLog(std::shared_ptr<Said> said, std::shared_ptr<ISysInfo> info) : said_(std::move(said)), file_(std::move(info)) {}
    void LogOperation(const std::string& module, const std::string& action, const std::string& content) override
    {
        file_.LogOperation(module, action, content);
    }
    void LogReserved(const std::string& a, const std::string& b, const std::string& c) override { file_.LogReserved(a, b, c); }
    void WriteLog(const std::string& text) override
    {
        said_->push_back(text);
        file_.WriteLog(text);
    }
    void WriteLogFmt(std::string_view format, std::initializer_list<std::string_view> args) override
    {
        WriteLog(Format(format, args));
    }

private:
    std::shared_ptr<Said> said_;
    TLogObj file_;
};

// The start-up's main window, without a window: the status texts have nowhere to go.
class TCheckMainForm : public IMainForm {
public:
    bool Implements(const TGUID& iid) const override { return iid == IMainForm::IID || iid == IInterface::IID; }
    void ShowStatus(int, const std::string&) override {}
    void ExitApplication() override {}
    void setLblloginname(const std::string&) override {}
};

// Puts the check's dialog, main form and log in the registry for its lifetime, and the former
// factories back afterwards.
class TCheckServices {
public:
    TCheckServices(const std::shared_ptr<Said>& said)
    {
        Replace(IDialog::IID, [said] { return TIntfFactory::Create(IDialog::IID, [said](IInterfacePtr& obj) {
                                       obj = std::make_shared<TCheckDialog>(said);
                                   }); });
        Replace(ILog::IID, [said] { return TIntfFactory::Create(ILog::IID, [said](IInterfacePtr& obj) {
                                    obj = std::make_shared<TCheckLog>(said, GetSysInfo());
                                }); });
        Replace(IMainForm::IID, [this] { return TObjFactoryEx::Create({IMainForm::IID}, &mainForm_); });
    }
    ~TCheckServices()
    {
        for (auto& [ours, former] : replaced_) {
            FactoryManager().UnRegisterFactory(ours);
            if (former) FactoryManager().RegisterFactory(former);
        }
    }
    TCheckServices(const TCheckServices&) = delete;
    TCheckServices& operator=(const TCheckServices&) = delete;

private:
    template <typename Make>
    void Replace(const TGUID& iid, Make make)
    {
        ISysFactoryPtr former = FactoryManager().FindFactory(iid);
        if (former) FactoryManager().UnRegisterFactory(former);
        replaced_.emplace_back(std::static_pointer_cast<ISysFactory>(make()), former);
    }

    TCheckMainForm mainForm_;
    std::vector<std::pair<ISysFactoryPtr, ISysFactoryPtr>> replaced_;
};

std::string Joined(const std::vector<std::string>& texts, const char* separator)
{
    std::string out;
    for (const auto& text : texts) out += (out.empty() ? "" : separator) + text;
    return out;
}

// The failure's own text: what the requests said, else the fallback.
std::string SaidOr(const Said& said, const std::string& fallback) { return said.empty() ? fallback : Joined(said, "；"); }

class TSelfCheck {
public:
    TSelfCheck(const std::string& appFolder, const TCheckPrinters& printers)
        : appFolder_(appFolder), iniName_(appFolder + "App.ini"), printers_(printers),
          said_(std::make_shared<Said>()), services_(said_)
    {
    }

    std::vector<TCheckResult> Run()
    {
        Step("配置文件", [this] { return Config(); });
        Step("连接测试", [this] { return Connection(); });
        Step("员工登录", [this] { return StaffLogin(); });
        Step("打印机", [this] { return PrinterList(); });
        Step("结算单打印机", [this] { return SlipPrinter(); });
        Step("扫描枪串口", [this] { return ScannerPort(); });
        Step("身份证读卡器", [this] { return IdCardReader(); });
        Step("应用目录", [this] { return FolderWritable(); });
        return results_;
    }

private:
    struct Outcome {
        bool ok;
        std::string text;
    };

    template <typename Check>
    void Step(const char* item, Check check)
    {
        said_->clear();
        Outcome outcome{false, {}};
        try {
            outcome = check();
        } catch (const std::exception& e) {
            outcome = {false, SaidOr(*said_, e.what())};
        }
        results_.push_back({item, outcome.ok, outcome.text});
    }

    Outcome Config()
    {
        if (!std::filesystem::exists(iniName_)) return {false, "找不到系统配置文件！App.ini"};
        std::ifstream in(iniName_);
        if (!in) return {false, "无法读取系统配置文件：" + iniName_};
        const TIniFile ini(iniName_);
        return {true, iniName_};
    }

    Outcome Connection()
    {
        std::string serverTime;
        // The server's time is reported, not taken: the check leaves the clock alone.
        ClockSetter former = SetClockSetter([&serverTime](const DateTime& local) {
            serverTime = local.Format("yyyy-mm-dd hh:nn:ss");
            return true;
        });
        bool connected = false;
        try {
            connected = QueryService<IConnectCFG>()->connectToServer();
        } catch (...) {
            SetClockSetter(std::move(former));
            throw;
        }
        SetClockSetter(std::move(former));
        if (!connected) return {false, SaidOr(*said_, "无法连接应用服务器")};
        return {true, GetSysInfo()->serverURL() + " 服务器时间 " + serverTime};
    }

    Outcome StaffLogin()
    {
        // The login writes empty [userinfo] entries into App.ini when it finds no user name;
        // the check reports that case with the login's own text and leaves the file alone.
        if (!std::filesystem::exists(iniName_)) return {false, "找不到系统配置文件！App.ini"};
        if (TIniFile(iniName_).ReadString("userinfo", "username", "").empty()) return {false, "请输入用户名！"};
        auto login = QueryService<ILogin>();
        if (!login) return {false, "找不到登陆模块！"};
        login->Login();
        if (!login->IsSuccess()) return {false, SaidOr(*said_, "登录失败")};
        loggedIn_ = true;
        const auto user = GetSysInfo()->LoginUserInfo();
        return {true, user ? user->UserName + "，" + user->OrgName : std::string()};
    }

    Outcome PrinterList()
    {
        if (printers_.standIn) return {false, "打印系统中没有打印机，结算单将存为PDF文件"};
        const std::vector<std::string> names = printers_.platform->Printers();
        const std::string fallback = printers_.platform->DefaultPrinter();
        return {true, Joined(names, "，") + (fallback.empty() ? "（没有默认打印机）" : "（默认：" + fallback + "）")};
    }

    Outcome SlipPrinter()
    {
        if (printers_.standIn) return {false, "结算单将存为PDF文件：" + (std::filesystem::path(appFolder_) / "prints").string()};
        if (!loggedIn_) return {false, "未登录，取不到结算单模板"};
        const std::string name = SlipTemplateName();
        TKestPrint engine(nullptr, name, DMPublic()->jcon, *printers_.platform);
        const std::string wanted = engine.PrintTemplate().FieldByName("printername").AsString();
        if (const auto found = FindPrinter(printers_.platform->Printers(), wanted))
            return {true, "模板“" + name + "”：" + *found};
        const std::string fallback = printers_.platform->DefaultPrinter();
        const std::string missing = wanted.empty() ? "未指定打印机" : "的打印机“" + wanted + "”不存在";
        if (fallback.empty()) return {false, "模板“" + name + "”" + missing + "，也没有默认打印机"};
        return {true, "模板“" + name + "”" + missing + "，用默认打印机：" + fallback};
    }

    // The slip's template as PrintConfig.ini names it, read without writing the default there.
    std::string SlipTemplateName() const
    {
        const TIniFile config((std::filesystem::path(appFolder_) / "PrintConfig.ini").string());
        const std::string stored = config.ReadString("结算单", "templateName", "0");
        return stored == "0" ? "默认结算单" : stored;
    }

    Outcome ScannerPort()
    {
        const TIniFile ini(iniName_);
        std::string port = ini.ReadString("server", "com", "");
        if (port.empty()) port = "com1";
        const int baud = static_cast<int>(ini.ReadInteger("server", "baudrate", 9600));
        TComm comm;
        comm.SetCommName(port);
        comm.SetBaudRate(baud);
        try {
            comm.StartComm();
        } catch (const std::exception& e) {
            return {false, "串口初始化失败：" + std::string(e.what())};
        }
        comm.StopComm();
        return {true, SerialDeviceName(port) + " " + std::to_string(baud)};
    }

    Outcome IdCardReader()
    {
        const TIniFile ini(iniName_);
        const std::string library = ini.ReadString("idcard", "library", TIDCardSdk::kDefaultLibrary);
        TIDCardSdk sdk;
        if (!sdk.Load(library)) return {false, sdk.ErrorText()};
        if (sdk.InitComm(1001) != 1) return {false, "连接身份证读卡器失败,请连接好后,重新打开本模块！"};
        std::string maker;
        sdk.ManuID(maker);
        sdk.CloseComm();
        return {true, library + (maker.empty() ? "" : "（" + maker + "）")};
    }

    Outcome FolderWritable()
    {
        const std::filesystem::path probe =
            std::filesystem::path(appFolder_) / (".kiosk-check-" + std::to_string(::getpid()));
        {
            std::ofstream out(probe);
            if (!(out << "check\n") || !(out.flush())) return {false, "应用目录不可写：" + appFolder_};
        }
        std::error_code ec;
        std::filesystem::remove(probe, ec);
        GetSysInfo()->ErrorPath();
        return {true, appFolder_};
    }

    std::string appFolder_;
    std::string iniName_;
    TCheckPrinters printers_;
    std::shared_ptr<Said> said_;
    TCheckServices services_;
    bool loggedIn_ = false;
    std::vector<TCheckResult> results_;
};

} // namespace

std::vector<TCheckResult> RunSelfCheck(const std::string& appFolder, const TCheckPrinters& printers)
{
    TDMPublic dataModule;
    return TSelfCheck(appFolder, printers).Run();
}

std::string CheckLine(const TCheckResult& result)
{
    return result.item + ": " + (result.ok ? "OK" + (result.text.empty() ? "" : " " + result.text) : result.text);
}

int SelfCheckMain(const std::string& appFolder, int argc, char** argv)
{
    // Never a window: the check runs the same on a technician's terminal as under the compositor.
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    RegisterCoreServices(appFolder);
    bool passed = true;
    {
        QApplication app(argc, argv);
        TQtPrintPlatform printers(appFolder);
        const TCheckPrinters parts{&printers, printers.mode() == TQtPrintPlatform::Mode::Pdf};
        for (const TCheckResult& result : RunSelfCheck(appFolder, parts)) {
            std::printf("%s\n", CheckLine(result).c_str());
            passed = passed && result.ok;
        }
        std::fflush(stdout);
        FactoryManager().ReleaseInstances();
    }
    FreeSysService();
    FreeFactoryManager();
    return passed ? 0 : 1;
}

} // namespace kiosk
