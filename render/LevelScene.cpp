#include "render/LevelScene.h"

#include "files/Png.h"

#include "entities/Enemies.h"
#include "entities/Items.h"
#include "image/LayoutGrid.h"
#include "image/LevelData.h"

#include <algorithm>

namespace zq {

Overlays overlaysOf(EditMode mode)
{
    return {mode == EditMode::Enemies, mode == EditMode::Items, mode == EditMode::Airflow};
}

void LevelScene::compose(const RenderTarget& t, Overlays overlays, int area)
{
    const int levelIndex = t.level.levelIndex;
    ComposeHooks hooks;
    hooks.editEnemies = overlays.enemies;
    hooks.editItems = overlays.items;
    hooks.editAirflow = overlays.airflow;
    hooks.enemyOverlay = [&] { drawEnemyOverlay(t.picture, decodeEnemies(t.image, levelIndex), t.level.ink); };
    hooks.itemOverlay = [&] {
        const int placement = itemPlacementState(t.image, levelIndex, t.level.record.mirrored);
        drawItemOverlay(t.picture, itemByte(t.image, levelIndex), placement);
    };
    hooks.airflowDecode = [&] { decodeAirflow(t.image, levelIndex, renderer.wallMap, airflow, flow); };
    hooks.airflowOverlay = [&] {
        drawAirflowOverlay(renderer, t, flow);
        if (!airflow.shared)
            drawAreaHighlight(renderer, t, airflow, std::clamp(area, 0, airflow.n));
    };
    renderer.compose(t, hooks);
}

void LevelScene::draw(const RenderTarget& t, Overlays overlays, int area)
{
    renderer.drawBorder(t);
    compose(t, overlays, area);
}

bool drawLevelPicture(const GameImage& image, int levelIndex, EditMode mode, int scale, TFastDIB& picture, int area)
{
    if (levelIndex < 0 || levelIndex >= kLevelCount || (scale != 1 && scale != 2))
        return false;
    const CurrentLevel level = decodeLevel(image, levelIndex);
    const CellCodeTables codes;
    TFastDIB levelPicture;
    levelPicture.SetSize(kLevelPictureWidth, kLevelPictureHeight, 32);
    LevelScene scene;
    scene.draw(RenderTarget{image, level, codes, levelPicture}, mode, area);
    picture.SetSize(scale * kLevelPictureWidth, scale * kLevelPictureHeight, 32);
    levelPicture.ScaleInto(picture);
    return true;
}

std::vector<std::uint8_t> levelPicturePng(const GameImage& image, int levelIndex, EditMode mode, int scale, int area)
{
    TFastDIB picture;
    if ((scale != 1 && scale != 2) || !drawLevelPicture(image, levelIndex, mode, 1, picture, area))
        return {};
    return encodePng(picture, scale);
}

} // namespace zq
