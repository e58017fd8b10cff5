// The check sound player on a real sound device (a private sound server whose sink plays in
// real time into nothing): sounds asked for in a row play one after the other, in order, each
// to its end, never two at once.
#include <QAudioDevice>
#include <QMediaDevices>
#include <QSoundEffect>

#include "sound/checksoundplayer.h"
#include "soundtestsupport.h"
#include "support/soundserver.h"

namespace kiosk {
namespace {

using test::SoundFolder;

// Started before anything of Qt Multimedia looks for a device.
test::SoundServer& Server()
{
    static test::SoundServer server;
    return server;
}

struct Heard {
    TCheckSound sound;
    bool started;  // false: ended
    int playingAtOnce;
    bool operator==(const Heard&) const = default;
};

TEST_F(SoundFolder, SoundsInARowPlayOneAfterTheOtherInOrderNeverTogether)
{
    if (!Server().Running()) GTEST_SKIP() << Server().Why();
    if (QMediaDevices::audioOutputs().isEmpty()) GTEST_SKIP() << "Qt Multimedia finds no device on the sound server";
    home.Write("App.ini", "[sound]\nvolume=40\n");
    TCheckSoundPlayer player(home.str());
    std::vector<Heard> heard;
    const auto playing = [&player] {
        int n = 0;
        for (const TCheckSound sound : kCheckSounds) n += player.Effect(sound)->isPlaying() ? 1 : 0;
        return n;
    };
    QObject::connect(&player, &TCheckSoundPlayer::Started, [&](TCheckSound s) { heard.push_back({s, true, playing()}); });
    QObject::connect(&player, &TCheckSoundPlayer::Finished, [&](TCheckSound s) { heard.push_back({s, false, playing()}); });

    const std::vector<TCheckSound> asked = {TCheckSound::Ok, TCheckSound::Refused, TCheckSound::Error, TCheckSound::Ok};
    for (const TCheckSound sound : asked) player.Play(sound);
    EXPECT_EQ(player.Waiting(), 3);
    ASSERT_TRUE(QTest::qWaitFor([&] { return heard.size() >= 2 * asked.size(); }, 15000)) << heard.size();
    std::vector<Heard> expected;
    for (const TCheckSound sound : asked) {
        expected.push_back({sound, true, 1});
        expected.push_back({sound, false, 0});
    }
    EXPECT_EQ(heard, expected);
    for (const TCheckSound sound : kCheckSounds) EXPECT_FLOAT_EQ(player.Effect(sound)->volume(), 0.4f);
    EXPECT_EQ(Log().find("声音"), std::string::npos) << Log();
}

} // namespace
} // namespace kiosk
