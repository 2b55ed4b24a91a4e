// The sample game in the embedded Spectrum: its title screen is the loading
// picture with the credit lines under it, and the picture the machine draws
// is exactly its screen memory and border. And the PC keyboard as a player
// types on it.

#include "EmuTestSupport.h"

#include "emu/HostKeyboard.h"
#include "emu/Rom.h"
#include "gfx/FastDIB.h"
#include "image/MemoryMap.h"
#include "render/Palette.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace zq;
using namespace zq::emu;
using namespace zq::emu::test;

namespace {

std::uint64_t pictureHash(const TFastDIB& picture)
{
    std::uint64_t h = 1469598103934665603u;
    for (int y = 0; y < picture.Height(); ++y)
        for (int x = 0; x < picture.Width(); ++x)
            h = (h ^ picture.PixelAt(x, y)) * 1099511628211u;
    return h;
}

// Pixel (x, y) of the 256 x 192 screen, decoded from memory on its own.
std::uint32_t screenPixel(const Machine48& m, int x, int y)
{
    const std::uint16_t cell = std::uint16_t(0x4000 | ((y & 0xC0) << 5) | ((y & 7) << 8) | ((y & 0x38) << 2) | (x >> 3));
    const std::uint8_t attr = m.peek(std::uint16_t(0x5800 + (y / 8) * 32 + x / 8));
    bool ink = (m.peek(cell) & (0x80 >> (x & 7))) != 0;
    if ((attr & 0x80) && (m.frameCount() / 16) % 2)
        ink = !ink;
    const int bright = (attr & 0x40) ? 8 : 0;
    return kPalette[std::size_t(bright + (ink ? attr & 7 : (attr >> 3) & 7))];
}

} // namespace

TEST(TitleScreenTest, SampleShowsItsLoadingPictureAndCreditsAsMemoryHoldsThem)
{
    if (!std::filesystem::exists(kOpenSeRomPath))
        GTEST_SKIP() << kOpenSeRomPath << " missing (package opense-basic)";
    const std::vector<std::uint8_t> rom = readRomFile(kOpenSeRomPath);
    const std::vector<std::uint8_t> sna = readFile(ZELQUOR_SAMPLE_SNAPSHOT);
    std::uint64_t hashes[2] = {};
    for (std::uint64_t& hash : hashes) {
        Machine48 m;
        ASSERT_TRUE(m.loadRom(rom));
        ASSERT_TRUE(m.loadSnapshot(sna));
        for (int f = 0; f < 60; ++f) // the title is held for three seconds
            m.runFrame();
        TFastDIB picture;
        m.renderScreen(picture);
        hash = pictureHash(picture);

        for (int y = 0; y < kScreenHeight; ++y)
            for (int x = 0; x < kScreenWidth; ++x) {
                const int sx = x - kBorderSize, sy = y - kBorderSize;
                const bool border = sx < 0 || sy < 0 || sx >= 256 || sy >= 192;
                ASSERT_EQ(picture.PixelAt(x, y), border ? kPalette[std::size_t(m.borderColour())] : screenPixel(m, sx, sy))
                    << x << "," << y;
            }
        // Rows 0..20 are the loading picture as the image holds it.
        for (int y = 0; y < 168; ++y)
            for (int column = 0; column < 32; ++column) {
                const std::uint16_t a = std::uint16_t(0x4000 | ((y & 0xC0) << 5) | ((y & 7) << 8) | ((y & 0x38) << 2) | column);
                ASSERT_EQ(m.peek(a), sna[kHeaderSize + a - 0x4000]) << a;
            }
        // Rows 21..23: each credit text, centred, in the ROM's font.
        const struct {
            std::size_t offset, width;
        } credits[] = {{off::Title, 24}, {off::Company, 21}, {off::Author, 20}};
        for (int row = 0; row < 3; ++row) {
            std::size_t length = credits[row].width;
            while (length > 0 && sna[credits[row].offset + length - 1] <= 32)
                --length;
            ASSERT_GT(length, 0u);
            for (std::size_t k = 0; k < length; ++k) {
                const int c = sna[credits[row].offset + k];
                const int column = int(32 - length) / 2 + int(k);
                for (int line = 0; line < 8; ++line) {
                    const int y = 8 * (21 + row) + line;
                    const std::uint16_t a = std::uint16_t(0x4000 | ((y & 0xC0) << 5) | (line << 8) | ((y & 0x38) << 2) | column);
                    ASSERT_EQ(m.peek(a), m.peek(std::uint16_t(0x3D00 + (c - 32) * 8 + line))) << row << ":" << k;
                }
            }
        }
    }
    EXPECT_EQ(hashes[0], hashes[1]);
}

TEST(HostKeyboardTest, ShiftedSymbolsArrowsAndReleasesByPress)
{
    Machine48 m;
    HostKeyboard keys;
    const auto down = [&](Key k) {
        keys.applyTo(m);
        // Key k alone on its half-row: read the row through the port.
        startProgram(m, {0x01, 0xFE, 0x00, 0xED, 0x78, 0x32, 0x00, 0x90, 0x76}); // LD BC,nn / IN A,(C) / LD (9000),A / HALT
        m.poke(kCode + 2, std::uint8_t(~(1 << halfRowOf(k))));
        m.runUntilPc(kCode + 8, 1000);
        return (m.peek(0x9000) & bitOf(k)) == 0;
    };
    // Shift + 1 types '!': SYMBOL SHIFT and 1, with CAPS SHIFT up.
    keys.press(1, HostKey::Shift);
    EXPECT_TRUE(down(Key::CapsShift));
    keys.press(2, HostKey::Character, '!');
    EXPECT_TRUE(down(Key::SymbolShift));
    EXPECT_TRUE(down(Key::N1));
    EXPECT_FALSE(down(Key::CapsShift));
    // Its release lets go of what it held, and Shift is CAPS again.
    EXPECT_TRUE(keys.release(2));
    EXPECT_FALSE(down(Key::N1));
    EXPECT_TRUE(down(Key::CapsShift));
    keys.releaseAll();
    EXPECT_FALSE(down(Key::CapsShift));
    EXPECT_FALSE(keys.press(3, HostKey::Character, U'\u00e9')); // no such key
    // An arrow is the joystick and the cursor key.
    keys.press(4, HostKey::Right);
    EXPECT_TRUE(down(Key::N8));
    EXPECT_TRUE(down(Key::CapsShift));
    startProgram(m, {0xDB, 0x1F, 0x32, 0x00, 0x90, 0x76}); // IN A,(1F) / LD (9000),A / HALT
    m.runUntilPc(kCode + 5, 1000);
    EXPECT_EQ(m.peek(0x9000), kempston::Right);
}
