#include "files/Snapshot.h"
#include "tests/RomSwapBytes.h"

#include "image/GameImage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace zq {
namespace {

// An image whose every byte depends on its offset, with a recognisable
// signature and a header, so that copies and shifts show.
GameImage patternedImage(std::uint8_t seed)
{
    GameImage image;
    for (std::size_t i = 0; i < kImageSize; ++i)
        image.set(i, std::uint8_t(i * 7 + seed));
    const std::uint8_t signature[kSignatureSize] = {0xF3, 0x31, 0x90, 0x61, 0xFD, 0x21, 0x3A, 0x5C, 0xED, 0x56};
    for (std::size_t i = 0; i < kSignatureSize; ++i)
        image.set(off::Signature + i, signature[i]);
    return image;
}

std::vector<std::uint8_t> fileOf(const GameImage& image, std::size_t size, std::uint8_t fill = 0xEE)
{
    std::vector<std::uint8_t> file(image.bytes().begin(), image.bytes().end());
    file.resize(size, fill);
    return file;
}

OpenCheck check(const std::vector<std::uint8_t>& file, const GameImage& held)
{
    return checkSnapshot(file.size(), file, held);
}

TEST(SnapshotOpenTest, OnlyTheTwoSnapshotSizesAreAccepted)
{
    EXPECT_TRUE(acceptedSnapshotSize(49179));
    EXPECT_TRUE(acceptedSnapshotSize(131103));
    for (std::uint64_t size : {0ull, 1ull, 6912ull, 49178ull, 49180ull, 131102ull, 131104ull, 49179ull + (1ull << 32),
                               131103ull + (1ull << 32), ~0ull})
        EXPECT_FALSE(acceptedSnapshotSize(size)) << size;

    const GameImage held = patternedImage(1);
    EXPECT_EQ(check(fileOf(held, 49180), held), OpenCheck::WrongSize);
    EXPECT_EQ(check({}, held), OpenCheck::WrongSize);
    EXPECT_EQ(check(fileOf(held, 131104), held), OpenCheck::WrongSize);
    EXPECT_EQ(check(fileOf(held, 49179), held), OpenCheck::Ok);
    EXPECT_EQ(check(fileOf(held, 131103), held), OpenCheck::Ok);
}

TEST(SnapshotOpenTest, APartiallyReadFileIsRefusedAsWrongSize)
{
    const GameImage held = patternedImage(1);
    const auto file = fileOf(held, 49179);
    // The size said 128K but only the first 48K arrived, and the reverse.
    EXPECT_EQ(checkSnapshot(131103, file, held), OpenCheck::WrongSize);
    EXPECT_EQ(checkSnapshot(49179, std::span(file).first(46560), held), OpenCheck::WrongSize);
    EXPECT_EQ(checkSnapshot(49179, fileOf(held, 131103), held), OpenCheck::WrongSize);
}

TEST(SnapshotOpenTest, TheSignatureIsComparedWithTheImageHeld)
{
    const GameImage held = patternedImage(1);

    // Everything else may differ: only the 10 bytes at 0xF5BC count.
    GameImage other = patternedImage(99);
    EXPECT_EQ(check(fileOf(other, 49179), held), OpenCheck::Ok);
    other.set(off::Signature - 1, 0x00);
    other.set(off::Signature + kSignatureSize, 0x00);
    EXPECT_EQ(check(fileOf(other, 131103), held), OpenCheck::Ok);

    for (std::size_t i : {std::size_t(0), std::size_t(4), kSignatureSize - 1}) {
        GameImage foreign = held;
        foreign.set(off::Signature + i, std::uint8_t(held.get(off::Signature + i) ^ 0x01));
        EXPECT_EQ(check(fileOf(foreign, 49179), held), OpenCheck::NotTheGame) << i;
        EXPECT_EQ(check(fileOf(foreign, 131103), held), OpenCheck::NotTheGame) << i;
    }

    // Once an image with another signature is held, that one is the
    // reference: the earlier game is refused and the new one accepted.
    GameImage variant = held;
    variant.set(off::Signature + 3, 0x62);
    EXPECT_EQ(check(fileOf(held, 49179), variant), OpenCheck::NotTheGame);
    EXPECT_EQ(check(fileOf(variant, 49179), variant), OpenCheck::Ok);
}

TEST(SnapshotOpenTest, OpeningTakesTheFirst49179Bytes)
{
    const GameImage source = patternedImage(5);

    GameImage image = patternedImage(1);
    const auto file128 = fileOf(source, 131103, 0xEE);
    ASSERT_TRUE(openSnapshot(image, file128));
    EXPECT_EQ(image, source);

    image = patternedImage(1);
    ASSERT_TRUE(openSnapshot(image, fileOf(source, 49179)));
    EXPECT_EQ(image, source);

    // Any other size leaves the image alone.
    const GameImage before = patternedImage(1);
    image = before;
    EXPECT_FALSE(openSnapshot(image, fileOf(source, 49178)));
    EXPECT_FALSE(openSnapshot(image, fileOf(source, 49180)));
    EXPECT_FALSE(openSnapshot(image, {}));
    EXPECT_EQ(image, before);

    // Open then save gives back the opened file's first 49179 bytes.
    image = patternedImage(1);
    ASSERT_TRUE(openSnapshot(image, file128));
    const auto saved = save48(image);
    ASSERT_EQ(saved.size(), 49179u);
    EXPECT_TRUE(std::equal(saved.begin(), saved.end(), file128.begin()));
}

TEST(Snapshot128Test, FileLayout)
{
    GameImage image = patternedImage(3);
    const GameImage before = image;
    const auto file = export128(image);

    ASSERT_EQ(file.size(), 131103u);
    // The image now carries the routine at 0x5B00 and nothing else changed.
    GameImage expected = before;
    for (std::size_t i = 0; i < kRomSwapSize; ++i)
        expected.set(off::RomSwap + i, test::kExpectedRomSwap[i]);
    EXPECT_EQ(image, expected);
    EXPECT_TRUE(std::equal(file.begin(), file.begin() + 49179, image.bytes().begin()));

    EXPECT_EQ(file[49179], 0x00);
    EXPECT_EQ(file[49180], 0x5B);
    EXPECT_EQ(file[49181], 0x00);
    EXPECT_EQ(file[49182], 0x00);
    EXPECT_TRUE(std::all_of(file.begin() + 49183, file.end(), [](std::uint8_t b) { return b == 0; }));

    // The editor's own open accepts it.
    EXPECT_EQ(check(file, image), OpenCheck::Ok);
    GameImage reopened;
    ASSERT_TRUE(openSnapshot(reopened, file));
    EXPECT_EQ(reopened, image);
}

TEST(Snapshot128Test, ExportTwiceGivesTheSameFileAndLeavesThePagingByte)
{
    for (std::uint8_t paging : {std::uint8_t(0x00), std::uint8_t(0x10), std::uint8_t(0x17)}) {
        GameImage image = patternedImage(8);
        image.set(off::PagingByte, paging);
        const auto first = export128(image);
        const auto second = export128(image);
        EXPECT_EQ(first, second);
        EXPECT_EQ(image.get(off::PagingByte), paging);
        EXPECT_EQ(first[off::PagingByte], paging);
        // A 48K save after the export carries the routine.
        const auto saved = save48(image);
        EXPECT_TRUE(std::equal(test::kExpectedRomSwap.begin(), test::kExpectedRomSwap.end(), saved.begin() + off::RomSwap));
    }
}

TEST(ForceExtensionTest, ReplacesFromTheFirstDotOfTheFileName)
{
    EXPECT_EQ(forceExtension("stage", ".sna"), "stage.sna");
    EXPECT_EQ(forceExtension("stage.old.sna", ".sna"), "stage.sna");
    EXPECT_EQ(forceExtension("stage.tap", ".sna"), "stage.sna");
    EXPECT_EQ(forceExtension("stage.", ".tap"), "stage.tap");
    EXPECT_EQ(forceExtension("/home/user/games/stage.sna", ".tap"), "/home/user/games/stage.tap");
    // A folder name with a dot is left alone.
    EXPECT_EQ(forceExtension("dir.v2/stage", ".sna"), "dir.v2/stage.sna");
    EXPECT_EQ(forceExtension("/a.b/c.d/stage.x.y", ".sna"), "/a.b/c.d/stage.sna");
    EXPECT_EQ(forceExtension("./stage", ".sna"), "./stage.sna");
    EXPECT_EQ(forceExtension("../stage", ".sna"), "../stage.sna");
    // A cancelled dialog gives the extension alone.
    EXPECT_EQ(forceExtension("", ".sna"), ".sna");
    EXPECT_EQ(forceExtension("", ".tap"), ".tap");
}

} // namespace
} // namespace zq
