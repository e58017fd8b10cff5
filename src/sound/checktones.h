#pragma once
// The three sounds of a ticket check, made by the kiosk itself: a bright rising double tone for
// a passed check, a low falling buzz for a refused one and three short low pulses for a check
// that failed on the way. Each is a 16-bit mono PCM WAV file of well under half a second.
#include <cstdint>
#include <string>
#include <vector>

namespace kiosk {

enum class TCheckSound { Ok, Refused, Error };

constexpr TCheckSound kCheckSounds[] = {TCheckSound::Ok, TCheckSound::Refused, TCheckSound::Error};

// "ok.wav", "refused.wav", "error.wav": the name of the built-in sound and of the file in the
// application folder's sounds/ that replaces it.
std::string CheckSoundFileName(TCheckSound sound);

constexpr int kCheckToneRate = 44100;

// The samples of a sound (44.1 kHz, mono).
std::vector<std::int16_t> CheckToneSamples(TCheckSound sound);
// The same samples as a WAV file.
std::vector<std::uint8_t> CheckToneWav(TCheckSound sound);

} // namespace kiosk
