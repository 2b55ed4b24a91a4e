#include "cli/LevelPicture.h"

#include "render/LevelScene.h"

namespace zq::cli {

namespace {

EditMode modeOf(Overlay overlay)
{
    switch (overlay) {
    case Overlay::Enemies: return EditMode::Enemies;
    case Overlay::Items: return EditMode::Items;
    case Overlay::Airflow: return EditMode::Airflow;
    case Overlay::None: break;
    }
    return EditMode::Blocks;
}

} // namespace

bool drawLevelPicture(const GameImage& image, int levelIndex, Overlay overlay, int scale, TFastDIB& picture)
{
    return zq::drawLevelPicture(image, levelIndex, modeOf(overlay), scale, picture);
}

std::vector<std::uint8_t> levelPicturePng(const GameImage& image, int levelIndex, Overlay overlay, int scale)
{
    return zq::levelPicturePng(image, levelIndex, modeOf(overlay), scale);
}

} // namespace zq::cli
