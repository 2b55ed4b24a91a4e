#pragma once
// What the malformed-image tests share: byte ranges an operation may touch,
// images with every other byte changed, and a picture that records where
// drawing went.

#include "tests/TestImages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <vector>

namespace zq::test {

// Byte range [first, last) of the image.
struct Range {
    std::size_t first = 0;
    std::size_t last = 0;
    bool contains(std::size_t i) const { return i >= first && i < last; }
};

using Ranges = std::vector<Range>;

inline bool inside(const Ranges& ranges, std::size_t i)
{
    return std::any_of(ranges.begin(), ranges.end(), [i](const Range& r) { return r.contains(i); });
}

inline void put(GameImage& image, std::size_t offset, const std::vector<std::uint8_t>& bytes)
{
    for (std::uint8_t b : bytes)
        image.set(offset++, b);
}

// Copies of the image whose bytes outside `kept` are all zero, all 0xFF,
// complemented, or noise. A decoder that reads only `kept` gives the same
// answer for all of them.
inline std::vector<GameImage> withOtherBytesChanged(const GameImage& image, const Ranges& kept)
{
    std::vector<GameImage> variants(4, image);
    std::mt19937 noise(7);
    for (std::size_t i = 0; i < kImageSize; ++i) {
        if (inside(kept, i))
            continue;
        variants[0].set(i, 0x00);
        variants[1].set(i, 0xFF);
        variants[2].set(i, std::uint8_t(~image.get(i)));
        variants[3].set(i, std::uint8_t(noise()));
    }
    return variants;
}

// Checks that the edit changed nothing outside `allowed`.
inline ::testing::AssertionResult changedOnlyInside(const GameImage& before, const GameImage& after, Ranges allowed)
{
    std::sort(allowed.begin(), allowed.end(), [](const Range& x, const Range& y) { return x.first < y.first; });
    allowed.push_back({kImageSize, kImageSize});
    const std::uint8_t* a = before.bytes().data();
    const std::uint8_t* b = after.bytes().data();
    std::size_t from = 0;
    for (const Range& r : allowed) {
        // The gap [from, r.first) must be untouched.
        if (r.first > from && std::memcmp(a + from, b + from, r.first - from) != 0)
            for (std::size_t i = from; i < r.first; ++i)
                if (a[i] != b[i])
                    return ::testing::AssertionFailure()
                           << "byte " << i << " changed from " << int(a[i]) << " to " << int(b[i]);
        from = std::max(from, r.last);
    }
    return ::testing::AssertionSuccess();
}

struct Picture {
    TFastDIB dib;
    Picture() { fillWithMarker(dib); }
    // Pixels that are no longer the marker.
    std::set<std::pair<int, int>> drawn() const
    {
        std::set<std::pair<int, int>> pixels;
        for (int y = 0; y < kLevelPictureHeight; ++y)
            for (int x = 0; x < kLevelPictureWidth; ++x)
                if (dib.PixelAt(x, y) != kMarker)
                    pixels.insert({x, y});
        return pixels;
    }
};

} // namespace zq::test
