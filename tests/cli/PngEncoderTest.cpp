// The PNG encoder on pictures of its own: the storage it chooses by the
// number of colours, and pixels that read back through libpng as written.

#include "files/Png.h"
#include "tests/cli/PngReader.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace zq {
namespace {

// A width x 100 picture of `colours` distinct colours, each one used.
void paintColours(TFastDIB& picture, int width, int colours)
{
    picture.SetSize(width, 100, 32);
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < width; ++x)
            picture.Line(y)[x] = (std::uint32_t((x * 7 + y * 13) % colours) * 0x9E3779B1u) & 0xFFFFFFu;
}

void expectReadsBack(const TFastDIB& picture, const test::PngPicture& read)
{
    ASSERT_EQ(read.width, picture.Width());
    ASSERT_EQ(read.height, picture.Height());
    for (int y = 0; y < picture.Height(); ++y)
        for (int x = 0; x < picture.Width(); ++x)
            ASSERT_EQ(read.at(x, y), picture.PixelAt(x, y)) << x << "," << y;
}

TEST(PngEncoderTest, UpTo256ColoursMakeAPaletteImageOfTheFewestBitsMoreMakeRGB)
{
    struct Case {
        int colours, colourType, bitDepth;
    };
    for (const Case c : {Case{1, PNG_COLOR_TYPE_PALETTE, 1}, Case{2, PNG_COLOR_TYPE_PALETTE, 1},
                         Case{16, PNG_COLOR_TYPE_PALETTE, 4}, Case{17, PNG_COLOR_TYPE_PALETTE, 8},
                         Case{256, PNG_COLOR_TYPE_PALETTE, 8}, Case{257, PNG_COLOR_TYPE_RGB, 8}}) {
        TFastDIB picture;
        paintColours(picture, 300, c.colours);
        test::PngPicture read;
        ASSERT_EQ(test::readPng(encodePng(picture), read), "") << c.colours;
        EXPECT_EQ(read.colourType, c.colourType) << c.colours;
        EXPECT_EQ(read.bitDepth, c.bitDepth) << c.colours;
        expectReadsBack(picture, read);
    }
}

TEST(PngEncoderTest, PicturesThatBarelyCompressReadBack)
{
    // Noise: about 90 KB however it is packed.
    TFastDIB picture;
    picture.SetSize(300, 100, 32);
    std::uint32_t state = 12345;
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 300; ++x) {
            state = state * 1664525u + 1013904223u;
            picture.Line(y)[x] = state >> 8;
        }
    const std::vector<std::uint8_t> png = encodePng(picture);
    EXPECT_GT(png.size(), 80000u);
    test::PngPicture read;
    ASSERT_EQ(test::readPng(png, read), "");
    expectReadsBack(picture, read);
}

} // namespace
} // namespace zq
