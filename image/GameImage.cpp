#include "image/GameImage.h"

#include "data/Resources.h"

#include <algorithm>
#include <vector>

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

namespace {

std::vector<std::uint8_t>& userDefault()
{
    static std::vector<std::uint8_t> image;
    return image;
}

} // namespace

bool setDefaultImage(std::span<const std::uint8_t> image)
{
    if (image.size() != kImageSize)
        return false;
    userDefault().assign(image.begin(), image.end());
    return true;
}

void clearDefaultImage()
{
    userDefault().clear();
}

bool hasUserDefaultImage()
{
    return !userDefault().empty();
}

bool GameImage::loadDefault()
{
    if (hasUserDefaultImage()) {
        assign(userDefault());
        return true;
    }
    const auto snap = data::find("Snap");
    if (snap.empty())
        return false;
    assign(snap);
    return true;
}

} // namespace zq
