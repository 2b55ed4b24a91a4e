#pragma once
// What tests of every part start from: the game image the program carries,
// and a level-sized picture in a marker colour that no drawing pass uses, so
// that every pixel a pass writes shows against it.

#include "gfx/FastDIB.h"
#include "image/GameImage.h"
#include "render/Renderer.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace zq::test {

inline GameImage defaultImage()
{
    GameImage image;
    if (!image.loadDefault()) {
        std::fputs("the carried game image is missing\n", stderr);
        std::abort();
    }
    return image;
}

inline constexpr std::uint32_t kMarker = 0x123456;

// Sizes `picture` as a level picture (256 x 192) with every pixel the marker.
inline void fillWithMarker(TFastDIB& picture)
{
    picture.SetSize(kLevelPictureWidth, kLevelPictureHeight, 32);
    for (int y = 0; y < kLevelPictureHeight; ++y)
        std::fill_n(picture.Line(y), kLevelPictureWidth, kMarker);
}

} // namespace zq::test
