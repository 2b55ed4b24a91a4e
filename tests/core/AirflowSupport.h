#pragma once
// What the air-flow tests share: the wall map of a level, byte writes into
// an image, and the worked example area on a level that owns its record.

#include "tools/Airflow.h"

#include <initializer_list>

namespace zq::test {

inline WallMap wallsOf(const GameImage& image, int levelIndex = 0)
{
    WallMap walls;
    walls.rebuild(image, findLevelRecord(image, levelIndex));
    return walls;
}

inline void writeBytes(GameImage& image, std::size_t offset, std::initializer_list<std::uint8_t> bytes)
{
    for (std::uint8_t b : bytes)
        image.set(offset++, b);
}

// Level index 2 (level 3) owns its record.
inline constexpr int kOwnLevel = 2;

// The worked example: column 3, width 2, row 10, height 3, right.
inline AirflowRecord exampleArea()
{
    AirflowRecord r;
    r.offset = airflowRecordOffset(kOwnLevel);
    r.n = 0;
    r.direction[0] = FlowRight;
    r.width[0] = 2;
    r.column[0] = 3;
    r.row[0] = 10;
    r.height[0] = 3;
    return r;
}

} // namespace zq::test
