// The three check sounds the kiosk makes: short, clearly different from each other in pitch
// and rhythm, never clipped, without a click at either end, and well-formed WAV files.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "sound/checktones.h"

namespace kiosk {
namespace {

// The runs of sound separated by silence of at least 10 ms.
int Beeps(const std::vector<std::int16_t>& samples)
{
    const int quiet = kCheckToneRate / 100;
    int beeps = 0, silent = quiet;
    for (const std::int16_t s : samples) {
        if (std::abs(s) > 300) {
            if (silent >= quiet) ++beeps;
            silent = 0;
        } else {
            ++silent;
        }
    }
    return beeps;
}

// The pitch of the first beep, from its upward zero crossings.
double FirstPitch(const std::vector<std::int16_t>& samples)
{
    const int window = kCheckToneRate * 50 / 1000;
    int crossings = 0;
    for (int i = 1; i < window; ++i)
        if (samples[i - 1] < 0 && samples[i] >= 0) ++crossings;
    return crossings * 1000.0 / 50;
}

TEST(CheckTones, AreShortUnclippedAndClickFree)
{
    for (const TCheckSound sound : kCheckSounds) {
        SCOPED_TRACE(CheckSoundFileName(sound));
        const auto samples = CheckToneSamples(sound);
        const double seconds = double(samples.size()) / kCheckToneRate;
        EXPECT_GT(seconds, 0.15);
        EXPECT_LT(seconds, 0.5);
        int peak = 0;
        for (const std::int16_t s : samples) peak = std::max(peak, std::abs(int(s)));
        EXPECT_GT(peak, 12000);
        EXPECT_LT(peak, 32000);
        EXPECT_LT(std::abs(samples.front()), 100);
        EXPECT_LT(std::abs(samples.back()), 100);
    }
}

TEST(CheckTones, TellThePassFromTheRefusalAndTheFailureByPitchAndRhythm)
{
    const auto ok = CheckToneSamples(TCheckSound::Ok);
    const auto refused = CheckToneSamples(TCheckSound::Refused);
    const auto error = CheckToneSamples(TCheckSound::Error);
    EXPECT_EQ(Beeps(ok), 2);
    EXPECT_EQ(Beeps(refused), 2);
    EXPECT_EQ(Beeps(error), 3);
    // A pass is high and bright; a refusal and a failure are low.
    EXPECT_GT(FirstPitch(ok), 900);
    EXPECT_LT(FirstPitch(refused), 500);
    EXPECT_LT(FirstPitch(error), 500);
    // The refusal falls, the pass rises.
    const auto pitchAt = [](const std::vector<std::int16_t>& s, double seconds) {
        return FirstPitch(std::vector<std::int16_t>(s.begin() + int(seconds * kCheckToneRate), s.end()));
    };
    EXPECT_GT(pitchAt(ok, 0.12), FirstPitch(ok));
    EXPECT_LT(pitchAt(refused, 0.18), FirstPitch(refused));
}

TEST(CheckTones, AreWrittenAsPcmWaveFiles)
{
    for (const TCheckSound sound : kCheckSounds) {
        const auto wav = CheckToneWav(sound);
        const auto samples = CheckToneSamples(sound);
        ASSERT_EQ(wav.size(), 44 + samples.size() * 2);
        EXPECT_EQ(std::memcmp(wav.data(), "RIFF", 4), 0);
        EXPECT_EQ(std::memcmp(wav.data() + 8, "WAVEfmt ", 8), 0);
        EXPECT_EQ(std::memcmp(wav.data() + 36, "data", 4), 0);
        std::int16_t first = 0;
        std::memcpy(&first, wav.data() + 44 + 2 * 100, 2);
        EXPECT_EQ(first, samples[100]);
    }
}

} // namespace
} // namespace kiosk
