#pragma once
// An embedded ZX Spectrum 48K: a Z80 (libz80ex) with 16K of ROM, 48K of RAM,
// the ULA's keyboard, border and beeper port, a Kempston joystick, and a
// picture of the screen. No memory contention, no floating bus and one border
// colour per frame: programs run a little fast, which is fine for play-testing.
//
// The machine is deterministic: the same ROM, snapshot and inputs given at the
// same points give the same memory, registers and pictures. Time only moves in
// runFrame() and runUntilPc().
//
// A frame is 69888 T-states. The 50 Hz maskable interrupt is raised for the
// first 32 T-states of each frame and taken at most once per frame.

#include "emu/EarSource.h"
#include "emu/Keyboard.h"
#include "files/MachineImage.h"

#include <array>
#include <cstdint>
#include <span>
#include <vector>

struct _z80_cpu_context;

namespace zq {
class TFastDIB;
}

namespace zq::emu {

inline constexpr int kFrameTStates = 69888;
inline constexpr int kInterruptTStates = 32;
inline constexpr int kRomSize = 16384;
inline constexpr int kSnapshotSize = int(kImageSize); // 27-byte header + 48K RAM
inline constexpr int kScreenWidth = 320;    // 256 pixels + 32 of border each side
inline constexpr int kScreenHeight = 256;   // 192 lines + 32 of border above and below
inline constexpr int kBorderSize = 32;
inline constexpr std::int16_t kBeeperAmplitude = 8192; // sample value of a high speaker

// A change of the speaker level (port 0xFE bit 4) at a T-state of the frame.
struct BeeperEdge {
    std::uint32_t tstate;
    bool level;
};

// The CPU's registers, as a 48K snapshot image holds them.
using Registers = CpuState;

class Machine48;

// A routine the host serves in place of the emulated code (a ROM trap).
class FetchTrap {
public:
    virtual ~FetchTrap() = default;
    // Called once an instruction fetched at the trap's address has run; the
    // trap may then change registers and memory, or leave the routine to run.
    virtual void trapped(Machine48& machine) = 0;
};

class Machine48 {
public:
    Machine48();
    ~Machine48();
    Machine48(const Machine48&) = delete;
    Machine48& operator=(const Machine48&) = delete;

    // Takes a 16384-byte ROM; any other size is refused and the ROM held
    // stays. A new machine has no ROM: 0x0000-0x3FFF reads as 0xFF. Loading a
    // ROM does not reset the machine.
    bool loadRom(std::span<const std::uint8_t> rom);

    // Power-on: CPU reset (PC 0, interrupts off, IM 0), RAM cleared to 0,
    // border black, speaker low, clock and frame count back to 0. Keys, the
    // joystick and the EAR input are the host's and stay as they are.
    void reset();

    // A 48K .sna image: the registers from the header, the RAM, then the RETN
    // the format implies (PC popped from the stack, IFF1 from IFF2) and the
    // border from the header. Clock and frame count restart at 0. Any size
    // but 49179 bytes is refused and the machine stays as it was.
    bool loadSnapshot(std::span<const std::uint8_t> sna);

    // Runs to the end of the current frame: a whole frame, unless runUntilPc
    // stopped inside one. The interrupt is raised at the frame's start.
    void runFrame();

    // Runs until an instruction boundary with PC == pc, or until `maxTStates`
    // have passed; true when the PC was reached. At least one instruction
    // runs, and frames (with their interrupts) go on as usual: a later
    // runFrame() finishes the frame this stopped in.
    bool runUntilPc(std::uint16_t pc, std::uint64_t maxTStates);

    void setKey(Key k, bool down);
    void releaseAllKeys();
    bool keyDown(Key k) const { return (halfRows_[std::size_t(halfRowOf(k))] & bitOf(k)) == 0; }
    void setKempston(std::uint8_t bits) { kempston_ = bits & kempston::All; }
    std::uint8_t kempstonBits() const { return kempston_; }

    // The EAR input: a fixed level, or a source asked at each port read (a
    // tape player). The source, when set, wins; nullptr goes back to the
    // fixed level. The machine does not own the source.
    void setEarLevel(bool high) { earLevel_ = high; }
    void setEarSource(EarSource* source) { earSource_ = source; }

    // The picture from the screen memory and border as they stand: 320x256,
    // the border colour around the 256x192 screen, FLASH (ink and paper swap
    // every 16 frames) and BRIGHT (palette 8..15). `out` is sized to 320x256
    // at 32 bits if it is not already.
    void renderScreen(TFastDIB& out) const;

    // The speaker's changes during the last complete frame, in T-state order,
    // and its level when that frame began.
    std::span<const BeeperEdge> lastFrameBeeper() const { return lastEdges_; }
    bool lastFrameStartLevel() const { return lastStartLevel_; }
    // The last complete frame as rate/50 mono samples (the frame taken as
    // 1/50 s), each the mean speaker level over its span: 0 for low,
    // kBeeperAmplitude for high. `out` is replaced.
    void beeperSamples(int rate, std::vector<std::int16_t>& out) const;

    // The CPU's view of memory: ROM below 0x4000 (writes there are ignored,
    // as on the bus), RAM above.
    std::uint8_t peek(std::uint16_t addr) const { return memory_[addr]; }
    void poke(std::uint16_t addr, std::uint8_t v);

    // Writes bytes into RAM from `addr` on; what would fall below 0x4000 or
    // past 0xFFFF is dropped.
    void writeRam(std::uint16_t addr, std::span<const std::uint8_t> bytes);

    Registers registers() const;
    // Sets every register and leaves any HALT; for loaders, traps and tests.
    void setRegisters(const Registers& regs);

    // The machine's whole state, to go back to later (restoreState) and go on
    // exactly as it went on from here. A state stands between two
    // instructions, where the registers say everything: an instruction half
    // done (after a prefix) or the one after an EI is run to its end first,
    // as the machine would have run it anyway. Both are plain copies.
    void takeState(RunState& state);
    void restoreState(const RunState& state);

    // Calls `trap` after each instruction fetched at `pc` (no prefixed
    // instruction); nullptr removes it. The machine does not own the trap.
    void setTrap(std::uint16_t pc, FetchTrap* trap);

    std::uint64_t frameCount() const { return frameCount_; }
    std::uint64_t tstates() const { return tstates_; } // since the last reset or load
    int frameTState() const { return frameT_; }        // T-states into the current frame
    int borderColour() const { return border_; }

private:
    using Cpu = _z80_cpu_context;
    static std::uint8_t memRead(Cpu* cpu, std::uint16_t addr, int m1, void* self);
    static std::uint8_t memReadTrapped(Cpu* cpu, std::uint16_t addr, int m1, void* self);
    static void memWrite(Cpu* cpu, std::uint16_t addr, std::uint8_t v, void* self);
    static std::uint8_t portRead(Cpu* cpu, std::uint16_t port, void* self);
    static void portWrite(Cpu* cpu, std::uint16_t port, std::uint8_t v, void* self);
    static std::uint8_t intRead(Cpu* cpu, void* self);

    std::uint8_t readPort(std::uint16_t port) const;
    void writeUla(std::uint8_t v);
    bool step();
    int haltToFrameEnd();
    void attend(bool boundary);
    void endFrame();
    void restartClock();

    Cpu* cpu_ = nullptr;
    std::array<std::uint8_t, 65536> memory_{};
    std::array<std::uint8_t, kHalfRows> halfRows_{}; // active-low, bits 0-4
    std::uint8_t kempston_ = 0;
    bool earLevel_ = false;
    EarSource* earSource_ = nullptr;
    FetchTrap* trap_ = nullptr;
    std::uint16_t trapPc_ = 0;
    bool trapFetched_ = false;
    int attentionT_ = kFrameTStates; // frame T-state step() calls attend() at

    int border_ = 0;
    bool speaker_ = false;
    int frameT_ = 0;
    bool interruptTaken_ = false;
    bool boundary_ = true; // the last step ended an instruction
    std::uint64_t frameCount_ = 0;
    std::uint64_t tstates_ = 0;

    bool startLevel_ = false; // speaker level when the current frame began
    std::vector<BeeperEdge> edges_;
    bool lastStartLevel_ = false;
    std::vector<BeeperEdge> lastEdges_;
};

} // namespace zq::emu
