#include "image/LayoutGrid.h"

#include <algorithm>

namespace zq {

CellCode CellCodeTables::code(bool mirrored, int row, int column) const
{
    row = std::clamp(row, 0, kGridRows - 1);
    column = std::clamp(column, 0, columns(mirrored) - 1);
    return mirrored ? mirrored_[row][column] : full_[row][column];
}

bool readCell(const GameImage& image, std::size_t recordOffset, CellCode code)
{
    const std::uint8_t byte = image.get(recordOffset + code / 10);
    return ((unsigned(byte) << (code % 10)) & 0x80) != 0;
}

void toggleCell(GameImage& image, std::size_t recordOffset, CellCode code)
{
    const std::size_t at = recordOffset + code / 10;
    image.set(at, std::uint8_t(image.get(at) ^ (0x80u >> (code % 10))));
}

void setCell(GameImage& image, std::size_t recordOffset, CellCode code, bool value)
{
    if (readCell(image, recordOffset, code) != value)
        toggleCell(image, recordOffset, code);
}

WallMap::WallMap()
{
    // Top wall: open only in the two 4-column gaps.
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < kScreenCols; ++x) {
            const bool gap = (x >= 9 && x <= 12) || (x >= 19 && x <= 22);
            cells_[std::size_t(y * kScreenCols + x)] = gap ? 0x00 : 0xFF;
        }
    std::fill(cells_.begin() + 2 * kScreenCols, cells_.end(), kOpen);
}

// Every redraw rebuilds the map, reading the record's bits in order.
void WallMap::rebuild(const GameImage& image, const LevelRecord& record)
{
    std::fill(cells_.begin() + 2 * kScreenCols, cells_.end(), kOpen);
    const int columns = CellCodeTables::columns(record.mirrored);
    for (int r = 0; r < kGridRows; ++r) {
        std::uint8_t* row = &cells_[std::size_t((r + 2) * kScreenCols)];
        row[0] = row[1] = row[30] = row[31] = kWall;
        for (int c = 0; c < columns; ++c) {
            const int bit = columns * r + c;
            if (((unsigned(image.get(record.offset + std::size_t(bit / 8))) << (bit % 8)) & 0x80) == 0)
                continue;
            row[c + 2] = kWall;
            if (record.mirrored)
                row[29 - c] = kWall;
        }
    }
}

} // namespace zq
