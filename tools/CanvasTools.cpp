#include "tools/CanvasTools.h"

#include <algorithm>

namespace zq {

GridCell blockCell(const LevelRecord& record, int x, int y)
{
    int c = x / 16 - 2; // C++ division truncates toward zero, as the view wants
    int r = y / 16 - 2;
    if (record.mirrored && c > 13)
        c = 13;
    if (!record.mirrored && c > 27)
        c = 27;
    if (r > 21)
        r = 21;
    if (c < 0)
        c = 0;
    if (r < 0)
        r = 0;
    return {r, c};
}

namespace {

bool writesBit(const LevelRecord& record, int x)
{
    return !(record.mirrored && x >= 256);
}

} // namespace

int BlockTool::press(GameImage& image, const LevelRecord& record, const CellCodeTables& codes, int x, int y)
{
    const GridCell cell = blockCell(record, x, y);
    const CellCode code = codes.code(record.mirrored, cell.row, cell.column);
    const int state = readCell(image, record.offset, code) ? DragClearing : DragSetting;
    if (writesBit(record, x))
        toggleCell(image, record.offset, code);
    return state;
}

bool BlockTool::drag(GameImage& image, const LevelRecord& record, const CellCodeTables& codes, int dragState, int x,
                     int y)
{
    const GridCell cell = blockCell(record, x, y);
    const CellCode code = codes.code(record.mirrored, cell.row, cell.column);
    const int cellState = readCell(image, record.offset, code) ? DragSetting : DragClearing;
    if (dragState == DragNone || cellState == dragState || !writesBit(record, x))
        return false;
    setCell(image, record.offset, code, dragState == DragSetting);
    return true;
}

GridCell patternCell(int x, int y)
{
    return {std::clamp(y / 16, 0, 7), std::clamp(x / 16, 0, 7)};
}

namespace {

bool patternBit(const GameImage& image, std::size_t patternOffset, GridCell cell)
{
    return (image.get(patternOffset + std::size_t(cell.row)) & (0x80 >> cell.column)) != 0;
}

void setPatternBit(GameImage& image, std::size_t patternOffset, GridCell cell, bool value)
{
    const std::size_t at = patternOffset + std::size_t(cell.row);
    const std::uint8_t mask = std::uint8_t(0x80 >> cell.column);
    image.set(at, std::uint8_t(value ? (image.get(at) | mask) : (image.get(at) & ~mask)));
}

} // namespace

int PatternTool::press(GameImage& image, std::size_t patternOffset, int x, int y)
{
    const GridCell cell = patternCell(x, y);
    const bool set = patternBit(image, patternOffset, cell);
    setPatternBit(image, patternOffset, cell, !set);
    return set ? DragClearing : DragSetting;
}

bool PatternTool::drag(GameImage& image, std::size_t patternOffset, int dragState, int x, int y)
{
    const GridCell cell = patternCell(x, y);
    const int cellState = patternBit(image, patternOffset, cell) ? DragSetting : DragClearing;
    if (dragState == DragNone || cellState == dragState)
        return false;
    setPatternBit(image, patternOffset, cell, dragState == DragSetting);
    return true;
}

} // namespace zq

namespace zq {

namespace {

std::size_t areaIndex(int area)
{
    return std::size_t(std::clamp(area, 0, AirflowRecord::kMaxAreas - 1));
}

} // namespace

void AreaTool::press(AirflowRecord& record, int area, int x, int y)
{
    anchorColumn = std::clamp(x / 16, 2, 15);
    anchorRow = std::clamp(y / 16, 2, 23);
    width = 1;
    height = 1;
    const std::size_t a = areaIndex(area);
    record.width[a] = 1;
    record.height[a] = 1;
    record.column[a] = anchorColumn;
    record.row[a] = anchorRow;
}

void AreaTool::resize(AirflowRecord& record, int area, int x, int y)
{
    int endColumn = x / 16;
    if (endColumn < anchorColumn)
        endColumn = anchorColumn;
    if (endColumn > 15)
        endColumn = 15;
    int endRow = y / 16;
    if (endRow < anchorRow)
        endRow = anchorRow;
    if (endRow > 23)
        endRow = 23;
    width = endColumn + 1 - anchorColumn;
    height = endRow + 1 - anchorRow;
    const std::size_t a = areaIndex(area);
    record.width[a] = width;
    record.height[a] = height;
}

} // namespace zq
