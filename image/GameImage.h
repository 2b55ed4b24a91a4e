#pragma once
// The game image: one 48K snapshot of the game held in memory, the only
// document the editor edits. Every access is bounded to the 49179 bytes, so
// offsets computed from whatever a loaded snapshot holds can never leave it.

#include "image/MemoryMap.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace zq {

class GameImage {
public:
    GameImage() { bytes_.fill(0); }

    static constexpr std::size_t size() { return kImageSize; }

    // Bounded byte access: reads outside the image give 0, writes outside it
    // are dropped.
    std::uint8_t get(std::size_t offset) const { return offset < kImageSize ? bytes_[offset] : 0; }
    void set(std::size_t offset, std::uint8_t value)
    {
        if (offset < kImageSize)
            bytes_[offset] = value;
    }

    // The bytes [offset, offset + length) clipped to the image.
    std::span<const std::uint8_t> view(std::size_t offset, std::size_t length) const;
    std::span<std::uint8_t> view(std::size_t offset, std::size_t length);

    std::span<const std::uint8_t> bytes() const { return bytes_; }
    std::span<std::uint8_t> bytes() { return bytes_; }

    // Copies min(source size, image size) bytes over the start of the image;
    // the rest keeps its bytes.
    void assign(std::span<const std::uint8_t> source);

    // Copies the default image over the image: the one set with
    // setDefaultImage, else the embedded "Snap". Returns false (image
    // unchanged) when there is neither.
    bool loadDefault();

    bool operator==(const GameImage& other) const { return bytes_ == other.bytes_; }

private:
    std::array<std::uint8_t, kImageSize> bytes_;
};

// The default image of this run: a 49179-byte image of the user's own copy
// of the game instead of the one the program carries. Any other size is
// refused (false). New, the signature check and the start-up image use it.
bool setDefaultImage(std::span<const std::uint8_t> image);
// Back to the image the program carries.
void clearDefaultImage();
// True while an image set with setDefaultImage is the default.
bool hasUserDefaultImage();

} // namespace zq
