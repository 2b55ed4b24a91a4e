#pragma once
// The operations of a fuzz script on files: the 48K, 128K and tape writers,
// with the checks of what they write, and the opening of a snapshot.

#include "fuzz/ScriptSession.h"

#include "files/Snapshot.h"
#include "files/Tape.h"
#include "image/GameImage.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace zq::fuzz::detail {

inline bool Session::validTapeBlocks(std::span<const std::uint8_t> tape)
{
    std::size_t at = 0;
    int blocks = 0;
    while (at + 2 <= tape.size()) {
        const std::size_t n = tape[at] | std::size_t(tape[at + 1]) << 8;
        at += 2;
        if (n < 2 || at + n > tape.size() || xorOf(tape.subspan(at, n)) != 0)
            return false;
        at += n;
        ++blocks;
    }
    return at == tape.size() && blocks == 6;
}

inline void Session::writeFiles(int which, const GameImage& before)
{
    switch (which) {
    case 0: {
        const auto file = save48(image_);
        if (!std::ranges::equal(file, image_.bytes()))
            fail("48K save differs from the image");
        if (checkSnapshot(file.size(), file, image_) != OpenCheck::Ok)
            fail("own 48K save refused");
        break;
    }
    case 1: {
        const auto file = export128(image_);
        expectWritesWithin(before, {{off::RomSwap, kRomSwapSize}}, "128K export");
        if (file.size() != kSnapshot128Size ||
            !std::ranges::equal(std::span(file).first(kImageSize), image_.bytes()) ||
            !std::ranges::equal(image_.view(off::RomSwap, kRomSwapSize), kRomSwapRoutine) ||
            file[kImageSize] != 0x00 || file[kImageSize + 1] != 0x5B ||
            std::any_of(file.begin() + std::ptrdiff_t(kImageSize + 2), file.end(), [](auto b) { return b != 0; }))
            fail("128K export malformed");
        if (checkSnapshot(file.size(), file, image_) != OpenCheck::Ok)
            fail("own 128K export refused");
        break;
    }
    default: {
        const auto tape = buildTape(image_, loadingScreen_);
        if (tape.size() != kTapeSize || !validTapeBlocks(tape))
            fail("tape malformed");
        break;
    }
    }
}

inline void Session::openOp(Reader& in)
{
    const int kind = in.u8() % 4;
    std::vector<std::uint8_t> file;
    std::uint64_t claimed = 0;
    switch (kind) {
    case 0:
        file = save48(image_);
        break;
    case 1:
        file = save128(image_);
        break;
    case 2:
        file = save48(image_);
        file.resize(std::size_t(in.u16()) * 4, 0x00);
        break;
    default:
        file = save48(image_);
        break;
    }
    claimed = kind == 3 ? kSnapshot128Size : file.size();
    const int patches = in.u8() % 8;
    for (int i = 0; i < patches; ++i) {
        const int where = in.u16();
        const std::uint8_t value = in.u8();
        // Half of the patches land on the signature.
        const std::size_t at = (where & 1) ? off::Signature + std::size_t(where >> 1) % kSignatureSize
                                           : std::size_t(where) * 3 % kSnapshot128Size;
        if (at < file.size())
            file[at] = value;
    }
    const OpenCheck check = checkSnapshot(claimed, file, image_);
    const bool sizeOk = acceptedSnapshotSize(claimed) && claimed == file.size();
    if ((check == OpenCheck::WrongSize) == sizeOk)
        fail("snapshot size check");
    if (check == OpenCheck::Ok) {
        if (!openSnapshot(image_, file) || !std::ranges::equal(image_.bytes(), std::span(file).first(kImageSize)))
            fail("accepted snapshot not taken byte for byte");
        levelIndex_ = 0;
        refresh(7);
    } else {
        GameImage scratch = image_;
        if (openSnapshot(scratch, file) != acceptedSnapshotSize(file.size()))
            fail("open took a file of the wrong size");
    }
}

} // namespace zq::fuzz::detail
