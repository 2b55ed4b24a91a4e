#pragma once
// Reads the tool's PNG files back for the tests through libpng's reader,
// which checks the signature, every chunk CRC and the zlib stream, and takes
// any colour type, bit depth and filter. The header's colour type and bit
// depth are kept so that tests can tell how a picture was stored.

#include <png.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace zq::test {

struct PngPicture {
    int width = 0;
    int height = 0;
    int bitDepth = 0;
    int colourType = -1; // PNG_COLOR_TYPE_*
    std::vector<std::uint32_t> pixels; // 0x00RRGGBB, row by row from the top

    std::uint32_t at(int x, int y) const { return pixels[std::size_t(y) * std::size_t(width) + std::size_t(x)]; }
};

// Returns an empty string and fills `picture`, or libpng's reason for
// refusing the file.
inline std::string readPng(const std::vector<std::uint8_t>& file, PngPicture& picture)
{
    // The first chunk must be IHDR: width, height, bit depth, colour type.
    static const std::uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (file.size() < 33 || !std::equal(signature, signature + 8, file.begin()) ||
        std::string(reinterpret_cast<const char*>(&file[12]), 4) != "IHDR")
        return "no PNG signature and IHDR";
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, file.data(), file.size()))
        return image.message;
    image.format = PNG_FORMAT_RGB;
    std::vector<std::uint8_t> rgb(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr))
        return image.message;
    picture.width = int(image.width);
    picture.height = int(image.height);
    picture.bitDepth = file[24];
    picture.colourType = file[25];
    picture.pixels.resize(rgb.size() / 3);
    for (std::size_t i = 0; i < picture.pixels.size(); ++i)
        picture.pixels[i] = std::uint32_t(rgb[3 * i]) << 16 | std::uint32_t(rgb[3 * i + 1]) << 8 | rgb[3 * i + 2];
    return {};
}

} // namespace zq::test
