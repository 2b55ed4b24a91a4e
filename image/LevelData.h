#pragma once
// Per-level data decoded from the game image: where a level's record lies and
// its kind, the shared colour byte (level attribute), the shared block pattern
// and the three credit texts of the title screen.

#include "image/GameImage.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace zq {

struct LevelRecord {
    std::size_t offset = off::LevelRecords;
    bool mirrored = false;
    std::size_t size() const { return mirrored ? kMirroredRecordSize : kFullRecordSize; }
};

// Bit of level index k in the mirror bitmap: set = mirrored level.
bool isMirroredLevel(const GameImage& image, int levelIndex);

// Walks the mirror bitmap from the first record. Whatever the bitmap holds,
// the result lies between 0x61A8 and 0x61A8 + 78 x 77.
LevelRecord findLevelRecord(const GameImage& image, int levelIndex);

// True when the 79 level records, of the sizes the mirror bitmap gives
// them, end before the enemy table: at most 46 full-width levels.
bool levelRecordsFit(const GameImage& image);

// Levels share 15 attributes (index mod 15) and 5 block patterns (index mod 5).
std::size_t attributeOffset(int levelIndex);
std::size_t patternOffset(int levelIndex);

struct Attribute {
    int ink = 0;       // bits 2-0
    int paper = 0;     // bits 5-3
    int bigBorder = 0; // bit 7, as 0 or 128
};

Attribute decodeAttribute(std::uint8_t byte);
// paper x 8 + ink + big border; bit 6 is always written as 0.
std::uint8_t encodeAttribute(int paper, int ink, int bigBorder);

enum class CreditField { Title, Company, Author };

struct CreditFieldInfo {
    std::size_t offset;
    std::size_t width;
};

CreditFieldInfo creditFieldInfo(CreditField field);

// The text an edit box shows for a field: the field's bytes as characters
// (code = byte value), trailing codes <= 32 removed, then cut at the first
// zero byte.
std::u32string readCreditText(const GameImage& image, CreditField field);

// Writes a box's text into its field: the text is padded with spaces to the
// field width, characters with codes 32..127 are stored, any other character
// leaves its byte unchanged. Nothing outside the field is touched.
void writeCreditText(GameImage& image, CreditField field, std::u32string_view text);

} // namespace zq

namespace zq {

// The decoded state of the level shown, as the refresh cycle sets it.
struct CurrentLevel {
    int levelIndex = 0;
    LevelRecord record;
    std::size_t attributeOffset = off::AttributeTable;
    std::uint8_t attribute = 0;
    int ink = 0;
    int paper = 0;
    int bigBorder = 0;
    std::size_t patternOffset = off::PatternTable;
};

// Decodes a level fully (record, attribute, pattern) in one go.
CurrentLevel decodeLevel(const GameImage& image, int levelIndex);

} // namespace zq
