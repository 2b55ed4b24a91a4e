// The play session's costs against the emulation they ride on: the rewind's
// state every 25 frames, and a start from a checkpoint with the document's
// game data written over it.

#include "emu/Machine48.h"
#include "emu/PlaySession.h"
#include "emu/Rom.h"
#include "image/GameImage.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace zq {
namespace {

bool startSample(emu::Machine48& machine, benchmark::State& state)
{
    if (!machine.loadRom(emu::readRomFile(emu::kOpenSeRomPath))) {
        state.SkipWithError("no OpenSE ROM");
        return false;
    }
    GameImage image;
    image.loadDefault();
    machine.loadSnapshot(image.bytes());
    for (int f = 0; f < 200; ++f) // past the title, into the viewer's loop
        machine.runFrame();
    return true;
}

// The emulation the rewind keeps one state for.
void BM_TwentyFiveFrames(benchmark::State& state)
{
    emu::Machine48 machine;
    if (!startSample(machine, state))
        return;
    for (auto _ : state)
        for (int f = 0; f < emu::PlaySession::kRewindInterval; ++f)
            machine.runFrame();
}
BENCHMARK(BM_TwentyFiveFrames)->Unit(benchmark::kMicrosecond)->Repetitions(3);

void BM_RewindState(benchmark::State& state)
{
    emu::Machine48 machine;
    if (!startSample(machine, state))
        return;
    auto kept = std::make_unique<RunState>();
    for (auto _ : state) {
        machine.takeState(*kept);
        benchmark::DoNotOptimize(kept.get());
    }
}
BENCHMARK(BM_RewindState)->Unit(benchmark::kMicrosecond)->Repetitions(3);

// The emulation with the CPU busy: the sample's viewer asked to draw a level
// in every frame (its drawing takes seven frames of work without a HALT).
void BM_EmulatedBusyFrames(benchmark::State& state)
{
    emu::Machine48 machine;
    if (!startSample(machine, state))
        return;
    constexpr std::uint16_t kViewRedraw = 0xF5CA;
    for (auto _ : state) {
        machine.poke(kViewRedraw, 1);
        machine.runFrame();
    }
    state.counters["x_real_time"] = benchmark::Counter(double(state.iterations()) / 50, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_EmulatedBusyFrames)->Unit(benchmark::kMicrosecond)->Repetitions(3);

void BM_CheckpointStart(benchmark::State& state)
{
    emu::Machine48 machine;
    if (!startSample(machine, state))
        return;
    emu::PlaySession session(machine);
    GameImage image;
    image.loadDefault();
    session.startFromImage(image);
    session.takeCheckpoint();
    for (auto _ : state)
        session.startFromCheckpoint(0, image);
    state.counters["x_1ms"] = benchmark::Counter(double(state.iterations()) * 1e-3,
                                                 benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_CheckpointStart)->Unit(benchmark::kMicrosecond)->Repetitions(3);

} // namespace
} // namespace zq
