// The fast paths of ScaleInto (2x, and enlarging by runs) give exactly the
// pixels of plain nearest-neighbour 16.16 stepping, for the sizes the views
// use and for odd ones.

#include "gfx/FastDIB.h"

#include <gtest/gtest.h>

#include <random>

using namespace zq;

TEST(ScaleFastPathTest, EveryPathGivesThePixelsOfPlainStepping)
{
    std::mt19937 random(3);
    const struct {
        int sw, sh, dw, dh;
    } sizes[] = {{256, 192, 512, 384}, {8, 8, 129, 129}, {256, 192, 256, 192}, {7, 5, 23, 11},
                 {10, 10, 21, 40},     {256, 192, 128, 96}, {32, 32, 16, 20}};
    for (const auto& z : sizes) {
        TFastDIB src, dst;
        src.SetSize(z.sw, z.sh, 32);
        dst.SetSize(z.dw, z.dh, 32);
        for (int y = 0; y < z.sh; ++y)
            for (int x = 0; x < z.sw; ++x)
                src.Line(y)[x] = random() & 0xFFFFFF;
        src.ScaleInto(dst);
        const std::uint32_t stepX = std::uint32_t((std::int64_t(z.sw) * 65536) / z.dw);
        const std::uint32_t stepY = std::uint32_t((std::int64_t(z.sh) * 65536) / z.dh);
        for (int r = 0; r < z.dh; ++r)
            for (int x = 0; x < z.dw; ++x)
                ASSERT_EQ(dst.Pixels32(r)[x], src.Pixels32(int((std::uint32_t(r) * stepY) >> 16))[(std::uint32_t(x) * stepX) >> 16])
                    << z.dw << "x" << z.dh << " at " << x << "," << r;
    }
}
