#include "emu/Rom.h"
#include "emu/Machine48.h"

#include "EmuTestSupport.h"
#include "gfx/FastDIB.h"
#include "render/Palette.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <utility>
#include <vector>

namespace zq::emu {
namespace {

using test::readFile;

std::uint16_t wordAt(const std::vector<std::uint8_t>& b, std::size_t at) { return std::uint16_t(b[at] | b[at + 1] << 8); }

TEST(SnapshotTest, SampleImageResumesThroughRetn)
{
    const std::vector<std::uint8_t> sna = readFile(ZELQUOR_SAMPLE_SNAPSHOT);
    ASSERT_EQ(sna.size(), std::size_t(kSnapshotSize));
    Machine48 m;
    ASSERT_TRUE(m.loadSnapshot(sna));

    const Registers r = m.registers();
    const std::uint16_t sp = wordAt(sna, 23);
    EXPECT_EQ(r.pc, wordAt(sna, 27 + sp - 0x4000));
    EXPECT_EQ(r.sp, sp + 2);
    EXPECT_EQ(r.iff1, (sna[19] & 4) != 0);
    EXPECT_EQ(r.iff2, (sna[19] & 4) != 0);
    EXPECT_EQ(r.i, sna[0]);
    EXPECT_EQ(r.r, sna[20]);
    EXPECT_EQ(r.im, sna[25]);
    EXPECT_EQ(r.hl2, wordAt(sna, 1));
    EXPECT_EQ(r.af2, wordAt(sna, 7));
    EXPECT_EQ(r.hl, wordAt(sna, 9));
    EXPECT_EQ(r.bc, wordAt(sna, 13));
    EXPECT_EQ(r.iy, wordAt(sna, 15));
    EXPECT_EQ(r.ix, wordAt(sna, 17));
    EXPECT_EQ(r.af, wordAt(sna, 21));
    EXPECT_EQ(m.borderColour(), sna[26] & 7);
    for (std::size_t a = 0x4000; a < 0x10000; ++a)
        ASSERT_EQ(m.peek(std::uint16_t(a)), sna[27 + a - 0x4000]) << a;

    std::vector<std::uint8_t> shorter(sna.begin(), sna.end() - 1);
    EXPECT_FALSE(m.loadSnapshot(shorter));
    EXPECT_EQ(m.registers().pc, r.pc);
}

// A hand-made image: interrupts off, border 4, a JR $ at 0x8000 resumed
// from the stack.
std::vector<std::uint8_t> idleSnapshot()
{
    std::vector<std::uint8_t> sna(kSnapshotSize, 0);
    sna[23] = 0x00, sna[24] = 0xFF; // SP 0xFF00 holds PC 0x8000
    sna[25] = 1;
    sna[26] = 4;
    sna[27 + 0xFF00 - 0x4000 + 1] = 0x80;
    sna[27 + 0x8000 - 0x4000] = 0x18, sna[27 + 0x8001 - 0x4000] = 0xFE;
    return sna;
}

TEST(ScreenTest, BitmapLayoutAttributesFlashAndBorder)
{
    Machine48 m;
    ASSERT_TRUE(m.loadSnapshot(idleSnapshot()));
    // Pixel (10, 100): third 1, line 4 of character row 4, column 1.
    m.poke(0x4C81, 0x20);
    m.poke(0x5800 + 12 * 32 + 1, 0x4A); // BRIGHT, paper 1, ink 2
    m.poke(0x4005, 0xFF);               // line 0 of column 5, all ink
    m.poke(0x5805, 0xB8);               // FLASH, paper 7, ink 0

    TFastDIB pic;
    m.renderScreen(pic);
    ASSERT_EQ(pic.Width(), kScreenWidth);
    ASSERT_EQ(pic.Height(), kScreenHeight);
    for (auto [x, y] : {std::pair{0, 0}, {319, 255}, {31, 100}, {288, 100}, {100, 31}, {100, 224}})
        EXPECT_EQ(pic.PixelAt(x, y), kPalette[4]) << x << "," << y;
    EXPECT_EQ(pic.PixelAt(42, 132), kPalette[10]);
    EXPECT_EQ(pic.PixelAt(41, 132), kPalette[9]);
    EXPECT_EQ(pic.PixelAt(43, 132), kPalette[9]);
    EXPECT_EQ(pic.PixelAt(42, 131), kPalette[9]);
    EXPECT_EQ(pic.PixelAt(32, 32), kPalette[0]); // attribute 0: black paper
    EXPECT_EQ(pic.PixelAt(72, 32), kPalette[0]);

    for (int f = 0; f < 16; ++f)
        m.runFrame();
    m.renderScreen(pic);
    EXPECT_EQ(pic.PixelAt(72, 32), kPalette[7]);
    EXPECT_EQ(pic.PixelAt(42, 132), kPalette[10]); // no FLASH there
    for (int f = 0; f < 16; ++f)
        m.runFrame();
    m.renderScreen(pic);
    EXPECT_EQ(pic.PixelAt(72, 32), kPalette[0]);
}

bool haveOpenSe() { return std::filesystem::exists(kOpenSeRomPath); }

TEST(OpenSeTest, BootsToItsCopyrightScreen)
{
    if (!haveOpenSe())
        GTEST_SKIP() << kOpenSeRomPath << " missing (package opense-basic)";
    Machine48 m;
    ASSERT_TRUE(m.loadRom(readRomFile(kOpenSeRomPath)));
    m.reset();
    for (int f = 0; f < 100; ++f)
        m.runFrame();
    // The ROM's interrupt handler counts FRAMES, and something is printed.
    const unsigned frames = m.peek(23672) | m.peek(23673) << 8;
    EXPECT_GT(frames, 30u);
    EXPECT_LE(frames, 100u);
    int inked = 0;
    for (int a = 0x4000; a < 0x5800; ++a)
        inked += m.peek(std::uint16_t(a)) != 0;
    EXPECT_GT(inked, 20);
}

TEST(DeterminismTest, SameInputsGiveTheSameMachine)
{
    if (!haveOpenSe())
        GTEST_SKIP() << kOpenSeRomPath << " missing (package opense-basic)";
    const std::vector<std::uint8_t> rom = readRomFile(kOpenSeRomPath);
    const std::vector<std::uint8_t> sna = readFile(ZELQUOR_SAMPLE_SNAPSHOT);
    Machine48 a;
    Machine48 b;
    TFastDIB picA;
    TFastDIB picB;
    for (Machine48* m : {&a, &b}) {
        ASSERT_TRUE(m->loadRom(rom));
        ASSERT_TRUE(m->loadSnapshot(sna));
        for (int f = 0; f < 150; ++f) {
            m->setKey(Key::Space, f >= 40 && f < 44);
            m->setKempston(f >= 80 && f < 120 ? kempston::Right | kempston::Fire : 0);
            m->runFrame();
        }
    }
    for (std::size_t addr = 0; addr < 0x10000; ++addr)
        ASSERT_EQ(a.peek(std::uint16_t(addr)), b.peek(std::uint16_t(addr))) << addr;
    EXPECT_EQ(a.registers().pc, b.registers().pc);
    EXPECT_EQ(a.tstates(), b.tstates());
    a.renderScreen(picA);
    b.renderScreen(picB);
    for (int y = 0; y < kScreenHeight; ++y)
        for (int x = 0; x < kScreenWidth; ++x)
            ASSERT_EQ(picA.PixelAt(x, y), picB.PixelAt(x, y)) << x << "," << y;
}

} // namespace
} // namespace zq::emu
