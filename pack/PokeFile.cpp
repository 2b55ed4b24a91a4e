#include "pack/PokeFile.h"

#include "image/GameData.h"

#include <cstdio>

namespace zq {

std::vector<Poke> gameDataPokes(const GameImage& game, const GameImage& base)
{
    const GameDataRegions ours = gameDataRegions(game), theirs = gameDataRegions(base);
    std::vector<Poke> pokes;
    for (std::size_t offset = kHeaderSize; offset < kImageSize; ++offset)
        if (game.get(offset) != base.get(offset) && (isGameData(ours, offset) || isGameData(theirs, offset)))
            pokes.push_back({spectrumAddress(offset), game.get(offset), base.get(offset)});
    return pokes;
}

std::string trainerName(std::string_view stem)
{
    constexpr std::size_t kLongest = 29;
    std::string name;
    for (char c : stem)
        if (c >= 32 && c <= 126 && name.size() < kLongest)
            name += c;
    while (!name.empty() && name.back() == ' ')
        name.pop_back();
    return name.empty() ? "Zelquor level pack" : name;
}

std::string pokeFileText(const std::string& name, const std::vector<Poke>& pokes)
{
    std::string text = "N" + name + "\n";
    text.reserve(text.size() + 20 * pokes.size() + 2);
    for (std::size_t i = 0; i < pokes.size(); ++i) {
        char line[32];
        std::snprintf(line, sizeof line, "%c%3d %5u %3u %3u\n", i + 1 == pokes.size() ? 'Z' : 'M', 8,
                      unsigned(pokes[i].address), unsigned(pokes[i].value), unsigned(pokes[i].original));
        text += line;
    }
    return text + "Y\n";
}

} // namespace zq
