#pragma once
// The operations of a fuzz script on files: the 48K, 128K and tape writers,
// with the checks of what they write, and the opening of a snapshot.

#include "fuzz/ScriptSession.h"

#include "files/Snapshot.h"
#include "files/Tape.h"
#include "image/GameImage.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <utility>
#include <vector>

namespace zq::fuzz::detail {

// True when every byte from `at` on is zero (one comparison, however long).
inline bool zeroFrom(std::span<const std::uint8_t> bytes, std::size_t at)
{
    static const std::vector<std::uint8_t> zeros(kSnapshot128Size, 0);
    return at <= bytes.size() && bytes.size() - at <= zeros.size() &&
           std::memcmp(bytes.data() + at, zeros.data(), bytes.size() - at) == 0;
}

// The file an operation writes: 128K files are past the size the sanitizer
// allocator keeps pooled, so a fresh one each time would be mapped, faulted
// in and unmapped again for every input.
inline std::vector<std::uint8_t>& fileBuffer()
{
    static auto* file = new std::vector<std::uint8_t>;
    return *file;
}

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
    if (!firstFileOp(FileOp::Write))
        return;
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
        std::vector<std::uint8_t>& file = fileBuffer();
        export128(image_, file);
        expectWritesWithin(before, {{off::RomSwap, kRomSwapSize}}, "128K export");
        if (file.size() != kSnapshot128Size ||
            !std::ranges::equal(std::span(file).first(kImageSize), image_.bytes()) ||
            !std::ranges::equal(image_.view(off::RomSwap, kRomSwapSize), kRomSwapRoutine) ||
            file[kImageSize] != 0x00 || file[kImageSize + 1] != 0x5B || !zeroFrom(file, kImageSize + 2))
            fail("128K export malformed");
        if (checkSnapshot(file.size(), file, image_) != OpenCheck::Ok)
            fail("own 128K export refused");
        break;
    }
    default: {
        const auto tape = buildTape(image_, loadingScreen());
        if (tape.size() != kTapeSize || !validTapeBlocks(tape))
            fail("tape malformed");
        break;
    }
    }
}

inline void Session::openOp(Reader& in)
{
    const int kind = in.u8() % 4;
    const std::size_t length = kind == 2 ? std::size_t(in.u16()) * 4 : 0;
    std::array<std::pair<std::size_t, std::uint8_t>, 7> patches{};
    const std::size_t count = in.u8() % 8;
    for (std::size_t i = 0; i < count; ++i) {
        const int where = in.u16();
        // Half of the patches land on the signature.
        patches[i] = {(where & 1) ? off::Signature + std::size_t(where >> 1) % kSignatureSize
                                  : std::size_t(where) * 3 % kSnapshot128Size,
                      in.u8()};
    }
    if (!firstFileOp(FileOp::Open))
        return;
    std::vector<std::uint8_t>& file = fileBuffer();
    if (kind == 1)
        save128(image_, file);
    else
        file.assign(image_.bytes().begin(), image_.bytes().end());
    if (kind == 2)
        file.resize(length, 0x00);
    const std::uint64_t claimed = kind == 3 ? kSnapshot128Size : file.size();
    for (const auto& [at, value] : std::span(patches).first(count))
        if (at < file.size())
            file[at] = value;
    loadingScreen(); // from the image as it was before any open
    const OpenCheck check = checkSnapshot(claimed, file, image_);
    const bool sizeOk = acceptedSnapshotSize(claimed) && claimed == file.size();
    if ((check == OpenCheck::WrongSize) == sizeOk)
        fail("snapshot size check");
    if (check == OpenCheck::Ok) {
        leaveLevel();
        if (!openSnapshot(image_, file) || !std::ranges::equal(image_.bytes(), std::span(file).first(kImageSize)))
            fail("accepted snapshot not taken byte for byte");
        showLevel(0);
    } else {
        GameImage scratch = image_;
        if (openSnapshot(scratch, file) != acceptedSnapshotSize(file.size()))
            fail("open took a file of the wrong size");
    }
}

} // namespace zq::fuzz::detail
