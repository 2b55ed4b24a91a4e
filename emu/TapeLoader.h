#pragma once
// Loading a tape of the game in the embedded Spectrum, the way a user would:
// power on, let the ROM start, type LOAD "" and play the tape, flat out. The
// ROM's loader reads the standard blocks through a trap, in a few frames
// (emu/RomLoaderTrap.h); anything else (turbo blocks, a loader the tape
// brings) plays on the tape's edges. The load is done when the program
// counter reaches the game's entry at 0xF5BC; the machine state there
// becomes the game image (a 48K .sna, files/MachineImage.h).
//
// It runs in slices so that a window can show progress and offer Cancel:
//
//   TapeLoader loader;
//   auto status = loader.start(rom, tapeBytes, FileKind::Tap);
//   while (status == TapeLoader::Status::Running)
//       status = loader.step(500);        // update a progress bar, poll Cancel
//   if (status == TapeLoader::Status::Done) use(loader.image());
//   else report(loader.message());
//
// LOAD "" goes in by key codes placed in LAST_K (23560) with bit 5 of FLAGS
// (23611) set, one after the ROM has taken the one before: the LOAD token,
// two quotes, ENTER. That works with ROMs without single-key keywords
// (OpenSE BASIC) as well as with the original one. The tape starts with the
// ENTER.
//
// It fails when the ROM is not 16384 bytes, at once when libspectrum cannot
// read the tape, when the ROM leaves a key code untaken for 390 frames (it
// never reads the keyboard: within 10 emulated seconds of the start), after
// 45000 frames (15 emulated minutes) without reaching the entry, and 1500
// frames (30 s) after the tape has stopped without reaching it (a tape of
// another program).

#include "emu/Machine48.h"
#include "emu/RomLoaderTrap.h"
#include "emu/TapePlayer.h"
#include "files/FileKind.h"
#include "image/MemoryMap.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace zq::emu {

inline constexpr std::uint16_t kGameEntry = addr::Signature; // 0xF5BC

struct TapeLoadLimits {
    int frames = 45000;         // in all
    int framesAfterTape = 1500; // once the tape has stopped
    int bootFrames = 100;       // before the first key code
    int keyWaitFrames = 390;    // for the ROM to take a key code
};

class TapeLoader {
public:
    enum class Status { Idle, Running, Done, Failed };

    TapeLoader();
    ~TapeLoader();
    TapeLoader(const TapeLoader&) = delete;
    TapeLoader& operator=(const TapeLoader&) = delete;

    // Resets the machine with `rom` and reads the tape (`kind` as for
    // TapePlayer::open). Running, or Failed with message() set.
    Status start(std::span<const std::uint8_t> rom, std::span<const std::uint8_t> tape, FileKind kind,
                 TapeLoadLimits limits = {});

    // Runs up to `frames` more frames; stops early when done or failed.
    Status step(int frames);

    // With false, the next start() plays every block on its edges, the ROM's
    // loader included (the way the trap is checked against).
    void useRomTrap(bool on) { romTrap_ = on; }
    // With true, a start() with the ROM of the load before skips the boot and
    // the typing: the machine resumes as that load's stood when its tape
    // started (RAM and registers; the frame's phase restarts), which no tape
    // can have changed yet. For the fuzzer's many short loads.
    void reuseBoot(bool on) { reuseBoot_ = on; }

    // Blocks the ROM's loader took through the trap since start().
    int blocksTrapped() const { return trap_ ? trap_->blocksServed() : 0; }

    Status status() const { return status_; }
    // 0..1: how much of the tape has played (1 once it has stopped or the
    // load is done).
    double progress() const;
    // The 49179-byte game image once Done, else empty.
    const std::vector<std::uint8_t>& image() const { return image_; }
    const std::string& message() const { return message_; }
    // Frames run since start().
    std::uint64_t frames() const { return machine_->frameCount(); }
    // The machine, to show its screen while it loads.
    const Machine48& machine() const { return *machine_; }

private:
    Status fail(std::string message);
    void typeNextKey();
    void startTape();
    Status runOneFrame();

    std::unique_ptr<Machine48> machine_;
    TapePlayer player_;
    std::unique_ptr<RomLoaderTrap> trap_;
    bool romTrap_ = true;
    bool reuseBoot_ = false;
    std::vector<std::uint8_t> rom_;        // of the last start(), while reuseBoot_
    std::unique_ptr<MachineState> booted_; // as its tape started
    TapeLoadLimits limits_;
    Status status_ = Status::Idle;
    std::string message_;
    std::vector<std::uint8_t> image_;
    std::size_t keysTyped_ = 0;
    std::uint64_t lastKeyFrame_ = 0;
    bool keyPending_ = false; // the last key code typed is not taken yet
    std::uint64_t tapeStart_ = 0;   // T-state the tape started at
    std::uint64_t tapeStopped_ = 0; // frame it was first seen stopped, or 0
};

} // namespace zq::emu
