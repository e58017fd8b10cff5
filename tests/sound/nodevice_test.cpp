// The check sound player on a kiosk without a sound device: every sound is skipped without a
// fault, and the log says so once.
#include "sound/checksoundplayer.h"
#include "soundtestsupport.h"

#include <QAudioDevice>
#include <QMediaDevices>

namespace kiosk {
namespace {

using test::SoundFolder;

int Count(const std::string& text, const std::string& what)
{
    int n = 0;
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size())) ++n;
    return n;
}

TEST_F(SoundFolder, WithoutADeviceTheChecksGoOnSilentlyAndTheLogSaysSoOnce)
{
    ASSERT_TRUE(QMediaDevices::audioOutputs().isEmpty()) << "this test runs with the sound server out of reach";
    TCheckSoundPlayer first(home.str());
    for (const TCheckSound sound : {TCheckSound::Ok, TCheckSound::Refused, TCheckSound::Error}) first.Play(sound);
    // The next check screen of the day has no device either.
    TCheckSoundPlayer second(home.str());
    second.Play(TCheckSound::Ok);
    QTest::qWait(50);
    EXPECT_EQ(first.Effect(TCheckSound::Ok), nullptr);
    EXPECT_EQ(first.Waiting(), 0);
    EXPECT_EQ(Count(Log(), "没有声音设备"), 1) << Log();
}

TEST_F(SoundFolder, TurnedOffInAppIniNothingIsTriedOrLogged)
{
    home.Write("App.ini", "[sound]\nenabled=0\n");
    TCheckSoundPlayer player(home.str());
    player.Play(TCheckSound::Ok);
    EXPECT_EQ(player.Effect(TCheckSound::Ok), nullptr);
    EXPECT_EQ(Log().find("声音"), std::string::npos) << Log();
}

} // namespace
} // namespace kiosk
