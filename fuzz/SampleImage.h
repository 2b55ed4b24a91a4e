#pragma once
// The sample game image, loaded once for the whole run: the game the fuzzers
// start from.

#include "image/GameImage.h"

namespace zq::fuzz {

inline const GameImage& sampleImage()
{
    static const GameImage* image = [] {
        auto* g = new GameImage;
        g->loadDefault();
        return g;
    }();
    return *image;
}

} // namespace zq::fuzz
