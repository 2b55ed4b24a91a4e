#pragma once
// Runs one input of the level pack fuzzer: the text of a pack, read, written
// and read back (which must give the same text), then applied to the sample
// game as it stands and once more with its signature set to the game's, so
// that a mutated signature does not stop it at the first check. Shared by
// the libFuzzer target and by the regression tests, which replay its seeds
// (fuzz/corpus-packs/, where its finds are kept too) through the same code.
//
// Besides "no crash", it checks that a refused text or pack says why and
// changes nothing, that an applied pack writes only game data and gives the
// same game when applied again, and that the whole-game pack of the result
// gives its game data back on the sample. The first broken property is
// returned as text.

#include "fuzz/SampleImage.h"
#include "image/GameData.h"
#include "pack/GameDiff.h"
#include "pack/LevelPack.h"
#include "pack/PackApply.h"
#include "pack/PackJson.h"

#include <string>
#include <string_view>

namespace zq::fuzz {

namespace packs {

inline std::string applyChecked(const LevelPack& pack)
{
    const GameImage& original = sampleImage();
    GameImage game = original;
    const PackApplyResult result = applyPack(game, pack);
    if (!result.applied) {
        if (result.error.empty())
            return "a refusal names its reason";
        return game == original ? "" : "a refused pack changes nothing";
    }
    const GameDataRegions before = gameDataRegions(original), after = gameDataRegions(game);
    for (std::size_t i = 0; i < kImageSize; ++i)
        if (game.get(i) != original.get(i) && !isGameData(before, i) && !isGameData(after, i))
            return "a pack writes only game data";
    GameImage again = game;
    if (!applyPack(again, pack).applied || !(again == game))
        return "a pack applied twice gives the same game";

    GameImage rebuilt = original;
    const PackReadResult whole = readPackJson(writePackJson(wholeGamePack(game)));
    if (!whole.pack || !applyPack(rebuilt, *whole.pack).applied)
        return "the whole pack of a result applies";
    if (!sameGameData(rebuilt, game))
        return "the whole pack of a result gives its game data back";
    return {};
}

} // namespace packs

// Runs one input; returns an empty string, or the first property broken.
inline std::string runPackInput(std::string_view text)
{
    const PackReadResult read = readPackJson(text);
    if (!read.pack)
        return read.error.empty() ? "a refused text names its reason" : "";
    const std::string written = writePackJson(*read.pack);
    const PackReadResult back = readPackJson(written);
    if (!back.pack || !back.unknownKeys.empty())
        return "a written pack reads back";
    if (writePackJson(*back.pack) != written)
        return "a pack reads back as it was written";

    std::string broken = packs::applyChecked(*read.pack);
    LevelPack ours = *read.pack;
    ours.game = gameSignature(sampleImage());
    if (broken.empty())
        broken = packs::applyChecked(ours);
    return broken;
}

} // namespace zq::fuzz
