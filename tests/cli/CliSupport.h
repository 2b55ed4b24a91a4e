#pragma once
// The fixture of the zelquor-cli tests: a scratch folder per test holding the
// carried game image as game.sna, and the tool run as a program in it.

#include "files/Snapshot.h"
#include "image/GameImage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace zq::test {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

inline Bytes readFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

inline void writeFile(const fs::path& path, const Bytes& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

inline std::string readText(const fs::path& path)
{
    const Bytes b = readFile(path);
    return std::string(b.begin(), b.end());
}

inline bool onPath(const std::string& tool)
{
    return std::system(("command -v " + tool + " >/dev/null 2>&1").c_str()) == 0;
}

struct ToolRun {
    int status = -1; // exit status, or 128 + signal
    std::string out;
    std::string err;
};

class CliFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/zelquor-cli-test.XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        root_ = pattern;
        work_ = root_ / "work";
        fs::create_directory(work_);
        ASSERT_TRUE(image_.loadDefault());
        game_ = work_ / "game.sna";
        writeFile(game_, save48(image_));
    }

    void TearDown() override
    {
        std::error_code ignored;
        fs::permissions(work_, fs::perms::owner_all, fs::perm_options::add, ignored);
        fs::remove_all(root_, ignored);
    }

    // Runs the tool in the work folder; optionally under a file size limit.
    ToolRun runTool(const std::vector<std::string>& args, std::optional<rlim_t> fileSizeLimit = {})
    {
        const fs::path outFile = root_ / "stdout";
        const fs::path errFile = root_ / "stderr";
        std::vector<std::string> words{ZELQUOR_CLI};
        words.insert(words.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (std::string& w : words)
            argv.push_back(w.data());
        argv.push_back(nullptr);

        const pid_t pid = ::fork();
        if (pid == 0) {
            const int out = ::open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            const int err = ::open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (out < 0 || err < 0 || ::dup2(out, 1) < 0 || ::dup2(err, 2) < 0 || ::chdir(work_.c_str()) != 0)
                ::_exit(126);
            if (fileSizeLimit) {
                const rlimit limit{*fileSizeLimit, *fileSizeLimit};
                ::setrlimit(RLIMIT_FSIZE, &limit);
            }
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        ToolRun result;
        int status = 0;
        if (pid > 0 && ::waitpid(pid, &status, 0) == pid)
            result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        result.out = readText(outFile);
        result.err = readText(errFile);
        return result;
    }

    // The names in the work folder, to see that no temporary file is left.
    std::vector<std::string> workFiles() const
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(work_))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    fs::path root_;
    fs::path work_;
    fs::path game_;
    GameImage image_;
};

} // namespace zq::test
