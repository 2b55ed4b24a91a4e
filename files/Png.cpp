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

// How the rows are stored: the palette (empty for RGB) and the IHDR's
// layout.
struct Layout {
    int bitDepth = 8;
    int colourType = PNG_COLOR_TYPE_RGB;
    std::size_t rowBytes = 0;
    std::vector<png_color> colours;
};

bool sameAsLineAbove(const TFastDIB& picture, int y)
{
    return y > 0 && std::memcmp(picture.Line(y), picture.Line(y - 1), std::size_t(picture.Width()) * 4) == 0;
}

// Line y of the picture as stored: each pixel `scale` times across and down.
bool sameAsStoredLineAbove(const TFastDIB& picture, int scale, int y)
{
    return y > 0 && (y % scale != 0 || sameAsLineAbove(picture, y / scale));
}

// The picture's palette, or RGB when it has more than 256 colours. Only the
// lines that differ from the one above are looked at, and a colour only
// where it changes along the line.
Layout layoutOf(const TFastDIB& picture, int scale, Palette& palette)
{
    Layout l;
    const std::size_t width = std::size_t(picture.Width()) * std::size_t(scale);
    for (int y = 0; y < picture.Height(); ++y) {
        if (sameAsLineAbove(picture, y))
            continue;
        const std::uint32_t* line = picture.Line(y);
        std::uint32_t previous = ~line[0];
        for (std::size_t x = 0; x < std::size_t(picture.Width()); ++x)
            if ((line[x] & 0xFFFFFFu) != previous) {
                previous = line[x] & 0xFFFFFFu;
                if (palette.indexOf(previous) < 0) {
                    l.rowBytes = 3 * width;
                    return l;
                }
            }
    }
    const int n = palette.count();
    l.colourType = PNG_COLOR_TYPE_PALETTE;
    l.bitDepth = n <= 2 ? 1 : n <= 4 ? 2 : n <= 16 ? 4 : 8;
    l.rowBytes = (width * std::size_t(l.bitDepth) + 7) / 8;
    for (int i = 0; i < n; ++i) {
        const std::uint32_t c = palette.colour(i);
        l.colours.push_back(png_color{png_byte(c >> 16), png_byte(c >> 8), png_byte(c)});
    }
    return l;
}

// One line as the IHDR says: palette indices packed leftmost pixel in the
// high bits (the last byte padded with zero bits), or R, G, B bytes.
// `width` counts stored pixels: pixel x is line[x / scale].
void packLine(const std::uint32_t* line, std::size_t width, std::size_t scale, const Layout& l, Palette& palette,
              std::uint8_t* out)
{
    if (l.colourType == PNG_COLOR_TYPE_RGB) {
        for (std::size_t x = 0; x < width; ++x) {
            const std::uint32_t c = line[x / scale];
            *out++ = std::uint8_t(c >> 16);
            *out++ = std::uint8_t(c >> 8);
            *out++ = std::uint8_t(c);
        }
        return;
    }
    const unsigned depth = unsigned(l.bitDepth);
    const std::size_t perByte = 8 / depth;
    std::uint32_t previous = ~line[0];
    unsigned index = 0;
    for (std::size_t x = 0; x < width; x += perByte) {
        unsigned byte = 0;
        for (std::size_t k = 0; k < perByte; ++k) {
            if (x + k < width && (line[(x + k) / scale] & 0xFFFFFFu) != previous) {
                previous = line[(x + k) / scale] & 0xFFFFFFu;
                index = unsigned(palette.indexOf(previous));
            }
            byte = byte << depth | (x + k < width ? index : 0u);
        }
        *out++ = std::uint8_t(byte);
    }
}

void appendBytes(png_structp png, png_bytep data, png_size_t length)
{
    auto* out = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

void flushNothing(png_structp) {}

// libpng reports errors by a long jump back here; everything that owns
// memory is made before the setjmp. A line equal to the one above is written
// again from the same packed row. The Up filter turns those lines into
// zeros, which zlib's fastest level stores in a few bytes; a 4 KB window
// still reaches the line above, and the small state keeps the encoder from
// touching a quarter of a megabyte of fresh memory for every picture.
bool writePng(const TFastDIB& picture, int scale, const Layout& l, Palette& palette, std::vector<std::uint8_t>& out)
{
    const int width = picture.Width() * scale, height = picture.Height() * scale;
    std::vector<std::uint8_t> row(l.rowBytes);
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
    png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), l.bitDepth, l.colourType,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (!l.colours.empty())
        png_set_PLTE(png, info, l.colours.data(), int(l.colours.size()));
    png_set_check_for_invalid_index(png, 0); // the indices are the palette's own
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_UP);
    png_set_compression_level(png, 1);
    png_set_compression_window_bits(png, 12);
    png_set_compression_mem_level(png, 5);
    png_write_info(png, info);
    for (int y = 0; y < height; ++y) {
        if (!sameAsStoredLineAbove(picture, scale, y))
            packLine(picture.Line(y / scale), std::size_t(width), std::size_t(scale), l, palette, row.data());
        png_write_row(png, row.data());
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

} // namespace

std::vector<std::uint8_t> encodePng(const TFastDIB& picture, int scale)
{
    if (picture.Empty() || scale < 1 || scale > 16)
        return {};
    Palette palette;
    const Layout layout = layoutOf(picture, scale, palette);
    std::vector<std::uint8_t> out;
    out.reserve(8 * 1024);
    if (!writePng(picture, scale, layout, palette, out))
        return {};
    return out;
}

} // namespace zq
