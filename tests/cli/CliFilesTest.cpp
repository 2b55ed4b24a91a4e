// zelquor-cli facing inputs it must refuse and outputs it cannot write: each
// test starts the built program in a scratch folder and checks its exit
// status, its messages and that the files there are as they were.

#include "tests/cli/CliSupport.h"
#include "tests/Tmpfs.h"

#include "cli/FileAccess.h"

#include "files/Snapshot.h"
#include "files/Tape.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zq {
namespace {

using namespace test;

using CliFilesTest = CliFixture;

// ---------------------------------------------------------------------------
// Refused inputs

TEST_F(CliFilesTest, InputsOfTheWrongSizeAreRefused)
{
    Bytes longer = save48(image_);
    longer.push_back(0);
    writeFile(work_ / "long.sna", longer);
    writeFile(work_ / "empty.sna", {});
    writeFile(work_ / "short.scr", Bytes(6144));
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"info", "long.sna"},
             {"save48", "empty.sna", "o.sna"},
             {"import-scr", game_.string(), "short.scr", "o.sna"},
             {"tap", game_.string(), "o.tap", "--screen", "short.scr"}}) {
        const ToolRun r = runTool(args);
        EXPECT_EQ(r.status, 1) << args[1];
        EXPECT_NE(r.err.find("File size incorrect"), std::string::npos) << r.err;
    }
    EXPECT_FALSE(fs::exists(work_ / "o.sna"));
    EXPECT_FALSE(fs::exists(work_ / "o.tap"));
}

TEST_F(CliFilesTest, ASnapshotOfAnotherProgramIsRefused)
{
    Bytes other = save48(image_);
    other[off::Signature + 9] ^= 0x01;
    writeFile(work_ / "other.sna", other);
    Bytes other128(kSnapshot128Size, 0);
    writeFile(work_ / "other128.sna", other128);
    for (const char* name : {"other.sna", "other128.sna"}) {
        const ToolRun r = runTool({"save48", name, "o.sna"});
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err.find("File selected is not a Zelquor snapshot"), std::string::npos) << r.err;
    }
    EXPECT_FALSE(fs::exists(work_ / "o.sna"));
}

TEST_F(CliFilesTest, MissingFilesFoldersAndPipesAreRefusedWithoutReading)
{
    fs::create_directory(work_ / "folder.sna");
    ASSERT_EQ(::mkfifo((work_ / "pipe.sna").c_str(), 0600), 0);
    const ToolRun missing = runTool({"info", "missing.sna"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("Cannot open file \"missing.sna\". "), std::string::npos) << missing.err;
    const ToolRun folder = runTool({"info", "folder.sna"});
    EXPECT_EQ(folder.status, 1);
    EXPECT_NE(folder.err.find("Cannot open file \"folder.sna\". "), std::string::npos) << folder.err;
    // A pipe with no writer would block a plain open; it is refused at once.
    const ToolRun pipe = runTool({"save48", "pipe.sna", "o.sna"});
    EXPECT_EQ(pipe.status, 1);
    EXPECT_NE(pipe.err.find("Cannot open file \"pipe.sna\". "), std::string::npos) << pipe.err;
    const ToolRun scr = runTool({"import-scr", game_.string(), "folder.sna", "o.sna"});
    EXPECT_EQ(scr.status, 1);
    EXPECT_FALSE(fs::exists(work_ / "o.sna"));
}

// ---------------------------------------------------------------------------
// Outputs

TEST_F(CliFilesTest, AnOutputIntoAMissingFolderOrOverAFolderFails)
{
    fs::create_directory(work_ / "dir");
    const ToolRun missing = runTool({"save48", game_.string(), "nowhere/o.sna"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("Cannot create file \"nowhere/o.sna\". "), std::string::npos) << missing.err;
    const ToolRun folder = runTool({"tap", game_.string(), "dir"});
    EXPECT_EQ(folder.status, 1);
    EXPECT_NE(folder.err.find("Cannot create file \"dir\". "), std::string::npos) << folder.err;
    EXPECT_TRUE(fs::is_empty(work_ / "dir"));
    EXPECT_EQ(workFiles(), (std::vector<std::string>{"dir", "game.sna"}));
}

TEST_F(CliFilesTest, AFailedWriteLeavesTheOldTargetAndNoTemporaryFile)
{
    writeFile(work_ / "keep.sna", Bytes{'o', 'l', 'd'});
    // 10 KiB allowed: the 48K snapshot cannot be written whole.
    const ToolRun r = runTool({"save48", game_.string(), "keep.sna"}, rlim_t(10240));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Cannot write file \"keep.sna\". "), std::string::npos) << r.err;
    EXPECT_EQ(readFile(work_ / "keep.sna"), (Bytes{'o', 'l', 'd'}));
    EXPECT_EQ(workFiles(), (std::vector<std::string>{"game.sna", "keep.sna"}));

    // A compressed level picture takes a few KB: 512 bytes are too few.
    const ToolRun png = runTool({"render", game_.string(), "--level", "5", "--scale", "2", "-o", "new.png"}, rlim_t(512));
    EXPECT_EQ(png.status, 1);
    EXPECT_EQ(workFiles(), (std::vector<std::string>{"game.sna", "keep.sna"}));
}

// Its permissions refuse a user; root, whom they do not bind, is refused by
// a read-only mount, or where it may not mount either, by the call that
// makes the temporary file (the tool's own write, in this process).
TEST_F(CliFilesTest, AnOutputIntoAReadOnlyFolderFails)
{
    const fs::path ro = work_ / "ro";
    const bool root = ::geteuid() == 0;
    std::optional<Tmpfs> mount;
    if (root)
        mount.emplace(ro.string(), "size=1m");
    fs::create_directories(ro);
    writeFile(ro / "t.sna", Bytes{1, 2, 3});
    std::string name = "ro/t.sna";
    ToolRun r;
    if (!root) {
        fs::permissions(ro, fs::perms::owner_read | fs::perms::owner_exec);
        r = runTool({"save48", game_.string(), name});
        fs::permissions(ro, fs::perms::owner_all);
    } else if (mount->mounted() && mount->makeReadOnly()) {
        r = runTool({"save48", game_.string(), name});
    } else {
        name = (ro / "t.sna").string();
        const auto system = cli::setTemporaryFileMaker([](char*) {
            errno = EROFS;
            return -1;
        });
        r.err = cli::writeFileAtomically(name, save48(image_));
        r.status = r.err.empty() ? 0 : 1;
        cli::setTemporaryFileMaker(system);
    }
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Cannot create file \"" + name + "\". "), std::string::npos) << r.err;
    EXPECT_EQ(readFile(ro / "t.sna"), (Bytes{1, 2, 3}));
    EXPECT_EQ(std::distance(fs::directory_iterator(ro), fs::directory_iterator()), 1);
}

TEST_F(CliFilesTest, AReplacedFileKeepsItsModeAndALinkStaysALink)
{
    writeFile(work_ / "t.sna", Bytes{1});
    fs::permissions(work_ / "t.sna", fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    fs::create_symlink("t.sna", work_ / "link.sna");
    ASSERT_EQ(runTool({"save48", game_.string(), "link.sna"}).status, 0);
    EXPECT_TRUE(fs::is_symlink(work_ / "link.sna"));
    EXPECT_EQ(readFile(work_ / "t.sna"), save48(image_));
    EXPECT_EQ(fs::status(work_ / "t.sna").permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

} // namespace
} // namespace zq
