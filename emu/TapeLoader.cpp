#include "emu/TapeLoader.h"

#include "emu/Capture.h"

#include <algorithm>
#include <array>

namespace zq::emu {

namespace {

constexpr std::uint16_t kLastK = 23560;
constexpr std::uint16_t kFlags = 23611;
constexpr std::uint8_t kNewKey = 0x20; // FLAGS bit 5: a key code waits in LAST_K
constexpr std::array<std::uint8_t, 4> kLoadKeys = {0xEF, '"', '"', 0x0D}; // LOAD "" ENTER
constexpr int kKeyGapFrames = 6;

} // namespace

TapeLoader::TapeLoader() : machine_(std::make_unique<Machine48>()) {}
TapeLoader::~TapeLoader() = default;

TapeLoader::Status TapeLoader::fail(std::string message)
{
    message_ = std::move(message);
    status_ = Status::Failed;
    return status_;
}

TapeLoader::Status TapeLoader::start(std::span<const std::uint8_t> rom, std::span<const std::uint8_t> tape,
                                     FileKind kind, TapeLoadLimits limits)
{
    limits_ = limits;
    image_.clear();
    keysTyped_ = 0;
    keyPending_ = false;
    lastKeyFrame_ = 0;
    tapeStart_ = tapeStopped_ = 0;
    machine_->setEarSource(nullptr);
    if (!machine_->loadRom(rom))
        return fail("the ROM must be 16384 bytes");
    if (!player_.open(tape, kind))
        return fail(player_.message());
    machine_->releaseAllKeys();
    machine_->setKempston(0);
    machine_->reset();
    machine_->setEarSource(&player_);
    const bool sameRom = std::ranges::equal(rom, rom_);
    if (!reuseBoot_ || !sameRom)
        booted_.reset();
    if (reuseBoot_ && !sameRom)
        rom_.assign(rom.begin(), rom.end());
    if (booted_) {
        machine_->writeRam(0x4000, booted_->ram);
        machine_->setRegisters(booted_->cpu);
        keysTyped_ = kLoadKeys.size();
        startTape();
    }
    trap_ = std::make_unique<RomLoaderTrap>(player_);
    if (romTrap_ && RomLoaderTrap::servesRom(rom))
        trap_->attach(*machine_);
    else
        RomLoaderTrap::detach(*machine_);
    message_.clear();
    status_ = Status::Running;
    return status_;
}

// The next key code of LOAD "", once the ROM has taken the last one. The
// tape starts with the ENTER.
void TapeLoader::typeNextKey()
{
    const std::uint64_t frame = machine_->frameCount();
    if (keysTyped_ >= kLoadKeys.size() || frame < std::uint64_t(limits_.bootFrames) ||
        frame < lastKeyFrame_ + kKeyGapFrames || (machine_->peek(kFlags) & kNewKey))
        return;
    machine_->poke(kLastK, kLoadKeys[keysTyped_]);
    machine_->poke(kFlags, std::uint8_t(machine_->peek(kFlags) | kNewKey));
    lastKeyFrame_ = frame;
    keyPending_ = true;
    if (++keysTyped_ == kLoadKeys.size()) {
        if (reuseBoot_)
            booted_ = std::make_unique<MachineState>(machineState(*machine_));
        startTape();
    }
}

void TapeLoader::startTape()
{
    tapeStart_ = machine_->tstates();
    player_.play(tapeStart_);
}

TapeLoader::Status TapeLoader::runOneFrame()
{
    typeNextKey();
    const std::uint64_t frame = machine_->frameCount();
    if (machine_->runUntilPc(kGameEntry, std::uint64_t(kFrameTStates - machine_->frameTState()))) {
        const auto image = captureImage(*machine_);
        image_.assign(image.begin(), image.end());
        status_ = Status::Done;
        return status_;
    }
    // Once taken, a key is not watched again: what the loaded program does
    // with FLAGS is its own business.
    if (keyPending_ && !(machine_->peek(kFlags) & kNewKey))
        keyPending_ = false;
    if (keyPending_ && frame >= lastKeyFrame_ + std::uint64_t(limits_.keyWaitFrames))
        return fail("the ROM did not read the keyboard");
    if (keysTyped_ == kLoadKeys.size() && !player_.playing() && tapeStopped_ == 0)
        tapeStopped_ = frame;
    if (tapeStopped_ != 0 && frame >= tapeStopped_ + std::uint64_t(limits_.framesAfterTape))
        return fail("the tape stopped and the game did not start");
    if (frame >= std::uint64_t(limits_.frames))
        return fail("the game did not start within " + std::to_string(limits_.frames / 50) + " emulated seconds");
    return status_;
}

TapeLoader::Status TapeLoader::step(int frames)
{
    for (int i = 0; i < frames && status_ == Status::Running; ++i)
        runOneFrame();
    return status_;
}

double TapeLoader::progress() const
{
    if (status_ == Status::Done || tapeStopped_ != 0)
        return 1.0;
    if (keysTyped_ < kLoadKeys.size() || player_.length() == 0)
        return 0.0;
    return std::min(1.0, double(player_.played(machine_->tstates())) / double(player_.length()));
}

} // namespace zq::emu
