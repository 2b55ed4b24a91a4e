#pragma once
// Runs one input of the formats fuzzer: a file as it stands, decoded as a
// .z80, as a .szx and as a snapshot of any kind, identified, played as a
// .tap and as a .tzx into the EAR socket, and loaded as a tape in the
// embedded Spectrum for a few hundred frames from LOAD "". Shared by the
// libFuzzer target and by the regression tests, which replay its seeds
// (fuzz/corpus-formats/, where its finds are kept too) through the same code.
//
// Besides "no crash", it checks that a decoded image has 49179 bytes and
// comes back byte for byte through the .z80 and .szx writers, that the
// load's progress stays in 0..1 and that a finished load gives a whole image.
// The first broken property is returned as text.

#include "emu/Rom.h"
#include "emu/TapeLoader.h"
#include "emu/TapePlayer.h"
#include "files/SnapshotFormats.h"
#include "fuzz/InputShare.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace zq::fuzz {

namespace formats {

// One input in kEdgeShare loads with every block on its edges, the ROM's
// loader included, so that the edge path stays fuzzed; the rest take the
// ROM loader's blocks through the trap (emu/RomLoaderTrap.h).
inline constexpr std::uint32_t kEdgeShare = 64;

inline const std::vector<std::uint8_t>& rom()
{
    static const auto* bytes = new std::vector<std::uint8_t>(emu::readRomFile(emu::kOpenSeRomPath));
    return *bytes;
}

// The loads start where LOAD "" left the machine (see loader()). On its
// edges, 200 frames give the tape about the time 300 from power-on did;
// through the trap, the ROM's blocks load in a frame each and 60 frames are
// the first second and more of anything else (a pilot tone alone takes five).
// Once the tape has stopped, a fifth of a second shows what the ROM or the
// loaded code make of it.
inline emu::TapeLoadLimits limits(bool edges = true)
{
    emu::TapeLoadLimits limits;
    limits.frames = edges ? 200 : 60;
    limits.framesAfterTape = 10;
    limits.bootFrames = 60;
    return limits;
}

// One loader for the whole run, which boots the ROM once: every load starts
// from the machine as LOAD "" left it (booted before the first input, so
// that a reproducer runs as it did in the run that found it).
inline emu::TapeLoader& loader()
{
    static emu::TapeLoader* booted = [] {
        auto* l = new emu::TapeLoader;
        l->reuseBoot(true);
        const std::uint8_t tap[] = {3, 0, 0xFF, 0x55, 0xAA}; // one short data block
        auto status = l->start(rom(), tap, FileKind::Tap, limits());
        while (status == emu::TapeLoader::Status::Running)
            status = l->step(100);
        return l;
    }();
    return *booted;
}

inline std::string decodeAs(std::span<const std::uint8_t> input, FileKind kind)
{
    const DecodedImage decoded = decodeSnapshot(input, kind);
    if (!decoded.ok())
        return {};
    if (decoded.image.size() != kImageSize)
        return "a decoded image has 49179 bytes";
    for (const FileKind out : {FileKind::Z80, FileKind::Szx}) {
        const std::vector<std::uint8_t> file = encodeSnapshot(decoded.image, out);
        if (file.empty())
            return "a decoded image can be written";
        if (decodeSnapshot(file, out).image != decoded.image)
            return "an image survives its own writer";
    }
    return {};
}

// Ten emulated seconds of the tape, sampled every 9973 T-states (seven times
// a frame): every edge comes due all the same, with fewer calls that find
// none.
inline void playAs(std::span<const std::uint8_t> input, FileKind kind)
{
    emu::TapePlayer player;
    if (!player.open(input, kind))
        return;
    player.play(1000);
    for (std::uint64_t t = 0; t < 35000000 && player.playing(); t += 9973)
        player.earLevel(t);
}

inline std::string loadAs(std::span<const std::uint8_t> input, FileKind kind)
{
    emu::TapeLoader& loader = formats::loader();
    const bool edges = inShare(input, kEdgeShare);
    loader.useRomTrap(!edges);
    if (loader.start(rom(), input, kind, limits(edges)) != emu::TapeLoader::Status::Running)
        return {};
    while (loader.step(100) == emu::TapeLoader::Status::Running)
        if (loader.progress() < 0.0 || loader.progress() > 1.0)
            return "progress stays in 0..1";
    if (loader.status() == emu::TapeLoader::Status::Done && loader.image().size() != kImageSize)
        return "a finished load gives a whole image";
    return {};
}

} // namespace formats

// Runs one input; returns an empty string, or the first property broken. The
// tape loads are left out without the OpenSE ROM.
inline std::string runFormatsInput(std::span<const std::uint8_t> input)
{
    std::string broken;
    for (const FileKind kind : {FileKind::Z80, FileKind::Szx})
        if (broken.empty())
            broken = formats::decodeAs(input, kind);
    // Of any kind: what the contents say, unless that was decoded just now.
    const FileKind identified = identifyKind("input", input);
    if (broken.empty() && identified != FileKind::Z80 && identified != FileKind::Szx)
        broken = formats::decodeAs(input, FileKind::Unknown);
    for (const FileKind kind : {FileKind::Tap, FileKind::Tzx}) {
        formats::playAs(input, kind);
        if (broken.empty() && !formats::rom().empty())
            broken = formats::loadAs(input, kind);
    }
    return broken;
}

} // namespace zq::fuzz
