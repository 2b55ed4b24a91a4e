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

    // Copies the image the program carries ("Snap", the sample game unless
    // the build embeds another) over the image. Returns false (image
    // unchanged) when the build carries none.
    bool loadDefault();

    bool operator==(const GameImage& other) const { return bytes_ == other.bytes_; }

private:
    std::array<std::uint8_t, kImageSize> bytes_;
};

} // namespace zq
