// zelquor-cli rendering all 79 levels to PNG at scale 2, one process per
// level, against 79 bare starts of the same program (its help text): what
// the rendering and the PNG encoding add to starting the program. The
// pictures go to memory (/dev/shm) where there is one, so that the disk's
// flush of each written file does not hide the work measured here.

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

extern char** environ;

namespace {

constexpr int kLevels = 79;

// Runs the CLI with `args`, its output thrown away; false unless it exits 0.
bool runCli(const std::vector<std::string>& args)
{
    std::vector<char*> argv{const_cast<char*>(ZELQUOR_CLI)};
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int failed = posix_spawn(&pid, ZELQUOR_CLI, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    return !failed && waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::vector<std::string> renderArgs(int level, const std::filesystem::path& out)
{
    return {"render", ZELQUOR_SAMPLE_SNAPSHOT, "--level", std::to_string(level), "--scale", "2", "-o", out.string()};
}

// Seconds one run of the CLI takes, or a negative number if it failed.
double timedRun(const std::vector<std::string>& args)
{
    const auto start = std::chrono::steady_clock::now();
    const bool ok = runCli(args);
    return ok ? std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() : -1;
}

// The time is that of the 79 renders; each is followed by a bare start, so
// that both see the same machine, and "x_bare_starts" is the ratio of the
// two sums.
void BM_CliRenderAllLevels(benchmark::State& state)
{
    const std::filesystem::path folder =
        std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : std::filesystem::temp_directory_path();
    const std::filesystem::path out = folder / "zelquor-bench-render.png";
    double renders = 0, starts = 0;
    for (auto _ : state) {
        double iteration = 0;
        for (int level = 1; level <= kLevels; ++level) {
            const double render = timedRun(renderArgs(level, out)), start = timedRun({"--help"});
            if (render < 0 || start < 0) {
                state.SkipWithError("zelquor-cli failed");
                return;
            }
            iteration += render, starts += start;
        }
        renders += iteration;
        state.SetIterationTime(iteration);
    }
    state.counters["x_bare_starts"] = renders / starts;
    state.counters["png_bytes"] = double(std::filesystem::file_size(out));
    std::filesystem::remove(out);
}
BENCHMARK(BM_CliRenderAllLevels)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(2)->Repetitions(3);

} // namespace
