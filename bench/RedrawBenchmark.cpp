// How the editor's redraws compare with the least they could cost: copying
// the same number of output bytes with memcpy. Each redraw benchmark has a
// memcpy twin over the bytes it writes into the views; compare the two times.

#include "bench/Ratios.h"
#include "bench/Startup.h"

#include "app/GameDocument.h"
#include "app/MainForm.h"
#include "app/MachineView.h"
#include "emu/HostKeyboard.h"
#include "emu/Rom.h"
#include "emu/Machine48.h"
#include "image/LevelData.h"
#include "render/Renderer.h"
#include "tools/Airflow.h"
#include "tools/CanvasTools.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

namespace {

using namespace zq;

constexpr std::size_t kViewBytes = 512 * 384 * 4;
constexpr std::size_t kPatternViewBytes = 129 * 129 * 4;
constexpr int kMoves = 100;

struct Scene {
    GameImage image;
    CellCodeTables codes;
    CurrentLevel level;
    LevelRenderer renderer;
    TFastDIB picture, pattern, view, patternView;
    AirflowRecord airflow;
    FlowMap flow;

    explicit Scene(int levelIndex)
    {
        image.loadDefault();
        level = decodeLevel(image, levelIndex);
        picture.SetSize(256, 192, 32);
        pattern.SetSize(8, 8, 32);
        view.SetSize(512, 384, 32);
        patternView.SetSize(129, 129, 32);
    }
    RenderTarget target() { return RenderTarget{image, level, codes, picture}; }

    // What the level view does after every block change.
    void levelRedraw()
    {
        renderer.drawBorder(target());
        renderer.drawGrid(target());
        LevelRenderer::showLevel(picture, view);
    }

    // The drawing of a full refresh cycle, with the air-flow overlay on.
    void refresh()
    {
        const RenderTarget t = target();
        renderer.drawBorder(t);
        ComposeHooks hooks;
        hooks.editAirflow = true;
        hooks.airflowDecode = [&] { decodeAirflow(image, level.levelIndex, renderer.wallMap, airflow, flow); };
        hooks.airflowOverlay = [&] {
            drawAirflowOverlay(renderer, t, flow);
            drawAreaHighlight(renderer, t, airflow, 0);
        };
        renderer.compose(t, hooks);
        LevelRenderer::drawPatternPicture(image, level, pattern);
        LevelRenderer::showLevel(picture, view);
        LevelRenderer::showPattern(pattern, patternView, true);
    }
};

void BM_BlockDragRedraw(benchmark::State& state)
{
    Scene scene(2);
    for (auto _ : state) {
        int drag = BlockTool::press(scene.image, scene.level.record, scene.codes, 100, 100);
        scene.levelRedraw();
        for (int i = 0; i < kMoves; ++i) {
            BlockTool::drag(scene.image, scene.level.record, scene.codes, drag, 40 + 4 * i, 100 + (i % 7) * 16);
            scene.levelRedraw();
        }
        benchmark::DoNotOptimize(scene.view.Pixels32(0));
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * (kMoves + 1) * std::int64_t(kViewBytes));
}
BENCHMARK(BM_BlockDragRedraw)->Unit(benchmark::kMicrosecond)->Repetitions(3);

// The history's part of a drag: the edit step around the same press and 100
// moves (their writes included, no redraw), whose end finds the changed
// bytes and pushes them as one command. Compare with BM_BlockDragRedraw: the
// drag's own redraws.
void BM_BlockDragHistory(benchmark::State& state)
{
    GameDocument document;
    const CurrentLevel level = decodeLevel(document.image(), 2);
    const CellCodeTables codes;
    for (auto _ : state) {
        EditStep step(document, "Draw Blocks");
        int drag = BlockTool::press(step.image(), level.record, codes, 100, 100);
        for (int i = 0; i < kMoves; ++i)
            BlockTool::drag(step.image(), level.record, codes, drag, 40 + 4 * i, 100 + (i % 7) * 16);
        benchmark::DoNotOptimize(drag);
    }
    state.counters["steps"] = double(document.history().count());
}
BENCHMARK(BM_BlockDragHistory)->Unit(benchmark::kMicrosecond);

void BM_BlockDragMemcpy(benchmark::State& state)
{
    std::vector<std::uint8_t> from(kViewBytes, 1), to(kViewBytes);
    for (auto _ : state) {
        for (int i = 0; i < kMoves + 1; ++i) {
            std::memcpy(to.data(), from.data(), kViewBytes);
            benchmark::ClobberMemory();
        }
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * (kMoves + 1) * std::int64_t(kViewBytes));
}
BENCHMARK(BM_BlockDragMemcpy)->Unit(benchmark::kMicrosecond)->Repetitions(3);

void BM_RefreshDrawing(benchmark::State& state)
{
    Scene scene(3);
    for (auto _ : state) {
        scene.refresh();
        benchmark::DoNotOptimize(scene.view.Pixels32(0));
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(kViewBytes + kPatternViewBytes));
}
BENCHMARK(BM_RefreshDrawing)->Unit(benchmark::kMicrosecond)->Repetitions(3);

void BM_RefreshMemcpy(benchmark::State& state)
{
    std::vector<std::uint8_t> from(kViewBytes + kPatternViewBytes, 1), to(kViewBytes + kPatternViewBytes);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), from.size());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(from.size()));
}
BENCHMARK(BM_RefreshMemcpy)->Unit(benchmark::kMicrosecond)->Repetitions(3);

// The whole refresh cycle of the window (controls included; the window is
// not shown, so nothing is painted on a screen).
void BM_FormRefreshCycle(benchmark::State& state)
{
    TForm1 form;
    for (auto _ : state)
        form.Refresh();
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(kViewBytes + kPatternViewBytes));
}
BENCHMARK(BM_FormRefreshCycle)->Unit(benchmark::kMicrosecond);

// The embedded Spectrum flat out on the sample image, as a multiple of the
// real machine's 50 frames per second.
void BM_EmulatedFrames(benchmark::State& state)
{
    emu::Machine48 machine;
    if (!machine.loadRom(emu::readRomFile(emu::kOpenSeRomPath))) {
        state.SkipWithError("no OpenSE ROM");
        return;
    }
    GameImage image;
    image.loadDefault();
    machine.loadSnapshot(image.bytes());
    for (auto _ : state)
        machine.runFrame();
    state.counters["x_real_time"] = benchmark::Counter(double(state.iterations()) / 50, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_EmulatedFrames)->Unit(benchmark::kMicrosecond)->Repetitions(3);

// What one frame of the play window costs the window's thread: the frame,
// its picture, and the copy the view paints from (the paint itself is the
// platform's).
void BM_PlayWindowFrame(benchmark::State& state)
{
    emu::Machine48 machine;
    machine.loadRom(emu::readRomFile(emu::kOpenSeRomPath));
    GameImage image;
    image.loadDefault();
    machine.loadSnapshot(image.bytes());
    emu::HostKeyboard keys;
    MachineView view(keys);
    TFastDIB picture;
    for (auto _ : state) {
        machine.runFrame();
        machine.renderScreen(picture);
        view.showFrame(picture);
    }
}
BENCHMARK(BM_PlayWindowFrame)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (int status = 0; zq::bench::startupChild(argc, argv, status))
        return status;
    benchmark::Initialize(&argc, argv);
    zq::bench::RatioReporter reporter({
        {"One block-drag move (border, grid, 2x) / memcpy", "BM_BlockDragRedraw", "BM_BlockDragMemcpy", 2.0},
        {"Refresh drawing with air flow / memcpy", "BM_RefreshDrawing", "BM_RefreshMemcpy", 3.0},
        {"CLI: 79 levels to PNG at 2x / 79 bare starts", "BM_CliRenderAllLevels", nullptr, 1.5, "x_bare_starts"},
        {"Rewind state / the 25 frames it covers", "BM_RewindState", "BM_TwentyFiveFrames", 0.02},
        {"Start from a checkpoint with the game data / 1 ms", "BM_CheckpointStart", nullptr, 1.0, "x_1ms"},
        {"Emulation flat out / real time (at least)", "BM_EmulatedFrames", nullptr, 150.0, "x_real_time", "x", true},
        {"Recovery write of 1000 steps / 20 ms", "BM_RecoveryWrite1000Steps", nullptr, 1.0, "x_20ms"},
        {"Editor start to first level paint / bare Qt window", "BM_EditorStartUp", nullptr, 1.5, "x_bare_window"},
        {"Sample tape open (milliseconds)", "BM_SampleTapeOpen", nullptr, 100, "ms", "ms"},
    });
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
