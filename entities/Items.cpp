#include "entities/Items.h"

#include "render/Palette.h"

namespace zq {

namespace {

bool lowerPart(int q) { return q == 1 || q == 3; }
bool fromTheRight(int q) { return q == 2 || q == 3; }

void plot(TFastDIB& picture, int x, int y, std::uint32_t colour)
{
    if (x >= 0 && x < picture.Width() && y >= 0 && y < picture.Height())
        picture.Line(y)[x] = colour;
}

} // namespace

std::size_t itemOffset(int levelIndex)
{
    return off::ItemTable + std::size_t(levelIndex);
}

std::uint8_t itemByte(const GameImage& image, int levelIndex)
{
    return image.get(itemOffset(levelIndex));
}

bool inLowerItemList(const GameImage& image, int levelNumber)
{
    for (std::size_t i = 0; i < kLowerItemCount; ++i)
        if (image.get(off::LowerItemList + i) == levelNumber)
            return true;
    return false;
}

int itemPlacementState(const GameImage& image, int levelIndex, bool mirrored)
{
    const int q = inLowerItemList(image, levelIndex + 1) ? 1 : 0;
    return mirrored ? q : q + 2;
}

ItemPosition itemPosition(std::uint8_t byte, int q)
{
    const int h = byte >> 4;
    const int v = byte & 0x0F;
    ItemPosition p;
    p.x = fromTheRight(q) ? 240 - 8 * h : 8 * h;
    p.y = lowerPart(q) ? 8 * v + 128 : 8 * v;
    return p;
}

std::optional<std::uint8_t> itemByteForPointer(int q, int x, int y)
{
    if (q < 0 || q > 3)
        return std::nullopt;
    const int left = fromTheRight(q) ? 256 : 32;
    const int right = fromTheRight(q) ? 464 : 240;
    const int top = lowerPart(q) ? 256 : 48;
    const int bottom = lowerPart(q) ? 352 : 256;
    if (!(left < x && x < right && top < y && y < bottom))
        return std::nullopt;
    const int col = x / 16;
    const int row = y / 16;
    const int h = fromTheRight(q) ? 30 - col : col;
    const int v = lowerPart(q) ? row - 16 : row;
    return std::uint8_t(h * 16 + v);
}

bool moveItem(GameImage& image, int levelIndex, int q, int x, int y)
{
    const auto byte = itemByteForPointer(q, x, y);
    if (!byte)
        return false;
    image.set(itemOffset(levelIndex), *byte);
    return true;
}

void drawItemOverlay(TFastDIB& levelPicture, std::uint8_t byte, int q)
{
    const ItemPosition p = itemPosition(byte, q);
    const std::uint32_t white = kPalette[colour::BrightWhite];
    const std::uint32_t cyan = kPalette[colour::Cyan];
    for (int i = 0; i < 8; ++i)
        for (int j = 0; j < 8; ++j) {
            plot(levelPicture, p.x + 2 * j, p.y + 2 * i, white);
            plot(levelPicture, p.x + 2 * j + 1, p.y + 2 * i + 1, white);
            plot(levelPicture, 255 - p.x - 2 * j, p.y + 2 * i, cyan);
            plot(levelPicture, 254 - p.x - 2 * j, p.y + 2 * i + 1, cyan);
        }
}

} // namespace zq
