// The picture: the 256x192 screen from RAM at 0x4000 (bitmap) and 0x5800
// (attributes), inside a 32-pixel border.

#include "emu/Machine48.h"

#include "gfx/FastDIB.h"
#include "render/Palette.h"

#include <algorithm>
#include <utility>

namespace zq::emu {

namespace {

constexpr int kPictureWidth = 256;
constexpr int kPictureHeight = 192;

// The bitmap byte of column `cx` (0..31) on line y: the lines of a character
// row are 256 bytes apart, the 8 character rows of a third 32 bytes apart.
constexpr std::uint16_t bitmapAddress(int cx, int y)
{
    return std::uint16_t(0x4000 | (y & 0xC0) << 5 | (y & 7) << 8 | (y & 0x38) << 2 | cx);
}

constexpr std::uint16_t attributeAddress(int cx, int y) { return std::uint16_t(0x5800 + (y / 8) * 32 + cx); }

} // namespace

void Machine48::renderScreen(TFastDIB& out) const
{
    out.SetSize(kScreenWidth, kScreenHeight, 32);
    const std::uint32_t border = kPalette[std::size_t(border_)];
    const bool flashSwapped = (frameCount_ / 16) % 2 == 1;

    for (int y = 0; y < kScreenHeight; ++y) {
        std::uint32_t* line = out.Line(y);
        const int sy = y - kBorderSize;
        if (sy < 0 || sy >= kPictureHeight) {
            std::fill_n(line, kScreenWidth, border);
            continue;
        }
        std::fill_n(line, kBorderSize, border);
        std::fill_n(line + kBorderSize + kPictureWidth, kBorderSize, border);
        std::uint32_t* px = line + kBorderSize;
        for (int cx = 0; cx < 32; ++cx) {
            const std::uint8_t bits = memory_[bitmapAddress(cx, sy)];
            const std::uint8_t attr = memory_[attributeAddress(cx, sy)];
            const int bright = (attr & 0x40) ? 8 : 0;
            std::uint32_t ink = kPalette[std::size_t((attr & 7) + bright)];
            std::uint32_t paper = kPalette[std::size_t(((attr >> 3) & 7) + bright)];
            if ((attr & 0x80) && flashSwapped)
                std::swap(ink, paper);
            for (int b = 0; b < 8; ++b)
                *px++ = (bits & (0x80 >> b)) ? ink : paper;
        }
    }
}

} // namespace zq::emu
