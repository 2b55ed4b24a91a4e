// zelquor-cli run as a user runs it: each test starts the built program in a
// scratch folder and checks its exit status, its messages and the files it
// leaves, reading them back with the core library, an independent PNG reader
// and (when installed) Fuse's tzxlist.

#include "cli/LevelPicture.h"
#include "files/Png.h"
#include "tests/cli/CliSupport.h"
#include "tests/cli/PngReader.h"

#include "entities/Enemies.h"
#include "entities/Items.h"
#include "files/Snapshot.h"
#include "files/Tape.h"
#include "image/LevelData.h"
#include "render/Palette.h"
#include "tools/Airflow.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace zq {
namespace {

using namespace test;

class CliTest : public CliFixture {
protected:
    test::PngPicture renderPng(const std::vector<std::string>& options)
    {
        std::vector<std::string> args{"render", game_.string()};
        args.insert(args.end(), options.begin(), options.end());
        args.insert(args.end(), {"-o", "out.png"});
        const ToolRun r = runTool(args);
        EXPECT_EQ(r.status, 0) << r.err;
        test::PngPicture picture;
        const std::string error = test::readPng(readFile(work_ / "out.png"), picture);
        EXPECT_EQ(error, "");
        return picture;
    }
};

// ---------------------------------------------------------------------------
// Help and usage errors

TEST_F(CliTest, HelpListsEveryCommandAndEachCommandAnswersHelp)
{
    const ToolRun top = runTool({"--help"});
    EXPECT_EQ(top.status, 0);
    for (const char* command : {"info", "render", "save48", "save128", "tap", "import-scr", "convert", "run"}) {
        EXPECT_NE(top.out.find(std::string("  ") + command + " "), std::string::npos) << command;
        const ToolRun one = runTool({command, "--help"});
        EXPECT_EQ(one.status, 0) << command;
        EXPECT_EQ(one.out.rfind(std::string("Usage: zelquor-cli ") + command, 0), 0u) << one.out;
    }
    EXPECT_EQ(runTool({"help", "render"}).status, 0);
}

TEST_F(CliTest, UsageErrorsExitWithTwoAndWriteNothing)
{
    const std::string g = game_.string();
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"frobnicate"},
        {"info"},
        {"info", g, "extra"},
        {"save48", g},
        {"save48", g, "--bogus", "o.sna"},
        {"tap", g, "o.tap", "--screen"},
        {"import-scr", g, "o.sna"},
        {"render", g, "-o", "o.png"},
        {"render", g, "--level", "0", "-o", "o.png"},
        {"render", g, "--level", "80", "-o", "o.png"},
        {"render", g, "--level", "1x", "-o", "o.png"},
        {"render", g, "--level", "-3", "-o", "o.png"},
        {"render", g, "--level", "1"},
        {"render", g, "--level", "1", "--scale", "3", "-o", "o.png"},
        {"render", g, "--level", "1", "--items", "--airflow", "-o", "o.png"},
        {"render", g, "--level", "1", "--level", "2", "-o", "o.png"},
        {"save48", g, ""},
    };
    for (const auto& args : cases) {
        std::string line;
        for (const auto& a : args)
            line += a + " ";
        const ToolRun r = runTool(args);
        EXPECT_EQ(r.status, 2) << line;
        EXPECT_NE(r.err, "") << line;
        EXPECT_EQ(r.out, "") << line;
    }
    EXPECT_EQ(workFiles(), std::vector<std::string>{"game.sna"});
}

// ---------------------------------------------------------------------------
// info

TEST_F(CliTest, InfoDescribesEveryLevelTheAirflowRecordsAndTheCredits)
{
    const ToolRun r = runTool({"info", game_.string()});
    ASSERT_EQ(r.status, 0) << r.err;
    std::istringstream lines(r.out);
    std::vector<std::string> levels;
    std::vector<std::string> records;
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("Level ", 0) == 0)
            levels.push_back(line);
        if (line.rfind("  0x", 0) == 0)
            records.push_back(line);
    }
    ASSERT_EQ(levels.size(), 79u);
    for (int i = 0; i < kLevelCount; ++i) {
        const std::string& line = levels[std::size_t(i)];
        const LevelRecord record = findLevelRecord(image_, i);
        char expected[64];
        std::snprintf(expected, sizeof expected, "Level %2d: %s", i + 1, record.mirrored ? "mirrored" : "full-width");
        EXPECT_EQ(line.rfind(expected, 0), 0u) << line;
        EXPECT_NE(line.find("record " + std::to_string(record.offset)), std::string::npos) << line;
        char item[32];
        std::snprintf(item, sizeof item, "item 0x%02X at", unsigned(itemByte(image_, i)));
        EXPECT_NE(line.find(item), std::string::npos) << line;
    }

    // One line per distinct record, each naming the levels that use it.
    std::set<std::uint16_t> addresses(kAirflowRecordAddresses.begin(), kAirflowRecordAddresses.end());
    EXPECT_EQ(records.size(), addresses.size());
    EXPECT_NE(r.out.find("  0x79B3 (offset 14798): "), std::string::npos);
    EXPECT_NE(r.out.find("levels 1, 2, 36, 48, 50, 52\n"), std::string::npos);

    for (const CreditField field : {CreditField::Title, CreditField::Company, CreditField::Author}) {
        const std::u32string text = readCreditText(image_, field);
        EXPECT_NE(r.out.find("\"" + std::string(text.begin(), text.end()) + "\""), std::string::npos);
    }
}

TEST_F(CliTest, InfoShowsTheLevelValuesOfAnEditedImage)
{
    // Level 3 as the decoders see it after an edit: colours, Big Border,
    // enemies, item and bubble all changed.
    GameImage edited = image_;
    edited.set(attributeOffset(2), encodeAttribute(2, 6, 128)); // paper red, ink yellow
    for (int slot = 0; slot < kEnemySlotCount; ++slot) {
        edited.set(enemyRecordOffset(2, slot), slot < 2 ? 0x28 : 0);
        edited.set(enemyRecordOffset(2, slot) + 1, 0x40);
    }
    setEnemiesPattern(edited, 2, 4);
    setBurstTime(edited, 2, 99);
    // Item 0x21 on a mirrored level in the lower list: column 2 from the
    // left, row 1 of the lower part.
    edited.set(itemOffset(2), 0x21);
    edited.set(off::MirrorBitmap, std::uint8_t(edited.get(off::MirrorBitmap) | 0x20));
    edited.set(off::LowerItemList, 3);
    writeFile(work_ / "edited.sna", save48(edited));

    const ToolRun r = runTool({"info", "edited.sna"});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::size_t start = r.out.find("Level  3:");
    ASSERT_NE(start, std::string::npos);
    const std::string line = r.out.substr(start, r.out.find('\n', start) - start);
    EXPECT_NE(line.find("ink Yellow, paper Red, Big Border on"), std::string::npos) << line;
    EXPECT_NE(line.find("enemies 2, enemies pattern 5, burst time 99"), std::string::npos) << line;
    EXPECT_NE(line.find("item 0x21 at (16, 136)"), std::string::npos) << line;
    // Levels 18, 33, ... share the colours.
    EXPECT_NE(r.out.find("Level 18: "), std::string::npos);
    const std::size_t l18 = r.out.find("Level 18: ");
    EXPECT_NE(r.out.substr(l18, r.out.find('\n', l18) - l18).find("ink Yellow, paper Red"), std::string::npos);
}

TEST_F(CliTest, InfoOfThe128KSnapshotMatchesThe48KOne)
{
    GameImage copy = image_;
    writeFile(work_ / "game128.sna", export128(copy));
    const ToolRun a = runTool({"info", game_.string()});
    const ToolRun b = runTool({"info", "game128.sna"});
    ASSERT_EQ(a.status, 0);
    ASSERT_EQ(b.status, 0) << b.err;
    EXPECT_EQ(a.out, b.out);
}

// ---------------------------------------------------------------------------
// render

TEST_F(CliTest, RenderWritesTheLevelPictureWithEachOverlay)
{
    const std::pair<const char*, cli::Overlay> cases[] = {
        {nullptr, cli::Overlay::None},
        {"--enemies", cli::Overlay::Enemies},
        {"--items", cli::Overlay::Items},
        {"--airflow", cli::Overlay::Airflow},
    };
    for (const auto& [option, overlay] : cases) {
        std::vector<std::string> options{"--level", "1"};
        if (option)
            options.push_back(option);
        const test::PngPicture png = renderPng(options);
        ASSERT_EQ(png.width, 256);
        ASSERT_EQ(png.height, 192);
        TFastDIB expected;
        ASSERT_TRUE(cli::drawLevelPicture(image_, 0, overlay, 1, expected));
        int differences = 0;
        for (int y = 0; y < 192; ++y)
            for (int x = 0; x < 256; ++x)
                differences += png.at(x, y) != expected.PixelAt(x, y);
        EXPECT_EQ(differences, 0) << (option ? option : "no overlay");
    }
}

TEST_F(CliTest, RenderedOverlaysFollowTheEditorsRules)
{
    const test::PngPicture plain = renderPng({"--level", "1"});
    const CurrentLevel level = decodeLevel(image_, 0);
    ASSERT_EQ(plain.width, 256);
    // The top band is black and the side walls are drawn.
    for (int x = 0; x < 256; ++x)
        EXPECT_EQ(plain.at(x, 5), 0u) << x;
    for (const int x : {3, 250}) {
        const std::uint32_t wall = plain.at(x, 100);
        EXPECT_TRUE(wall == kPalette[std::size_t(level.ink)] || wall == kPalette[std::size_t(level.paper)]) << x;
    }

    // Enemies: only the 16 x 16 squares of occupied slots change.
    const test::PngPicture enemies = renderPng({"--level", "1", "--enemies"});
    const EnemySlotView slots = decodeEnemies(image_, 0);
    int changed = 0;
    for (int y = 0; y < 192; ++y)
        for (int x = 0; x < 256; ++x) {
            if (enemies.at(x, y) == plain.at(x, y))
                continue;
            ++changed;
            const bool inSquare = std::any_of(slots.begin(), slots.end(), [&](const EnemySlot& s) {
                return s.type != kEmptyEnemyType && x >= 8 * s.column && x < 8 * s.column + 16 && y >= 8 * s.row &&
                       y < 8 * s.row + 16;
            });
            EXPECT_TRUE(inSquare) << x << "," << y;
        }
    EXPECT_GT(changed, 0);

    // Items: a bright white checker at the item position, cyan at its mirror.
    const test::PngPicture items = renderPng({"--level", "1", "--items"});
    // The item byte's high nibble counts columns of 8 pixels (from the right
    // on a full-width level), its low nibble rows of 8 (from row 16 of the
    // screen on a level in the lower list).
    const std::uint8_t byte = image_.get(off::ItemTable);
    bool lower = false;
    for (std::size_t i = 0; i < kLowerItemCount; ++i)
        lower = lower || image_.get(off::LowerItemList + i) == 1;
    const bool mirrored = (image_.get(off::MirrorBitmap) & 0x80) != 0;
    const int x = mirrored ? 8 * (byte >> 4) : 240 - 8 * (byte >> 4);
    const int y = 8 * (byte & 15) + (lower ? 128 : 0);
    ASSERT_LT(y + 1, 192);
    EXPECT_EQ(items.at(x, y), 0xFFFFFFu);
    EXPECT_EQ(items.at(x + 1, y + 1), 0xFFFFFFu);
    EXPECT_EQ(items.at(255 - x, y), 0x00CACAu);

    // Air flow: grey marks the first area on level 1, which owns its record;
    // level 2 shares level 1's record and shows no highlight.
    auto greyCount = [](const test::PngPicture& p) {
        return std::count(p.pixels.begin(), p.pixels.end(), kPalette[colour::Grey]);
    };
    EXPECT_GT(greyCount(renderPng({"--level", "1", "--airflow"})), 0);
    EXPECT_EQ(greyCount(renderPng({"--level", "2", "--airflow"})), 0);
    EXPECT_EQ(greyCount(plain), 0);
}

TEST_F(CliTest, RenderAtScaleTwoDoublesEveryPixel)
{
    const test::PngPicture small = renderPng({"--level", "79", "--airflow"});
    const test::PngPicture big = renderPng({"--level=79", "--airflow", "--scale", "2"});
    ASSERT_EQ(big.width, 512);
    ASSERT_EQ(big.height, 384);
    int differences = 0;
    for (int y = 0; y < 384; ++y)
        for (int x = 0; x < 512; ++x)
            differences += big.at(x, y) != small.at(x / 2, y / 2);
    EXPECT_EQ(differences, 0);
    // A few colours, stored as a compressed palette image of a few KB.
    EXPECT_EQ(big.colourType, PNG_COLOR_TYPE_PALETTE);
    EXPECT_LT(std::filesystem::file_size(work_ / "out.png"), 5000u);
}

// ---------------------------------------------------------------------------
// Snapshots, tape and screen

TEST_F(CliTest, Save48OfTheSampleImageIsByteIdentical)
{
    const ToolRun r = runTool({"save48", ZELQUOR_SAMPLE_SNAPSHOT, "copy.sna"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(readFile(work_ / "copy.sna"), readFile(ZELQUOR_SAMPLE_SNAPSHOT));
    EXPECT_EQ(workFiles(), (std::vector<std::string>{"copy.sna", "game.sna"}));
}

TEST_F(CliTest, Save128IsAStartable128KSnapshotThatOpensBack)
{
    ASSERT_EQ(runTool({"save128", game_.string(), "big.sna"}).status, 0);
    const Bytes big = readFile(work_ / "big.sna");
    ASSERT_EQ(big.size(), kSnapshot128Size);
    GameImage patched = image_;
    writeRomSwapRoutine(patched);
    EXPECT_TRUE(std::equal(patched.bytes().begin(), patched.bytes().end(), big.begin()));
    EXPECT_EQ(big[49179], 0x00);
    EXPECT_EQ(big[49180], 0x5B);

    // The 128K file is an accepted input: its 48K part comes back out.
    const ToolRun back = runTool({"save48", "big.sna", "back.sna"});
    ASSERT_EQ(back.status, 0) << back.err;
    EXPECT_EQ(readFile(work_ / "back.sna"), Bytes(big.begin(), big.begin() + 49179));
}

TEST_F(CliTest, TapeCarriesTheImageAndTheChosenLoadingScreen)
{
    ASSERT_EQ(runTool({"tap", game_.string(), "game.tap"}).status, 0);
    const Bytes tape = readFile(work_ / "game.tap");
    ASSERT_EQ(tape.size(), kTapeSize);
    EXPECT_EQ(tape, buildTape(image_, LoadingScreen::fromImage(image_)));

    Bytes scr(kScreenSize);
    for (std::size_t i = 0; i < scr.size(); ++i)
        scr[i] = std::uint8_t(i * 31 + 7);
    writeFile(work_ / "pic.scr", scr);
    const ToolRun r = runTool({"tap", "--screen", "pic.scr", game_.string(), "pic.tap"});
    ASSERT_EQ(r.status, 0) << r.err;
    LoadingScreen screen;
    ASSERT_TRUE(screen.assign(scr));
    EXPECT_EQ(readFile(work_ / "pic.tap"), buildTape(image_, screen));
}

TEST_F(CliTest, TzxlistPassesEveryChecksumOfTheTape)
{
    if (!onPath("tzxlist"))
        GTEST_SKIP() << "tzxlist (fuse-emulator-utils) is not installed";
    ASSERT_EQ(runTool({"tap", game_.string(), "game.tap"}).status, 0);
    const int rc = std::system(("tzxlist " + (work_ / "game.tap").string() + " >" + (root_ / "list").string() +
                                " 2>&1")
                                   .c_str());
    ASSERT_EQ(rc, 0);
    const std::string list = readText(root_ / "list");
    std::size_t passes = 0;
    for (std::size_t at = list.find("(PASS)"); at != std::string::npos; at = list.find("(PASS)", at + 1))
        ++passes;
    EXPECT_EQ(passes, 6u) << list;
    EXPECT_EQ(list.find("(FAIL)"), std::string::npos) << list;
}

TEST_F(CliTest, ImportScrPutsTheScreenIntoTheImage)
{
    Bytes scr(kScreenSize);
    for (std::size_t i = 0; i < scr.size(); ++i)
        scr[i] = std::uint8_t(255 - i % 251);
    writeFile(work_ / "pic.scr", scr);
    const ToolRun r = runTool({"import-scr", game_.string(), "pic.scr", "out.sna"});
    ASSERT_EQ(r.status, 0) << r.err;
    const Bytes out = readFile(work_ / "out.sna");
    ASSERT_EQ(out.size(), kImageSize);
    Bytes expected = save48(image_);
    std::copy(scr.begin(), scr.end(), expected.begin() + std::ptrdiff_t(off::Screen));
    EXPECT_EQ(out, expected);
}

TEST_F(CliTest, AnOutputMayReplaceItsOwnInput)
{
    ASSERT_EQ(runTool({"save48", game_.string(), game_.string()}).status, 0);
    EXPECT_EQ(readFile(game_), save48(image_));
}

} // namespace
} // namespace zq
