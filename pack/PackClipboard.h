#pragma once
// A level on the system clipboard: Copy Level also puts the level there as
// the text of a one-level pack, so that another running editor (or a text
// editor, a chat) takes it; Paste Level takes the layout of such a text into
// the editor's own level clipboard and pastes it as that one would.

#include "files/Clipboard.h"
#include "image/GameImage.h"

#include <optional>
#include <string>
#include <string_view>

namespace zq {

// The one-level pack of a level, as text.
std::string levelClipboardText(const GameImage& game, int levelIndex);

// The layout of a one-level pack text of this game (its signature), as a
// filled level clipboard; nothing for any other text.
std::optional<LevelClipboard> levelFromClipboardText(std::string_view text, const GameImage& game);

} // namespace zq
