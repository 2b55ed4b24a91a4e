#include "image/GameImage.h"

#include "data/Resources.h"

#include <algorithm>

namespace zq {

std::span<const std::uint8_t> GameImage::view(std::size_t offset, std::size_t length) const
{
    if (offset >= kImageSize)
        return {};
    return std::span<const std::uint8_t>(bytes_).subspan(offset, std::min(length, kImageSize - offset));
}

std::span<std::uint8_t> GameImage::view(std::size_t offset, std::size_t length)
{
    if (offset >= kImageSize)
        return {};
    return std::span<std::uint8_t>(bytes_).subspan(offset, std::min(length, kImageSize - offset));
}

void GameImage::assign(std::span<const std::uint8_t> source)
{
    const std::size_t n = std::min(source.size(), kImageSize);
    std::copy_n(source.begin(), n, bytes_.begin());
}

bool GameImage::loadDefault()
{
    const auto snap = data::find("Snap");
    if (snap.empty())
        return false;
    assign(snap);
    return true;
}

} // namespace zq
