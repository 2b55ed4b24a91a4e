// The recovery file of an unsaved game with a long history: gathering the
// document's 1000 steps, encoding them and writing the file atomically, as
// the editor does at most once a second from a timer (never on a mouse
// move) and once more at exit. The counter x_20ms is that time over 20 ms.

#include "app/GameDocument.h"
#include "app/Recovery.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <chrono>

namespace {

using namespace zq;

constexpr int kSteps = 1000;

// Steps the size of the usual edits: a drag over a few cells, a colour, a
// credit text, now and then a new loading screen.
void fillHistory(GameDocument& document)
{
    QRandomGenerator random(20);
    for (int i = 0; i < kSteps; ++i) {
        EditStep step(document, QStringLiteral("Draw Blocks"));
        if (i % 100 == 99) {
            std::array<std::uint8_t, kScreenSize> screen = step.loadingScreen().bytes();
            for (std::uint8_t& b : screen)
                b = std::uint8_t(random.bounded(256));
            step.loadingScreen().assign(screen);
            continue;
        }
        const std::size_t at = off::LevelRecords + random.bounded(4000);
        for (int n = int(random.bounded(1, 24)); n > 0; --n)
            step.image().set(at + random.bounded(40), std::uint8_t(random.bounded(256)));
    }
}

void BM_RecoveryWrite1000Steps(benchmark::State& state)
{
    QTemporaryDir folder;
    GameDocument document;
    fillHistory(document);
    Recovery recovery(document, folder.path());
    recovery.start();
    double seconds = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        recovery.writeNow();
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        state.SetIterationTime(took.count());
        seconds += took.count();
    }
    state.counters["steps"] = double(document.history().count());
    state.counters["file_KiB"] = double(QFile(recovery.fileName()).size()) / 1024;
    state.counters["x_20ms"] = seconds / double(state.iterations()) / 0.020;
}
BENCHMARK(BM_RecoveryWrite1000Steps)->Unit(benchmark::kMillisecond)->UseManualTime()->Repetitions(5);

} // namespace
