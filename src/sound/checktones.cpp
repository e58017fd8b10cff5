#include "sound/checktones.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace kiosk {

namespace {

// One tone of a sound: its pitch, its length, the rest after it and how much of the third
// harmonic it carries (0 a pure tone, more a harsher buzz).
struct TTone {
    double hz;
    int ms;
    int restMs;
    double harsh;
};

std::vector<TTone> TonesOf(TCheckSound sound)
{
    switch (sound) {
    case TCheckSound::Ok: return {{1046.5, 90, 20, 0.0}, {1568.0, 150, 0, 0.0}};
    case TCheckSound::Refused: return {{392.0, 140, 30, 0.45}, {261.6, 230, 0, 0.45}};
    case TCheckSound::Error: return {{220.0, 80, 60, 0.6}, {220.0, 80, 60, 0.6}, {220.0, 80, 0, 0.6}};
    }
    return {};
}

constexpr double kLevel = 0.55;   // of full scale: loud enough in a hall, never clipped
constexpr int kEdgeMs = 6;        // fade in and out, so no tone starts or ends with a click

void AppendTone(std::vector<std::int16_t>& out, const TTone& tone)
{
    const int n = kCheckToneRate * tone.ms / 1000;
    const int edge = kCheckToneRate * kEdgeMs / 1000;
    const double norm = 1.0 / (1.0 + tone.harsh);
    for (int i = 0; i < n; ++i) {
        const double t = double(i) / kCheckToneRate;
        const double phase = 2 * std::numbers::pi * tone.hz * t;
        const double wave = (std::sin(phase) + tone.harsh * std::sin(3 * phase)) * norm;
        const double envelope = std::min({1.0, double(i) / edge, double(n - 1 - i) / edge});
        out.push_back(std::int16_t(std::lround(wave * envelope * kLevel * 32767)));
    }
    out.insert(out.end(), std::size_t(kCheckToneRate * tone.restMs / 1000), 0);
}

void Put16(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    out.push_back(std::uint8_t(v));
    out.push_back(std::uint8_t(v >> 8));
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

void PutTag(std::vector<std::uint8_t>& out, const char* tag) { out.insert(out.end(), tag, tag + 4); }

} // namespace

std::string CheckSoundFileName(TCheckSound sound)
{
    switch (sound) {
    case TCheckSound::Ok: return "ok.wav";
    case TCheckSound::Refused: return "refused.wav";
    case TCheckSound::Error: return "error.wav";
    }
    return {};
}

std::vector<std::int16_t> CheckToneSamples(TCheckSound sound)
{
    std::vector<std::int16_t> samples;
    for (const TTone& tone : TonesOf(sound)) AppendTone(samples, tone);
    return samples;
}

std::vector<std::uint8_t> CheckToneWav(TCheckSound sound)
{
    const std::vector<std::int16_t> samples = CheckToneSamples(sound);
    const auto dataBytes = std::uint32_t(samples.size() * 2);
    std::vector<std::uint8_t> wav;
    wav.reserve(44 + dataBytes);
    PutTag(wav, "RIFF");
    Put32(wav, 36 + dataBytes);
    PutTag(wav, "WAVE");
    PutTag(wav, "fmt ");
    Put32(wav, 16);
    Put16(wav, 1);                  // PCM
    Put16(wav, 1);                  // mono
    Put32(wav, kCheckToneRate);
    Put32(wav, kCheckToneRate * 2); // bytes per second
    Put16(wav, 2);                  // bytes per frame
    Put16(wav, 16);                 // bits per sample
    PutTag(wav, "data");
    Put32(wav, dataBytes);
    for (const std::int16_t s : samples) Put16(wav, std::uint16_t(s));
    return wav;
}

} // namespace kiosk
