#include "emu/RomLoaderTrap.h"
#include "emu/Rom.h"

#include "EmuTestSupport.h"
#include "files/Tape.h"

#include <gtest/gtest.h>

#include <vector>

namespace zq::emu {
namespace {

using Bytes = std::vector<std::uint8_t>;

// A .tap block: flag, data, then the checksum (spoiled when asked).
void appendBlock(Bytes& tap, std::uint8_t flag, const Bytes& data, bool badChecksum = false)
{
    Bytes body{flag};
    body.insert(body.end(), data.begin(), data.end());
    body.push_back(std::uint8_t(xorOf(body) ^ (badChecksum ? 0x5A : 0)));
    tap.push_back(std::uint8_t(body.size())), tap.push_back(std::uint8_t(body.size() >> 8));
    tap.insert(tap.end(), body.begin(), body.end());
}

Bytes counting(std::size_t n, std::uint8_t seed)
{
    Bytes b(n);
    for (std::size_t i = 0; i < n; ++i)
        b[i] = std::uint8_t(seed + i * 7);
    return b;
}

// LD IX,ix; LD DE,length; LD A,flag; SCF; CALL 0x0556; DI.
void loadCall(Bytes& code, std::uint16_t ix, std::uint16_t length, std::uint8_t flag)
{
    const Bytes call = {0xDD, 0x21, std::uint8_t(ix), std::uint8_t(ix >> 8), 0x11, std::uint8_t(length),
                        std::uint8_t(length >> 8), 0x3E, flag, 0x37, 0xCD, 0x56, 0x05, 0xF3};
    code.insert(code.end(), call.begin(), call.end());
}

// A machine with the OpenSE ROM, a tape playing from T-state 0 and a
// program of LD-BYTES calls; `returns` gets the address after each call.
struct Loading {
    Machine48 machine;
    TapePlayer tape;
    RomLoaderTrap trap{tape};

    Loading(const Bytes& rom, const Bytes& file, FileKind kind, const Bytes& code, bool trapped)
    {
        EXPECT_TRUE(machine.loadRom(rom));
        EXPECT_TRUE(tape.open(file, kind));
        machine.setEarSource(&tape);
        if (trapped)
            trap.attach(machine);
        machine.poke(0x5C48, 0x38); // BORDCR: the border SA/LD-RET puts back
        Registers r;
        r.pc = test::kCode, r.sp = test::kStack, r.im = 1;
        for (std::size_t i = 0; i < code.size(); ++i)
            machine.poke(std::uint16_t(test::kCode + i), code[i]);
        machine.setRegisters(r);
        tape.play(0);
    }
    bool runTo(std::uint16_t pc) { return machine.runUntilPc(pc, 60ull * 50 * kFrameTStates); }
};

class RomLoaderTrapTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        rom_ = readRomFile(kOpenSeRomPath);
        if (rom_.empty())
            GTEST_SKIP() << "no OpenSE ROM at " << kOpenSeRomPath << " (package opense-basic)";
        ASSERT_TRUE(RomLoaderTrap::servesRom(rom_));
    }
    Bytes rom_;
};

// Five calls: a whole block, a header asked for with a data block next
// (wrong flag), a whole block, a block with a wrong checksum and one longer
// than asked for.
// After each, the trapped machine has what the edges leave: registers (but
// R, which counts the routine's loops) and all of memory, the stack below
// SP included.
TEST_F(RomLoaderTrapTest, TrappedLoadsLeaveWhatTheEdgesLeave)
{
    Bytes tap;
    appendBlock(tap, 0xFF, counting(40, 3));
    appendBlock(tap, 0xFF, counting(30, 4));
    appendBlock(tap, 0xFF, counting(300, 11));
    appendBlock(tap, 0xFF, counting(100, 5), true);
    appendBlock(tap, 0xFF, counting(50, 9));
    // A pause first, so that the first call finds the pilot playing with EAR
    // high (C then counts from 0x22, later ones from 0x02): LD BC,8543; DEC BC; LD A,B; OR C; JR NZ.
    Bytes code{0xF3, 0x01, 0x5F, 0x21, 0x0B, 0x78, 0xB1, 0x20, 0xFB};
    std::vector<std::uint16_t> returns;
    const std::uint16_t calls[5][3] = {
        {0x9000, 40, 0xFF}, {0x9100, 17, 0x00}, {0x9200, 300, 0xFF}, {0xA000, 100, 0xFF}, {0xB000, 10, 0xFF}};
    for (const auto& c : calls) {
        loadCall(code, c[0], c[1], std::uint8_t(c[2]));
        returns.push_back(std::uint16_t(test::kCode + code.size() - 1));
    }
    code.insert(code.end(), {0x18, 0xFE});

    Loading edges(rom_, tap, FileKind::Tap, code, false), trapped(rom_, tap, FileKind::Tap, code, true);
    const bool carries[5] = {true, false, true, false, false};
    for (std::size_t i = 0; i < returns.size(); ++i) {
        SCOPED_TRACE(i);
        ASSERT_TRUE(edges.runTo(returns[i]));
        ASSERT_TRUE(trapped.runTo(returns[i]));
        Registers e = edges.machine.registers(), t = trapped.machine.registers();
        EXPECT_EQ((e.af & 1) != 0, carries[i]);
        EXPECT_EQ(t.af, e.af);
        EXPECT_EQ(t.bc, e.bc);
        EXPECT_EQ(t.de, e.de);
        EXPECT_EQ(t.hl, e.hl);
        EXPECT_EQ(t.af2, e.af2);
        EXPECT_EQ(t.ix, e.ix);
        EXPECT_EQ(t.sp, e.sp);
        EXPECT_EQ(t.iff1, e.iff1);
        EXPECT_EQ(trapped.machine.borderColour(), edges.machine.borderColour());
        for (std::uint32_t a = 0x4000; a < 0x10000; ++a)
            ASSERT_EQ(trapped.machine.peek(std::uint16_t(a)), edges.machine.peek(std::uint16_t(a))) << a;
    }
    EXPECT_EQ(trapped.trap.blocksServed(), 5);
    EXPECT_LT(trapped.machine.frameCount() * 20, edges.machine.frameCount());
}

// A TZX turbo block at other timings than the ROM's (which its loader still
// reads): the trap leaves it to the edges, and it loads.
TEST_F(RomLoaderTrapTest, ATurboBlockLoadsOnItsEdges)
{
    const Bytes data = counting(64, 1);
    Bytes body{0xFF};
    body.insert(body.end(), data.begin(), data.end());
    body.push_back(xorOf(body));
    auto word = [](Bytes& b, unsigned v) { b.push_back(std::uint8_t(v)), b.push_back(std::uint8_t(v >> 8)); };
    Bytes tzx = {'Z', 'X', 'T', 'a', 'p', 'e', '!', 0x1A, 1, 20, 0x11};
    for (unsigned v : {2000u, 600u, 700u, 800u, 1600u, 3223u})
        word(tzx, v);
    tzx.push_back(8);
    word(tzx, 1000);
    tzx.push_back(std::uint8_t(body.size())), tzx.push_back(0), tzx.push_back(0);
    tzx.insert(tzx.end(), body.begin(), body.end());
    Bytes code{0xF3};
    loadCall(code, 0x9000, 64, 0xFF);
    const std::uint16_t back = std::uint16_t(test::kCode + code.size() - 1);

    Loading turbo(rom_, tzx, FileKind::Tzx, code, true);
    ASSERT_TRUE(turbo.runTo(back));
    EXPECT_EQ(turbo.machine.registers().af & 1, 1) << "carry: loaded";
    for (std::size_t i = 0; i < data.size(); ++i)
        EXPECT_EQ(turbo.machine.peek(std::uint16_t(0x9000 + i)), data[i]) << i;
    EXPECT_EQ(turbo.trap.blocksServed(), 0);
}

} // namespace
} // namespace zq::emu
