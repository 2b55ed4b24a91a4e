// zelquor-cli on the formats beyond .sna and on `run`: convert round trips,
// refused inputs, --game, and the picture `run` writes against the embedded
// Spectrum run in the test itself.

#include "tests/cli/CliSupport.h"
#include "tests/cli/PngReader.h"

#include "emu/Rom.h"
#include "emu/Machine48.h"
#include "gfx/FastDIB.h"
#include "image/LayoutGrid.h"
#include "image/LevelData.h"
#include "image/MemoryMap.h"
#include "render/Renderer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace zq {
namespace {

using namespace test;

class FormatsCliTest : public CliFixture {
protected:
    bool haveRom() const { return !emu::readRomFile(emu::kOpenSeRomPath).empty(); }

    void expectConverts(const std::string& in, const std::string& out)
    {
        const ToolRun r = runTool({"convert", in, out});
        EXPECT_EQ(r.status, 0) << in << " -> " << out << ": " << r.err;
    }
};

TEST_F(FormatsCliTest, SnapshotsSurviveZ80AndSzxAndTapesLoadBack)
{
    expectConverts("game.sna", "game.z80");
    expectConverts("game.z80", "back.szx");
    expectConverts("back.szx", "back.sna");
    EXPECT_EQ(readFile(work_ / "back.sna"), save48(image_));
    if (!haveRom())
        GTEST_SKIP() << "no OpenSE ROM for the tape load";
    expectConverts("game.sna", "game.tzx");
    expectConverts("game.tzx", "loaded.sna");
    const Bytes loaded = readFile(work_ / "loaded.sna");
    ASSERT_EQ(loaded.size(), kImageSize);
    const auto ours = image_.bytes();
    EXPECT_TRUE(std::equal(loaded.begin() + off::TapeCodeStart, loaded.end(), ours.begin() + off::TapeCodeStart));
    EXPECT_TRUE(std::equal(loaded.begin() + off::Screen, loaded.begin() + off::Screen + kScreenSize,
                           ours.begin() + off::Screen));
}

TEST_F(FormatsCliTest, TruncatedHugeAndForeignInputsAreRefused)
{
    expectConverts("game.sna", "game.z80");
    const Bytes z80 = readFile(work_ / "game.z80");
    writeFile(work_ / "cut.z80", Bytes(z80.begin(), z80.begin() + std::ptrdiff_t(z80.size() / 2)));
    writeFile(work_ / "huge.szx", Bytes((5u << 20), 0));
    writeFile(work_ / "noise.tzx", Bytes(1000, 0x5A));
    writeFile(work_ / "noise.bin", Bytes(1000, 0x5A));
    // libspectrum never returned from a truncated bzip2 stream.
    writeFile(work_ / "bz.tap", Bytes{'B', 'Z', 'h'});
    writeFile(work_ / "bz", Bytes{'B', 'Z', 'h'});
    for (const auto& [name, message] : std::vector<std::pair<std::string, std::string>>{
             {"bz.tap", "File is not a ZX Spectrum snapshot or tape"},
             {"bz", "File is not a ZX Spectrum snapshot or tape"},
             {"cut.z80", "not a snapshot libspectrum can read"},
             {"huge.szx", "File size incorrect (over 4 MiB)"},
             {"noise.tzx", "not a tape libspectrum can read"},
             {"noise.bin", "not a snapshot or tape file"}}) {
        const ToolRun r = runTool({"convert", name, "o.sna"});
        EXPECT_EQ(r.status, 1) << name;
        EXPECT_NE(r.err.find(name + ": " + message), std::string::npos) << r.err;
    }
    EXPECT_EQ(runTool({"convert", "game.sna", "o.bin"}).status, 2);
    EXPECT_FALSE(fs::exists(work_ / "o.sna"));
    EXPECT_FALSE(fs::exists(work_ / "o.bin"));
}

// A program at 0xF5BC, interrupts off, that copies the keys B N M SYMBOL
// SPACE (port 0x7FFE, pressed = 1) to 0x4000 and the Kempston bits to 0x4001,
// over and over, on a screen of black ink on white paper.
Bytes keyEchoImage()
{
    Bytes image(kImageSize, 0);
    std::fill(image.begin() + std::ptrdiff_t(imageOffset(0x5800)), image.begin() + std::ptrdiff_t(imageOffset(0x5B00)),
              0x38);
    const std::uint8_t program[] = {0x3E, 0x7F, 0xDB, 0xFE, 0x2F, 0xE6, 0x1F, 0x32, 0x00, 0x40,
                                    0xDB, 0x1F, 0x32, 0x01, 0x40, 0x18, 0xEF};
    std::copy(std::begin(program), std::end(program), image.begin() + std::ptrdiff_t(off::Signature));
    image[23] = 0xFE, image[24] = 0xFE; // SP 0xFEFE holds PC 0xF5BC
    image[imageOffset(0xFEFE)] = 0xBC, image[imageOffset(0xFEFF)] = 0xF5;
    image[25] = 1;
    image[26] = 2;
    return image;
}

// A script reaches level 37 of the sample once, keeps the machine's state,
// then shows level 37 of an edited image from there in a few frames.
TEST_F(FormatsCliTest, RunSavesAStateAndStartsAnotherImageFromIt)
{
    if (!haveRom())
        GTEST_SKIP() << "no OpenSE ROM";
    EXPECT_EQ(runTool({"run", "game.sna", "--frames", "10"}).status, 2);
    const std::string keys = "160:G,166:3,172:7";
    ToolRun r = runTool({"run", "game.sna", "--frames", "200", "--keys", keys, "--save-state", "at37.szx", "-o", "a.png"});
    ASSERT_EQ(r.status, 0) << r.err;
    r = runTool({"run", "game.sna", "--from", "at37.szx", "--frames", "0", "-o", "b.png"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(readFile(work_ / "a.png"), readFile(work_ / "b.png"));

    GameImage edited = image_;
    const LevelRecord record = findLevelRecord(edited, 36);
    const CellCodeTables codes;
    for (int c = 0; c < CellCodeTables::columns(record.mirrored); ++c)
        toggleCell(edited, record.offset, codes.code(record.mirrored, 9, c));
    writeFile(work_ / "edited.sna", save48(edited));
    r = runTool({"run", "edited.sna", "--from", "at37.szx", "--frames", "10", "-o", "c.png"});
    ASSERT_EQ(r.status, 0) << r.err;
    PngPicture shown;
    ASSERT_EQ(readPng(readFile(work_ / "c.png"), shown), "");
    TFastDIB expected;
    expected.SetSize(kLevelPictureWidth, kLevelPictureHeight, 32);
    LevelRenderer renderer;
    const CurrentLevel level = decodeLevel(edited, 36);
    const RenderTarget target{edited, level, codes, expected};
    renderer.drawBorder(target);
    renderer.compose(target, ComposeHooks{});
    int differing = 0;
    for (int y = 16; y < kLevelPictureHeight; ++y) // below the viewer's top band
        for (int x = 0; x < kLevelPictureWidth; ++x)
            differing += shown.at(emu::kBorderSize + x, emu::kBorderSize + y) != expected.PixelAt(x, y);
    EXPECT_EQ(differing, 0);
}

TEST_F(FormatsCliTest, RunHoldsTheKeysAtTheirFramesAndWritesTheMachinesPicture)
{
    const std::vector<std::uint8_t> rom = emu::readRomFile(emu::kOpenSeRomPath);
    if (rom.empty())
        GTEST_SKIP() << "no OpenSE ROM";
    writeFile(work_ / "echo.sna", keyEchoImage());
    EXPECT_EQ(runTool({"run", "echo.sna", "--frames", "10", "-o", "x.png"}).status, 1); // not the carried game

    for (const int frames : {103, 106}) {
        const ToolRun r = runTool({"run", "echo.sna", "--game", "echo.sna", "--frames", std::to_string(frames),
                                   "--keys", "100:n,0-200:SYMBOL+JFIRE", "-o", "shot.png"});
        ASSERT_EQ(r.status, 0) << r.err;
        PngPicture png;
        ASSERT_EQ(readPng(readFile(work_ / "shot.png"), png), "");
        ASSERT_EQ(png.width, emu::kScreenWidth);
        ASSERT_EQ(png.height, emu::kScreenHeight);

        emu::Machine48 m;
        ASSERT_TRUE(m.loadRom(rom));
        ASSERT_TRUE(m.loadSnapshot(keyEchoImage()));
        for (int f = 0; f < frames; ++f) {
            m.releaseAllKeys();
            m.setKey(emu::Key::N, f >= 100 && f < 105);
            m.setKey(emu::Key::SymbolShift, true);
            m.setKempston(emu::kempston::Fire);
            m.runFrame();
        }
        TFastDIB expected;
        m.renderScreen(expected);
        int differing = 0;
        for (int y = 0; y < png.height; ++y)
            for (int x = 0; x < png.width; ++x)
                differing += png.at(x, y) != expected.PixelAt(x, y);
        EXPECT_EQ(differing, 0) << frames;

        // Bits 3 (N) and 1 (SYMBOL) of 0x4000 are pixels 4 and 6, Fire (bit
        // 4) of 0x4001 is pixel 11; black ink where set.
        EXPECT_EQ(png.at(32 + 4, 32) == 0, frames == 103) << frames;
        EXPECT_EQ(png.at(32 + 6, 32), 0u);
        EXPECT_EQ(png.at(32 + 11, 32), 0u);
        EXPECT_NE(png.at(32 + 5, 32), 0u);
    }
    for (const char* keys : {"100", "x:N", "5-5:N", "1:Q+", "1:F1", "1:N,"})
        EXPECT_EQ(runTool({"run", "echo.sna", "--game", "echo.sna", "--frames", "1", "--keys", keys, "-o", "o.png"})
                      .status,
                  2)
            << keys;
}

} // namespace
} // namespace zq
