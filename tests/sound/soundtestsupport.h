#pragma once
// What the check sound tests share: an application folder with the services and its log, and
// WAV files of other shapes than the built-in ones.
#include <gtest/gtest.h>

#include <QTest>
#include <filesystem>

#include "core/coreservices.h"
#include "core/sysfactory.h"
#include "core/sysservice.h"
#include "sound/checktones.h"
#include "support/qtapp.h"
#include "support/tempfolder.h"

namespace kiosk::test {

class SoundFolder : public testing::Test {
protected:
    static void SetUpTestSuite() { EnsureApplication(); }
    void SetUp() override
    {
        FreeSysService();
        FreeFactoryManager();
        RegisterCoreServices(home.str());
    }
    void TearDown() override
    {
        FreeSysService();
        FreeFactoryManager();
    }
    std::string Log() const
    {
        std::string all;
        if (std::filesystem::exists(home / "error"))
            for (const auto& file : std::filesystem::directory_iterator(home / "error")) all += ReadFile(file.path());
        return all;
    }
    TempFolder home;
};

// A sound as a station might record it: another rate and two channels.
inline std::string StereoWav(TCheckSound sound, int rate)
{
    const auto mono = CheckToneSamples(sound);
    std::string wav;
    const auto put = [&wav](std::uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i) wav.push_back(char((v >> (8 * i)) & 0xFF));
    };
    const auto data = std::uint32_t(mono.size() * 4);
    wav += "RIFF";
    put(36 + data, 4);
    wav += "WAVEfmt ";
    put(16, 4);
    put(1, 2);
    put(2, 2);
    put(std::uint32_t(rate), 4);
    put(std::uint32_t(rate) * 4, 4);
    put(4, 2);
    put(16, 2);
    wav += "data";
    put(data, 4);
    for (const std::int16_t s : mono) {
        put(std::uint16_t(s), 2);
        put(std::uint16_t(s / 2), 2);
    }
    return wav;
}

} // namespace kiosk::test
