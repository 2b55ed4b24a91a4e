#pragma once
// The plain-text description of a game image that `zelquor-cli info` prints:
// one line per level, the air-flow records, the spare bytes of the special
// bubble table and the three credit texts.

#include "image/GameImage.h"

#include <string>

namespace zq::cli {

// A credit text in double quotes: characters 32..126 as they are (with '"'
// and '\' escaped), any other code as \xNN.
std::string quotedText(const std::u32string& text);

std::string describeImage(const GameImage& image);

} // namespace zq::cli
