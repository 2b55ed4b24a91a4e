#include "files/Clipboard.h"

#include "files/Snapshot.h"
#include "image/GameImage.h"
#include "image/LayoutGrid.h"
#include "image/LevelData.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace zq {
namespace {

// Levels 1, 3 and 4 (indexes 0, 2, 3) mirrored, the rest full-width; every
// record and the bytes after the record area filled with distinct values.
GameImage mixedImage()
{
    GameImage image;
    image.set(off::MirrorBitmap, 0xB0); // bits of indexes 0, 2, 3
    for (std::size_t i = off::LevelRecords; i < off::EnemyTable + 79 * 16 + 16; ++i)
        image.set(i, std::uint8_t(i * 37 + 11));
    return image;
}

// Every level's record offset, to see that none moves.
std::vector<LevelRecord> allRecords(const GameImage& image)
{
    std::vector<LevelRecord> records;
    for (int l = 0; l < kLevelCount; ++l)
        records.push_back(findLevelRecord(image, l));
    return records;
}

// Compares two images outside [from, from + length).
void expectSameOutside(const GameImage& a, const GameImage& b, std::size_t from, std::size_t length)
{
    for (std::size_t i = 0; i < kImageSize; ++i) {
        if (i < from || i >= from + length) {
            ASSERT_EQ(a.get(i), b.get(i)) << "offset " << i;
        }
    }
}

bool cell(const GameImage& image, const LevelRecord& record, const CellCodeTables& codes, int r, int c)
{
    return readCell(image, record.offset, codes.code(record.mirrored, r, c));
}

TEST(LevelClipboardTest, CopyThenPasteOnTheSameLevelChangesNothing)
{
    const CellCodeTables codes;
    for (int level : {0, 1, 2, 4, 78}) {
        GameImage image = mixedImage();
        const GameImage before = image;
        const LevelRecord record = findLevelRecord(image, level);
        LevelClipboard clip;
        copyLevel(image, record, clip);
        EXPECT_TRUE(clip.full);
        EXPECT_EQ(clip.flag, record.mirrored ? 0x80 : 0x00);
        ASSERT_TRUE(pasteLevel(image, record, clip, codes));
        EXPECT_EQ(image, before) << level;
    }
}

TEST(LevelClipboardTest, SameKindCopiesTheRecordBytesOnly)
{
    const CellCodeTables codes;
    for (auto [from, to] : {std::pair{1, 4}, std::pair{0, 3}}) {
        GameImage image = mixedImage();
        const GameImage before = image;
        const LevelRecord source = findLevelRecord(image, from);
        const LevelRecord target = findLevelRecord(image, to);
        ASSERT_EQ(source.mirrored, target.mirrored);
        LevelClipboard clip;
        copyLevel(image, source, clip);
        ASSERT_TRUE(pasteLevel(image, target, clip, codes));
        for (std::size_t i = 0; i < target.size(); ++i)
            EXPECT_EQ(image.get(target.offset + i), before.get(source.offset + i)) << i;
        expectSameOutside(image, before, target.offset, target.size());
    }
}

TEST(LevelClipboardTest, MirroredOntoFullWidthGivesTheSymmetricLayout)
{
    const CellCodeTables codes;
    GameImage image = mixedImage();
    const GameImage before = image;
    const auto recordsBefore = allRecords(image);
    const LevelRecord source = findLevelRecord(image, 2); // mirrored
    const LevelRecord target = findLevelRecord(image, 5); // full-width
    ASSERT_TRUE(source.mirrored);
    ASSERT_FALSE(target.mirrored);

    LevelClipboard clip;
    copyLevel(image, source, clip);
    ASSERT_TRUE(pasteLevel(image, target, clip, codes));

    int set = 0;
    for (int r = 0; r < kGridRows; ++r)
        for (int c = 0; c < kMirroredCols; ++c) {
            const bool expected = cell(before, source, codes, r, c);
            EXPECT_EQ(cell(image, target, codes, r, c), expected) << r << "," << c;
            EXPECT_EQ(cell(image, target, codes, r, 27 - c), expected) << r << "," << 27 - c;
            set += expected;
        }
    EXPECT_GT(set, 0);
    EXPECT_LT(set, kGridRows * kMirroredCols);
    EXPECT_EQ(allRecords(image)[5].offset, recordsBefore[5].offset);
    expectSameOutside(image, before, target.offset, kFullRecordSize);
    for (int l = 0; l < kLevelCount; ++l) {
        EXPECT_EQ(allRecords(image)[std::size_t(l)].offset, recordsBefore[std::size_t(l)].offset);
        EXPECT_EQ(allRecords(image)[std::size_t(l)].mirrored, recordsBefore[std::size_t(l)].mirrored);
    }
}

TEST(LevelClipboardTest, FullWidthOntoMirroredKeepsTheLeftHalf)
{
    const CellCodeTables codes;
    GameImage image = mixedImage();
    const LevelRecord source = findLevelRecord(image, 1); // full-width
    const LevelRecord target = findLevelRecord(image, 3); // mirrored
    ASSERT_FALSE(source.mirrored);
    ASSERT_TRUE(target.mirrored);
    // Different halves on the source, and the spare bits of the target set.
    for (int r = 0; r < kGridRows; ++r) {
        setCell(image, source.offset, codes.code(false, r, 3), r % 2 == 0);
        setCell(image, source.offset, codes.code(false, r, 24), r % 2 != 0);
    }
    image.set(target.offset + 38, 0xFF);
    const GameImage before = image;

    LevelClipboard clip;
    copyLevel(image, source, clip);
    ASSERT_TRUE(pasteLevel(image, target, clip, codes));

    for (int r = 0; r < kGridRows; ++r)
        for (int c = 0; c < kMirroredCols; ++c)
            EXPECT_EQ(cell(image, target, codes, r, c), cell(before, source, codes, r, c)) << r << "," << c;
    EXPECT_EQ(image.get(target.offset + 38) & 0x0F, 0);
    expectSameOutside(image, before, target.offset, kMirroredRecordSize);
    EXPECT_EQ(findLevelRecord(image, 4).offset, findLevelRecord(before, 4).offset);
}

TEST(LevelClipboardTest, EmptyClipboardPastesNothingAndTheCopyOutlivesAnOpen)
{
    const CellCodeTables codes;
    GameImage image = mixedImage();
    const GameImage before = image;
    const LevelClipboard empty;
    EXPECT_FALSE(pasteLevel(image, findLevelRecord(image, 5), empty, codes));
    EXPECT_EQ(image, before);

    // Copy, replace the whole image, paste: the old layout arrives.
    LevelClipboard clip;
    const LevelRecord source = findLevelRecord(image, 6);
    copyLevel(image, source, clip);
    GameImage other = mixedImage();
    for (std::size_t i = off::LevelRecords; i < off::EnemyTable; ++i)
        other.set(i, 0);
    ASSERT_TRUE(openSnapshot(image, save48(other)));
    ASSERT_TRUE(pasteLevel(image, findLevelRecord(image, 7), clip, codes));
    for (std::size_t i = 0; i < kFullRecordSize; ++i)
        EXPECT_EQ(image.get(findLevelRecord(image, 7).offset + i), before.get(source.offset + i));
}

TEST(EnemyClipboardTest, CopyLevel1PasteLevel79)
{
    GameImage image = mixedImage();
    const GameImage before = image;
    EXPECT_EQ(enemyEntryOffset(0), 13500u);
    EXPECT_EQ(enemyEntryOffset(78), 14748u);

    EnemyClipboard clip;
    EXPECT_FALSE(pasteEnemies(image, 78, clip));
    EXPECT_EQ(image, before);

    ASSERT_TRUE(copyEnemies(image, 0, clip));
    EXPECT_TRUE(clip.full);
    ASSERT_TRUE(pasteEnemies(image, 78, clip));
    for (std::size_t i = 0; i < 16; ++i)
        EXPECT_EQ(image.get(14748 + i), before.get(13500 + i)) << i;
    expectSameOutside(image, before, 14748, 16);

    // Level indexes outside the 79 levels touch nothing.
    const GameImage pasted = image;
    EnemyClipboard untouched = clip;
    EXPECT_FALSE(copyEnemies(image, 79, untouched));
    EXPECT_FALSE(copyEnemies(image, -1, untouched));
    EXPECT_EQ(untouched.bytes, clip.bytes);
    EXPECT_FALSE(pasteEnemies(image, 79, clip));
    EXPECT_FALSE(pasteEnemies(image, -1, clip));
    EXPECT_EQ(image, pasted);
}

} // namespace
} // namespace zq
