#include "entities/Bubbles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace zq {
namespace {

using Bytes = std::vector<int>;

constexpr std::uint8_t kAfter = 0x42; // the byte after the table in these tests

// An image whose table starts with the given bytes; the remaining table bytes
// are set to filler (a number no level has, so no group end and no match).
GameImage withTable(const Bytes& bytes, int filler = 0xC8)
{
    GameImage image;
    for (std::size_t i = 0; i < kBubbleTableSize; ++i)
        image.set(off::BubbleTable + i, std::uint8_t(i < bytes.size() ? bytes[i] : filler));
    image.set(off::BubbleTable + kBubbleTableSize, kAfter);
    return image;
}

Bytes table(const GameImage& image)
{
    Bytes out;
    for (std::size_t i = 0; i < kBubbleTableSize; ++i)
        out.push_back(image.get(off::BubbleTable + i));
    return out;
}

// The first n bytes of the table.
Bytes head(const GameImage& image, std::size_t n)
{
    Bytes t = table(image);
    t.resize(n);
    return t;
}

// A full table: 49 level numbers and four zeros, no spare byte. Group 1 holds
// 1..12, group 2 13..24, group 3 25..36, group 4 37..49.
GameImage fullTable()
{
    Bytes t;
    for (int g = 0; g < 4; ++g) {
        for (int n = 1 + 12 * g; n <= (g == 3 ? 49 : 12 * (g + 1)); ++n)
            t.push_back(n);
        t.push_back(0);
    }
    return withTable(t);
}

TEST(BubbleStateTest, TypeFromTheGroups)
{
    const GameImage image = withTable({3, 9, 0, 20, 0, 30, 31, 0, 40, 0});
    EXPECT_EQ(bubbleType(image, 3), 1);
    EXPECT_EQ(bubbleType(image, 9), 1);
    EXPECT_EQ(bubbleType(image, 20), 2);
    EXPECT_EQ(bubbleType(image, 31), 3);
    EXPECT_EQ(bubbleType(image, 40), 4);
    EXPECT_EQ(bubbleType(image, 50), 0);
    EXPECT_EQ(spareCount(image), 43);
    EXPECT_EQ(bubbleState(image, 31).type, 3);
    EXPECT_EQ(bubbleState(image, 31).spare, 43);
}

TEST(BubbleStateTest, EmptyGroupsAndNoSpareByte)
{
    const GameImage image = withTable({0, 0, 7, 0, 0}, 0);
    EXPECT_EQ(spareCount(image), 48);
    EXPECT_EQ(bubbleType(image, 7), 3 - 48); // the spare zeros count too

    const GameImage full = fullTable();
    EXPECT_EQ(spareCount(full), 0);
    EXPECT_EQ(bubbleType(full, 1), 1);
    EXPECT_EQ(bubbleType(full, 49), 4);
    EXPECT_EQ(bubbleType(full, 50), 0);
}

TEST(BubbleStateTest, MatchAmongTheSpareBytes)
{
    // Level 12 among the spare bytes with no zero after it.
    const GameImage image = withTable({0, 0, 0, 0, 5, 12, 6});
    EXPECT_EQ(bubbleType(image, 12), 5);
    EXPECT_EQ(spareCount(image), 49);
    // A spare zero after a group's level shifts its type down.
    const GameImage shifted = withTable({0, 0, 0, 40, 0, 5, 0, 6});
    EXPECT_EQ(bubbleType(shifted, 40), 3);
}

TEST(BubbleStateTest, LevelNumberZeroNeverMatches)
{
    const GameImage image = withTable({3, 0, 0, 0, 0});
    EXPECT_EQ(bubbleType(image, 0), 0);
    EXPECT_EQ(bubbleType(image, 256 + 3), 0);
}

TEST(BubbleRemoveTest, GroupClosesUpAndTheByteAfterTheTableMovesIn)
{
    GameImage image = fullTable();
    EXPECT_EQ(bubbleType(image, 30), 3);
    removeLevel(image, 30);
    Bytes expected = table(fullTable());
    expected.erase(std::find(expected.begin(), expected.end(), 30));
    expected.push_back(kAfter);
    EXPECT_EQ(table(image), expected);
    EXPECT_EQ(image.get(off::BubbleTable + kBubbleTableSize), kAfter);
    EXPECT_EQ(bubbleType(image, 30), 0);
    EXPECT_EQ(spareCount(image), 1);
    EXPECT_EQ(bubbleType(image, 31), 3);
}

TEST(BubbleRemoveTest, EverySeparateCopyGoes)
{
    GameImage image = withTable({5, 0, 7, 5, 0, 5, 0, 0, 9});
    removeLevel(image, 5);
    EXPECT_EQ(head(image, 8), (Bytes{0, 7, 0, 0, 0, 9, 0xC8, 0xC8}));
    EXPECT_EQ(image.get(off::BubbleTable + 50), kAfter);
    EXPECT_EQ(image.get(off::BubbleTable + 51), kAfter);
    EXPECT_EQ(image.get(off::BubbleTable + 52), kAfter);
}

TEST(BubbleRemoveTest, AdjacentCopyStaysUntilALaterRemoval)
{
    GameImage image = withTable({5, 5, 0, 0, 0, 0});
    removeLevel(image, 5);
    EXPECT_EQ(head(image, 6), (Bytes{5, 0, 0, 0, 0, 0xC8}));
    EXPECT_EQ(bubbleType(image, 5), 1);
    removeLevel(image, 5);
    EXPECT_EQ(head(image, 5), (Bytes{0, 0, 0, 0, 0xC8}));
    EXPECT_EQ(bubbleType(image, 5), 0);
}

TEST(BubbleRemoveTest, ByteAfterTheTableEqualToTheLevel)
{
    // The copy that moves in at the end is examined and moved in again: the
    // level ends up among the spare bytes.
    GameImage image = withTable({7, 0, 0, 0, 0});
    image.set(off::BubbleTable + kBubbleTableSize, 7);
    removeLevel(image, 7);
    EXPECT_EQ(head(image, 4), (Bytes{0, 0, 0, 0}));
    EXPECT_EQ(image.get(off::BubbleTable + 52), 7);
    EXPECT_EQ(image.get(off::BubbleTable + 53), 7);
    EXPECT_EQ(bubbleType(image, 7), 5);
}

TEST(BubbleInsertTest, AscendingPlaceInTheGroup)
{
    GameImage a = withTable({1, 0, 3, 9, 0, 0, 0});
    insertLevel(a, 5, 2);
    EXPECT_EQ(head(a, 8), (Bytes{1, 0, 3, 5, 9, 0, 0, 0}));

    GameImage b = withTable({1, 0, 3, 9, 0, 0, 0});
    insertLevel(b, 12, 2);
    EXPECT_EQ(head(b, 8), (Bytes{1, 0, 3, 9, 12, 0, 0, 0}));

    GameImage c = withTable({1, 0, 3, 9, 0, 0, 0});
    insertLevel(c, 2, 1);
    EXPECT_EQ(head(c, 8), (Bytes{1, 2, 0, 3, 9, 0, 0, 0}));
}

TEST(BubbleInsertTest, EmptyGroupsAndTheDroppedLastByte)
{
    GameImage image = withTable({0, 0, 0, 0});
    image.set(off::BubbleTable + 52, 0x77);
    insertLevel(image, 8, 3);
    EXPECT_EQ(head(image, 6), (Bytes{0, 0, 8, 0, 0, 0xC8}));
    EXPECT_EQ(image.get(off::BubbleTable + 52), 0xC8);
    insertLevel(image, 9, 1);
    EXPECT_EQ(head(image, 6), (Bytes{9, 0, 0, 8, 0, 0}));
    insertLevel(image, 10, 4);
    EXPECT_EQ(head(image, 7), (Bytes{9, 0, 0, 8, 0, 10, 0}));
    EXPECT_EQ(image.get(off::BubbleTable + kBubbleTableSize), kAfter);
}

TEST(BubbleInsertTest, NothingWithoutASpareByte)
{
    GameImage image = fullTable();
    const GameImage before = image;
    insertLevel(image, 60, 1);
    EXPECT_TRUE(image == before);
}

TEST(BubbleInsertTest, InvalidGroupsAndNumbers)
{
    GameImage image = withTable({0, 0, 0, 0});
    const GameImage before = image;
    insertLevel(image, 5, 0);
    insertLevel(image, 5, 5);
    insertLevel(image, 0, 1);
    removeLevel(image, 0);
    EXPECT_TRUE(image == before);
}

TEST(BubbleMoveTest, FullTableStaysFull)
{
    GameImage image = fullTable();
    moveLevel(image, 45, 1);
    EXPECT_EQ(spareCount(image), 0);
    EXPECT_EQ(bubbleType(image, 45), 1);
    const Bytes t = table(image);
    EXPECT_EQ(std::count(t.begin(), t.end(), 45), 1);
    EXPECT_EQ(std::count(t.begin(), t.end(), 0), 4);
    EXPECT_EQ(head(image, 14), (Bytes{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 45, 0}));
    for (int n = 1; n <= 49; ++n)
        EXPECT_EQ(std::count(t.begin(), t.end(), n), 1) << n;
}

TEST(BubbleMoveTest, NoPlaceInAMalformedTableKeepsTheLevel)
{
    // Two zeros only; the other bytes are entries of group 3 smaller than 6.
    GameImage image = withTable({4, 0, 6, 0}, 1);
    image.set(off::BubbleTable + kBubbleTableSize, 1);
    const GameImage before = image;
    moveLevel(image, 6, 3);
    EXPECT_TRUE(image == before);
    EXPECT_EQ(bubbleType(image, 6), 5 - 1);
    // A place in an existing group is still found.
    moveLevel(image, 4, 2);
    EXPECT_EQ(head(image, 5), (Bytes{0, 4, 6, 0, 1}));
}

TEST(BubbleSelectTest, NoneRemoves)
{
    GameImage image = fullTable();
    selectBubble(image, 30, 0, bubbleState(image, 30));
    EXPECT_EQ(bubbleType(image, 30), 0);
    EXPECT_EQ(spareCount(image), 1);
}

TEST(BubbleSelectTest, InsertUsesTheLastSpareByte)
{
    GameImage image = fullTable();
    removeLevel(image, 5); // one spare byte now
    selectBubble(image, 60, 1, bubbleState(image, 60));
    EXPECT_EQ(head(image, 13), (Bytes{1, 2, 3, 4, 6, 7, 8, 9, 10, 11, 12, 60, 0}));
    EXPECT_EQ(spareCount(image), 0);
    EXPECT_FALSE(bubbleChoiceEnabled(bubbleState(image, 70)));
    EXPECT_TRUE(bubbleChoiceEnabled(bubbleState(image, 60)));

    // With no spare byte left, a level without a bubble gets none.
    const GameImage before = image;
    selectBubble(image, 70, 2, bubbleState(image, 70));
    EXPECT_TRUE(image == before);
}

TEST(BubbleSelectTest, MoveDoesNotAlsoInsert)
{
    GameImage image = withTable({0, 0, 30, 0, 0});
    selectBubble(image, 30, 1, bubbleState(image, 30));
    EXPECT_EQ(head(image, 6), (Bytes{30, 0, 0, 0, 0, 0xC8}));
    const Bytes t = table(image);
    EXPECT_EQ(std::count(t.begin(), t.end(), 30), 1);
}

TEST(BubbleSelectTest, SameTypeOrInvalidChoiceChangesNothing)
{
    GameImage image = withTable({0, 0, 30, 0, 0});
    const GameImage before = image;
    selectBubble(image, 30, 3, bubbleState(image, 30));
    selectBubble(image, 30, 5, bubbleState(image, 30));
    selectBubble(image, 30, -1, bubbleState(image, 30));
    selectBubble(image, 8, 0, bubbleState(image, 8));
    EXPECT_TRUE(image == before);
}

TEST(BubbleSelectTest, InsertStepSeesTheStateAfterTheMove)
{
    // A spare zero makes level 7 (in group 4) read as Fire. Moving it to
    // Water then reads as None with spare bytes left, so the insertion step
    // runs as well and adds a second copy.
    GameImage image = withTable({0, 0, 0, 7, 0, 0x63, 0});
    const BubbleState last = bubbleState(image, 7);
    ASSERT_EQ(last.type, 3);
    selectBubble(image, 7, 1, last);
    EXPECT_EQ(head(image, 8), (Bytes{7, 7, 0, 0, 0, 0, 0x63, 0}));
}

} // namespace
} // namespace zq
