#pragma once
// The check sound player's test double: records every sound asked for, in order.
#include <vector>

#include "sound/checksoundplayer.h"

namespace kiosk::test {

class TRecordingSoundPlayer : public ICheckSoundPlayer {
public:
    void Play(TCheckSound sound) override { played.push_back(sound); }
    std::vector<TCheckSound> played;
};

} // namespace kiosk::test
