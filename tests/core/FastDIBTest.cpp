#include "gfx/FastDIB.h"

#include <gtest/gtest.h>

#include <vector>

namespace zq {
namespace {

TEST(FastDIBTest, SetSizeKeepsPixelsWhenNothingChanges)
{
    TFastDIB dib;
    EXPECT_TRUE(dib.Empty());
    dib.SetSize(256, 192, 32);
    dib.Pixels32(10)[20] = 0x123456;
    dib.SetSize(256, 192, 32);
    EXPECT_EQ(dib.Pixels32(10)[20], 0x123456u);
    dib.SetSize(256, 192, 0); // the display's depth: 32 here
    EXPECT_EQ(dib.Pixels32(10)[20], 0x123456u);
}

TEST(FastDIBTest, SetSizeZeroOnlyMarksEmpty)
{
    TFastDIB dib;
    dib.SetSize(8, 8, 32);
    const std::uint32_t* row = dib.Pixels32(0);
    dib.SetSize(0, 0, 0);
    EXPECT_TRUE(dib.Empty());
    EXPECT_EQ(dib.Width(), 0);
    EXPECT_EQ(dib.Pixels32(0), row); // the row table is still there
    dib.SetSize(4, 2, 32);
    EXPECT_EQ(dib.Width(), 4);
    EXPECT_EQ(dib.Height(), 2);
}

TEST(FastDIBTest, RowsAreBottomUp)
{
    TFastDIB dib;
    dib.SetSize(256, 192, 32);
    EXPECT_EQ(dib.Line(0), dib.Pixels32(191));
    EXPECT_EQ(dib.Line(191), dib.Pixels32(0));
    EXPECT_EQ(dib.Stride(), 1024);
}

TEST(FastDIBTest, ScaleIntoDoublesExactly)
{
    TFastDIB src, dst;
    src.SetSize(256, 192, 32);
    dst.SetSize(512, 384, 32);
    for (int y = 0; y < 192; ++y)
        for (int x = 0; x < 256; ++x)
            src.Line(y)[x] = std::uint32_t(y * 256 + x);
    src.ScaleInto(dst);
    for (int y = 0; y < 384; ++y)
        for (int x = 0; x < 512; ++x)
            ASSERT_EQ(dst.Line(y)[x], src.Line(y / 2)[x / 2]) << x << "," << y;
    // Row index 191 of the source is the top line: the top two view lines.
    src.Pixels32(191)[0] = 0xABCDEF;
    src.ScaleInto(dst);
    EXPECT_EQ(dst.Line(0)[0], 0xABCDEFu);
    EXPECT_EQ(dst.Line(1)[1], 0xABCDEFu);
    EXPECT_NE(dst.Line(2)[0], 0xABCDEFu);
}

TEST(FastDIBTest, ScaleInto129GivesSeventeenColumnsToTheFirstSourceColumn)
{
    TFastDIB src, dst;
    src.SetSize(8, 8, 32);
    dst.SetSize(129, 129, 32);
    for (int r = 0; r < 8; ++r)
        for (int c = 0; c < 8; ++c)
            src.Pixels32(r)[c] = std::uint32_t(r * 8 + c);
    src.ScaleInto(dst);
    std::vector<int> columns(8, 0), rows(8, 0);
    for (int x = 0; x < 129; ++x)
        ++columns[dst.Pixels32(0)[x] % 8];
    for (int r = 0; r < 129; ++r)
        ++rows[dst.Pixels32(r)[0] / 8];
    EXPECT_EQ(columns[0], 17);
    EXPECT_EQ(rows[0], 17); // counted from the bottom row
    for (int i = 1; i < 8; ++i) {
        EXPECT_EQ(columns[i], 16);
        EXPECT_EQ(rows[i], 16);
    }
    EXPECT_EQ(dst.Pixels32(0)[16], 0u);
    EXPECT_EQ(dst.Pixels32(0)[17], 1u);
    EXPECT_EQ(dst.Pixels32(0)[128], 7u);
}

TEST(FastDIBTest, DrawLineStopsBeforeTheEndAndClips)
{
    TFastDIB dib;
    dib.SetSize(129, 129, 32);
    DrawLine(dib, 0, 16, 129, 16, 0xFF);
    for (int x = 0; x < 129; ++x)
        EXPECT_EQ(dib.Pixels32(16)[x], 0xFFu);
    EXPECT_EQ(dib.Pixels32(17)[0], 0u);
    EXPECT_EQ(dib.Pixels32(15)[0], 0u);

    DrawLine(dib, 5, 0, 5, 129, 0xAA);
    for (int y = 0; y < 129; ++y)
        EXPECT_EQ(dib.Pixels32(y)[5], 0xAAu);

    // Same point: nothing. A line far outside: nothing, no fault.
    DrawLine(dib, 3, 3, 3, 3, 0x77);
    EXPECT_EQ(dib.Pixels32(3)[3], 0u);
    DrawLine(dib, -500, -40, 900, -40, 0x77);
    DrawLine(dib, -10, -10, 300, 300, 0x77);
    EXPECT_EQ(dib.Pixels32(0)[0], 0x77u);
    EXPECT_EQ(dib.Pixels32(128)[128], 0x77u);
}

TEST(FastDIBTest, DrawLineDiagonalIncludesBothEnds)
{
    TFastDIB dib;
    dib.SetSize(10, 10, 32);
    DrawLine(dib, 1, 1, 7, 4, 0x1);
    EXPECT_EQ(dib.Pixels32(1)[1], 1u);
    EXPECT_EQ(dib.Pixels32(4)[7], 1u);
    int count = 0;
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x)
            count += dib.Pixels32(y)[x] != 0;
    EXPECT_EQ(count, 7); // one point per step of the major axis
}

std::vector<std::uint8_t> bmpHeader(int w, int h, int bpp, std::uint32_t paletteEntries)
{
    std::vector<std::uint8_t> b(54 + 4 * paletteEntries, 0);
    auto put32 = [&](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            b[at + std::size_t(i)] = std::uint8_t(v >> (8 * i));
    };
    b[0] = 'B';
    b[1] = 'M';
    put32(10, std::uint32_t(b.size()));
    put32(14, 40);
    put32(18, std::uint32_t(w));
    put32(22, std::uint32_t(h));
    b[26] = 1;
    b[28] = std::uint8_t(bpp);
    put32(46, paletteEntries);
    return b;
}

TEST(FastDIBTest, LoadsBitmaps)
{
    // 2 x 2 at 24 bits, bottom-up, rows padded to 4 bytes.
    auto bmp = bmpHeader(2, 2, 24, 0);
    const std::uint8_t rows[] = {
        0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00, 0, 0, // bottom: red, blue
        0x00, 0xFF, 0x00, 0xFF, 0xFF, 0xFF, 0, 0, // top: green, white
    };
    bmp.insert(bmp.end(), std::begin(rows), std::end(rows));
    TFastDIB dib;
    ASSERT_TRUE(dib.LoadFromBmp(bmp));
    EXPECT_EQ(dib.Width(), 2);
    EXPECT_EQ(dib.PixelAt(0, 1), 0xFF0000u);
    EXPECT_EQ(dib.PixelAt(1, 1), 0x0000FFu);
    EXPECT_EQ(dib.PixelAt(0, 0), 0x00FF00u);
    EXPECT_EQ(dib.PixelAt(1, 0), 0xFFFFFFu);

    // 4 bits per pixel with a colour table.
    auto bmp4 = bmpHeader(3, 1, 4, 16);
    bmp4[54 + 4 * 15 + 0] = 0xFF;
    bmp4[54 + 4 * 15 + 1] = 0xFF;
    bmp4[54 + 4 * 15 + 2] = 0xFF;
    const std::uint8_t row4[] = {0xF0, 0xF0, 0, 0};
    bmp4.insert(bmp4.end(), std::begin(row4), std::end(row4));
    ASSERT_TRUE(dib.LoadFromBmp(bmp4));
    EXPECT_EQ(dib.PixelAt(0, 0), 0xFFFFFFu);
    EXPECT_EQ(dib.PixelAt(1, 0), 0u);
    EXPECT_EQ(dib.PixelAt(2, 0), 0xFFFFFFu);
}

TEST(FastDIBTest, RejectsBrokenBitmapsAndUnknownNames)
{
    TFastDIB dib;
    dib.SetSize(3, 3, 32);
    dib.Pixels32(0)[0] = 42;
    auto truncated = bmpHeader(100, 100, 24, 0);
    EXPECT_FALSE(dib.LoadFromBmp(truncated));
    EXPECT_FALSE(dib.LoadFromBmp(std::vector<std::uint8_t>(10, 0)));
    EXPECT_FALSE(dib.LoadFromResource("NoSuchPicture"));
    EXPECT_EQ(dib.Width(), 3);
    EXPECT_EQ(dib.Pixels32(0)[0], 42u);
}

TEST(FastDIBTest, LoadsTheCarriedPictures)
{
    TFastDIB dib;
    for (int i = 0; i <= 16; ++i) {
        ASSERT_TRUE(dib.LoadFromResource("B" + std::to_string(i))) << i;
        EXPECT_EQ(dib.Width(), 16);
        EXPECT_EQ(dib.Height(), 16);
    }
    ASSERT_TRUE(dib.LoadFromResource("ABOUTSCREEN"));
    EXPECT_EQ(dib.Width(), 256);
    EXPECT_EQ(dib.Height(), 192);
}

} // namespace
} // namespace zq
