// Writes the kiosk's built-in check sounds into a folder at build time:
//   kiosk_maketones DIR  ->  DIR/ok.wav DIR/refused.wav DIR/error.wav
#include <cstdio>
#include <fstream>
#include <string>

#include "sound/checktones.h"

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s DIR\n", argv[0]);
        return 2;
    }
    for (const kiosk::TCheckSound sound : kiosk::kCheckSounds) {
        const std::string path = std::string(argv[1]) + "/" + kiosk::CheckSoundFileName(sound);
        const auto wav = kiosk::CheckToneWav(sound);
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(wav.data()), std::streamsize(wav.size()));
        if (!out) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
