// The driver login of the main window against the demo station server, driven offscreen with
// QTest keys and clicks; ID cards come through the simulated reader library. Each check window
// that a login opens is noted and closed by a timer, so the modal wait ends.
#include <gtest/gtest.h>

#include <QHeaderView>
#include <QTest>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "check/frmcheck.h"
#include "core/coreservices.h"
#include "core/dmpublic.h"
#include "core/sysservice.h"
#include "kiosk/frmmainnew.h"
#include "platform/datetime.h"
#include "support/recordingdialog.h"
#include "support/staffsession.h"
#include "support/stationd_fixture.h"
#include "support/tempfolder.h"

using namespace kiosk;

namespace {

int argc = 1;
char arg0[] = "driverlogin_test";
char* argv[] = {arg0, nullptr};

constexpr const char* kZhang = "440101198001010011";  // drives 粤A12345 (71)
constexpr const char* kLiu = "440101198203030044";    // drives 粤A12345 too
constexpr const char* kLi = "440101198501010022";     // 粤A23456 (72)
constexpr const char* kWang = "440101199001010033";   // 粤A34567 (73)
constexpr const char* kNobody = "440101190001010000";
constexpr const char* kDeadServer = "http://127.0.0.1:1/KtBusWeb/";

// A check window as the login left it when it was shown.
struct ShownCheck {
    QPointer<TFrmCheck> window;
    std::string plate;
    std::int64_t vehicleid = 0;
    bool isFrmCheck = false;
};

class DriverLogin : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (!QApplication::instance()) new QApplication(argc, argv);
        InstallFontSubstitutes();
        // One application folder for the run: the reader, once open, stays open on its spool.
        home = new test::TempFolder;
        std::filesystem::create_directories(*home / "idcard-spool");
        setenv("KIOSK_HOME", home->path().c_str(), 1);
        unsetenv("KIOSK_IDCARD_SPOOL");
        TIDCardReader::SetLibrary(KIOSK_TERMB_SIMULATOR);
        server = new stationd::test::Stationd;
    }
    static void TearDownTestSuite()
    {
        TIDCardReader::FreeInstance();
        delete server;
        delete home;
    }

    void SetUp() override
    {
        FreeSysService();
        FreeFactoryManager();
        RegisterCoreServices(home->str());
        dialogs = test::RegisterRecordingDialog();
        // The kiosk's staff account as the demo station logs it in.
        auto user = std::make_shared<TLoginUserInfo>();
        user->OrgID = 11;
        user->StationID = 101;
        GetSysInfo()->setLoginUserInfo(user);
        dm = std::make_unique<TDMPublic>();
        dm->jcon.SetURLHost("http://127.0.0.1:" + std::to_string(server->Port()) + "/KtBusWeb/");
        ASSERT_NO_THROW(test::StaffLogin(dm->jcon));

        closer.setInterval(20);
        QObject::connect(&closer, &QTimer::timeout, [this] { NoteAndCloseCheckWindow(); });
        closer.start();

        form = std::make_unique<TFrmMainNew>();
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
        // A window as large as the kiosk's screen, so every control lies where it is clicked.
        form->setWindowState(Qt::WindowNoState);
        form->setGeometry(0, 0, 1920, 1080);
        Settle();
    }

    void TearDown() override
    {
        closer.stop();
        form.reset();
        dm.reset();
        FreeSysService();
        FreeFactoryManager();
    }

    void NoteAndCloseCheckWindow()
    {
        auto* check = qobject_cast<TFrmCheck*>(QApplication::activeModalWidget());
        if (!check) return;
        shown.push_back({check, check->KestEdtVehicleNo->Text(), check->vehicleid, FrmCheck == check});
        check->close();
    }

    // Lets queued steps run; a check window opened meanwhile has been noted and closed.
    static void Settle() { QTest::qWait(60); }

    void Focus(QWidget* w)
    {
        w->setFocus(Qt::OtherFocusReason);
        QApplication::processEvents();
    }
    void TypeId(const char* id)
    {
        Focus(form->edtUserpwd);
        QTest::keyClicks(form->edtUserpwd, id);
    }
    // Types a plate fragment in the lookup and picks the first vehicle it lists.
    void PickPlate(const char* fragment)
    {
        Focus(form->KestVehicle);
        QTest::keyClicks(form->KestVehicle, fragment);
        ASSERT_TRUE(form->KestVehicle->DropDownShown());
        QTest::keyClick(form->KestVehicle, Qt::Key_Return);
        Settle();
    }
    void LayCard(const std::string& id)
    {
        const std::string cmd = std::string(KIOSK_LAY_CARD) + " --spool " + (*home / "idcard-spool").string() +
                                " --name 张建国 " + id + " > /dev/null";
        ASSERT_EQ(std::system(cmd.c_str()), 0);
    }
    std::string Pinfo() const { return form->LabPinfo->text().toStdString(); }
    static std::string LogText() { return home->Read("error/" + DateTime::Today().DateText() + ".txt"); }

    static test::TempFolder* home;
    static stationd::test::Stationd* server;
    std::shared_ptr<test::TRecordingDialog::Script> dialogs;
    std::unique_ptr<TDMPublic> dm;
    QTimer closer;
    std::vector<ShownCheck> shown;
    std::unique_ptr<TFrmMainNew> form;
};

test::TempFolder* DriverLogin::home = nullptr;
stationd::test::Stationd* DriverLogin::server = nullptr;

// ---------------------------------------------------------------- typed logins

enum class Trigger { PickPlate, EnterInEmptyPlate, EnterInId, LoginButton };

struct TypedLogin {
    const char* name;
    const char* id;         // typed first
    const char* plate;      // fragment picked in the lookup (PickPlate only)
    Trigger trigger;
    const char* opened;     // plate of the check window, "" when none opens
    std::int64_t vehicleid;
    const char* pinfo;      // LabPinfo afterwards
};

const TypedLogin kTypedLogins[] = {
    {"pickWithoutIdAsksForIt", "", "A123", Trigger::PickPlate, "", 0, "请输入驾驶员身份证号！"},
    {"pickWithIdLogsInAtOnce", kLiu, "A123", Trigger::PickPlate, "粤A12345", 71, ""},
    {"enterInEmptyPlateUsesTheIdAlone", kZhang, "", Trigger::EnterInEmptyPlate, "粤A12345", 71, ""},
    {"enterInIdNumber", kLi, "", Trigger::EnterInId, "粤A23456", 72, ""},
    {"loginButton", kWang, "", Trigger::LoginButton, "粤A34567", 73, ""},
    {"unknownDriverWithPlate", kNobody, "A234", Trigger::PickPlate, "", 0, "登录失败，找不到驾驶员对应车辆信息！"},
    {"unknownDriverAlone", kNobody, "", Trigger::EnterInId, "", 0, "登录失败，找不到驾驶员对应车辆信息！"},
    {"buttonWithoutId", "", "", Trigger::LoginButton, "", 0, "请输入驾驶员身份证号！"},
};

class TypedLoginCase : public DriverLogin, public testing::WithParamInterface<TypedLogin> {};

TEST_P(TypedLoginCase, opensTheDriversVehicleOrSaysWhyNot)
{
    const TypedLogin& c = GetParam();
    TypeId(c.id);
    switch (c.trigger) {
    case Trigger::PickPlate: PickPlate(c.plate); break;
    case Trigger::EnterInEmptyPlate:
        Focus(form->KestVehicle);
        QTest::keyClick(form->KestVehicle, Qt::Key_Return);
        break;
    case Trigger::EnterInId: QTest::keyClick(form->edtUserpwd, Qt::Key_Return); break;
    case Trigger::LoginButton: QTest::mouseClick(form->BitBtnkeyok, Qt::LeftButton); break;
    }
    Settle();

    EXPECT_EQ(Pinfo(), c.pinfo);
    EXPECT_TRUE(dialogs->calls.empty());
    if (*c.opened) {
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].plate, c.opened);
        EXPECT_EQ(shown[0].vehicleid, c.vehicleid);
        EXPECT_TRUE(shown[0].isFrmCheck);
        EXPECT_EQ(shown[0].window->parent(), form.get());
        // The next driver finds an empty screen.
        EXPECT_EQ(form->KestVehicle->Text(), "");
        EXPECT_EQ(form->KestVehicle->Id(), 0);
        EXPECT_EQ(form->edtUserpwd->Text(), "");
        return;
    }
    EXPECT_TRUE(shown.empty());
    EXPECT_EQ(form->edtUserpwd->Text(), c.id);
    if (*c.plate) {
        EXPECT_EQ(form->KestVehicle->Text().substr(0, 4), "粤A");
        EXPECT_GT(form->KestVehicle->Id(), 0);
    }
    EXPECT_EQ(QApplication::focusWidget(), form->edtUserpwd);
}

INSTANTIATE_TEST_SUITE_P(Cases, TypedLoginCase, testing::ValuesIn(kTypedLogins),
                         [](const testing::TestParamInfo<TypedLogin>& info) { return std::string(info.param.name); });

TEST_F(DriverLogin, failingRequestGoesToTheErrorBoxAndKeepsTheInputs)
{
    dm->jcon.SetURLHost(kDeadServer);
    TypeId(kZhang);
    QTest::mouseClick(form->BitBtnkeyok, Qt::LeftButton);
    TIDCard card;
    card.FID = kZhang;
    form->cardfound(card);  // the reader would swallow it: the card login reports it itself
    Settle();
    ASSERT_EQ(dialogs->calls.size(), 2u);
    for (const auto& call : dialogs->calls) {
        EXPECT_EQ(call.op, "ShowError");  // the error box of an exception
        EXPECT_NE(call.text.find("无法连接服务器"), std::string::npos) << call.text;
    }
    EXPECT_EQ(form->edtUserpwd->Text(), kZhang);
    EXPECT_TRUE(shown.empty());
    EXPECT_TRUE(form->isEnabled());
}

TEST_F(DriverLogin, idNumberIsUpperCaseAndAtMostTwentyCharacters)
{
    TypeId("44010119800101001x123");
    EXPECT_EQ(form->edtUserpwd->Text(), "44010119800101001X12");
    EXPECT_TRUE(form->edtUserpwd->font().bold());
    QTest::keyClick(form->edtUserpwd, Qt::Key_Escape);
    form->BitBtn2Click();  // the hidden reset
    EXPECT_EQ(form->edtUserpwd->Text(), "");
}

// ---------------------------------------------------------------- the keypad

TEST_F(DriverLogin, keypadTypesIntoTheInputTheDriverWasIn)
{
    auto press = [this](QPushButton* key) { QTest::mouseClick(key, Qt::LeftButton); };
    // The window opens with the ID number edit focused: the keys go there.
    for (QPushButton* key : {form->BitBtnkey4, form->BitBtnkey4, form->BitBtnkey0, form->BitBtn3})
        press(key);
    EXPECT_EQ(form->edtUserpwd->Text(), "440X");
    EXPECT_EQ(form->leavetype, 2);
    EXPECT_EQ(QApplication::focusWidget(), form->edtUserpwd);
    // At the caret, and backspace deletes the character before it.
    form->edtUserpwd->setCursorPosition(2);
    press(form->BitBtnkey9);
    EXPECT_EQ(form->edtUserpwd->Text(), "4490X");
    press(form->BitBtnkeydel);
    press(form->BitBtnkeydel);
    EXPECT_EQ(form->edtUserpwd->Text(), "40X");
    EXPECT_EQ(form->edtUserpwd->cursorPosition(), 1);

    // In the plate lookup the typed digits search for vehicles.
    Focus(form->KestVehicle);
    for (QPushButton* key : {form->BitBtnkey2, form->BitBtnkey3, form->BitBtnkey4})
        press(key);
    EXPECT_EQ(form->KestVehicle->Text(), "234");
    EXPECT_EQ(form->leavetype, 1);
    ASSERT_TRUE(form->KestVehicle->DropDownShown());
    EXPECT_EQ(form->KestVehicle->HelpDataSet().RecordCount(), 2);  // 粤A12345 and 粤A23456
    EXPECT_EQ(form->edtUserpwd->Text(), "40X");
    EXPECT_TRUE(shown.empty());
}

TEST_F(DriverLogin, keypadBeforeAnInputWasLeftTypesNothing)
{
    TFrmMainNew fresh;  // never shown: no input was entered or left
    for (QPushButton* key : {fresh.BitBtnkey1, fresh.BitBtn3, fresh.BitBtnkeydel}) fresh.keyboardClick(key);
    EXPECT_EQ(fresh.leavetype, 0);
    EXPECT_EQ(fresh.edtUserpwd->Text(), "");
    EXPECT_EQ(fresh.KestVehicle->Text(), "");
}

// ---------------------------------------------------------------- cards

TEST_F(DriverLogin, cardsLaidOnTheReaderLogTheirDriversIn)
{
    ASSERT_TRUE(form->initIdcard);
    ASSERT_TRUE(TIDCardReader::GetInstance()->HasObserver(form.get()));
    LayCard(kZhang);
    ASSERT_TRUE(QTest::qWaitFor([&] { return shown.size() == 1; }, 5000));
    // The login screen is active again, so the reader reports to it.
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    LayCard(kLi);
    ASSERT_TRUE(QTest::qWaitFor([&] { return shown.size() == 2; }, 5000));
    Settle();

    EXPECT_EQ(shown[0].plate, "粤A12345");
    EXPECT_EQ(shown[0].vehicleid, 71);
    EXPECT_EQ(shown[1].plate, "粤A23456");
    EXPECT_EQ(shown[1].vehicleid, 72);
    EXPECT_TRUE(shown[0].isFrmCheck);
    EXPECT_TRUE(shown[1].isFrmCheck);
    // Each login its own window; the one before is gone, FrmCheck is the newest.
    EXPECT_TRUE(shown[0].window.isNull());
    ASSERT_FALSE(shown[1].window.isNull());
    EXPECT_EQ(FrmCheck, shown[1].window.data());
    EXPECT_EQ(Pinfo(), "");
    EXPECT_TRUE(dialogs->calls.empty());
}

TEST_F(DriverLogin, cardOfAnUnknownDriverAsksForTheVehicle)
{
    TIDCard card;
    card.FID = kNobody;
    form->cardfound(card);
    EXPECT_EQ(Pinfo(), "登录失败，找不到车辆信息！");
    EXPECT_EQ(QApplication::focusWidget(), form->KestVehicle);
    TIDCard empty;
    form->cardfound(empty);
    EXPECT_TRUE(shown.empty());
    EXPECT_TRUE(dialogs->calls.empty());
}

TEST_F(DriverLogin, icCardLogsInItsVehicleAndIsForgottenAfterwards)
{
    form->CardNotify({1, 0xA1B2C3D4, "A1B2C3D4"});  // not read: nothing happens
    EXPECT_TRUE(shown.empty());
    EXPECT_EQ(Pinfo(), "");
    form->CardNotify({0, 0xA1B2C3D4, "A1B2C3D4"});
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].plate, "粤A12345");
    EXPECT_TRUE(form->cardNo.empty());
    // The next driver types his own ID number and gets his own vehicle.
    TypeId(kWang);
    QTest::keyClick(form->edtUserpwd, Qt::Key_Return);
    Settle();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[1].plate, "粤A34567");

    // And an ID card login after an IC card login is the ID card holder's.
    form->CardNotify({0, 0xA1B2C3D4, "A1B2C3D4"});
    TIDCard card;
    card.FID = kLi;
    form->cardfound(card);
    ASSERT_EQ(shown.size(), 4u);
    EXPECT_EQ(shown[3].plate, "粤A23456");
}

TEST_F(DriverLogin, readerThatRefusesTheWindowIsAWarning)
{
    QWidget holder;
    auto* inner = new TFrmMainNew({}, &holder);  // not a window of its own: the reader refuses it
    holder.show();
    Settle();
    EXPECT_FALSE(inner->initIdcard);
    ASSERT_EQ(dialogs->calls.size(), 1u);
    EXPECT_EQ(dialogs->calls[0].op, "ShowWarning");
    EXPECT_EQ(dialogs->calls[0].text, "读卡器初始化失败，不能读取身份证");
}

TEST_F(DriverLogin, windowLeavesTheReaderWhenDestroyed)
{
    TFrmMainNew* raw = form.get();
    form.reset();
    EXPECT_FALSE(TIDCardReader::GetInstance()->HasObserver(raw));
}

// ---------------------------------------------------------------- schedule tabs

struct ScheduleTab {
    int index;
    std::vector<std::string> titles;
    const char* codeField;
    std::vector<std::string> codes;
};

TEST_F(DriverLogin, scheduleTabsListTheDayAndLogFailures)
{
    const ScheduleTab tabs[] = {
        {1, {"线路名称", "班次号", "发车日期", "发车时间", "已售", "状态", "原因"}, "code", {"K1030", "K1600"}},
        {2, {"线路名称", "班次号", "发车日期", "发车时间", "已售数", "停车库"}, "schedulecode", {"J1400", "J1800"}},
    };
    for (const ScheduleTab& tab : tabs) {
        SCOPED_TRACE(tab.index);
        form->pagecontrl->setCurrentIndex(tab.index);
        Settle();
        TKtDbgridEh* grid = tab.index == 1 ? form->KtDbgridEh2 : form->KtDbgridEh1;
        std::vector<std::string> titles, codes;
        for (int c = 0; c < grid->model()->columnCount(); ++c)
            titles.push_back(grid->model()->headerData(c, Qt::Horizontal).toString().toStdString());
        for (int r = 0; r < grid->model()->rowCount(); ++r) codes.push_back(grid->RowValue(r, tab.codeField).ToText());
        EXPECT_EQ(titles, tab.titles);
        EXPECT_EQ(codes, tab.codes);
        EXPECT_TRUE(grid->RowSelect());
        EXPECT_TRUE(grid->horizontalHeader()->sectionsMovable());
        EXPECT_EQ(grid->font().pixelSize(), 35);
    }

    const std::size_t before = LogText().size();
    dm->jcon.SetURLHost(kDeadServer);
    for (int index : {1, 2}) {
        form->pagecontrl->setCurrentIndex(0);
        form->pagecontrl->setCurrentIndex(index);
    }
    const std::string logged = LogText().substr(before);
    std::size_t lines = 0;
    for (auto at = logged.find("查询报班班次操作失败："); at != std::string::npos;
         at = logged.find("查询报班班次操作失败：", at + 1))
        ++lines;
    EXPECT_EQ(lines, 2u) << logged;
    EXPECT_TRUE(dialogs->calls.empty());
    EXPECT_EQ(form->KtDbgridEh2->model()->rowCount(), 0);
}

// ---------------------------------------------------------------- how it looks

// KIOSK_LOGIN_SCREENSHOT=DIR saves the login tab (empty, with a lookup open, after a failed
// login) and the two lists as PNG files.
TEST_F(DriverLogin, screenshotsOnRequest)
{
    const char* dir = std::getenv("KIOSK_LOGIN_SCREENSHOT");
    if (!dir) GTEST_SKIP() << "KIOSK_LOGIN_SCREENSHOT not set";
    form->grab().save(QString(dir) + "/login.png");
    Focus(form->KestVehicle);
    QTest::keyClicks(form->KestVehicle, "A");
    form->grab().save(QString(dir) + "/login-lookup.png");
    TypeId(kNobody);
    QTest::keyClick(form->edtUserpwd, Qt::Key_Return);
    form->grab().save(QString(dir) + "/login-failed.png");
    for (int index : {1, 2}) {
        form->pagecontrl->setCurrentIndex(index);
        Settle();
        form->grab().save(QString(dir) + "/tab" + QString::number(index) + ".png");
    }
}

} // namespace
