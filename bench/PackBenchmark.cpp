// Level packs of the whole game: writing one (the pack built from the image
// and printed as JSON) and applying one (parsed, checked and applied to a
// copy of the game), each wanted well under 20 ms, and both in a row. The
// counter pack_KB is the size of the whole-game pack of the sample (wanted
// under 100 KB).

#include "image/GameImage.h"
#include "pack/LevelPack.h"
#include "pack/PackApply.h"
#include "pack/PackJson.h"

#include <benchmark/benchmark.h>

namespace {

zq::GameImage sampleGame()
{
    zq::GameImage game;
    game.loadDefault();
    return game;
}

void BM_PackWriteWholeGame(benchmark::State& state)
{
    const zq::GameImage game = sampleGame();
    std::size_t size = 0;
    for (auto _ : state) {
        const std::string text = zq::writePackJson(zq::wholeGamePack(game));
        size = text.size();
        benchmark::DoNotOptimize(text.data());
    }
    state.counters["pack_KB"] = double(size) / 1024;
}
BENCHMARK(BM_PackWriteWholeGame)->Unit(benchmark::kMillisecond)->Repetitions(3);

void BM_PackApplyWholeGame(benchmark::State& state)
{
    const zq::GameImage game = sampleGame();
    const std::string text = zq::writePackJson(zq::wholeGamePack(game));
    for (auto _ : state) {
        zq::GameImage target = game;
        const zq::PackReadResult read = zq::readPackJson(text);
        if (!read.pack || !zq::applyPack(target, *read.pack).applied)
            state.SkipWithError("the sample's pack was refused");
        benchmark::DoNotOptimize(target.bytes().data());
    }
}
BENCHMARK(BM_PackApplyWholeGame)->Unit(benchmark::kMillisecond)->Repetitions(3);

void BM_PackWriteAndApplyWholeGame(benchmark::State& state)
{
    const zq::GameImage game = sampleGame();
    for (auto _ : state) {
        zq::GameImage target = game;
        const zq::PackReadResult read = zq::readPackJson(zq::writePackJson(zq::wholeGamePack(game)));
        if (!read.pack || !zq::applyPack(target, *read.pack).applied)
            state.SkipWithError("the sample's pack was refused");
        benchmark::DoNotOptimize(target.bytes().data());
    }
}
BENCHMARK(BM_PackWriteAndApplyWholeGame)->Unit(benchmark::kMillisecond)->Repetitions(3);

} // namespace
