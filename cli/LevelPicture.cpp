#include "cli/LevelPicture.h"

#include "entities/Enemies.h"
#include "entities/Items.h"
#include "image/LayoutGrid.h"
#include "image/LevelData.h"
#include "render/Renderer.h"
#include "tools/Airflow.h"

namespace zq::cli {

bool drawLevelPicture(const GameImage& image, int levelIndex, Overlay overlay, int scale, TFastDIB& picture)
{
    if (levelIndex < 0 || levelIndex >= kLevelCount || (scale != 1 && scale != 2))
        return false;

    const CurrentLevel level = decodeLevel(image, levelIndex);
    const CellCodeTables codes;
    TFastDIB levelPicture;
    levelPicture.SetSize(kLevelPictureWidth, kLevelPictureHeight, 32);
    LevelRenderer renderer;
    const RenderTarget target{image, level, codes, levelPicture};

    const EnemySlotView enemies = decodeEnemies(image, levelIndex);
    const int itemPlacement = itemPlacementState(image, levelIndex, level.record.mirrored);
    AirflowRecord airflow;
    FlowMap flow;

    ComposeHooks hooks;
    hooks.editEnemies = overlay == Overlay::Enemies;
    hooks.editItems = overlay == Overlay::Items;
    hooks.editAirflow = overlay == Overlay::Airflow;
    hooks.enemyOverlay = [&] { drawEnemyOverlay(levelPicture, enemies, level.ink); };
    hooks.itemOverlay = [&] { drawItemOverlay(levelPicture, itemByte(image, levelIndex), itemPlacement); };
    hooks.airflowDecode = [&] { decodeAirflow(image, levelIndex, renderer.wallMap, airflow, flow); };
    hooks.airflowOverlay = [&] {
        drawAirflowOverlay(renderer, target, flow);
        // The area selector starts at the first area.
        if (!airflow.shared)
            drawAreaHighlight(renderer, target, airflow, 0);
    };

    renderer.drawBorder(target);
    renderer.compose(target, hooks);

    if (scale == 1) {
        picture.SetSize(kLevelPictureWidth, kLevelPictureHeight, 32);
        levelPicture.ScaleInto(picture);
    } else {
        picture.SetSize(2 * kLevelPictureWidth, 2 * kLevelPictureHeight, 32);
        LevelRenderer::showLevel(levelPicture, picture);
    }
    return true;
}

} // namespace zq::cli
