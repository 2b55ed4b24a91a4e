#pragma once
// The block layout of a level: 22 rows x 28 columns of character cells, one
// bit per cell, packed most significant bit first. A mirrored record stores
// the left 14 columns only; the right half is their mirror image.
//
// A cell is addressed by its cell code: (k mod 8) + 10 x (k div 8) for bit
// number k, i.e. record byte = code / 10 and left shift = code % 10.

#include "image/GameImage.h"
#include "image/LevelData.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace zq {

inline constexpr int kGridRows = 22;
inline constexpr int kGridCols = 28;
inline constexpr int kMirroredCols = 14;
inline constexpr int kScreenCols = 32;
inline constexpr int kScreenRows = 24;

using CellCode = std::uint32_t;

constexpr CellCode cellCodeOfBit(int k)
{
    return CellCode(k % 8 + 10 * (k / 8));
}

class CellCodeTables {
public:
    constexpr CellCodeTables()
    {
        for (int r = 0; r < kGridRows; ++r) {
            for (int c = 0; c < kGridCols; ++c)
                full_[r][c] = cellCodeOfBit(kGridCols * r + c);
            for (int c = 0; c < kMirroredCols; ++c)
                mirrored_[r][c] = cellCodeOfBit(kMirroredCols * r + c);
        }
    }

    // Row 0..21; column 0..27 (full-width) or 0..13 (mirrored). Out-of-range
    // cells are clamped to the grid.
    CellCode code(bool mirrored, int row, int column) const;

    static constexpr int columns(bool mirrored) { return mirrored ? kMirroredCols : kGridCols; }

private:
    std::array<std::array<CellCode, kGridCols>, kGridRows> full_{};
    std::array<std::array<CellCode, kMirroredCols>, kGridRows> mirrored_{};
};

// Cell operations on the record at recordOffset. The byte touched is
// recordOffset + code / 10; it is bounded to the game image.
bool readCell(const GameImage& image, std::size_t recordOffset, CellCode code);
void toggleCell(GameImage& image, std::size_t recordOffset, CellCode code);
void setCell(GameImage& image, std::size_t recordOffset, CellCode code, bool value);

// One byte per screen character cell (32 x 24), row by row. A byte with any
// of bits 5-3 set is a wall. Rows 0 and 1 are the fixed top wall; rows 2..23
// are rebuilt from the current layout by every grid drawing pass.
class WallMap {
public:
    static constexpr std::uint8_t kOpen = 0x47;
    static constexpr std::uint8_t kWall = 0x57;

    WallMap();

    std::uint8_t at(int x, int y) const { return cells_[std::size_t(y * kScreenCols + x)]; }
    static bool isWallByte(std::uint8_t byte) { return (byte & 0x38) != 0; }
    bool isWall(int x, int y) const { return isWallByte(at(x, y)); }

    // Bit columns x r + c of the record (most significant first) is cell
    // (r, c), the order CellCodeTables gives the cell codes in.
    void rebuild(const GameImage& image, const LevelRecord& record);

    const std::array<std::uint8_t, kScreenCols * kScreenRows>& cells() const { return cells_; }

private:
    std::array<std::uint8_t, kScreenCols * kScreenRows> cells_{};
};

} // namespace zq
