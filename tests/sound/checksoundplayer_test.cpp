// The check sound player: its App.ini settings, where each sound comes from, and a real
// QSoundEffect loading the built-in sounds and a station's own files.
#include <QFile>
#include <QSoundEffect>

#include "sound/checksoundplayer.h"
#include "soundtestsupport.h"

namespace kiosk {
namespace {

using test::SoundFolder;

TEST_F(SoundFolder, SettingsComeFromAppIniWithinTheirBounds)
{
    struct Case {
        const char* ini;
        bool enabled;
        int volume;
    };
    const Case cases[] = {
        {"", true, 100},
        {"[sound]\nenabled=0\n", false, 100},
        {"[sound]\nenabled=1\nvolume=35\n", true, 35},
        {"[sound]\nvolume=250\n", true, 100},
        {"[sound]\nvolume=-4\n", true, 0},
        {"[sound]\nvolume=loud\n", true, 100},
    };
    for (const Case& c : cases) {
        home.Write("App.ini", c.ini);
        const TSoundSettings settings = ReadSoundSettings(home.str() + "App.ini");
        EXPECT_EQ(settings.enabled, c.enabled) << c.ini;
        EXPECT_EQ(settings.volume, c.volume) << c.ini;
    }
}

TEST_F(SoundFolder, AStationsFileReplacesTheBuiltInSoundOfItsName)
{
    home.Write("sounds/refused.wav", test::StereoWav(TCheckSound::Refused, 22050));
    const TCheckSoundPlayer player(home.str());
    EXPECT_EQ(player.SourceOf(TCheckSound::Ok), QUrl("qrc:/sounds/ok.wav"));
    EXPECT_EQ(player.SourceOf(TCheckSound::Refused), QUrl::fromLocalFile(QString::fromStdString(home.str() + "sounds/refused.wav")));
    EXPECT_EQ(player.SourceOf(TCheckSound::Error), QUrl("qrc:/sounds/error.wav"));
    // The built-in sounds are in the program, made when it was built.
    for (const TCheckSound sound : kCheckSounds) {
        QFile builtIn(":/sounds/" + QString::fromStdString(CheckSoundFileName(sound)));
        ASSERT_TRUE(builtIn.open(QIODevice::ReadOnly)) << CheckSoundFileName(sound);
        const auto wav = CheckToneWav(sound);
        EXPECT_EQ(builtIn.readAll(), QByteArray(reinterpret_cast<const char*>(wav.data()), qsizetype(wav.size())));
    }
}

// Waits until every effect of the player has left Loading; false when the machine's multimedia
// backend loads nothing at all.
bool LoadedAll(const TCheckSoundPlayer& player)
{
    const auto settled = [&player] {
        for (const TCheckSound sound : kCheckSounds) {
            const auto status = player.Effect(sound)->status();
            if (status == QSoundEffect::Loading || status == QSoundEffect::Null) return false;
        }
        return true;
    };
    return QTest::qWaitFor(settled, 10000);
}

TEST_F(SoundFolder, RealEffectsLoadTheBuiltInSounds)
{
    TCheckSoundPlayer player(home.str());
    player.Load();
    if (!QTest::qWaitFor([&player] { return player.Effect(TCheckSound::Ok)->status() != QSoundEffect::Loading; }, 10000))
        GTEST_SKIP() << "the multimedia backend of this machine loads no sound at all";
    ASSERT_TRUE(LoadedAll(player));
    for (const TCheckSound sound : kCheckSounds) {
        EXPECT_EQ(player.Effect(sound)->status(), QSoundEffect::Ready) << CheckSoundFileName(sound);
        EXPECT_EQ(player.Effect(sound)->source(), TCheckSoundPlayer::BuiltInSource(sound));
    }
}

TEST_F(SoundFolder, RealEffectsLoadTheStationsFilesAndABrokenOneGivesWayToTheBuiltIn)
{
    home.Write("sounds/ok.wav", test::StereoWav(TCheckSound::Ok, 22050));
    home.Write("sounds/refused.wav", test::StereoWav(TCheckSound::Refused, 48000));
    home.Write("sounds/error.wav", "这不是声音文件");
    TCheckSoundPlayer player(home.str());
    player.Load();
    if (!QTest::qWaitFor([&player] { return player.Effect(TCheckSound::Ok)->status() != QSoundEffect::Loading; }, 10000))
        GTEST_SKIP() << "the multimedia backend of this machine loads no sound at all";
    // The broken file is logged and the built-in error sound stands in for it.
    EXPECT_TRUE(QTest::qWaitFor([&player] {
        return player.Effect(TCheckSound::Error)->source() == TCheckSoundPlayer::BuiltInSource(TCheckSound::Error);
    }, 10000));
    ASSERT_TRUE(LoadedAll(player));
    for (const TCheckSound sound : {TCheckSound::Ok, TCheckSound::Refused}) {
        EXPECT_EQ(player.Effect(sound)->status(), QSoundEffect::Ready) << CheckSoundFileName(sound);
        EXPECT_TRUE(player.Effect(sound)->source().isLocalFile());
    }
    EXPECT_EQ(player.Effect(TCheckSound::Error)->status(), QSoundEffect::Ready);
    EXPECT_NE(Log().find("提示音文件无法播放：" + home.str() + "sounds/error.wav"), std::string::npos) << Log();
}

} // namespace
} // namespace kiosk
