// libFuzzer target over the level pack reader and Apply: every input is a
// pack's text, read and applied to the sample game (and once more with the
// pack's signature set to the game's, so that a mutated signature does not
// stop it at the first check).
//
//   cmake --build build-fuzz --target zelquor-fuzz-packs
//   ./build-fuzz/fuzz/zelquor-fuzz-packs -dict=fuzz/pack.dict -max_len=131072 SCRATCH fuzz/corpus-packs
//
// Besides crashes and sanitizer reports it checks that a refused pack
// changes nothing, that an applied one writes only game data and gives the
// same game when applied again, that what is read is written and read back
// the same, and that the whole-game pack of the result gives its game data
// back on the sample.

#include "image/GameData.h"
#include "pack/GameDiff.h"
#include "pack/LevelPack.h"
#include "pack/PackApply.h"
#include "pack/PackJson.h"

#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace {

void require(bool property, const char* what)
{
    if (!property) {
        std::fprintf(stderr, "broken property: %s\n", what);
        std::abort();
    }
}

const zq::GameImage& sample()
{
    static const zq::GameImage game = [] {
        zq::GameImage g;
        g.loadDefault();
        return g;
    }();
    return game;
}

void applyChecked(const zq::LevelPack& pack)
{
    const zq::GameImage& original = sample();
    zq::GameImage game = original;
    const zq::PackApplyResult result = zq::applyPack(game, pack);
    if (!result.applied) {
        require(!result.error.empty(), "a refusal names its reason");
        require(game == original, "a refused pack changes nothing");
        return;
    }
    const zq::GameDataRegions before = zq::gameDataRegions(original), after = zq::gameDataRegions(game);
    for (std::size_t i = 0; i < zq::kImageSize; ++i)
        if (game.get(i) != original.get(i))
            require(zq::isGameData(before, i) || zq::isGameData(after, i), "a pack writes only game data");
    zq::GameImage again = game;
    require(zq::applyPack(again, pack).applied && again == game, "a pack applied twice gives the same game");

    zq::GameImage rebuilt = original;
    const zq::PackReadResult whole = zq::readPackJson(zq::writePackJson(zq::wholeGamePack(game)));
    require(whole.pack && zq::applyPack(rebuilt, *whole.pack).applied, "the whole pack of a result applies");
    require(zq::sameGameData(rebuilt, game), "the whole pack of a result gives its game data back");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const zq::PackReadResult read = zq::readPackJson({reinterpret_cast<const char*>(data), size});
    if (!read.pack) {
        require(!read.error.empty(), "a refused text names its reason");
        return 0;
    }
    const std::string text = zq::writePackJson(*read.pack);
    const zq::PackReadResult back = zq::readPackJson(text);
    require(back.pack && back.unknownKeys.empty(), "a written pack reads back");
    require(zq::writePackJson(*back.pack) == text, "a pack reads back as it was written");

    applyChecked(*read.pack);
    zq::LevelPack ours = *read.pack;
    ours.game = zq::gameSignature(sample());
    applyChecked(ours);
    return 0;
}
