// The sound of a check: how long after the status line changes the check sound starts to play,
// on a real sound device (a private PulseAudio server with a null sink, which plays in real
// time). The sounds are loaded as the check screen has them loaded after its first check.
// Counters: median_ms / p90_ms / max_ms from the status line's new text to the effect playing.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QLabel>
#include <QSoundEffect>
#include <QTest>
#include <algorithm>
#include <chrono>
#include <vector>

#include "sound/checksoundplayer.h"
#include "support/soundserver.h"
#include "support/tempfolder.h"

namespace {

using namespace kiosk;

void BM_SoundAfterStatusLine(benchmark::State& state)
{
    test::TempFolder home;
    TCheckSoundPlayer player(home.str());
    QLabel lbl2;
    player.Load();
    if (!QTest::qWaitFor([&player] { return player.Effect(TCheckSound::Refused)->status() == QSoundEffect::Ready; }, 10000)) {
        state.SkipWithError("the sounds did not load");
        return;
    }
    using Clock = std::chrono::steady_clock;
    Clock::time_point changed, started;
    bool playing = false, ended = false;
    QObject::connect(&player, &TCheckSoundPlayer::Started, [&] {
        started = Clock::now();
        playing = true;
    });
    QObject::connect(&player, &TCheckSoundPlayer::Finished, [&] { ended = true; });
    std::vector<double> ms;
    int n = 0;
    for (auto _ : state) {
        const TCheckSound sound = kCheckSounds[n++ % 3];
        playing = ended = false;
        changed = Clock::now();
        lbl2.setText(QString("检票成功！%1号座").arg(n));
        player.Play(sound);
        if (!QTest::qWaitFor([&] { return playing; }, 2000)) {
            state.SkipWithError("no sound started within 2 s");
            return;
        }
        ms.push_back(std::chrono::duration<double, std::milli>(started - changed).count());
        // The next sound starts once this one has ended, as queued checks do.
        if (!QTest::qWaitFor([&] { return ended; }, 5000)) {
            state.SkipWithError("a sound did not end within 5 s");
            return;
        }
    }
    std::sort(ms.begin(), ms.end());
    state.counters["median_ms"] = ms[ms.size() / 2];
    state.counters["p90_ms"] = ms[ms.size() * 9 / 10];
    state.counters["max_ms"] = ms.back();
}
BENCHMARK(BM_SoundAfterStatusLine)->Unit(benchmark::kMillisecond)->Iterations(30);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    kiosk::test::SoundServer server;
    if (!server.Running()) {
        std::fprintf(stderr, "no sound server: %s\n", server.Why().c_str());
        return 1;
    }
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
