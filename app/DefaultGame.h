#pragma once
// The default game of an editor session: the game New loads and the window
// starts with. It is the sample game the program carries unless the user
// chose their own copy of the game, which the editor's settings remember
// for every later run.

#include "image/GameImage.h"

#include <cstdint>
#include <span>

namespace zq {

class DefaultGame {
public:
    // The carried sample; load() reads the remembered choice.
    DefaultGame();

    // Takes the copy the settings remember, if any, else the sample.
    void load();

    const GameImage& image() const { return image_; }
    // True while the user's own copy is the default.
    bool isUsers() const { return users_; }

    // Remembers a 49179-byte image as the default from now on; any other
    // size is refused (false, nothing changes).
    bool use(std::span<const std::uint8_t> image);
    // Back to the sample game, also for later runs.
    void useSample();

private:
    GameImage image_;
    bool users_ = false;
};

} // namespace zq
