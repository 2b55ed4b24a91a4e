#include "emu/Capture.h"
#include "emu/Rom.h"
#include "emu/Machine48.h"
#include "emu/TapeLoader.h"

#include "EmuTestSupport.h"
#include "files/MachineImage.h"
#include "files/Tape.h"
#include "image/GameImage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace zq::emu {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Status = TapeLoader::Status;

TEST(CaptureTest, ACapturedImageResumesToTheSameRegistersAndMemory)
{
    Bytes rom(kRomSize, 0x00);
    rom[0x38] = 0xFB, rom[0x39] = 0xC9; // EI, RET
    Machine48 m;
    ASSERT_TRUE(m.loadRom(rom));
    test::startProgram(m, {0x00, 0x18, 0xFD}, {.af = 0x1234, .hl2 = 0xBEEF, .ix = 0x7777, .i = 0x3F, .r = 0x85,
                                               .im = 1, .iff1 = true, .iff2 = true});
    for (int i = 0; i < 3; ++i)
        m.runFrame();
    const Registers before = m.registers();
    const auto image = captureImage(m);

    Machine48 again;
    ASSERT_TRUE(again.loadSnapshot(image));
    const Registers after = again.registers();
    EXPECT_EQ(after.pc, before.pc);
    EXPECT_EQ(after.sp, before.sp);
    EXPECT_EQ(after.af, before.af);
    EXPECT_EQ(after.hl2, before.hl2);
    EXPECT_EQ(after.ix, before.ix);
    EXPECT_EQ(after.i, before.i);
    EXPECT_EQ(after.r, before.r);
    EXPECT_EQ(after.im, before.im);
    EXPECT_EQ(after.iff1, before.iff1);
    for (std::uint32_t a = 0x4000; a < 0x10000; ++a) {
        if (a < before.sp - 2u || a >= before.sp) { // but the pushed PC
            ASSERT_EQ(again.peek(std::uint16_t(a)), m.peek(std::uint16_t(a))) << a;
        }
    }
}

class TapeLoaderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        rom_ = readRomFile(kOpenSeRomPath);
        if (rom_.empty())
            GTEST_SKIP() << "no OpenSE ROM at " << kOpenSeRomPath << " (package opense-basic)";
    }
    Bytes rom_;
};

// The ROM's own loader reads the edges of the tape the editor writes; the
// game starts with the code and the loading screen in place.
TEST_F(TapeLoaderTest, TheGamesTapeLoadsToItsEntry)
{
    GameImage sample;
    ASSERT_TRUE(sample.loadDefault());
    const Bytes tape = buildTape(sample, LoadingScreen::fromImage(sample));

    auto load = [&](TapeLoader& loader, bool trapped) {
        loader.useRomTrap(trapped);
        Status status = loader.start(rom_, tape, FileKind::Tap);
        double last = 0;
        while (status == Status::Running) {
            status = loader.step(trapped ? 20 : 1000);
            EXPECT_GE(loader.progress(), last);
            last = loader.progress();
        }
        ASSERT_EQ(status, Status::Done) << loader.message();
        EXPECT_EQ(loader.progress(), 1.0);
    };
    TapeLoader loader, edges;
    load(loader, true);
    load(edges, false);
    // The ROM's loader takes all six blocks through the trap, in a few frames.
    EXPECT_EQ(loader.blocksTrapped(), 6);
    EXPECT_LT(loader.frames(), 500u);
    EXPECT_EQ(edges.blocksTrapped(), 0);
    EXPECT_LT(edges.frames(), 15000u);
    // Both give the same machine, but for what counts time: R and the ROM's
    // frame counter FRAMES (its interrupts fall elsewhere between the loads).
    Bytes trapped = loader.image(), played = edges.image();
    ASSERT_EQ(trapped.size(), played.size());
    for (Bytes* image : {&trapped, &played}) {
        (*image)[sna::R] = 0;
        std::fill_n(image->begin() + std::ptrdiff_t(imageOffset(23672)), 3, std::uint8_t(0));
    }
    EXPECT_TRUE(trapped == played);

    const Bytes& image = loader.image();
    ASSERT_EQ(image.size(), kImageSize);
    MachineState state;
    ASSERT_TRUE(machineFromImage(image, state));
    EXPECT_EQ(state.cpu.pc, kGameEntry);
    const auto ours = sample.bytes();
    EXPECT_TRUE(std::equal(image.begin() + off::TapeCodeStart, image.end(), ours.begin() + off::TapeCodeStart));
    // The loader silences the screen channel: nothing is printed over it.
    EXPECT_TRUE(std::equal(image.begin() + off::Screen, image.begin() + off::Screen + kScreenSize,
                           ours.begin() + off::Screen));
}

// A load that reuses the boot of the one before skips the ROM's start and
// the typing, and ends with the same image.
TEST_F(TapeLoaderTest, ALoadReusingTheBootBeforeGivesTheSameImage)
{
    GameImage sample;
    ASSERT_TRUE(sample.loadDefault());
    const Bytes tape = buildTape(sample, LoadingScreen::fromImage(sample));
    TapeLoader loader;
    loader.reuseBoot(true);
    Bytes images[2];
    std::uint64_t frames[2] = {};
    for (int i = 0; i < 2; ++i) {
        Status status = loader.start(rom_, tape, FileKind::Tap);
        while (status == Status::Running)
            status = loader.step(50);
        ASSERT_EQ(status, Status::Done) << loader.message();
        images[i] = loader.image();
        frames[i] = loader.frames();
    }
    EXPECT_TRUE(images[0] == images[1]);
    EXPECT_LT(frames[1] + 100, frames[0]);
}

TEST_F(TapeLoaderTest, BadRomsAndUnreadableTapesFailAtOnce)
{
    TapeLoader loader;
    EXPECT_EQ(loader.start(Bytes(8192), loaderBlock(), FileKind::Tap), Status::Failed);
    EXPECT_EQ(loader.start(rom_, Bytes(300, 0x41), FileKind::Tzx), Status::Failed);
    EXPECT_NE(loader.message(), "");
    EXPECT_EQ(loader.start(rom_, Bytes(), FileKind::Tap), Status::Failed);
    EXPECT_EQ(loader.step(10), Status::Failed);
    EXPECT_TRUE(loader.image().empty());
}

// A BASIC program that loads and stops: the load fails soon after the tape
// ends, long before the 15-minute limit.
TEST_F(TapeLoaderTest, AProgramThatNeverReachesTheEntryFailsWhenTheTapeHasStopped)
{
    const std::uint8_t program[] = {0x00, 0x0A, 0x02, 0x00, 0xE2, 0x0D}; // 10 STOP
    Bytes tape;
    auto block = [&tape](std::span<const std::uint8_t> body) {
        tape.push_back(std::uint8_t(body.size())), tape.push_back(std::uint8_t(body.size() >> 8));
        tape.insert(tape.end(), body.begin(), body.end());
    };
    block(tapHeader(kTapTypeProgram, "stop", sizeof program, 10, sizeof program));
    Bytes data{kTapDataFlag};
    data.insert(data.end(), std::begin(program), std::end(program));
    data.push_back(xorOf(data));
    block(data);

    TapeLoader loader;
    Status status = loader.start(rom_, tape, FileKind::Tap);
    while (status == Status::Running)
        status = loader.step(1000);
    EXPECT_EQ(status, Status::Failed);
    EXPECT_NE(loader.message().find("tape stopped"), std::string::npos) << loader.message();
    EXPECT_LT(loader.frames(), 3000u);
}

TEST(TapeLoaderLimitsTest, ARomThatNeverReadsTheKeyboardIsGivenUpWithinTenSeconds)
{
    std::vector<std::uint8_t> rom(kRomSize, 0x00);
    rom[0] = 0xF3; // DI
    rom[1] = 0x76; // HALT
    const std::vector<std::uint8_t> tap = {0x02, 0x00, 0xFF, 0xFF};
    TapeLoader loader;
    auto status = loader.start(rom, tap, FileKind::Tap);
    while (status == TapeLoader::Status::Running)
        status = loader.step(50);
    EXPECT_EQ(status, TapeLoader::Status::Failed);
    EXPECT_LE(loader.frames(), 500u);
}

} // namespace
} // namespace zq::emu
