// Two figures of the editor's own speed beyond its redraws:
//
// - Start-up: the editor from the start of its process to the first paint of
//   its level view, against a bare Qt window with one widget, started and
//   painted the same way. Both run as this program started again with
//   "--startup editor" or "--startup bare" (the same binary, so the same
//   libraries load), interleaved, on the offscreen platform.
// - Tape open: the sample game's tape loaded in the embedded Spectrum, as
//   Open does with a tape, in milliseconds.

#include "bench/Startup.h"

#include "app/AboutBox.h"
#include "app/MainForm.h"
#include "emu/Rom.h"
#include "emu/TapeLoader.h"
#include "files/Tape.h"
#include "image/GameImage.h"

#include <QApplication>
#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

#include <benchmark/benchmark.h>

#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <cstring>
#include <string>
#include <vector>

extern char** environ;

namespace zq::bench {

namespace {

// Quits the application once `widget` has painted for the first time.
class FirstPaint : public QObject {
public:
    explicit FirstPaint(QWidget* widget) { widget->installEventFilter(this); }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && !painted_) {
            painted_ = true;
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        }
        return false;
    }

private:
    bool painted_ = false;
};

int editorUntilPainted()
{
    QApplication::setOrganizationName(QStringLiteral("Zelquor"));
    QApplication::setApplicationName(QString::fromLatin1(kProgramTitle));
    TForm1 form;
    TAboutBox about(&form);
    form.setAboutBox(&about);
    QWidget* view = form.findChild<QWidget*>(QStringLiteral("LevDisp"));
    if (!view)
        return 3;
    FirstPaint painted(view);
    form.show();
    return QApplication::exec();
}

int bareUntilPainted()
{
    QWidget window;
    auto* label = new QLabel(QStringLiteral("Zelquor"), &window);
    (new QVBoxLayout(&window))->addWidget(label);
    FirstPaint painted(label);
    window.show();
    return QApplication::exec();
}

// Seconds the child `mode` takes from its start to its exit, or a negative
// number when it fails.
double timedChild(const char* mode)
{
    char self[] = "/proc/self/exe";
    std::vector<char*> argv{self, const_cast<char*>("--startup"), const_cast<char*>(mode), nullptr};
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    int status = 0;
    if (posix_spawn(&pid, self, nullptr, nullptr, argv.data(), environ) != 0 || waitpid(pid, &status, 0) != pid ||
        !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return -1;
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The time is that of the editor's starts; each is followed by a bare
// window's, and "x_bare_window" is the ratio of the two sums.
void BM_EditorStartUp(benchmark::State& state)
{
    double editor = 0, bare = 0;
    for (auto _ : state) {
        double iteration = 0;
        for (int i = 0; i < 5; ++i) {
            const double e = timedChild("editor"), b = timedChild("bare");
            if (e < 0 || b < 0) {
                state.SkipWithError("a start-up child failed");
                return;
            }
            iteration += e, bare += b;
        }
        editor += iteration;
        state.SetIterationTime(iteration);
    }
    state.counters["x_bare_window"] = editor / bare;
}
BENCHMARK(BM_EditorStartUp)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(2)->Repetitions(3);

void BM_SampleTapeOpen(benchmark::State& state)
{
    const std::vector<std::uint8_t> rom = emu::readRomFile(emu::kOpenSeRomPath);
    GameImage sample;
    if (rom.empty() || !sample.loadDefault()) {
        state.SkipWithError("no OpenSE ROM");
        return;
    }
    const std::vector<std::uint8_t> tape = buildTape(sample, LoadingScreen::fromImage(sample));
    double milliseconds = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        emu::TapeLoader loader;
        auto status = loader.start(rom, tape, FileKind::Tap);
        while (status == emu::TapeLoader::Status::Running)
            status = loader.step(50);
        if (status != emu::TapeLoader::Status::Done) {
            state.SkipWithError("the sample tape did not load");
            return;
        }
        milliseconds += std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    }
    state.counters["ms"] = milliseconds / double(state.iterations());
}
BENCHMARK(BM_SampleTapeOpen)->Unit(benchmark::kMillisecond)->Repetitions(3);

} // namespace

bool startupChild(int argc, char** argv, int& exitCode)
{
    if (argc < 3 || std::strcmp(argv[1], "--startup") != 0)
        return false;
    exitCode = std::strcmp(argv[2], "editor") == 0 ? editorUntilPainted()
               : std::strcmp(argv[2], "bare") == 0 ? bareUntilPainted()
                                                    : 2;
    return true;
}

} // namespace zq::bench
