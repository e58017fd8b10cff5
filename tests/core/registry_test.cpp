#include <gtest/gtest.h>

#include "core/coreservices.h"
#include "core/sysservice.h"
#include "platform/exception.h"
#include "support/recordingdialog.h"
#include "support/tempfolder.h"

using namespace kiosk;

namespace {

// Each test starts with an empty registry and the unit-level services of the core.
class Registry : public testing::Test {
protected:
    void SetUp() override
    {
        FreeSysService();
        FreeFactoryManager();
        RegisterCoreServices(dir.str());
        test::RegisterRecordingDialog();
    }
    void TearDown() override
    {
        FreeSysService();
        FreeFactoryManager();
    }
    test::TempFolder dir;
};

std::string MessageOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const Exception& e) {
        return e.what();
    }
    return "(no error)";
}

// A form-like object that is not reference-counted.
class FakeMainForm : public IMainForm {
public:
    bool Implements(const TGUID& iid) const override { return iid == IMainForm::IID || iid == IInterface::IID; }
    void ShowStatus(int, const std::string&) override {}
    void ExitApplication() override {}
    void setLblloginname(const std::string& text) override { login = text; }
    std::string login;
};

class CountedMainForm : public TInterfacedObject<IMainForm> {
public:
    void ShowStatus(int, const std::string&) override {}
    void ExitApplication() override {}
    void setLblloginname(const std::string&) override {}
};

} // namespace

TEST_F(Registry, locatorAnswersTheBasicInterfaceWithItself)
{
    IInterfacePtr obj;
    EXPECT_EQ(SysService()->QueryInterface(IInterface::IID, obj), S_OK);
    EXPECT_EQ(obj.get(), static_cast<IInterface*>(SysService().get()));
}

TEST_F(Registry, intfFactoryMakesFreshObjectsSingletonKeepsOneUntilReleased)
{
    EXPECT_NE(GetDialog().get(), GetDialog().get());
    EXPECT_NE(GetLog().get(), GetLog().get());
    auto first = GetSysInfo();
    first->setServerURL("http://127.0.0.1:8080/KtBusWeb/");
    EXPECT_EQ(GetSysInfo().get(), first.get());
    EXPECT_EQ(GetSysInfo()->serverURL(), "http://127.0.0.1:8080/KtBusWeb/");
    FactoryManager().ReleaseInstances();
    EXPECT_NE(GetSysInfo().get(), first.get());
    EXPECT_EQ(GetSysInfo()->serverURL(), "");
}

TEST_F(Registry, missingServicesRaiseWithTheirIdentifier)
{
    EXPECT_EQ(MessageOf([] { GetEncdDecd(); }), "找不到{58F6F931-CC76-410E-B17D-AA3BD462DCDB}接口！");
    EXPECT_EQ(MessageOf([] { GetMainForm(); }), "找不到{5A9D183E-D0BC-4033-BF48-D0CC5DB6270F}接口！");
    EXPECT_EQ(QueryService<IEncdDecd>(), nullptr);
    IInterfacePtr obj = std::make_shared<CountedMainForm>();
    EXPECT_EQ(SysService()->QueryInterface(IEncdDecd::IID, obj), E_NOINTERFACE);
    EXPECT_EQ(obj, nullptr);
}

TEST_F(Registry, secondRegistrationIsRefusedAndTheFirstStays)
{
    const int before = FactoryManager().List().Count();
    EXPECT_EQ(MessageOf([] { TIntfFactory::Create(ILog::IID, [](IInterfacePtr&) {}); }),
              "接口{28547D91-03D0-4997-B141-F8FC8E3438BC}已存在，不能重复注册！");
    EXPECT_EQ(FactoryManager().List().Count(), before);
    EXPECT_NE(GetLog(), nullptr);
}

TEST_F(Registry, objFactoryExposesAnExistingObject)
{
    FakeMainForm form;
    auto factory = TObjFactoryEx::Create({IMainForm::IID}, &form);
    ASSERT_NE(factory, nullptr);
    GetMainForm()->setLblloginname("kiosk01");
    EXPECT_EQ(form.login, "kiosk01");
    IInterfacePtr obj;
    EXPECT_EQ(MessageOf([&] { factory->CreateInstance(ILog::IID, obj); }),
              "不支持接口{28547D91-03D0-4997-B141-F8FC8E3438BC}！");
    FactoryManager().UnRegisterFactory(IMainForm::IID);
    EXPECT_EQ(QueryService<IMainForm>(), nullptr);
}

TEST_F(Registry, objFactoryRefusals)
{
    const int before = FactoryManager().List().Count();
    EXPECT_EQ(TObjFactoryEx::Create({IMainForm::IID}, nullptr), nullptr);
    IInterfacePtr obj;
    EXPECT_EQ(SysService()->QueryInterface(IMainForm::IID, obj), E_NOINTERFACE);

    CountedMainForm counted;
    EXPECT_EQ(MessageOf([&] { TObjFactoryEx::Create({IMainForm::IID}, &counted); }),
              "不要用TObjFactoryEx注册TInterfacedObject及其子类实现的接口！");
    FakeMainForm form;
    EXPECT_EQ(MessageOf([&] { TObjFactoryEx::Create({}, &form); }), "TObjFactoryEx注册参数IIDs不能为空！");
    EXPECT_EQ(MessageOf([&] { TObjFactoryEx::Create({IMainForm::IID, ILog::IID}, &form); }),
              "接口{28547D91-03D0-4997-B141-F8FC8E3438BC}已存在，不能重复注册！");
    EXPECT_EQ(FactoryManager().List().Count(), before);
    // An identifier repeated inside one array is accepted: the check is against the registry.
    EXPECT_NE(TObjFactoryEx::Create({IMainForm::IID, IMainForm::IID}, &form), nullptr);
}

TEST_F(Registry, ownedObjectIsFreedOnRelease)
{
    static int alive = 0;
    struct Owned : FakeMainForm {
        Owned() { ++alive; }
        ~Owned() override { --alive; }
    };
    TObjFactoryEx::Create({IMainForm::IID}, new Owned, true);
    EXPECT_EQ(alive, 1);
    FactoryManager().ReleaseInstances();
    EXPECT_EQ(alive, 0);
}

TEST_F(Registry, singletonWhoseObjectLacksTheInterfaceRaises)
{
    const TGUID iid = TGUID::FromText("{11111111-2222-3333-4444-555555555555}");
    TSingletonFactory::Create(iid, [](IInterfacePtr& obj) { obj = std::make_shared<CountedMainForm>(); });
    IInterfacePtr obj;
    EXPECT_EQ(MessageOf([&] { SysService()->QueryInterface(iid, obj); }),
              "对象不支持{11111111-2222-3333-4444-555555555555}接口！");
}

TEST_F(Registry, intfFactoryWhoseObjectLacksTheInterfaceAnswersEmpty)
{
    const TGUID iid = TGUID::FromText("{11111111-2222-3333-4444-555555555556}");
    TIntfFactory::Create(iid, [](IInterfacePtr& obj) { obj = std::make_shared<CountedMainForm>(); });
    IInterfacePtr obj;
    EXPECT_EQ(SysService()->QueryInterface(iid, obj), S_OK);
    EXPECT_EQ(obj, nullptr);
}

TEST_F(Registry, unregisterCases)
{
    FactoryManager().UnRegisterFactory(ISysFactoryPtr());  // nothing happens
    EXPECT_EQ(MessageOf([] { FactoryManager().UnRegisterFactory(IEncdDecd::IID); }),
              "未找到{58F6F931-CC76-410E-B17D-AA3BD462DCDB}接口！");
    EXPECT_EQ(MessageOf([] { FactoryManager().List().GetFactory(IEncdDecd::IID); }),
              "未找到{58F6F931-CC76-410E-B17D-AA3BD462DCDB}接口！");
    FactoryManager().UnRegisterFactory(ILog::IID);
    EXPECT_FALSE(FactoryManager().Exists(ILog::IID));
}

TEST_F(Registry, appPathAndErrorPath)
{
    auto info = GetSysInfo();
    EXPECT_EQ(info->AppPath(), dir.str());
    EXPECT_FALSE(std::filesystem::exists(dir / "error"));
    EXPECT_EQ(info->ErrorPath(), dir.str() + "error");
    EXPECT_TRUE(std::filesystem::is_directory(dir / "error"));
}
