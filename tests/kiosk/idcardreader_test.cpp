#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "core/coreservices.h"
#include "core/sysservice.h"
#include "kiosk/idcardreader.h"
#include "platform/exception.h"
#include "support/tempfolder.h"

using namespace kiosk;

namespace {

int argc = 1;
char arg0[] = "kiosk_test";
char* argv[] = {arg0, nullptr};

class CardForm : public QWidget, public IIDCardfound {
public:
    bool Implements(const TGUID& iid) const override { return iid == IIDCardfound::IID || iid == IInterface::IID; }
    void cardfound(const TIDCard& card) override
    {
        cards.push_back(card);
        if (throws) throw Exception("observer failed");
    }
    std::vector<TIDCard> cards;
    bool throws = false;
};

class NotAForm : public IIDCardfound {
public:
    bool Implements(const TGUID&) const override { return true; }
    void cardfound(const TIDCard&) override {}
};

// The reader is one per process and its device, once open, stays open: the tests run in
// this order, the ones without a device first.
class IdCardReader : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (!QApplication::instance()) new QApplication(argc, argv);
    }
    void SetUp() override
    {
        FreeSysService();
        FreeFactoryManager();
        RegisterCoreServices(home.str());
        setenv("KIOSK_HOME", home.path().c_str(), 1);
        unsetenv("KIOSK_IDCARD_SPOOL");
        TIDCardReader::SetLibrary(KIOSK_TERMB_SIMULATOR);
    }
    void TearDown() override
    {
        TIDCardReader::FreeInstance();
        FreeSysService();
        FreeFactoryManager();
    }
    void LayCard(const std::string& id)
    {
        const std::string cmd = std::string(KIOSK_LAY_CARD) + " --spool " + (home / "idcard-spool").string() +
                                " --name 李四 --valid-to 长期 " + id + " > /dev/null";
        ASSERT_EQ(std::system(cmd.c_str()), 0);
    }
    test::TempFolder home;
};

} // namespace

TEST_F(IdCardReader, deviceThatCannotBeOpenedRegistersNothing)
{
    CardForm form;
    TIDCardReader* reader = TIDCardReader::GetInstance();
    reader->addObserver(&form, false, false);  // no spool folder: the simulated reader is absent
    EXPECT_FALSE(TIDCardReader::DeviceOpen());
    EXPECT_NE(TIDCardReader::GetInstance(), reader);  // a fresh reader tries again

    QString shown;
    QTimer::singleShot(0, &form, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        shown = box->windowTitle() + "|" + box->text();
        box->accept();
    });
    TIDCardReader* fresh = TIDCardReader::GetInstance();
    fresh->addObserver(&form, true, false);
    EXPECT_EQ(shown, "提示|连接身份证读卡器失败,请连接好后,重新打开本模块！");
    EXPECT_FALSE(TIDCardReader::DeviceOpen());
}

TEST_F(IdCardReader, libraryWithoutTheEntryPointsCannotOpen)
{
    std::filesystem::create_directories(home / "idcard-spool");
    TIDCardReader::SetLibrary("libc.so.6");
    CardForm form;
    TIDCardReader::GetInstance()->addObserver(&form, false, false);
    EXPECT_FALSE(TIDCardReader::DeviceOpen());
}

TEST_F(IdCardReader, observerMustBeAForm)
{
    NotAForm plain;
    QWidget parent;
    CardForm child;
    child.setParent(&parent);
    for (IIDCardfound* o : std::initializer_list<IIDCardfound*>{&plain, &child}) {
        try {
            TIDCardReader::GetInstance()->addObserver(o, false, false);
            ADD_FAILURE();
        } catch (const Exception& e) {
            EXPECT_STREQ(e.what(), "身份证读卡观察者必须是TCustomForm子类");
        }
    }
}

TEST_F(IdCardReader, aCardLaidOnTheSimulatedReaderReachesTheObservers)
{
    std::filesystem::create_directories(home / "idcard-spool");
    CardForm first, second;
    first.throws = true;
    TIDCardReader* reader = TIDCardReader::GetInstance();
    reader->addObserver(&first, true, false);
    ASSERT_TRUE(TIDCardReader::DeviceOpen());
    EXPECT_TRUE(reader->timerSearchCard->isActive());
    EXPECT_EQ(reader->timerSearchCard->interval(), 500);
    reader->addObserver(&second, false, true);
    reader->addObserver(&second, false, false);  // registered twice: one entry, newer flag

    reader->timerSearchCardTimer();  // no card yet
    EXPECT_TRUE(first.cards.empty());

    LayCard("440101198501010022");
    reader->timerSearchCardTimer();
    ASSERT_EQ(first.cards.size(), 1u);
    ASSERT_EQ(second.cards.size(), 1u);  // the first observer's failure is swallowed
    EXPECT_EQ(second.cards[0].FID, "440101198501010022");
    EXPECT_EQ(second.cards[0].FName, "李四");
    EXPECT_FALSE(second.cards[0].FVld_E);
    EXPECT_FALSE(second.cards[0].Fphoto.isNull());
    EXPECT_TRUE(reader->timerSearchCard->isActive());

    reader->timerSearchCardTimer();  // the card was taken away
    EXPECT_EQ(second.cards.size(), 1u);

    reader->removeObserver(&first);
    EXPECT_FALSE(reader->HasObserver(&first));
    LayCard("440101199001010033");
    reader->timerSearchCardTimer();
    EXPECT_EQ(first.cards.size(), 1u);
    EXPECT_EQ(second.cards.size(), 2u);

    // A read that succeeds but leaves no wz.txt here (the reader writes into another folder)
    // reports no card.
    std::filesystem::remove(home / "wz.txt");
    test::TempFolder elsewhere;
    setenv("KIOSK_IDCARD_SPOOL", (home / "idcard-spool").c_str(), 1);
    setenv("KIOSK_HOME", elsewhere.path().c_str(), 1);
    LayCard("440101199001010044");
    reader->timerSearchCardTimer();
    EXPECT_TRUE(std::filesystem::exists(elsewhere / "wz.txt"));
    EXPECT_EQ(second.cards.size(), 2u);
    EXPECT_TRUE(reader->timerSearchCard->isActive());
}

TEST_F(IdCardReader, observerOnlyWhenActiveIsSkippedWhileDisabledOrHidden)
{
    std::filesystem::create_directories(home / "idcard-spool");
    CardForm login;
    login.setProperty("kioskMainForm", true);
    TIDCardReader* reader = TIDCardReader::GetInstance();
    reader->addObserver(&login, false, true);
    LayCard("440101198001010011");
    reader->timerSearchCardTimer();  // hidden: not eligible, the card stays on the reader
    EXPECT_TRUE(login.cards.empty());
    login.show();
    login.setEnabled(false);  // a check window is open over the login screen
    reader->timerSearchCardTimer();
    EXPECT_TRUE(login.cards.empty());
    EXPECT_FALSE(std::filesystem::is_empty(home / "idcard-spool"));
}
