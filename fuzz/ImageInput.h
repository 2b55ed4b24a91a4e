#pragma once
// The image part of a fuzz input, in one of two forms (the whole layout is
// described in fuzz/ImageScript.h):
//
// Whole: an input of at least 49179 bytes starts with the game image itself.
//
// Compact: a shorter input starts from a base image and patches it, so that
// a mutation lands on the few bytes that matter and an input costs little to
// copy, hash and store:
//   byte 0        the base, bits 1-0: 0 the sample image, 1 every byte
//                 0x00, 2 every byte 0xFF, 3 a fixed noise image (bits 7-2
//                 are spare)
//   byte 1        the number of patches
//   each patch    offset (16-bit little-endian, taken modulo 49179), then a
//                 length byte n:
//                   n < 128   n bytes follow, copied in from the offset on
//                   n >= 128  a 16-bit count and a byte follow: count copies
//                             of that byte from the offset on
//                 Both stop at the end of the image.
//   the rest      the script
//
// In both forms the sample image's 10 signature bytes then replace whatever
// the image holds there, so that the snapshot checks see a snapshot of the
// game. compactInput() writes an image and a script in the compact form
// when it fits (the seed corpus is written so).

#include "fuzz/SampleImage.h"
#include "fuzz/ScriptInput.h"

#include "image/GameImage.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace zq::fuzz {

enum CompactBase : std::uint8_t { BaseSample, BaseZeros, BaseOnes, BaseNoise };

inline const GameImage& baseImage(std::uint8_t base)
{
    static const GameImage* const images = [] {
        auto* g = new GameImage[3];
        std::ranges::fill(g[1].bytes(), 0xFF);
        std::uint32_t x = 2463534242u; // xorshift32
        for (std::uint8_t& b : g[2].bytes()) {
            x ^= x << 13;
            x ^= x >> 17;
            x ^= x << 5;
            b = std::uint8_t(x >> 24);
        }
        return g;
    }();
    switch (base & 3) {
    case BaseZeros:
        return images[0];
    case BaseOnes:
        return images[1];
    case BaseNoise:
        return images[2];
    default:
        return sampleImage();
    }
}

// Fills `image` from the input (either form) and returns the script.
inline std::span<const std::uint8_t> readImageInput(std::span<const std::uint8_t> input, GameImage& image)
{
    std::span<const std::uint8_t> script;
    if (input.size() >= kImageSize) {
        image.assign(input.first(kImageSize));
        script = input.subspan(kImageSize);
    } else {
        detail::Reader in(input);
        image = baseImage(in.u8());
        const int patches = in.u8();
        const auto bytes = image.bytes();
        for (int p = 0; p < patches && !in.done(); ++p) {
            const std::size_t at = std::size_t(in.u16()) % kImageSize;
            const int n = in.u8();
            const std::size_t room = kImageSize - at;
            if (n < 0x80) {
                const auto given = in.take(std::size_t(n));
                std::copy_n(given.begin(), std::min(given.size(), room), bytes.begin() + std::ptrdiff_t(at));
            } else {
                const std::size_t count = std::size_t(in.u16());
                std::fill_n(bytes.begin() + std::ptrdiff_t(at), std::min(count, room), in.u8());
            }
        }
        script = input.subspan(std::min(in.position(), input.size()));
    }
    const auto signature = sampleImage().view(off::Signature, kSignatureSize);
    std::ranges::copy(signature, image.view(off::Signature, kSignatureSize).begin());
    return script;
}

// The input that gives `image` and `script`: the compact form as patches on
// the sample image when that is shorter than an image, else the whole form.
inline std::vector<std::uint8_t> compactInput(const GameImage& image, std::span<const std::uint8_t> script)
{
    const auto a = sampleImage().bytes();
    const auto b = image.bytes();
    std::vector<std::uint8_t> out = {BaseSample, 0};
    int patches = 0;
    for (std::size_t i = 0; i < kImageSize;) {
        if (a[i] == b[i]) {
            ++i;
            continue;
        }
        // A run of changed bytes; gaps of under four equal bytes cost less
        // inside the run than as a new patch.
        std::size_t end = i + 1;
        for (std::size_t j = end; j < kImageSize && j < end + 4; ++j)
            if (a[j] != b[j])
                end = j + 1;
        std::size_t same = 1;
        while (i + same < end && b[i + same] == b[i])
            ++same;
        const std::size_t length = same >= 8 ? same : std::min<std::size_t>(end - i, 0x7F);
        out.push_back(std::uint8_t(i));
        out.push_back(std::uint8_t(i >> 8));
        if (same >= 8) {
            out.insert(out.end(), {0x80, std::uint8_t(length), std::uint8_t(length >> 8), b[i]});
        } else {
            out.push_back(std::uint8_t(length));
            out.insert(out.end(), b.begin() + std::ptrdiff_t(i), b.begin() + std::ptrdiff_t(i + length));
        }
        ++patches;
        i += length;
    }
    out[1] = std::uint8_t(patches);
    out.insert(out.end(), script.begin(), script.end());
    if (patches > 0xFF || out.size() >= kImageSize) {
        out.assign(b.begin(), b.end());
        out.insert(out.end(), script.begin(), script.end());
    }
    return out;
}

} // namespace zq::fuzz
