#include <gtest/gtest.h>

#include <cstdlib>

#include "core/coreservices.h"
#include "core/pluginmgr.h"
#include "core/sysservice.h"
#include "platform/exception.h"
#include "support/recordingdialog.h"
#include "support/tempfolder.h"

using namespace kiosk;

namespace {

class FakeMainForm : public IMainForm {
public:
    bool Implements(const TGUID& iid) const override { return iid == IMainForm::IID || iid == IInterface::IID; }
    void ShowStatus(int, const std::string&) override {}
    void ExitApplication() override { ++exits; }
    void setLblloginname(const std::string&) override {}
    int exits = 0;
};

struct Outcome {
    bool connects = true;
    bool logsIn = true;
    std::vector<std::string>* journal = nullptr;
};

class FakeConnect : public TInterfacedObject<IConnectCFG> {
public:
    explicit FakeConnect(Outcome* o) : o_(o) {}
    bool connectToServer() override
    {
        o_->journal->push_back("connect");
        return o_->connects;
    }
    Outcome* o_;
};

class FakeLogin : public TInterfacedObject<ILogin> {
public:
    explicit FakeLogin(Outcome* o) : o_(o) {}
    void Login() override { o_->journal->push_back("login"); }
    void LoginReserved1() override {}
    void LoginReserved2() override {}
    void Logout() override {}
    bool IsSuccess() const override { return o_->logsIn; }
    Outcome* o_;
};

class PluginMgr : public testing::Test {
protected:
    void SetUp() override
    {
        FreeSysService();
        FreeFactoryManager();
        RegisterCoreServices(dir.str());
        // The start-up checks are played by the fakes below.
        FactoryManager().UnRegisterFactory(IConnectCFG::IID);
        FactoryManager().UnRegisterFactory(ILogin::IID);
        dialogs = test::RegisterRecordingDialog();
        outcome.journal = &journal;
    }
    void TearDown() override
    {
        FreeSysService();
        FreeFactoryManager();
    }
    void RegisterConnectAndLogin()
    {
        TIntfFactory::Create(IConnectCFG::IID, [this](IInterfacePtr& obj) { obj = std::make_shared<FakeConnect>(&outcome); });
        TIntfFactory::Create(ILogin::IID, [this](IInterfacePtr& obj) { obj = std::make_shared<FakeLogin>(&outcome); });
    }
    std::vector<std::string> ErrorTexts() const
    {
        std::vector<std::string> texts;
        for (const auto& c : dialogs->calls)
            if (c.op == "ShowError") texts.push_back(c.text);
        return texts;
    }
    test::TempFolder dir;
    std::shared_ptr<test::TRecordingDialog::Script> dialogs;
    std::vector<std::string> journal;
    Outcome outcome;
    FakeMainForm form;
};

TParameterList List(std::initializer_list<std::string> lines)
{
    return std::make_shared<std::vector<std::string>>(lines);
}

const std::string kFn = "{11111111-0000-0000-0000-000000000001}";
const std::string kSub = "{11111111-0000-0000-0000-000000000002}";

} // namespace

TEST_F(PluginMgr, registersMainFormAndItselfWithoutOwningThem)
{
    {
        TPluginMgr mgr(&form, dir.str());
        GetMainForm()->ExitApplication();
        EXPECT_EQ(form.exits, 1);
        EXPECT_EQ(QueryService<IRegPlugin>().get(), static_cast<IRegPlugin*>(&mgr));
    }
    EXPECT_EQ(QueryService<IRegPlugin>(), nullptr);
    EXPECT_EQ(QueryService<IMainForm>(), nullptr);
}

TEST_F(PluginMgr, startupChecksRunInOrderAndEndTheProgramOnFailure)
{
    RegisterConnectAndLogin();
    TPluginMgr mgr(&form, dir.str());
    mgr.Init();
    EXPECT_EQ(journal, (std::vector<std::string>{"connect", "login"}));
    EXPECT_EQ(form.exits, 0);
    EXPECT_TRUE(dialogs->calls.empty());

    // A failed connection test still lets the login step run; both end requests come later.
    outcome.connects = false;
    outcome.logsIn = false;
    journal.clear();
    mgr.Init();
    EXPECT_EQ(journal, (std::vector<std::string>{"connect", "login"}));
    EXPECT_EQ(ErrorTexts(), (std::vector<std::string>{"无法连接应用服务器"}));
    EXPECT_EQ(form.exits, 2);
}

TEST_F(PluginMgr, missingServicesOfTheStartup)
{
    TPluginMgr mgr(&form, dir.str());
    mgr.Init();  // no connection test registered: skipped silently; no login: error and end
    EXPECT_EQ(ErrorTexts(), (std::vector<std::string>{"找不到登陆模块！"}));
    EXPECT_EQ(form.exits, 1);
}

TEST_F(PluginMgr, permissionsAreKeptPerParameterListAndUpdated)
{
    TPluginMgr mgr(&form, dir.str());
    mgr.registerFunctionPermission("pkg", kFn, nullptr, false, "菜单", "first");
    mgr.registerFunctionPermission("pkg", kFn, nullptr, true, "other menu", "second");
    ASSERT_EQ(mgr.Loaders().size(), 1u);
    TFunctionPermission* p = mgr.getFunctionPermission(kFn, nullptr);
    ASSERT_NE(p, nullptr);
    EXPECT_TRUE(p->enable);
    EXPECT_EQ(p->describe, "second");
    EXPECT_EQ(p->menuname, "菜单");
    EXPECT_FALSE(mgr.Loaders()[0]->Loaded());  // a package named only by registration is not loaded

    mgr.registerFunctionPermission("pkg", kFn, List({"a", "b"}), true, "m", "with list");
    EXPECT_NE(mgr.getFunctionPermission(kFn, List({"a", "b"})), p);
    EXPECT_EQ(mgr.getFunctionPermission(kFn, List({"a", "b"}))->describe, "with list");
    EXPECT_EQ(mgr.getFunctionPermission(kFn, List({"a"})), nullptr);
    EXPECT_EQ(mgr.getFunctionPermission(TGUID::FromText(kFn), List({})), p);  // an empty list is no list
}

TEST_F(PluginMgr, subFunctionBeforeItsFunctionCreatesTheFunction)
{
    TPluginMgr mgr(&form, dir.str());
    mgr.registerSubFunctionPermission("pkg", kFn, nullptr, kSub, true, "m", "sub");
    TFunctionPermission* p = mgr.getFunctionPermission(kFn, nullptr);
    ASSERT_NE(p, nullptr);
    EXPECT_FALSE(p->enable);
    EXPECT_EQ(p->describe, "");
    mgr.registerSubFunctionPermission("pkg", kFn, nullptr, kSub, false, "m", "sub again");
    ASSERT_EQ(p->SubFunctions().size(), 1u);
    EXPECT_FALSE(p->SubFunctions()[0].enable);
    EXPECT_EQ(p->SubFunctions()[0].describe, "sub again");
    mgr.registerFunctionPermission("pkg", kFn, nullptr, true, "m", "now described");
    EXPECT_EQ(mgr.getFunctionPermission(kFn, nullptr), p);
    EXPECT_TRUE(p->enable);
    EXPECT_THROW(mgr.getFunctionPermission("not a guid", nullptr), Exception);
    mgr.exec(TGUID(), nullptr);
}

TEST_F(PluginMgr, packagesLoadInFileOrderAndBrokenOnesAreSkipped)
{
    unsetenv("GOODPLUGIN_INIT");
    unsetenv("GOODPLUGIN_FINAL");
    dir.Write("App.ini", std::string("[plugin]\n") + "z=" + KIOSK_GOOD_PLUGIN + "\n" + "a=" + dir.str() +
                             "missing.so\n" + "m=" + KIOSK_THROWING_PLUGIN + "\n" + "b=" + KIOSK_BARE_PLUGIN +
                             "\n" + "c=" + dir.str() + "App.ini\n");
    std::vector<std::string> reports;
    {
        TPluginMgr mgr(&form, dir.str());
        mgr.SetErrorReport([&](const std::string& t) { reports.push_back(t); });
        mgr.LoadPackage(true);
        ASSERT_EQ(mgr.Loaders().size(), 4u);
        EXPECT_EQ(mgr.Loaders()[0]->PackageFile(), KIOSK_GOOD_PLUGIN);
        EXPECT_TRUE(mgr.Loaders()[0]->Inited());
        EXPECT_EQ(mgr.Loaders()[0]->FunctionItems().size(), 1u);
        EXPECT_FALSE(mgr.Loaders()[1]->Inited());  // its initialisation threw
        EXPECT_TRUE(mgr.Loaders()[2]->Loaded());
        EXPECT_FALSE(mgr.Loaders()[2]->Inited());  // loads, exports nothing
        EXPECT_FALSE(mgr.Loaders()[3]->Loaded());  // not a library
        EXPECT_STREQ(std::getenv("GOODPLUGIN_INIT"), "1");
        mgr.LoadPackage(false);  // empty section
        EXPECT_EQ(mgr.Loaders().size(), 4u);
    }
    EXPECT_STREQ(std::getenv("GOODPLUGIN_FINAL"), "1");
    ASSERT_EQ(reports.size(), 3u);
    EXPECT_EQ(reports[0], "找不到包[" + dir.str() + "missing.so]，无法加载！");
    EXPECT_EQ(reports[1].rfind(std::string("加载包[") + KIOSK_THROWING_PLUGIN + "]出错，错误：初始化失败", 0), 0u);
    EXPECT_EQ(reports[2].rfind("加载包[" + dir.str() + "App.ini]出错，错误：", 0), 0u);
    EXPECT_TRUE(dialogs->calls.empty());
}

TEST_F(PluginMgr, missingAppIniEndsTheProgram)
{
    TPluginMgr mgr(&form, dir.str());
    mgr.LoadPackage(true);
    EXPECT_EQ(ErrorTexts(), (std::vector<std::string>{"找不到系统配置文件！App.ini"}));
    EXPECT_EQ(form.exits, 1);
    EXPECT_TRUE(mgr.Loaders().empty());
}

TEST_F(PluginMgr, defaultErrorReportWritesTheLog)
{
    dir.Write("App.ini", "[pluginafterlogin]\nx=/nonexistent/pkg.so\n");
    TPluginMgr mgr(&form, dir.str());
    mgr.LoadPackage(false);
    std::string log;
    for (const auto& e : std::filesystem::directory_iterator(dir / "error")) log += test::ReadFile(e.path());
    EXPECT_NE(log.find("  找不到包[/nonexistent/pkg.so]，无法加载！\r\n"), std::string::npos);
}
