#include "tools/Airflow.h"

#include <algorithm>

namespace zq {

static_assert(*std::max_element(kAirflowRecordAddresses.begin(), kAirflowRecordAddresses.end()) ==
                  kLastAirflowRecord,
              "the game data regions end the air-flow records after the last one");

namespace {

// Byte i of the record at base. Computed without letting base + i wrap
// around, so any offset at all stays inside the image or reads nothing.
std::uint8_t recordByte(const GameImage& image, std::size_t base, std::size_t i)
{
    if (base >= kImageSize || i >= kImageSize - base)
        return 0;
    return image.get(base + i);
}

void setRecordByte(GameImage& image, std::size_t base, std::size_t i, std::uint8_t value)
{
    if (base >= kImageSize || i >= kImageSize - base)
        return;
    image.set(base + i, value);
}

// Number of direction bytes before the area entries: n/2 + 1.
std::size_t directionBytes(int n)
{
    return std::size_t((n & 15) / 2 + 1);
}

// The directions each gap set gives the top-left, top-right, bottom-left and
// bottom-right wall gaps.
constexpr std::array<std::array<int, 4>, 13> kGapRules = {{
    {FlowDown, FlowDown, FlowUp, FlowUp},     // 0
    {FlowUp, FlowUp, FlowUp, FlowUp},         // 1
    {FlowDown, FlowDown, FlowUp, FlowUp},     // 2
    {FlowDown, FlowDown, FlowDown, FlowDown}, // 3
    {FlowDown, FlowDown, FlowUp, FlowUp},     // 4
    {FlowUp, FlowDown, FlowUp, FlowDown},     // 5
    {FlowDown, FlowUp, FlowUp, FlowUp},       // 6
    {FlowDown, FlowDown, FlowUp, FlowUp},     // 7
    {FlowDown, FlowDown, FlowUp, FlowUp},     // 8
    {FlowUp, FlowDown, FlowUp, FlowUp},       // 9
    {FlowDown, FlowUp, FlowUp, FlowUp},       // 10
    {FlowUp, FlowUp, FlowDown, FlowDown},     // 11
    {FlowUp, FlowUp, FlowDown, FlowUp},       // 12
}};

struct Gap {
    int firstColumn;
    int firstRow;
    int lastRow;
};

// Top-left, top-right, bottom-left, bottom-right; each four columns wide.
constexpr std::array<Gap, 4> kGaps = {{{9, 0, 2}, {19, 0, 2}, {9, 23, 23}, {19, 23, 23}}};

bool onMap(int x, int y)
{
    return x >= 0 && x < kScreenCols && y >= 0 && y < kScreenRows;
}

std::uint8_t& cell(FlowMap& flow, int x, int y)
{
    return flow.cells[std::size_t(y * kScreenCols + x)];
}

// Gives cell (x, y) a direction, keeping its wall flag. Cells off the map are
// left alone.
void setDirection(FlowMap& flow, int x, int y, int direction)
{
    if (!onMap(x, y))
        return;
    std::uint8_t& c = cell(flow, x, y);
    c = std::uint8_t((c & FlowMap::kWallFlag) | ((direction & 3) << 6));
}

// The cells of an area's rectangle that lie on the map, as [x0, x1) x [y0, y1).
struct CellRange {
    int x0, x1, y0, y1;
};

CellRange areaCells(const AirflowRecord& record, std::size_t i)
{
    const auto clip = [](long long first, long long count, int limit, int& from, int& to) {
        from = int(std::clamp(first, 0LL, (long long)limit));
        to = int(std::clamp(first + std::max(count, 0LL), (long long)from, (long long)limit));
    };
    CellRange r{};
    clip(record.column[i], record.width[i], kScreenCols, r.x0, r.x1);
    clip(record.row[i], record.height[i], kScreenRows, r.y0, r.y1);
    return r;
}

void drawGlyphCell(LevelRenderer& renderer, const RenderTarget& target, int x, int y, int glyph, int background)
{
    renderer.cursorX = 8 * x;
    renderer.cursorY = 8 * y;
    renderer.glyphMode.on = true;
    renderer.glyphMode.glyph = glyph;
    renderer.glyphMode.background = background;
    renderer.drawCell(target);
}

} // namespace

bool isSharedAirflowLevel(int levelNumber)
{
    return std::find(kSharedAirflowLevels.begin(), kSharedAirflowLevels.end(), levelNumber) !=
           kSharedAirflowLevels.end();
}

std::size_t airflowRecordOffset(int levelIndex)
{
    const int index = std::clamp(levelIndex, 0, int(kAirflowRecordAddresses.size()) - 1);
    return imageOffset(kAirflowRecordAddresses[std::size_t(index)]);
}

int mirrorDirection(int d)
{
    d &= 3;
    return d == FlowRight ? FlowLeft : d == FlowLeft ? FlowRight : d;
}

std::uint8_t FlowMap::at(int x, int y) const
{
    return onMap(x, y) ? cells[std::size_t(y * kScreenCols + x)] : 0;
}

void readAirflowRecord(const GameImage& image, std::size_t offset, AirflowRecord& record)
{
    const std::uint8_t head = recordByte(image, offset, 0);
    record.offset = offset;
    record.n = head & 15;
    record.gapSet = head >> 4;
    record.direction.fill(0);
    record.width.fill(0);
    record.column.fill(0);
    record.height.fill(0);
    record.row.fill(0);

    const std::size_t entries = 1 + directionBytes(record.n);
    for (int k = 0; k <= record.n; ++k) {
        const std::uint8_t pair = recordByte(image, offset, 1 + std::size_t(k / 2));
        const int nibble = (k % 2 == 0) ? pair >> 4 : pair & 15;
        const std::uint8_t b1 = recordByte(image, offset, entries + 2 * std::size_t(k));
        const std::uint8_t b2 = recordByte(image, offset, entries + 2 * std::size_t(k) + 1);
        const auto i = std::size_t(k);
        record.width[i] = b1 >> 4;
        record.column[i] = b1 & 15;
        record.height[i] = 2 * (b2 >> 4) + ((b2 >> 3) & 1);
        record.row[i] = (b2 & 7) + 8 * (nibble >> 2);
        record.direction[i] = nibble & 3;
    }
}

void buildFlowMap(const WallMap& walls, const AirflowRecord& record, FlowMap& flow)
{
    for (int y = 0; y < kScreenRows; ++y)
        for (int x = 0; x < kScreenCols; ++x)
            cell(flow, x, y) = walls.isWall(x, y) ? FlowMap::kWallFlag : 0;

    for (int y = 0; y <= 2; ++y)
        for (int x = 0; x < kScreenCols; ++x)
            setDirection(flow, x, y, FlowDown);
    for (int y = 2; y <= 22; ++y) {
        cell(flow, 0, y) = cell(flow, 1, y) = 0x60;
        cell(flow, 30, y) = cell(flow, 31, y) = 0xE0;
    }

    if (record.gapSet >= 0 && record.gapSet < int(kGapRules.size())) {
        const auto& rule = kGapRules[std::size_t(record.gapSet)];
        for (std::size_t g = 0; g < kGaps.size(); ++g)
            for (int y = kGaps[g].firstRow; y <= kGaps[g].lastRow; ++y)
                for (int x = kGaps[g].firstColumn; x < kGaps[g].firstColumn + 4; ++x)
                    setDirection(flow, x, y, rule[g]);
    }

    const int last = std::clamp(record.n, -1, AirflowRecord::kMaxAreas - 1);
    for (int k = 0; k <= last; ++k) {
        const auto i = std::size_t(k);
        const int direction = record.direction[i] & 3;
        const int mirrored = mirrorDirection(direction);
        // Only the part of the rectangle on the map can be painted.
        const CellRange r = areaCells(record, i);
        for (int x = r.x0; x < r.x1; ++x)
            for (int y = r.y0; y < r.y1; ++y) {
                setDirection(flow, x, y, direction);
                setDirection(flow, kScreenCols - 1 - x, y, mirrored);
            }
    }
}

void decodeAirflow(const GameImage& image, int levelIndex, const WallMap& walls, AirflowRecord& record,
                   FlowMap& flow)
{
    readAirflowRecord(image, airflowRecordOffset(levelIndex), record);
    buildFlowMap(walls, record, flow);
    record.shared = isSharedAirflowLevel(levelIndex + 1);
}

void encodeAirflow(GameImage& image, const AirflowRecord& record, int gapSet)
{
    const std::size_t base = record.offset;
    const int n = record.n & 15;
    setRecordByte(image, base, 0, std::uint8_t((gapSet & 15) * 16 + n));

    const std::size_t entries = 1 + directionBytes(n);
    for (int k = 0; k <= n; ++k) {
        const auto i = std::size_t(k);
        const auto row = unsigned(record.row[i]);
        const auto height = unsigned(record.height[i]);
        const unsigned nibble = ((unsigned(record.direction[i]) & 3) + 4 * (row / 8)) & 15;
        const std::size_t pairIndex = 1 + i / 2;
        const std::uint8_t pair = recordByte(image, base, pairIndex);
        const unsigned merged = (k % 2 == 0) ? (nibble << 4) | (pair & 0x0Fu) : (pair & 0xF0u) | nibble;
        setRecordByte(image, base, pairIndex, std::uint8_t(merged));

        const unsigned low = row % 8 + 8 * (height % 2);
        const unsigned high = height / 2;
        setRecordByte(image, base, entries + 2 * i,
                      std::uint8_t((unsigned(record.width[i]) & 15) * 16 + (unsigned(record.column[i]) & 15)));
        setRecordByte(image, base, entries + 2 * i + 1, std::uint8_t((high & 15) * 16 + low));
    }
}

void drawAirflowOverlay(LevelRenderer& renderer, const RenderTarget& target, const FlowMap& flow)
{
    for (int y = 0; y < kScreenRows; ++y)
        for (int x = 0; x < kScreenCols; ++x)
            drawGlyphCell(renderer, target, x, y, flow.direction(x, y), flow.wall(x, y) ? 0 : 16);
}

void drawAreaHighlight(LevelRenderer& renderer, const RenderTarget& target, const AirflowRecord& record, int area)
{
    if (area < 0 || area > record.n || area >= AirflowRecord::kMaxAreas)
        return;
    const auto i = std::size_t(area);
    const CellRange r = areaCells(record, i);
    for (int y = r.y0; y < r.y1; ++y)
        for (int x = r.x0; x < r.x1; ++x)
            drawGlyphCell(renderer, target, x, y, record.direction[i] & 3, 8);
}

} // namespace zq
