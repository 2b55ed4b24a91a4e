#include "emu/Machine48.h"

#include "EmuTestSupport.h"

#include <gtest/gtest.h>

#include <vector>

namespace zq::emu {
namespace {

using test::kCode;
using test::pokeBytes;
using test::startProgram;

TEST(UlaPortTest, KeysJoystickEarBorderAndSpeaker)
{
    Machine48 m;
    startProgram(m, {
                        0x3E, 0x15,       // LD A,0x15
                        0xD3, 0xFE,       // OUT (0xFE),A: border 5, speaker high
                        0x3E, 0xFD,       // LD A,0xFD
                        0xDB, 0xFE,       // IN A,(0xFE): half-row A..G
                        0x32, 0x00, 0x90, // LD (0x9000),A
                        0x01, 0xFE, 0x7F, // LD BC,0x7FFE
                        0xED, 0x78,       // IN A,(C): half-row SPACE..B
                        0x32, 0x01, 0x90, // LD (0x9001),A
                        0x01, 0xFE, 0x00, // LD BC,0x00FE
                        0xED, 0x78,       // IN A,(C): every half-row
                        0x32, 0x02, 0x90, // LD (0x9002),A
                        0xDB, 0x1F,       // IN A,(0x1F): Kempston
                        0x32, 0x03, 0x90, // LD (0x9003),A
                        0xDB, 0xFF,       // IN A,(0xFF): nothing there
                        0x32, 0x04, 0x90, // LD (0x9004),A
                        0x32, 0x10, 0x00, // LD (0x0010),A: ROM, ignored
                        0x3E, 0x03,       // LD A,3
                        0xD3, 0xFE,       // OUT (0xFE),A: border 3, speaker low
                        0x18, 0xFE,       // JR $
                    });
    m.setKey(Key::S, true);
    m.setKey(Key::B, true);
    m.setKey(Key::Q, true);
    m.setKey(Key::Q, false);
    m.setKempston(kempston::Fire | kempston::Right);
    m.setEarLevel(true);
    m.runFrame();

    EXPECT_EQ(m.peek(0x9000), 0xFD); // S (bit 1) down, EAR high
    EXPECT_EQ(m.peek(0x9001), 0xEF); // B (bit 4) down
    EXPECT_EQ(m.peek(0x9002), 0xED); // both, ANDed
    EXPECT_EQ(m.peek(0x9003), 0x11);
    EXPECT_EQ(m.peek(0x9004), 0xFF);
    EXPECT_EQ(m.peek(0x0010), 0xFF);
    EXPECT_EQ(m.borderColour(), 3);

    const auto edges = m.lastFrameBeeper();
    ASSERT_EQ(edges.size(), 2u);
    EXPECT_TRUE(edges[0].level);
    EXPECT_FALSE(edges[1].level);
    EXPECT_LT(edges[0].tstate, edges[1].tstate);
    EXPECT_FALSE(m.lastFrameStartLevel());
}

// A counter in E, incremented by the interrupt handler, while the program
// halts in a loop. The IM 1 handler (INC E / EI / RET) is short enough to
// end inside the interrupt's 32 T-states: it must still run once per frame.
TEST(InterruptTest, OnePerFrameInIm1AndIm2)
{
    std::vector<std::uint8_t> rom(kRomSize, 0);
    rom[0x38] = 0x1C, rom[0x39] = 0xFB, rom[0x3A] = 0xC9;
    for (std::uint8_t im : {1, 2}) {
        Machine48 m;
        Registers r;
        r.im = im;
        r.iff1 = r.iff2 = true;
        if (im == 1) {
            ASSERT_TRUE(m.loadRom(rom));
        } else {
            r.i = 0x90; // the bus reads 0xFF: the vector is at 0x90FF
            for (int a = 0x9000; a <= 0x9100; ++a)
                m.poke(std::uint16_t(a), 0xA0);
            pokeBytes(m, 0xA0A0, {0x1C, 0xFB, 0xED, 0x4D}); // INC E / EI / RETI
        }
        startProgram(m, {0x76, 0x18, 0xFD}, r); // HALT / JR -3
        for (int f = 0; f < 10; ++f)
            m.runFrame();
        EXPECT_EQ(m.registers().de & 0xFF, 10) << "IM " << int(im);
        EXPECT_EQ(m.frameCount(), 10u);
    }
}

TEST(RomTest, OtherSizesAreRefused)
{
    Machine48 m;
    const std::vector<std::uint8_t> rom(kRomSize, 0x3C);
    for (std::size_t size : {std::size_t(0), std::size_t(kRomSize - 1), std::size_t(kRomSize + 1)}) {
        const std::vector<std::uint8_t> wrong(size, 0x00);
        EXPECT_FALSE(m.loadRom(wrong)) << size;
        EXPECT_EQ(m.peek(0x100), 0xFF);
    }
    EXPECT_TRUE(m.loadRom(rom));
    EXPECT_EQ(m.peek(0x100), 0x3C);
}

// Bytes that would land in the ROM or past 0xFFFF are dropped, never wrapped.
TEST(RomTest, WritesIntoRamStopAtTheRomAndTheTopOfMemory)
{
    Machine48 m;
    const std::vector<std::uint8_t> rom(kRomSize, 0x3C);
    ASSERT_TRUE(m.loadRom(rom));
    const std::vector<std::uint8_t> bytes = {1, 2, 3, 4};
    m.writeRam(0x3FFE, bytes);
    m.writeRam(0xFFFE, bytes);
    m.writeRam(0x0000, bytes);
    EXPECT_EQ(m.peek(0x3FFF), 0x3C);
    EXPECT_EQ(m.peek(0x4000), 3);
    EXPECT_EQ(m.peek(0x4001), 4);
    EXPECT_EQ(m.peek(0x4002), 0);
    EXPECT_EQ(m.peek(0xFFFE), 1);
    EXPECT_EQ(m.peek(0xFFFF), 2);
    EXPECT_EQ(m.peek(0x0000), 0x3C);
}

// EAR goes high at a fixed T-state; the asked T-states must never go back.
class StepEar : public EarSource {
public:
    explicit StepEar(std::uint64_t at) : at_(at) {}
    bool earLevel(std::uint64_t tstate) override
    {
        EXPECT_GE(tstate, last_);
        last_ = tstate;
        return tstate >= at_;
    }

private:
    std::uint64_t at_;
    std::uint64_t last_ = 0;
};

// Waits for EAR high, then LD IX,0x1234 (a DD-prefixed instruction) and a
// loop at 0x800A.
void startEarWait(Machine48& m)
{
    startProgram(m, {
                        0xDB, 0xFE,             // IN A,(0xFE)
                        0xE6, 0x40,             // AND 0x40
                        0x28, 0xFA,             // JR Z,0x8000
                        0xDD, 0x21, 0x34, 0x12, // LD IX,0x1234
                        0x18, 0xFE,             // JR $
                    });
}

TEST(RunUntilPcTest, StopsAtTheFirstInstructionBoundaryAtThePc)
{
    constexpr std::uint64_t edge = 100000;
    Machine48 m;
    StepEar ear(edge);
    m.setEarSource(&ear);
    startEarWait(m);
    ASSERT_TRUE(m.runUntilPc(kCode + 10, 1000000));
    EXPECT_EQ(m.registers().ix, 0x1234);
    EXPECT_GE(m.tstates(), edge);
    EXPECT_LT(m.tstates(), edge + 80);
    EXPECT_EQ(m.frameCount(), 1u);
    m.runFrame(); // finishes the frame it stopped in
    EXPECT_EQ(m.frameCount(), 2u);
    EXPECT_EQ(m.tstates(), 2 * std::uint64_t(kFrameTStates) + std::uint64_t(m.frameTState()));
}

TEST(RunUntilPcTest, EndsWithTheBudgetAndNeverStopsAfterAPrefix)
{
    Machine48 m;
    StepEar ear(0);
    m.setEarSource(&ear);
    startEarWait(m);
    // 0x8007 is the PC after the DD prefix, not an instruction's start.
    EXPECT_FALSE(m.runUntilPc(kCode + 7, 50000));
    EXPECT_GE(m.tstates(), 50000u);
    EXPECT_LT(m.tstates(), 50000u + 23);
    EXPECT_EQ(m.registers().pc, kCode + 10);
}

// Speaker high, low for a DJNZ loop, high again for the rest of the frame;
// the next frame stays high.
TEST(BeeperTest, SamplesFollowTheEdgesAndTheLevelCarriesOver)
{
    Machine48 m;
    startProgram(m, {
                        0x3E, 0x10,       // LD A,0x10
                        0xD3, 0xFE,       // OUT (0xFE),A
                        0x06, 0x00,       // LD B,0
                        0x10, 0xFE,       // DJNZ $
                        0xAF,             // XOR A
                        0xD3, 0xFE,       // OUT (0xFE),A
                        0x10, 0xFE,       // DJNZ $
                        0x3E, 0x10,       // LD A,0x10
                        0xD3, 0xFE,       // OUT (0xFE),A
                        0x18, 0xFE,       // JR $
                    });
    m.runFrame();
    const auto edges = m.lastFrameBeeper();
    ASSERT_EQ(edges.size(), 3u);
    const double high = double(edges[1].tstate - edges[0].tstate) + double(kFrameTStates - edges[2].tstate);

    std::vector<std::int16_t> samples;
    m.beeperSamples(44100, samples);
    ASSERT_EQ(samples.size(), 882u);
    double sum = 0;
    for (std::int16_t s : samples)
        sum += s;
    EXPECT_NEAR(sum / kBeeperAmplitude, high / kFrameTStates * 882, 2.0);
    EXPECT_GT(samples.front(), 0); // the first OUT falls inside the first sample
    EXPECT_LT(samples.front(), kBeeperAmplitude);
    EXPECT_EQ(samples.back(), kBeeperAmplitude);

    m.runFrame();
    EXPECT_TRUE(m.lastFrameBeeper().empty());
    EXPECT_TRUE(m.lastFrameStartLevel());
    m.beeperSamples(22050, samples);
    ASSERT_EQ(samples.size(), 441u);
    for (std::int16_t s : samples)
        ASSERT_EQ(s, kBeeperAmplitude);
}

} // namespace
} // namespace zq::emu
