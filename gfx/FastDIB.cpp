#include "gfx/FastDIB.h"

#include "data/Resources.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace zq {

void TFastDIB::SetSize(int width, int height, int bitsPerPixel)
{
    if (bitsPerPixel == 0)
        bitsPerPixel = 32;
    if (width <= 0 || height <= 0) {
        width_ = width;
        height_ = height;
        bpp_ = bitsPerPixel;
        return;
    }
    const bool hasSurface = !pixels_.empty();
    if (hasSurface && width == width_ && height == height_ && bitsPerPixel == bpp_)
        return;
    width_ = width;
    height_ = height;
    bpp_ = bitsPerPixel;
    allocatedWidth_ = width;
    allocatedHeight_ = height;
    pixels_.assign(std::size_t(width) * std::size_t(height), 0u);
    rows_.resize(std::size_t(height));
    for (int i = 0; i < height; ++i)
        rows_[std::size_t(i)] = pixels_.data() + std::size_t(i) * std::size_t(width);
}

namespace {

// One destination row from one source row. The source column of each
// destination pixel only grows, so an enlarged row is runs of equal pixels:
// `runs` holds (source column, length) for each.
struct Run {
    std::uint32_t source;
    std::uint32_t length;
};

void scaleRow(const std::uint32_t* src, std::uint32_t* dst, const std::vector<Run>& runs, bool doubled)
{
    if (doubled) {
        // Exactly 2x: every pixel twice.
        std::size_t i = 0;
#ifdef __SSE2__
        for (; i + 4 <= runs.size(); i += 4) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + 2 * i), _mm_unpacklo_epi32(v, v));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + 2 * i + 4), _mm_unpackhi_epi32(v, v));
        }
#endif
        for (; i < runs.size(); ++i)
            dst[2 * i] = dst[2 * i + 1] = src[i];
        return;
    }
    for (const Run& run : runs) {
        std::fill_n(dst, run.length, src[run.source]);
        dst += run.length;
    }
}

} // namespace

void TFastDIB::ScaleInto(TFastDIB& destination) const
{
    if (Empty() || destination.Empty())
        return;
    const int wd = destination.width_;
    const int hd = destination.height_;
    const std::uint32_t stepX = std::uint32_t((std::int64_t(width_) * 65536) / wd);
    const std::uint32_t stepY = std::uint32_t((std::int64_t(height_) * 65536) / hd);
    if (stepX > 65536) {
        // Shrinking: no runs to gain from, pixel by pixel.
        std::uint32_t cy = 0;
        for (int r = 0; r < hd; ++r, cy += stepY) {
            const std::uint32_t* src = rows_[cy >> 16];
            std::uint32_t* dst = destination.rows_[std::size_t(r)];
            std::uint32_t cx = 0;
            for (int x = 0; x < wd; ++x, cx += stepX)
                dst[x] = src[cx >> 16];
        }
        return;
    }
    // The same 16.16 steps as pixel by pixel, taken once for the whole row.
    std::vector<Run> runs;
    std::uint32_t cx = 0;
    for (int x = 0; x < wd; ++x, cx += stepX) {
        if (!runs.empty() && runs.back().source == cx >> 16)
            ++runs.back().length;
        else
            runs.push_back(Run{cx >> 16, 1});
    }
    const bool doubled = std::size_t(wd) == 2 * runs.size() &&
                         std::all_of(runs.begin(), runs.end(), [](const Run& r) { return r.length == 2; });
    const std::size_t rowBytes = std::size_t(wd) * sizeof(std::uint32_t);
    std::uint32_t cy = 0;
    std::uint32_t last = ~0u;
    for (int r = 0; r < hd; ++r, cy += stepY) {
        std::uint32_t* dst = destination.rows_[std::size_t(r)];
        // A source row met again gives the destination row just made.
        if (cy >> 16 == last)
            std::memcpy(dst, destination.rows_[std::size_t(r - 1)], rowBytes);
        else
            scaleRow(rows_[cy >> 16], dst, runs, doubled);
        last = cy >> 16;
    }
}

namespace {

std::uint32_t le16(std::span<const std::uint8_t> b, std::size_t at)
{
    return std::uint32_t(b[at]) | std::uint32_t(b[at + 1]) << 8;
}

std::uint32_t le32(std::span<const std::uint8_t> b, std::size_t at)
{
    return le16(b, at) | le16(b, at + 2) << 16;
}

} // namespace

bool TFastDIB::LoadFromBmp(std::span<const std::uint8_t> bmp)
{
    if (bmp.size() < 54 || bmp[0] != 'B' || bmp[1] != 'M')
        return false;
    const std::uint32_t dataOffset = le32(bmp, 10);
    const std::uint32_t headerSize = le32(bmp, 14);
    if (headerSize < 40 || 14 + std::size_t(headerSize) > bmp.size())
        return false;
    const std::int32_t width = std::int32_t(le32(bmp, 18));
    const std::int32_t rawHeight = std::int32_t(le32(bmp, 22));
    const std::uint32_t bpp = le16(bmp, 28);
    const std::uint32_t compression = le32(bmp, 30);
    std::uint32_t paletteCount = le32(bmp, 46);
    // The height's sign only gives the row order. Tested before taking its
    // magnitude: -2^31 has none as an int.
    if (width <= 0 || width > 4096 || rawHeight == 0 || rawHeight < -4096 || rawHeight > 4096 || compression != 0)
        return false;
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24 && bpp != 32)
        return false;
    const int height = std::abs(rawHeight);
    const bool bottomUp = rawHeight > 0;

    std::vector<std::uint32_t> palette;
    if (bpp <= 8) {
        if (paletteCount == 0 || paletteCount > (1u << bpp))
            paletteCount = 1u << bpp;
        const std::size_t at = 14 + headerSize;
        if (at + 4 * std::size_t(paletteCount) > bmp.size())
            return false;
        for (std::uint32_t i = 0; i < paletteCount; ++i)
            palette.push_back(le32(bmp, at + 4 * i) & 0x00FFFFFFu);
        palette.resize(std::size_t(1) << bpp, 0u);
    }

    const std::size_t rowBytes = ((std::size_t(width) * bpp + 31) / 32) * 4;
    if (dataOffset > bmp.size() || rowBytes * std::size_t(height) > bmp.size() - dataOffset)
        return false;

    SetSize(width, height, 32);
    for (int i = 0; i < height; ++i) {
        // File row i is the bottom line first for a bottom-up bitmap.
        const int rowIndex = bottomUp ? i : height - 1 - i;
        const std::uint8_t* src = bmp.data() + dataOffset + rowBytes * std::size_t(i);
        std::uint32_t* dst = Pixels32(rowIndex);
        for (int x = 0; x < width; ++x) {
            switch (bpp) {
            case 32:
            case 24: {
                const std::uint8_t* p = src + std::size_t(x) * (bpp / 8);
                dst[x] = std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16;
                break;
            }
            case 8:
                dst[x] = palette[src[x]];
                break;
            case 4:
                dst[x] = palette[(src[x / 2] >> (x % 2 ? 0 : 4)) & 0x0F];
                break;
            default:
                dst[x] = palette[(src[x / 8] >> (7 - x % 8)) & 1];
                break;
            }
        }
    }
    return true;
}

bool TFastDIB::LoadFromResource(std::string_view name)
{
    const auto bytes = data::find(name);
    if (bytes.empty())
        return false;
    return LoadFromBmp(bytes);
}

void DrawLine(TFastDIB& buffer, int x1, int y1, int x2, int y2, std::uint32_t colour)
{
    const int w = buffer.Width();
    const int h = buffer.Height();
    auto plot = [&](int x, int y) {
        if (x >= 0 && x < w && y >= 0 && y < h)
            buffer.Pixels32(y)[x] = colour;
    };
    // From the start point up to the end point, not including it, in either
    // direction: the clipped range [from, to).
    auto span = [](std::int64_t start, std::int64_t end, int size, int& from, int& to) {
        from = int(std::max<std::int64_t>(end > start ? start : end + 1, 0));
        to = int(std::min<std::int64_t>(end > start ? end : start + 1, size));
    };
    int from = 0, to = 0;
    if (x1 == x2) {
        if (x1 < 0 || x1 >= w)
            return;
        span(y1, y2, h, from, to);
        for (int y = from; y < to; ++y)
            buffer.Pixels32(y)[x1] = colour;
        return;
    }
    if (y1 == y2) {
        if (y1 < 0 || y1 >= h)
            return;
        span(x1, x2, w, from, to);
        if (from < to)
            std::fill(buffer.Pixels32(y1) + from, buffer.Pixels32(y1) + to, colour);
        return;
    }
    const int dx2 = 2 * std::abs(x2 - x1);
    const int dy2 = 2 * std::abs(y2 - y1);
    const int sx = x2 > x1 ? 1 : -1;
    const int sy = y2 > y1 ? 1 : -1;
    int x = x1;
    int y = y1;
    plot(x, y);
    if (dx2 > dy2) {
        int error = dy2 - (dx2 >> 1);
        while (x != x2) {
            if (error >= 0) {
                y += sy;
                error -= dx2;
            }
            x += sx;
            error += dy2;
            plot(x, y);
        }
    } else {
        int error = dx2 - (dy2 >> 1);
        while (y != y2) {
            if (error >= 0) {
                x += sx;
                error -= dy2;
            }
            y += sy;
            error += dx2;
            plot(x, y);
        }
    }
}

} // namespace zq
