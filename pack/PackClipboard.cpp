#include "pack/PackClipboard.h"

#include "pack/LevelPack.h"
#include "pack/PackCodec.h"
#include "pack/PackJson.h"

#include <algorithm>

namespace zq {

std::string levelClipboardText(const GameImage& game, int levelIndex)
{
    return writePackJson(singleLevelPack(game, levelIndex));
}

std::optional<LevelClipboard> levelFromClipboardText(std::string_view text, const GameImage& game)
{
    // Cheap refusals first: the clipboard may hold any text, of any size.
    if (text.size() > kMaxPackSize || text.find(kPackFormatName) == std::string_view::npos)
        return std::nullopt;
    const PackReadResult read = readPackJson(text);
    if (!read.pack || read.pack->game != gameSignature(game) || read.pack->levels.size() != 1 ||
        !read.pack->levels[0].layout)
        return std::nullopt;
    const PackLevel& level = read.pack->levels[0];
    // The rows are written into a record of the level's kind at the start of
    // a scratch image, from where the clipboard copies them as Copy Level does.
    GameImage scratch;
    const LevelRecord record{off::LevelRecords, *level.mirrored};
    writeLayoutRows(scratch, record, *level.layout, level.layoutLastByte);
    LevelClipboard clipboard;
    copyLevel(scratch, record, clipboard);
    return clipboard;
}

} // namespace zq
