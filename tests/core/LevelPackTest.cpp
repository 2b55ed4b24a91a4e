#include "pack/GameDiff.h"
#include "pack/LevelPack.h"
#include "pack/PackApply.h"
#include "pack/PackJson.h"

#include "entities/Bubbles.h"
#include "entities/Enemies.h"
#include "entities/Items.h"
#include "image/GameData.h"
#include "image/LayoutGrid.h"
#include "image/LevelData.h"
#include "tools/Airflow.h"
#include "tests/TestImages.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace zq {
namespace {

// Applies pack text to an image; the error, or "" when applied.
std::string applyText(GameImage& image, const std::string& text)
{
    const PackReadResult read = readPackJson(text);
    if (!read.pack)
        return read.error;
    return applyPack(image, *read.pack).error;
}

// A few edits of every kind the editor makes: the layout of level 37, the
// colours of level 2, the enemies and item of level 7, the bubble of level 5,
// the air flow of level 1, the pattern of level 3 and the title.
GameImage editedSample()
{
    GameImage game = test::defaultImage();
    const CellCodeTables codes;
    const LevelRecord level37 = findLevelRecord(game, 36);
    toggleCell(game, level37.offset, codes.code(level37.mirrored, 4, 3));
    game.set(attributeOffset(1), encodeAttribute(4, 2, 128)); // level 2: red on green
    stepEnemyType(game, 6, 2, decodeEnemies(game, 6)[2].type, kEmptyEnemyType);
    setBurstTime(game, 6, 17);
    game.set(itemOffset(6), 0x23);
    selectBubble(game, 5, 2, bubbleState(game, 5)); // Water -> Lightning
    AirflowRecord air;
    readAirflowRecord(game, airflowRecordOffset(0), air);
    air.direction[0] = (air.direction[0] + 1) & 3;
    air.row[0] = 17;
    encodeAirflow(game, air, 5);
    game.set(patternOffset(2) + 3, std::uint8_t(~game.get(patternOffset(2) + 3)));
    writeCreditText(game, CreditField::Title, U"MY OWN CAVERNS");
    return game;
}

// The whole sample, written, read and applied to the sample, changes no
// byte; the text is stable and within its size.
TEST(LevelPackTest, WholeSampleRoundTripsByteForByte)
{
    const GameImage original = test::defaultImage();
    const std::string text = writePackJson(wholeGamePack(original));
    EXPECT_LT(text.size(), 100u * 1024);

    GameImage target = original;
    EXPECT_EQ(applyText(target, text), "");
    EXPECT_TRUE(target == original);
    const PackReadResult read = readPackJson(text);
    ASSERT_TRUE(read.pack);
    EXPECT_TRUE(read.unknownKeys.empty());
    EXPECT_EQ(writePackJson(*read.pack), text);
}

// Game data full of bits the fields have no place for (spare layout bits,
// attribute bit 6, odd bubble tables, enemy bits, unused bytes) survives a
// whole-game pack applied to the sample: every byte of the game data
// regions comes back, and nothing outside them changes.
TEST(LevelPackTest, WholePackCarriesEveryGameDataByte)
{
    const GameImage base = test::defaultImage();
    GameImage game = base;
    std::mt19937 random(7);
    for (const GameDataRegion& region : gameDataRegions(base)) {
        if (region.offset == off::MirrorBitmap)
            continue; // the kinds of the levels are the game's own
        for (std::size_t i = region.offset; i < region.end(); ++i)
            game.set(i, std::uint8_t(random()));
    }
    // The air-flow records keep their area counts and so their places.
    for (std::uint16_t address : kAirflowRecordAddresses) {
        const std::size_t at = imageOffset(address);
        game.set(at, std::uint8_t((game.get(at) & 0xF0) | (base.get(at) & 0x0F)));
    }

    GameImage target = base;
    ASSERT_EQ(applyText(target, writePackJson(wholeGamePack(game))), "");
    EXPECT_TRUE(sameGameData(target, game)) << describeDifferences(target, game).front();
    const GameDataRegions regions = gameDataRegions(base);
    for (std::size_t i = 0; i < kImageSize; ++i)
        if (!isGameData(regions, i)) {
            ASSERT_EQ(target.get(i), base.get(i)) << i;
        }
}

// The changes of an edited game, applied to a fresh copy, give the edited
// game's data; the pack holds only the levels the edits touched.
TEST(LevelPackTest, ChangesPackRebuildsTheEditsOnAFreshCopy)
{
    const GameImage edited = editedSample();
    const LevelPack changes = changesPack(edited, test::defaultImage());
    std::vector<int> levels;
    for (const PackLevel& l : changes.levels)
        levels.push_back(l.level);
    EXPECT_EQ(levels, (std::vector<int>{1, 5, 7, 37}));
    EXPECT_EQ(changes.attributes.size(), 1u);
    EXPECT_EQ(changes.patterns.size(), 1u);

    GameImage fresh = test::defaultImage();
    const PackReadResult read = readPackJson(writePackJson(changes));
    ASSERT_TRUE(read.pack) << read.error;
    const PackApplyResult result = applyPack(fresh, *read.pack);
    ASSERT_TRUE(result.applied) << result.error;
    EXPECT_TRUE(sameGameData(fresh, edited)) << describeDifferences(fresh, edited).front();
    EXPECT_EQ(result.changedLevels, (std::vector<int>{0, 1, 2, 4, 6, 36}));
    EXPECT_TRUE(result.creditsChanged);
}

// A pack that does not fit changes nothing and says why.
TEST(LevelPackTest, RefusedPacksChangeNothing)
{
    const GameImage original = test::defaultImage();
    const std::string whole = writePackJson(wholeGamePack(original));
    const int mirrored = isMirroredLevel(original, 0) ? 0 : 2;
    const int full = isMirroredLevel(original, 2) ? 0 : 2;
    ASSERT_NE(isMirroredLevel(original, mirrored), isMirroredLevel(original, full));

    // A level of the other kind: level `full`'s data given as level `mirrored`.
    LevelPack wrongKind = singleLevelPack(original, full);
    wrongKind.levels[0].level = mirrored + 1;
    wrongKind.levels[0].airflow.reset();
    LevelPack foreign = singleLevelPack(original, 0);
    foreign.game[3] ^= 1;
    LevelPack air = singleLevelPack(original, 0);
    air.levels[0].airflow->areas.push_back({});
    LevelPack shared;
    shared.game = gameSignature(original);
    PackLevel second;
    second.level = 2;
    second.airflow = readPackLevel(original, 0).airflow; // level 2 uses level 1's record
    shared.levels.push_back(second);

    // Two fills of the whole memory: more than any game holds.
    const std::string fill = R"({"address": "0x4000", "fill": "0x00", "length": 49152}, )";
    std::string fills = whole;
    fills.insert(fills.find("\"unused\": [") + 11, fill + fill);

    struct Case {
        const char* what;
        std::string text;
        const char* message;
    };
    const Case cases[] = {
        {"kind", writePackJson(wrongKind), "kinds of the levels are fixed"},
        {"signature", writePackJson(foreign), "another game"},
        {"truncated", whole.substr(0, whole.size() / 2), "line"},
        {"air-flow areas", writePackJson(air), "air-flow areas"},
        {"shared air-flow", writePackJson(shared), "uses the air-flow record of level 1"},
        {"version", std::string(whole).replace(whole.find("\"version\": 1"), 12, "\"version\": 2"), "version 2"},
        {"range", std::string(whole).replace(whole.find("\"burstTime\": "), 13, "\"burstTime\": 9"), "from 0 to 255"},
        {"malformed", "{\n  \"format\": \"zelquor-level-pack\",\n  ,\n}", "line 3, column 3"},
        {"not a pack", "{\"levels\": []}", "not a level pack"},
        {"unused fills", fills, "more unused bytes in all"},
    };
    for (const Case& c : cases) {
        GameImage target = original;
        const std::string error = applyText(target, c.text);
        EXPECT_NE(error.find(c.message), std::string::npos) << c.what << ": " << error;
        EXPECT_TRUE(target == original) << c.what;
    }
    EXPECT_NE(readPackJson(std::string(kMaxPackSize + 1, ' ')).error.find("4 MiB"), std::string::npos);
}

TEST(LevelPackTest, UnknownKeysAreNamedAndIgnored)
{
    GameImage game = test::defaultImage();
    std::string text = writePackJson(singleLevelPack(game, 4));
    text.insert(text.find("\"level\": 5") + 10, ", \"sparkles\": true");
    text.insert(text.find("\"version\""), "\"comment\": \"from a later version\", ");
    const PackReadResult read = readPackJson(text);
    ASSERT_TRUE(read.pack) << read.error;
    EXPECT_EQ(read.unknownKeys, (std::vector<std::string>{"comment", "levels[0].sparkles"}));
    EXPECT_TRUE(applyPack(game, *read.pack).applied);
}

TEST(LevelPackTest, DiffNamesEachChangedField)
{
    const std::vector<std::string> lines = describeDifferences(test::defaultImage(), editedSample());
    for (const char* expected : {"level 37: layout row 5", "level 2: ink Cyan -> Red", "level 2: paper Blue -> Green",
                                 "level 7: burst time", "level 7: enemy 3 type", "level 7: item 0x", "level 5: bubble Water -> Lightning",
                                 "level 1: air-flow gap set 0 -> 5", "level 1: air-flow area 1 ", "level 3: pattern row 4",
                                 "credits: Title \"ZELQUOR - BUBBLE CAVERNS\" -> \"MY OWN CAVERNS\""})
        EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [&](const std::string& l) { return l.starts_with(expected); }))
            << expected;
    EXPECT_TRUE(describeDifferences(test::defaultImage(), test::defaultImage()).empty());

    // Two entries of the bubble table swapped: every level keeps its bubble,
    // so the table itself is named, whatever the credits say.
    GameImage swapped = test::defaultImage();
    for (std::size_t i = 0; i < 2; ++i) {
        const std::uint8_t first = swapped.get(off::BubbleTable + i);
        swapped.set(off::BubbleTable + i, swapped.get(off::BubbleTable + 2 + i));
        swapped.set(off::BubbleTable + 2 + i, first);
    }
    writeCreditText(swapped, CreditField::Title, U"level 5: bubble Water");
    const std::vector<std::string> table = describeDifferences(test::defaultImage(), swapped);
    EXPECT_TRUE(std::any_of(table.begin(), table.end(), [](const std::string& l) { return l.starts_with("special bubble table: "); }));
}

} // namespace
} // namespace zq
