#include "image/LevelData.h"

#include <algorithm>

namespace zq {

namespace {

int clampLevel(int levelIndex)
{
    return std::clamp(levelIndex, 0, kLevelCount - 1);
}

} // namespace

bool isMirroredLevel(const GameImage& image, int levelIndex)
{
    const int k = clampLevel(levelIndex);
    const std::uint8_t byte = image.get(off::MirrorBitmap + std::size_t(k / 8));
    return ((byte << (k % 8)) & 0x80) != 0;
}

LevelRecord findLevelRecord(const GameImage& image, int levelIndex)
{
    const int n = clampLevel(levelIndex);
    LevelRecord record;
    record.offset = off::LevelRecords;
    for (int k = 0; k < n; ++k)
        record.offset += isMirroredLevel(image, k) ? kMirroredRecordSize : kFullRecordSize;
    record.mirrored = isMirroredLevel(image, n);
    return record;
}

bool levelRecordsFit(const GameImage& image)
{
    std::size_t end = off::LevelRecords;
    for (int i = 0; i < kLevelCount; ++i)
        end += isMirroredLevel(image, i) ? kMirroredRecordSize : kFullRecordSize;
    return end <= kLevelRecordsEnd;
}

std::size_t attributeOffset(int levelIndex)
{
    return off::AttributeTable + std::size_t(clampLevel(levelIndex) % kAttributeCount);
}

std::size_t patternOffset(int levelIndex)
{
    return off::PatternTable + kPatternSize * std::size_t(clampLevel(levelIndex) % kPatternCount);
}

Attribute decodeAttribute(std::uint8_t byte)
{
    return Attribute{byte & 7, (byte >> 3) & 7, byte & 0x80};
}

std::uint8_t encodeAttribute(int paper, int ink, int bigBorder)
{
    return std::uint8_t(((paper & 7) << 3) | (ink & 7) | (bigBorder ? 0x80 : 0));
}

CreditFieldInfo creditFieldInfo(CreditField field)
{
    switch (field) {
    case CreditField::Title:
        return {off::Title, 24};
    case CreditField::Company:
        return {off::Company, 21};
    case CreditField::Author:
        return {off::Author, 20};
    }
    return {off::Title, 24};
}

std::u32string readCreditText(const GameImage& image, CreditField field)
{
    const CreditFieldInfo info = creditFieldInfo(field);
    std::u32string text;
    for (std::uint8_t byte : image.view(info.offset, info.width))
        text.push_back(char32_t(byte));
    while (!text.empty() && text.back() <= 32)
        text.pop_back();
    const auto zero = text.find(char32_t(0));
    if (zero != std::u32string::npos)
        text.resize(zero);
    return text;
}

void writeCreditText(GameImage& image, CreditField field, std::u32string_view text)
{
    const CreditFieldInfo info = creditFieldInfo(field);
    for (std::size_t i = 0; i < info.width; ++i) {
        const char32_t ch = i < text.size() ? text[i] : U' ';
        if (ch >= 32 && ch <= 127)
            image.set(info.offset + i, std::uint8_t(ch));
    }
}

} // namespace zq

namespace zq {

CurrentLevel decodeLevel(const GameImage& image, int levelIndex)
{
    CurrentLevel level;
    level.levelIndex = levelIndex;
    level.record = findLevelRecord(image, levelIndex);
    level.attributeOffset = attributeOffset(levelIndex);
    level.attribute = image.get(level.attributeOffset);
    const Attribute a = decodeAttribute(level.attribute);
    level.ink = a.ink;
    level.paper = a.paper;
    level.bigBorder = a.bigBorder;
    level.patternOffset = patternOffset(levelIndex);
    return level;
}

} // namespace zq
