#include "files/Screen.h"

#include <algorithm>

namespace zq {

bool importScreen(std::span<const std::uint8_t> scr, LoadingScreen& loadingScreen, GameImage& image)
{
    if (!loadingScreen.assign(scr))
        return false;
    std::ranges::copy(scr, image.view(off::Screen, kScreenSize).begin());
    return true;
}

} // namespace zq
