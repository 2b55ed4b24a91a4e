#include "pack/PokeFile.h"

#include "image/GameData.h"
#include "image/LevelData.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>

namespace zq {
namespace {

// The POKE file of many changes, read back line by line in the format
// emulators read: N first, M lines, Z for the last poke, Y at the end;
// every poke in address order, and the pokes applied to the sample give
// the changed data.
TEST(PokeFileTest, EveryChangeIsOneLineInAddressOrder)
{
    GameImage base;
    ASSERT_TRUE(base.loadDefault());
    GameImage game = base;
    for (const GameDataRegion& region : gameDataRegions(base))
        if (region.offset != off::MirrorBitmap && region.offset != off::AirflowRecords)
            for (std::size_t i = region.offset; i < region.end(); i += 2)
                game.set(i, std::uint8_t(game.get(i) ^ 0x41));
    game.set(off::Screen, std::uint8_t(~game.get(off::Screen))); // not game data

    const std::vector<Poke> pokes = gameDataPokes(game, base);
    ASSERT_GT(pokes.size(), 3000u);
    std::istringstream text(pokeFileText(trainerName("my mod\x01 with a rather long name.pok"), pokes));
    std::string line;
    ASSERT_TRUE(std::getline(text, line));
    EXPECT_EQ(line, "Nmy mod with a rather long nam");

    GameImage poked = base;
    std::size_t count = 0;
    unsigned last = 0;
    while (std::getline(text, line) && line != "Y") {
        char kind = 0;
        unsigned bank = 0, address = 0, value = 0, original = 0;
        int used = 0;
        ASSERT_EQ(std::sscanf(line.c_str(), "%c %u %u %u %u%n", &kind, &bank, &address, &value, &original, &used), 5) << line;
        EXPECT_EQ(std::size_t(used), line.size());
        EXPECT_EQ(kind, ++count == pokes.size() ? 'Z' : 'M');
        EXPECT_EQ(bank, 8u);
        EXPECT_GT(address, last);
        EXPECT_LE(value, 255u);
        EXPECT_EQ(base.get(imageOffset(std::uint16_t(address))), original);
        last = address;
        poked.set(imageOffset(std::uint16_t(address)), std::uint8_t(value));
    }
    EXPECT_EQ(line, "Y");
    EXPECT_FALSE(std::getline(text, line));
    EXPECT_EQ(count, pokes.size());
    for (std::size_t i = 0; i < kImageSize; ++i)
        ASSERT_EQ(poked.get(i), i == off::Screen ? base.get(i) : game.get(i)) << i;
}

} // namespace
} // namespace zq
