#include "emu/Machine48.h"

#include <z80ex/z80ex.h>

#include <algorithm>
#include <cstring>

namespace zq::emu {

namespace {

constexpr std::uint16_t kRamStart = 0x4000;
constexpr std::uint8_t kHaltOpcode = 0x76;
// A chain of prefixes longer than this is not an instruction a state waits for.
constexpr int kMostStepsToABoundary = 64;

} // namespace

Machine48::Machine48()
    : cpu_(z80ex_create(memRead, this, memWrite, this, portRead, this, portWrite, this, intRead, this))
{
    std::fill_n(memory_.begin(), kRomSize, std::uint8_t(0xFF));
    releaseAllKeys();
    reset();
}

Machine48::~Machine48() { z80ex_destroy(cpu_); }

bool Machine48::loadRom(std::span<const std::uint8_t> rom)
{
    if (rom.size() != std::size_t(kRomSize))
        return false;
    std::copy(rom.begin(), rom.end(), memory_.begin());
    return true;
}

void Machine48::reset()
{
    z80ex_reset(cpu_);
    std::fill(memory_.begin() + kRamStart, memory_.end(), std::uint8_t(0));
    border_ = 0;
    speaker_ = false;
    restartClock();
}

bool Machine48::loadSnapshot(std::span<const std::uint8_t> s)
{
    if (s.size() != std::size_t(kSnapshotSize))
        return false;
    MachineState state;
    machineFromImage(s, state);
    std::copy(state.ram.begin(), state.ram.end(), memory_.begin() + kRamStart);
    Registers r = state.cpu;
    r.im &= 3;
    // The RETN pops PC through the bus: a byte below 0x4000 comes from the ROM.
    const std::uint16_t pushed = std::uint16_t(r.sp - 2);
    r.pc = std::uint16_t(memory_[pushed] | memory_[std::uint16_t(pushed + 1)] << 8);
    setRegisters(r);
    border_ = state.border;
    speaker_ = false;
    restartClock();
    return true;
}

void Machine48::restartClock()
{
    frameT_ = 0;
    interruptTaken_ = false;
    boundary_ = true;
    frameCount_ = 0;
    tstates_ = 0;
    edges_.clear();
    lastEdges_.clear();
    startLevel_ = lastStartLevel_ = speaker_;
}

// One opcode (an instruction or a prefix), or the frame's interrupt when it is
// due and accepted. True when the CPU stands at an instruction boundary.
bool Machine48::step()
{
    int t = 0;
    bool boundary = true;
    if (!interruptTaken_ && frameT_ < kInterruptTStates && (t = z80ex_int(cpu_)) != 0) {
        interruptTaken_ = true;
    } else if (z80ex_doing_halt(cpu_)) {
        t = haltToFrameEnd();
    } else {
        t = z80ex_step(cpu_);
        boundary = z80ex_last_op_type(cpu_) == 0;
    }
    frameT_ += t;
    tstates_ += std::uint64_t(t);
    boundary_ = boundary;
    if (frameT_ >= attentionT_) [[unlikely]]
        attend(boundary);
    return boundary;
}

// The frame's end, and a trap whose address was fetched (its memory read
// lowers attentionT_ so that the one test above covers both).
void Machine48::attend(bool boundary)
{
    if (frameT_ >= kFrameTStates)
        endFrame();
    if (trapFetched_) {
        trapFetched_ = false;
        attentionT_ = kFrameTStates;
        if (boundary && trap_)
            trap_->trapped(*this);
    }
}

void Machine48::setTrap(std::uint16_t pc, FetchTrap* trap)
{
    trap_ = trap;
    trapPc_ = pc;
    trapFetched_ = false;
    attentionT_ = kFrameTStates;
    // Without a trap the bus reads through the plain callback: no cost.
    z80ex_set_memread_callback(cpu_, trap ? memReadTrapped : memRead, this);
}

// Halted, the CPU runs NOPs of 4 T-states each, R counting them, until an
// interrupt; none comes before the frame ends (it was taken, or refused):
// all of them at once.
int Machine48::haltToFrameEnd()
{
    const int nops = (kFrameTStates - frameT_ + 3) / 4;
    const unsigned r = z80ex_get_reg(cpu_, regR);
    z80ex_set_reg(cpu_, regR, Z80EX_WORD((r & 0x80) | ((r + unsigned(nops)) & 0x7F)));
    return 4 * nops;
}

void Machine48::endFrame()
{
    frameT_ -= kFrameTStates;
    ++frameCount_;
    interruptTaken_ = false;

    // An OUT late in the instruction that crossed the frame's end belongs to
    // the next frame.
    const auto split = std::find_if(edges_.begin(), edges_.end(),
                                    [](const BeeperEdge& e) { return e.tstate >= std::uint32_t(kFrameTStates); });
    lastStartLevel_ = startLevel_;
    lastEdges_.assign(edges_.begin(), split);
    if (split != edges_.begin())
        startLevel_ = std::prev(split)->level;
    edges_.erase(edges_.begin(), split);
    for (BeeperEdge& e : edges_)
        e.tstate -= std::uint32_t(kFrameTStates);
}

void Machine48::runFrame()
{
    const std::uint64_t frame = frameCount_;
    while (frameCount_ == frame)
        step();
}

bool Machine48::runUntilPc(std::uint16_t pc, std::uint64_t maxTStates)
{
    const std::uint64_t end = tstates_ + maxTStates;
    do {
        if (step() && z80ex_get_reg(cpu_, regPC) == pc)
            return true;
    } while (tstates_ < end);
    return false;
}

void Machine48::setKey(Key k, bool down)
{
    std::uint8_t& row = halfRows_[std::size_t(halfRowOf(k))];
    row = down ? std::uint8_t(row & ~bitOf(k)) : std::uint8_t(row | bitOf(k));
}

void Machine48::releaseAllKeys() { halfRows_.fill(0x1F); }

void Machine48::poke(std::uint16_t addr, std::uint8_t v)
{
    if (addr >= kRamStart)
        memory_[addr] = v;
}

void Machine48::writeRam(std::uint16_t addr, std::span<const std::uint8_t> bytes)
{
    const std::size_t below = addr < kRamStart ? std::size_t(kRamStart - addr) : 0;
    if (below >= bytes.size())
        return;
    const std::size_t from = std::size_t(addr) + below;
    std::memcpy(memory_.data() + from, bytes.data() + below, std::min(bytes.size() - below, memory_.size() - from));
}

void Machine48::takeState(RunState& state)
{
    // The registers hold neither a half-done instruction nor the EI that
    // keeps the interrupt off for one more instruction.
    for (int i = 0; i < kMostStepsToABoundary; ++i) {
        const bool eiShadow = z80ex_get_reg(cpu_, regIFF1) != 0 && !z80ex_int_possible(cpu_);
        if (boundary_ && !eiShadow)
            break;
        step();
    }
    state.machine.cpu = registers();
    state.machine.border = std::uint8_t(border_);
    std::copy(memory_.begin() + kRamStart, memory_.end(), state.machine.ram.begin());
    state.halted = z80ex_doing_halt(cpu_) != 0;
    state.speaker = speaker_;
    state.frameTState = frameT_;
    state.interruptTaken = interruptTaken_;
    state.frameCount = frameCount_;
    state.tstates = tstates_;
}

void Machine48::restoreState(const RunState& state)
{
    std::copy(state.machine.ram.begin(), state.machine.ram.end(), memory_.begin() + kRamStart);
    Registers r = state.machine.cpu;
    r.im &= 3;
    setRegisters(r);
    // Halted, PC stays on the HALT: running it once more halts the CPU again
    // where it was. It takes no time here, and R as it was.
    if (state.halted && memory_[r.pc] == kHaltOpcode) {
        z80ex_step(cpu_);
        z80ex_set_reg(cpu_, regR, r.r);
        z80ex_set_reg(cpu_, regR7, r.r & 0x80u);
    }
    border_ = state.machine.border & 7;
    speaker_ = state.speaker;
    frameT_ = std::clamp(state.frameTState, 0, kFrameTStates - 1);
    interruptTaken_ = state.interruptTaken;
    boundary_ = true;
    trapFetched_ = false;
    attentionT_ = kFrameTStates;
    frameCount_ = state.frameCount;
    tstates_ = state.tstates;
    edges_.clear();
    lastEdges_.clear();
    startLevel_ = lastStartLevel_ = speaker_;
}

Registers Machine48::registers() const
{
    auto get = [this](Z80_REG_T reg) { return z80ex_get_reg(cpu_, reg); };
    Registers r;
    r.af = get(regAF), r.bc = get(regBC), r.de = get(regDE), r.hl = get(regHL);
    r.af2 = get(regAF_), r.bc2 = get(regBC_), r.de2 = get(regDE_), r.hl2 = get(regHL_);
    r.ix = get(regIX), r.iy = get(regIY), r.sp = get(regSP), r.pc = get(regPC);
    r.i = std::uint8_t(get(regI));
    // The core counts R's low 7 bits and keeps bit 7 apart, as the chip does.
    r.r = std::uint8_t((get(regR) & 0x7F) | (get(regR7) & 0x80));
    r.im = std::uint8_t(get(regIM));
    r.iff1 = get(regIFF1) != 0;
    r.iff2 = get(regIFF2) != 0;
    return r;
}

void Machine48::setRegisters(const Registers& r)
{
    z80ex_reset(cpu_); // leaves HALT and any half-done prefix
    auto set = [this](Z80_REG_T reg, unsigned v) { z80ex_set_reg(cpu_, reg, Z80EX_WORD(v)); };
    set(regAF, r.af), set(regBC, r.bc), set(regDE, r.de), set(regHL, r.hl);
    set(regAF_, r.af2), set(regBC_, r.bc2), set(regDE_, r.de2), set(regHL_, r.hl2);
    set(regIX, r.ix), set(regIY, r.iy), set(regSP, r.sp), set(regPC, r.pc);
    set(regI, r.i);
    set(regR, r.r), set(regR7, r.r & 0x80u);
    set(regIM, r.im), set(regIFF1, r.iff1), set(regIFF2, r.iff2);
}

// ---------------------------------------------------------------------------
// The bus.

std::uint8_t Machine48::memRead(Cpu*, std::uint16_t addr, int, void* self)
{
    return static_cast<Machine48*>(self)->memory_[addr];
}

std::uint8_t Machine48::memReadTrapped(Cpu*, std::uint16_t addr, int m1, void* self)
{
    Machine48* m = static_cast<Machine48*>(self);
    if (addr == m->trapPc_ && m1) {
        m->trapFetched_ = true;
        m->attentionT_ = 0;
    }
    return m->memory_[addr];
}

void Machine48::memWrite(Cpu*, std::uint16_t addr, std::uint8_t v, void* self)
{
    static_cast<Machine48*>(self)->poke(addr, v);
}

std::uint8_t Machine48::portRead(Cpu*, std::uint16_t port, void* self)
{
    return static_cast<Machine48*>(self)->readPort(port);
}

void Machine48::portWrite(Cpu*, std::uint16_t port, std::uint8_t v, void* self)
{
    if ((port & 1) == 0)
        static_cast<Machine48*>(self)->writeUla(v);
}

// The byte on the data bus in the interrupt acknowledge: nothing drives it.
std::uint8_t Machine48::intRead(Cpu*, void*) { return 0xFF; }

std::uint8_t Machine48::readPort(std::uint16_t port) const
{
    if ((port & 1) == 0) {
        std::uint8_t v = 0x1F;
        const unsigned select = port >> 8;
        for (int row = 0; row < kHalfRows; ++row)
            if ((select & (1u << row)) == 0)
                v &= halfRows_[std::size_t(row)];
        const std::uint64_t now = tstates_ + std::uint64_t(z80ex_op_tstate(cpu_));
        const bool ear = earSource_ ? earSource_->earLevel(now) : earLevel_;
        return std::uint8_t(v | 0xA0 | (ear ? 0x40 : 0));
    }
    if ((port & 0xFF) == 0x1F)
        return kempston_;
    return 0xFF;
}

void Machine48::writeUla(std::uint8_t v)
{
    border_ = v & 7;
    const bool level = (v & 0x10) != 0;
    if (level != speaker_) {
        speaker_ = level;
        edges_.push_back({std::uint32_t(frameT_ + z80ex_op_tstate(cpu_)), level});
    }
}

} // namespace zq::emu
