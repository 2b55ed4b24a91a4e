#include "entities/Items.h"
#include "render/Palette.h"
#include "tests/TestImages.h"

#include <gtest/gtest.h>

namespace zq {
namespace {

using test::kMarker;
constexpr std::uint32_t kWhite = 0xFFFFFF;
constexpr std::uint32_t kCyan = 0x00CACA;

struct Picture {
    TFastDIB dib;
    Picture() { test::fillWithMarker(dib); }
    std::uint32_t at(int x, int y) const { return dib.PixelAt(x, y); }
    int count(std::uint32_t colour) const
    {
        int n = 0;
        for (int y = 0; y < 192; ++y)
            for (int x = 0; x < 256; ++x)
                n += at(x, y) == colour;
        return n;
    }
};

TEST(ItemPlacementTest, StateFromKindAndLowerList)
{
    GameImage image;
    EXPECT_EQ(itemPlacementState(image, 4, true), 0);
    EXPECT_EQ(itemPlacementState(image, 4, false), 2);

    image.set(off::LowerItemList, 5);           // first entry: level number 5
    image.set(off::LowerItemList + 12, 79);     // last entry
    image.set(off::LowerItemList + 13, 10);     // the byte after the list
    EXPECT_EQ(itemPlacementState(image, 4, true), 1);
    EXPECT_EQ(itemPlacementState(image, 4, false), 3);
    EXPECT_EQ(itemPlacementState(image, 78, false), 3);
    EXPECT_EQ(itemPlacementState(image, 5, false), 2); // number 6 is not listed
    EXPECT_EQ(itemPlacementState(image, 9, true), 0);  // 10 lies after the list
}

TEST(ItemPlacementTest, PositionOfAByte)
{
    EXPECT_EQ(itemPosition(0x00, 0).x, 0);
    EXPECT_EQ(itemPosition(0x00, 0).y, 0);
    EXPECT_EQ(itemPosition(0x00, 2).x, 240);
    EXPECT_EQ(itemPosition(0x00, 1).y, 128);
    const ItemPosition a = itemPosition(0x3A, 0);
    EXPECT_EQ(a.x, 24);
    EXPECT_EQ(a.y, 80);
    const ItemPosition b = itemPosition(0x3A, 3);
    EXPECT_EQ(b.x, 216);
    EXPECT_EQ(b.y, 208);
}

TEST(ItemPointerTest, WorkedExampleAndBoxEdges)
{
    EXPECT_EQ(itemByteForPointer(2, 300, 100), std::optional<std::uint8_t>(0xC6));

    EXPECT_FALSE(itemByteForPointer(0, 32, 100));
    EXPECT_EQ(itemByteForPointer(0, 33, 49), std::optional<std::uint8_t>(0x23));
    EXPECT_EQ(itemByteForPointer(0, 239, 255), std::optional<std::uint8_t>(0xEF));
    EXPECT_FALSE(itemByteForPointer(0, 240, 100));
    EXPECT_FALSE(itemByteForPointer(0, 100, 48));
    EXPECT_FALSE(itemByteForPointer(0, 100, 256));

    EXPECT_FALSE(itemByteForPointer(1, 100, 256));
    EXPECT_EQ(itemByteForPointer(1, 100, 257), std::optional<std::uint8_t>(0x60));
    EXPECT_EQ(itemByteForPointer(1, 100, 351), std::optional<std::uint8_t>(0x65));
    EXPECT_FALSE(itemByteForPointer(1, 100, 352));

    EXPECT_FALSE(itemByteForPointer(2, 256, 100));
    EXPECT_EQ(itemByteForPointer(2, 257, 100), std::optional<std::uint8_t>(0xE6));
    EXPECT_EQ(itemByteForPointer(2, 463, 100), std::optional<std::uint8_t>(0x26));
    EXPECT_FALSE(itemByteForPointer(2, 464, 100));
    EXPECT_EQ(itemByteForPointer(3, 300, 300), std::optional<std::uint8_t>(0xC2));

    EXPECT_FALSE(itemByteForPointer(4, 300, 100));
    EXPECT_FALSE(itemByteForPointer(-1, 100, 100));
}

// Placing by the pointer and drawing from the byte agree: the item lands on
// the character cell under the pointer.
TEST(ItemPointerTest, InverseOfThePosition)
{
    for (int q = 0; q < 4; ++q)
        for (int y = 0; y < 384; ++y)
            for (int x = 0; x < 512; ++x) {
                const auto byte = itemByteForPointer(q, x, y);
                if (!byte)
                    continue;
                const ItemPosition p = itemPosition(*byte, q);
                ASSERT_EQ(p.x, 8 * (x / 16)) << q << ": " << x << "," << y;
                ASSERT_EQ(p.y, 8 * (y / 16)) << q << ": " << x << "," << y;
            }
}

TEST(ItemPointerTest, MoveWritesOnlyTheLevelsByte)
{
    GameImage image;
    for (std::size_t i = 0; i < kItemTableSize; ++i)
        image.set(off::ItemTable + i, 0x77);
    GameImage expected = image;
    EXPECT_FALSE(moveItem(image, 10, 2, 200, 100));
    EXPECT_TRUE(image == expected);
    EXPECT_TRUE(moveItem(image, 10, 2, 300, 100));
    expected.set(49067 + 10, 0xC6);
    EXPECT_TRUE(image == expected);
    EXPECT_EQ(itemByte(image, 10), 0xC6);
}

TEST(ItemOverlayTest, CornerMarkersMirrored)
{
    Picture p;
    drawItemOverlay(p.dib, 0x00, 0);
    // White at the top-left, checkered.
    EXPECT_EQ(p.at(0, 0), kWhite);
    EXPECT_EQ(p.at(1, 1), kWhite);
    EXPECT_EQ(p.at(14, 14), kWhite);
    EXPECT_EQ(p.at(15, 15), kWhite);
    EXPECT_EQ(p.at(1, 0), kMarker);
    EXPECT_EQ(p.at(0, 1), kMarker);
    // Cyan at the top-right, its mirror image.
    EXPECT_EQ(p.at(255, 0), kCyan);
    EXPECT_EQ(p.at(254, 1), kCyan);
    EXPECT_EQ(p.at(240, 15), kCyan);
    EXPECT_EQ(p.at(254, 0), kMarker);
    EXPECT_EQ(p.at(255, 1), kMarker);
    EXPECT_EQ(p.count(kWhite), 128);
    EXPECT_EQ(p.count(kCyan), 128);
    for (int y = 0; y < 192; ++y)
        for (int x = 16; x < 240; ++x)
            ASSERT_EQ(p.at(x, y), kMarker);
}

TEST(ItemOverlayTest, FullWidthLevelPutsWhiteOnTheRight)
{
    Picture p;
    drawItemOverlay(p.dib, 0x00, 2);
    EXPECT_EQ(p.at(240, 0), kWhite);
    EXPECT_EQ(p.at(255, 15), kWhite);
    EXPECT_EQ(p.at(15, 0), kCyan);
    EXPECT_EQ(p.at(0, 15), kCyan);
    EXPECT_EQ(p.count(kWhite), 128);
    EXPECT_EQ(p.count(kCyan), 128);
}

TEST(ItemOverlayTest, CheckeringAroundTheCentreLine)
{
    // H = 15 on a mirrored level: x = 120, the two squares coincide and
    // between them cover every pixel of it.
    Picture p;
    drawItemOverlay(p.dib, 0xF2, 0);
    for (int i = 0; i < 16; ++i)
        for (int j = 0; j < 16; ++j)
            ASSERT_EQ(p.at(120 + j, 16 + i), (i + j) % 2 == 0 ? kWhite : kCyan) << j << "," << i;
    EXPECT_EQ(p.count(kWhite) + p.count(kCyan), 256);
}

TEST(ItemOverlayTest, LowerMarkersAreClippedAtTheBottom)
{
    Picture whole;
    drawItemOverlay(whole.dib, 0xFF, 1); // y = 248: wholly below the picture
    EXPECT_EQ(whole.count(kMarker), 256 * 192);

    Picture part;
    drawItemOverlay(part.dib, 0x37, 3); // y = 184: rows 184..191 only
    EXPECT_EQ(part.count(kWhite), 64);
    EXPECT_EQ(part.count(kCyan), 64);
    EXPECT_EQ(part.at(216, 184), kWhite);
    EXPECT_EQ(part.at(217, 191), kWhite);
    EXPECT_EQ(part.at(38, 191), kCyan);
}

} // namespace
} // namespace zq
