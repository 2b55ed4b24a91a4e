#pragma once
// TFastDIB: a 32-bit pixel buffer in memory, addressed through a row table.
// Rows are stored bottom-up: row index 0 is the bottom line of the picture and
// row index Height()-1 the top line. Pixels are 0x00RRGGBB words.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace zq {

class TFastDIB {
public:
    TFastDIB() = default;
    TFastDIB(const TFastDIB&) = delete;
    TFastDIB& operator=(const TFastDIB&) = delete;

    // (Re)allocates for width x height at bits per pixel (0 or 32: this buffer
    // holds 32-bit pixels only). With the same arguments as the current state
    // nothing happens and the pixels stay. A width or height of 0 only marks
    // the buffer empty: the memory and row table stay until the buffer is
    // freed or sized again. A fresh allocation is cleared to 0.
    void SetSize(int width, int height, int bitsPerPixel);

    int Width() const { return width_; }
    int Height() const { return height_; }
    int BitsPerPixel() const { return bpp_; }
    int Stride() const { return width_ * 4; }
    bool Empty() const { return width_ <= 0 || height_ <= 0; }

    // The row table: Pixels32(i) is row index i (0 = bottom line).
    std::uint32_t* Pixels32(int rowIndex) { return rows_[std::size_t(rowIndex)]; }
    const std::uint32_t* Pixels32(int rowIndex) const { return rows_[std::size_t(rowIndex)]; }

    // Line y counted from the top of the picture (row index Height()-1-y).
    std::uint32_t* Line(int y) { return Pixels32(height_ - 1 - y); }
    const std::uint32_t* Line(int y) const { return Pixels32(height_ - 1 - y); }

    // Pixel (x, y), y from the top; for tests and one-off reads.
    std::uint32_t PixelAt(int x, int y) const { return Line(y)[x]; }

    // Loads a stored picture by name (see data/Resources.h). The buffer takes
    // the picture's size and its pixels at 32 bits. An unknown name or data
    // that is not a readable picture leaves the buffer unchanged.
    bool LoadFromResource(std::string_view name);
    // Loads an uncompressed Windows bitmap (1, 4, 8, 24 or 32 bits per pixel).
    bool LoadFromBmp(std::span<const std::uint8_t> bmp);

    // Nearest-neighbour copy onto the whole of another 32-bit buffer, with
    // 16.16 fixed-point steps.
    void ScaleInto(TFastDIB& destination) const;

private:
    int width_ = 0;
    int height_ = 0;
    int bpp_ = 0;
    int allocatedWidth_ = 0;
    int allocatedHeight_ = 0;
    std::vector<std::uint32_t> pixels_;
    std::vector<std::uint32_t*> rows_;
};

// Sets pixels along a line, in row-table coordinates (y is a row index).
// Points outside the buffer are skipped. Horizontal and vertical lines stop
// before the end point; other lines (Bresenham) include it.
void DrawLine(TFastDIB& buffer, int x1, int y1, int x2, int y2, std::uint32_t colour);

} // namespace zq
