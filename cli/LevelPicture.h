#pragma once
// The level picture as the editor draws it in its refresh cycle: the side
// walls in the style of the level's Big Border, then the compose step with at
// most one overlay, at 256 x 192 or doubled to 512 x 384 as the level view
// shows it.

#include "gfx/FastDIB.h"
#include "image/GameImage.h"

#include <cstdint>
#include <vector>

namespace zq::cli {

enum class Overlay { None, Enemies, Items, Airflow };

// Draws level index 0..78 of the image into `picture` (sized here). With
// Overlay::Airflow the flow map is drawn and, unless the level's air-flow
// record is shared with a lower level, the highlight of its first area, as
// the editor shows them when "Edit Airflow" is ticked on that level. Scale 2
// doubles every pixel. Returns false (picture untouched) for a level index or
// scale out of range.
bool drawLevelPicture(const GameImage& image, int levelIndex, Overlay overlay, int scale, TFastDIB& picture);

// The same picture as a PNG file; empty where drawLevelPicture is false.
std::vector<std::uint8_t> levelPicturePng(const GameImage& image, int levelIndex, Overlay overlay, int scale);

} // namespace zq::cli
