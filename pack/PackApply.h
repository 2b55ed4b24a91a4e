#pragma once
// Applying a level pack to a game image: every piece the pack carries is
// written into a copy of the image, and the copy replaces the image only
// when the whole pack fits. A pack that does not fit changes nothing; the
// reason names what does not fit:
//   - a pack of another game (its signature differs);
//   - a layout whose kind differs from the level's (the kinds are fixed in
//     the game);
//   - air-flow areas that do not fit the level's record (the number of areas
//     is fixed), or given on a level that does not own its record;
//   - an item position that its byte does not give;
//   - unused bytes that lie on the game's data, or bubbles the special
//     bubble table has no room for.
// Value ranges are checked when the pack is read (pack/PackJson).

#include "image/GameImage.h"
#include "pack/LevelPack.h"

#include <string>
#include <vector>

namespace zq {

struct PackApplyResult {
    bool applied = false;
    std::string error; // when not applied
    // The level indices whose data differ after the pack (a shared table
    // counted at the levels that own it), in level order.
    std::vector<int> changedLevels;
    bool creditsChanged = false;
};

PackApplyResult applyPack(GameImage& image, const LevelPack& pack);

} // namespace zq
