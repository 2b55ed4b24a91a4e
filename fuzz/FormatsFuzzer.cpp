// libFuzzer target over the formats read through libspectrum and the tape
// load: every input is tried as a .z80, a .szx and a snapshot of any kind,
// as a .tap and a .tzx played into the EAR socket, and as a tape loaded in
// the embedded Spectrum for a few hundred frames (the ROM loader's blocks
// through its trap, but for a share of the inputs).
//
//   CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DZELQUOR_FUZZ=ON
//         -DZELQUOR_BUILD_APP=OFF -DZELQUOR_BUILD_TESTS=OFF   (one line)
//   cmake --build build-fuzz --target zelquor-fuzz-formats
//   ./build-fuzz/fuzz/zelquor-fuzz-formats -max_len=16384 SCRATCH fuzz/corpus-formats
//
// Besides crashes and sanitizer reports it checks that a decoded image has
// 49179 bytes and comes back byte for byte through the .z80 and .szx
// writers, and that a finished load gives a whole image.

#include "emu/Rom.h"
#include "emu/TapeLoader.h"
#include "emu/TapePlayer.h"
#include "files/SnapshotFormats.h"
#include "fuzz/InputShare.h"

#include <cstdio>
#include <cstdlib>
#include <span>
#include <vector>

namespace {

std::vector<std::uint8_t> rom;

void require(bool property, const char* what)
{
    if (!property) {
        std::fprintf(stderr, "broken property: %s\n", what);
        std::abort();
    }
}

void decodeAs(std::span<const std::uint8_t> input, zq::FileKind kind)
{
    const zq::DecodedImage decoded = zq::decodeSnapshot(input, kind);
    if (!decoded.ok())
        return;
    require(decoded.image.size() == zq::kImageSize, "a decoded image has 49179 bytes");
    for (const zq::FileKind out : {zq::FileKind::Z80, zq::FileKind::Szx}) {
        const std::vector<std::uint8_t> file = zq::encodeSnapshot(decoded.image, out);
        require(!file.empty(), "a decoded image can be written");
        require(zq::decodeSnapshot(file, out).image == decoded.image, "an image survives its own writer");
    }
}

// Ten emulated seconds of the tape, sampled every 997 T-states: every edge
// comes due all the same, with fewer calls that find none.
void playAs(std::span<const std::uint8_t> input, zq::FileKind kind)
{
    zq::emu::TapePlayer player;
    if (!player.open(input, kind))
        return;
    player.play(1000);
    for (std::uint64_t t = 0; t < 35000000 && player.playing(); t += 997)
        player.earLevel(t);
}

// One input in kEdgeShare loads with every block on its edges, the ROM's
// loader included, so that the edge path stays fuzzed; the rest take the
// ROM loader's blocks through the trap.
constexpr std::uint32_t kEdgeShare = 16;

// The loads start where LOAD "" left the machine (see loader()): 200 frames
// give the tape about the time 300 from power-on did. Once the tape has
// stopped, a fifth of a second shows what the ROM or the loaded code make of
// it.
zq::emu::TapeLoadLimits limits()
{
    zq::emu::TapeLoadLimits limits;
    limits.frames = 200;
    limits.framesAfterTape = 10;
    limits.bootFrames = 60;
    return limits;
}

// One loader for the whole run, which boots the ROM once: every load starts
// from the machine as LOAD "" left it (booted before the first input, so
// that a reproducer runs as it did in the run that found it).
zq::emu::TapeLoader& loader()
{
    static zq::emu::TapeLoader* booted = [] {
        auto* l = new zq::emu::TapeLoader;
        l->reuseBoot(true);
        const std::uint8_t tap[] = {3, 0, 0xFF, 0x55, 0xAA}; // one short data block
        auto status = l->start(rom, tap, zq::FileKind::Tap, limits());
        while (status == zq::emu::TapeLoader::Status::Running)
            status = l->step(100);
        return l;
    }();
    return *booted;
}

void loadAs(std::span<const std::uint8_t> input, zq::FileKind kind)
{
    zq::emu::TapeLoader& loader = ::loader();
    loader.useRomTrap(!zq::fuzz::inShare(input, kEdgeShare));
    if (loader.start(rom, input, kind, limits()) != zq::emu::TapeLoader::Status::Running)
        return;
    while (loader.step(100) == zq::emu::TapeLoader::Status::Running)
        require(loader.progress() >= 0.0 && loader.progress() <= 1.0, "progress stays in 0..1");
    require(loader.status() != zq::emu::TapeLoader::Status::Done || loader.image().size() == zq::kImageSize,
            "a finished load gives a whole image");
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    rom = zq::emu::readRomFile(zq::emu::kOpenSeRomPath);
    if (rom.empty())
        std::fprintf(stderr, "no ROM at %s: the tape loads are left out\n", zq::emu::kOpenSeRomPath);
    else
        loader();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::span<const std::uint8_t> input(data, size);
    for (const zq::FileKind kind : {zq::FileKind::Z80, zq::FileKind::Szx, zq::FileKind::Unknown})
        decodeAs(input, kind);
    zq::identifyKind("input", input);
    for (const zq::FileKind kind : {zq::FileKind::Tap, zq::FileKind::Tzx}) {
        playAs(input, kind);
        if (!rom.empty())
            loadAs(input, kind);
    }
    return 0;
}
