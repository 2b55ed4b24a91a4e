// zelquor-cli's level pack commands: pack, apply, diff, dump and pok.

#include "tests/cli/CliSupport.h"

#include "entities/Enemies.h"

#include <cstdio>

namespace zq::test {
namespace {

using PackCliTest = CliFixture;

// A mod made with the tool alone: dump, edit the text, apply; diff tells
// the change (exit 1) and nothing else, a pack of the changes applied to
// the game gives the mod again (diff exit 0), and its POKE file names it.
TEST_F(PackCliTest, PackApplyDiffAndPokeAMod)
{
    const ToolRun dump = runTool({"dump", "game.sna"});
    ASSERT_EQ(dump.status, 0) << dump.err;
    std::string text = dump.out;
    const std::size_t burst = text.find("\"burstTime\": ", text.find("\"level\": 7,"));
    ASSERT_NE(burst, std::string::npos);
    text.replace(burst, text.find(',', burst) - burst, "\"burstTime\": 3");
    writeFile(work_ / "mod.zqpack", Bytes(text.begin(), text.end()));
    ASSERT_EQ(runTool({"apply", "game.sna", "mod.zqpack", "mod.z80"}).status, 0);

    const ToolRun differs = runTool({"diff", "game.sna", "mod.z80"});
    EXPECT_EQ(differs.status, 1);
    EXPECT_EQ(differs.out, "level 7: burst time " + std::to_string(burstTime(image_, 6)) + " -> 3\n");

    ASSERT_EQ(runTool({"pack", "mod.z80", "changes.zqpack", "--changes"}).status, 0);
    ASSERT_EQ(runTool({"apply", "game.sna", "changes.zqpack", "again.sna"}).status, 0);
    const ToolRun same = runTool({"diff", "mod.z80", "again.sna"});
    EXPECT_EQ(same.status, 0);
    EXPECT_EQ(same.out, "");

    ASSERT_EQ(runTool({"pok", "again.sna", "mod.pok"}).status, 0);
    const std::string pok = readText(work_ / "mod.pok");
    EXPECT_TRUE(pok.starts_with("Nmod\nZ  8 ")) << pok;
    char tail[16];
    std::snprintf(tail, sizeof tail, "   3 %3d\nY\n", burstTime(image_, 6));
    EXPECT_TRUE(pok.ends_with(tail)) << pok;
}

// A refused pack is exit status 2 with nothing written, a missing one 1; an
// unreadable input is diff's 2 as well.
TEST_F(PackCliTest, RefusalsExitWithTwoAndWriteNothing)
{
    writeFile(work_ / "broken.zqpack", Bytes{'{', '\n', '[', '}'});
    const ToolRun broken = runTool({"apply", "game.sna", "broken.zqpack", "out.sna"});
    EXPECT_EQ(broken.status, 2);
    EXPECT_NE(broken.err.find("line 2, column"), std::string::npos) << broken.err;

    ASSERT_EQ(runTool({"pack", "game.sna", "one.zqpack", "--level", "3"}).status, 0);
    std::string text = readText(work_ / "one.zqpack");
    text.replace(text.find("\"game\": \"") + 9, 2, text.substr(text.find("\"game\": \"") + 9, 2) == "00" ? "01" : "00");
    writeFile(work_ / "foreign.zqpack", Bytes(text.begin(), text.end()));
    const ToolRun foreign = runTool({"apply", "game.sna", "foreign.zqpack", "out.sna"});
    EXPECT_EQ(foreign.status, 2);
    EXPECT_NE(foreign.err.find("another game"), std::string::npos) << foreign.err;
    EXPECT_FALSE(fs::exists(work_ / "out.sna"));
    // A pack file that cannot be read is a file error, as an unreadable game.
    EXPECT_EQ(runTool({"apply", "game.sna", "missing.zqpack", "out.sna"}).status, 1);

    EXPECT_EQ(runTool({"diff", "game.sna", "missing.sna"}).status, 2);
}

} // namespace
} // namespace zq::test
