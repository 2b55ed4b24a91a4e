#include "files/Png.h"

#include <png.h>

#include <array>
#include <cstring>

namespace zq {

namespace {

// The picture's colours in order of first use, with a small open-addressed
// table from colour to palette index.
class Palette {
public:
    static constexpr int kMaxColours = 256;

    // The index of `colour`, added if new; -1 once a palette cannot hold it.
    int indexOf(std::uint32_t colour)
    {
        for (std::uint32_t h = (colour * 0x9E3779B1u) >> (32 - kSlotBits);; h = (h + 1) & (kSlots - 1)) {
            Slot& s = slots_[h];
            if (s.index >= 0 && s.colour == colour)
                return s.index;
            if (s.index < 0) {
                if (count_ == kMaxColours)
                    return -1;
                s = Slot{colour, count_};
                colours_[std::size_t(count_)] = colour;
                return count_++;
            }
        }
    }
    int count() const { return count_; }
    std::uint32_t colour(int index) const { return colours_[std::size_t(index)]; }

private:
    static constexpr int kSlotBits = 10; // four slots for each colour at most
    static constexpr std::uint32_t kSlots = 1u << kSlotBits;
    struct Slot {
        std::uint32_t colour = 0;
        int index = -1;
    };
    std::array<Slot, kSlots> slots_{};
    std::array<std::uint32_t, kMaxColours> colours_{};
    int count_ = 0;
};

// What libpng is given: the rows top line first, in the IHDR's layout.
struct Encoding {
    int width = 0;
    int height = 0;
    int bitDepth = 8;
    int colourType = PNG_COLOR_TYPE_RGB;
    std::size_t rowBytes = 0;
    std::vector<std::uint8_t> rows;
    std::vector<png_color> palette;
};

// Palette indices at one byte per pixel, top line first. A line equal to the
// one above it (every second line of a doubled picture) is copied, and a
// colour is looked up only where it changes. False past 256 colours.
bool indexPixels(const TFastDIB& picture, Palette& palette, std::vector<std::uint8_t>& indices)
{
    const std::size_t width = std::size_t(picture.Width());
    indices.resize(width * std::size_t(picture.Height()));
    for (int y = 0; y < picture.Height(); ++y) {
        const std::uint32_t* line = picture.Line(y);
        std::uint8_t* out = indices.data() + width * std::size_t(y);
        if (y > 0 && std::memcmp(line, picture.Line(y - 1), width * sizeof *line) == 0) {
            std::memcpy(out, out - width, width);
            continue;
        }
        std::uint32_t previous = ~line[0];
        int index = 0;
        for (std::size_t x = 0; x < width; ++x) {
            const std::uint32_t colour = line[x] & 0xFFFFFFu;
            if (colour != previous) {
                index = palette.indexOf(colour);
                if (index < 0)
                    return false;
                previous = colour;
            }
            out[x] = std::uint8_t(index);
        }
    }
    return true;
}

// Packs one row of indices at `bitDepth` bits per pixel, leftmost pixel in
// the high bits, the last byte padded with zero bits.
void packRow(const std::uint8_t* indices, std::size_t width, int bitDepth, std::uint8_t* out)
{
    if (bitDepth == 8) {
        std::memcpy(out, indices, width);
        return;
    }
    const std::size_t perByte = std::size_t(8 / bitDepth);
    for (std::size_t x = 0; x < width; x += perByte) {
        unsigned byte = 0;
        for (std::size_t k = 0; k < perByte; ++k)
            byte = byte << bitDepth | (x + k < width ? indices[x + k] : 0u);
        *out++ = std::uint8_t(byte);
    }
}

bool paletteEncoding(const TFastDIB& picture, Encoding& e)
{
    Palette palette;
    std::vector<std::uint8_t> indices;
    if (!indexPixels(picture, palette, indices))
        return false;
    const int n = palette.count();
    e.colourType = PNG_COLOR_TYPE_PALETTE;
    e.bitDepth = n <= 2 ? 1 : n <= 4 ? 2 : n <= 16 ? 4 : 8;
    for (int i = 0; i < n; ++i) {
        const std::uint32_t c = palette.colour(i);
        e.palette.push_back(png_color{png_byte(c >> 16), png_byte(c >> 8), png_byte(c)});
    }
    const std::size_t width = std::size_t(e.width);
    e.rowBytes = (width * std::size_t(e.bitDepth) + 7) / 8;
    e.rows.resize(e.rowBytes * std::size_t(e.height));
    for (std::size_t y = 0; y < std::size_t(e.height); ++y) {
        std::uint8_t* out = e.rows.data() + e.rowBytes * y;
        const std::uint8_t* in = indices.data() + width * y;
        if (y > 0 && std::memcmp(in, in - width, width) == 0)
            std::memcpy(out, out - e.rowBytes, e.rowBytes);
        else
            packRow(in, width, e.bitDepth, out);
    }
    return true;
}

void rgbEncoding(const TFastDIB& picture, Encoding& e)
{
    e.colourType = PNG_COLOR_TYPE_RGB;
    e.bitDepth = 8;
    e.rowBytes = 3 * std::size_t(e.width);
    e.rows.resize(e.rowBytes * std::size_t(e.height));
    std::uint8_t* out = e.rows.data();
    for (int y = 0; y < e.height; ++y) {
        const std::uint32_t* line = picture.Line(y);
        for (int x = 0; x < e.width; ++x) {
            *out++ = std::uint8_t(line[x] >> 16);
            *out++ = std::uint8_t(line[x] >> 8);
            *out++ = std::uint8_t(line[x]);
        }
    }
}

void appendBytes(png_structp png, png_bytep data, png_size_t length)
{
    auto* out = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

void flushNothing(png_structp) {}

// libpng reports errors by a long jump back here; nothing between the
// setjmp and libpng's calls owns memory of its own.
bool writePng(const Encoding& e, png_bytepp rows, std::vector<std::uint8_t>& out)
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, &out, appendBytes, flushNothing);
    png_set_IHDR(png, info, png_uint_32(e.width), png_uint_32(e.height), e.bitDepth, e.colourType,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (!e.palette.empty())
        png_set_PLTE(png, info, e.palette.data(), int(e.palette.size()));
    // The indices are the palette's own: no need to check each one.
    png_set_check_for_invalid_index(png, 0);
    png_set_rows(png, info, rows);
    png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

} // namespace

std::vector<std::uint8_t> encodePng(const TFastDIB& picture)
{
    if (picture.Empty())
        return {};
    Encoding e;
    e.width = picture.Width();
    e.height = picture.Height();
    if (!paletteEncoding(picture, e))
        rgbEncoding(picture, e);
    std::vector<png_bytep> rows(std::size_t(e.height));
    for (std::size_t y = 0; y < rows.size(); ++y)
        rows[y] = e.rows.data() + e.rowBytes * y;
    std::vector<std::uint8_t> out;
    out.reserve(16 * 1024);
    if (!writePng(e, rows.data(), out))
        return {};
    return out;
}

} // namespace zq
