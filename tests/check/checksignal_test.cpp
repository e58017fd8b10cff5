// The sound and the colour of every check on the check screen against stationd: a pass, a
// refusal by the check, a refusal by the pre-check and a check that failed on the way, and
// scans that came in a row each with their own sound.
#include <thread>

#include "checkfixture.h"
#include "check/checksignal.h"
#include "faultproxy.h"
#include "pty.h"
#include "support/recordingsoundplayer.h"

namespace kiosk {
namespace {

using test::CheckScreen;
using test::kBusK0830;

class CheckSignals : public CheckScreen {
protected:
    TFrmCheck& OpenWithSounds(std::int64_t vehicle)
    {
        TFrmCheck& screen = Open(vehicle);
        screen.SetSoundPlayer(&sounds);
        return screen;
    }
    QColor FlashColour() const { return form->CheckSignal().Flash().Colour(); }

    test::TRecordingSoundPlayer sounds;
};

// With KIOSK_SHOTS set to a folder, the screen as the driver sees it is saved there as NAME.png.
void SaveShot(TFrmCheck& screen, const char* name)
{
    const QString folder = qEnvironmentVariable("KIOSK_SHOTS");
    if (!folder.isEmpty()) screen.grab().save(folder + "/" + name + ".png");
}

// Where each control of the check tab's top panel sits.
std::vector<QRect> Places(const TFrmCheck& screen)
{
    std::vector<QRect> places;
    for (const QWidget* w : screen.Panel1->findChildren<QWidget*>())
        if (w->objectName() != "CheckFlash") places.push_back(w->geometry());
    return places;
}

TEST_F(CheckSignals, EachResultHasItsSoundAndColourAndTheStatusLineStaysItsOwn)
{
    struct Case {
        const char* ticket;
        bool failOnTheWay;
        TCheckSound sound;
        QColor colour;
        const char* statusStart;  // nullptr: a warning box tells, the status line is not touched
    };
    // The failure on the way comes last: the proxy fails the check from then on.
    const Case cases[] = {
        {"11011", false, TCheckSound::Ok, TCheckSignal::kPassed, "检票成功！11号座"},
        {"11032", false, TCheckSound::Refused, TCheckSignal::kRefused, ""},   // the check refuses
        {"99999", false, TCheckSound::Refused, TCheckSignal::kRefused, nullptr}, // the pre-check refuses
        {"11013", true, TCheckSound::Error, TCheckSignal::kRefused, "检票操作失败："},
    };
    test::FaultProxy proxy(station.Port());
    SetServer(proxy.URLHost());
    OpenWithSounds(kBusK0830);
    const QString statusStyle = form->lbl2->styleSheet();
    const QColor statusColour = form->lbl2->palette().color(QPalette::WindowText);
    EXPECT_FALSE(FlashColour().isValid());

    for (const Case& c : cases) {
        SCOPED_TRACE(c.ticket);
        sounds.played.clear();
        dialogs->calls.clear();
        form->lbl2->setText("前一位乘客");
        if (c.failOnTheWay) proxy.Fail("checkticket/checkbyTicketno");
        Type(c.ticket);
        EXPECT_EQ(sounds.played, std::vector<TCheckSound>{c.sound});
        EXPECT_EQ(FlashColour(), c.colour);
        if (c.statusStart) {
            EXPECT_TRUE(form->lbl2->text().startsWith(c.statusStart)) << form->lbl2->text().toStdString();
            EXPECT_NE(form->lbl2->text(), "前一位乘客");
        } else {
            ASSERT_EQ(dialogs->calls.size(), 1u);
            EXPECT_EQ(dialogs->calls[0].op, "ShowWarning");
        }
        // The flash leaves the status line's own colour alone, lies around the ticket field and
        // moves nothing: every control is where it is once the flash has gone.
        EXPECT_EQ(form->lbl2->styleSheet(), statusStyle);
        EXPECT_EQ(form->lbl2->palette().color(QPalette::WindowText), statusColour);
        SaveShot(*form, c.ticket);
        const QRect field = form->KestEdtTicketNO->geometry();
        EXPECT_TRUE(form->CheckSignal().Flash().geometry().contains(field));
        const std::vector<QRect> flashing = Places(*form);
        // About a second later the colour is gone.
        EXPECT_TRUE(QTest::qWaitFor([this] { return !FlashColour().isValid(); }, 3000));
        EXPECT_EQ(Places(*form), flashing);
    }
}

class ScannedSignals : public CheckSignals {
protected:
    void SetUp() override
    {
        CheckSignals::SetUp();
        home.Write("App.ini", "[server]\ncom=" + pty.SlavePath() + "\nbaudrate=9600\n");
        OpenWithSounds(kBusK0830);
        ASSERT_TRUE(form->ComInitSucceeded());
    }
    test::PseudoTerminal pty;
};

TEST_F(ScannedSignals, ScansInARowEachGetTheirOwnSoundInOrder)
{
    // Written together, the scans arrive while the first check runs and wait behind it.
    pty.Write("0000011019\r\n");
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    pty.Write("0000011032\r\n");
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    pty.Write("0000011020\r\n");
    ASSERT_TRUE(QTest::qWaitFor([this] { return sounds.played.size() >= 3; }, 8000)) << sounds.played.size();
    const std::vector<TCheckSound> inOrder = {TCheckSound::Ok, TCheckSound::Refused, TCheckSound::Ok};
    EXPECT_EQ(sounds.played, inOrder);
    EXPECT_EQ(SeatState(19), "7");
    EXPECT_EQ(SeatState(20), "7");
}

} // namespace
} // namespace kiosk
