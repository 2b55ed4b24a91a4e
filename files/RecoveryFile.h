#pragma once
// The recovery file: an unsaved game with its whole undo history, as bytes
// in and bytes out (no file access here). The editor keeps one while its
// game differs from the file it came from, so that an exit, a crash or a
// killed process loses nothing.
//
// Layout (integers little-endian):
//   "ZQRECOVR"             8 bytes
//   version                u32, kRecoveryVersion
//   saved at               i64, milliseconds since 1970 (UTC)
//   source file            u32 length + UTF-8 (empty: the game came from no file)
//   game image             49179 bytes, the content at the history's index
//   loading screen         6912 bytes
//   step count, index, clean index    u32, u32, i32 (-1: the saved state is
//                                      not in the history)
//   steps                  name (u32 length + UTF-8), level before, level
//                          after (u8 each), image delta, screen delta
//   delta                  u32 range count, then per range: u32 offset,
//                          u32 length, the old bytes, the new bytes
//   CRC-32 of everything before it   u32
//
// Steps below the index are done (the image holds them), those from the
// index on can be redone.

#include "image/ByteDelta.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <vector>

namespace zq {

inline constexpr std::uint32_t kRecoveryVersion = 1;
// Far above what the history holds (it keeps itself near 32 MiB): a larger
// file is refused by its size before it is read.
inline constexpr std::uint64_t kMaxRecoverySize = 96u << 20;
// Far above the steps the history holds (it counts at least 512 bytes a step
// against its 32 MiB): more is a damaged file, refused before the steps are
// read, so that a small file of empty steps cannot take gigabytes.
inline constexpr std::uint32_t kMaxRecoverySteps = 1u << 17;

struct HistoryStep {
    std::string name; // UTF-8, as the Edit menu shows it
    int levelBefore = 0;
    int levelAfter = 0;
    ByteDelta image;  // over the 49179 bytes of the game image
    ByteDelta screen; // over the 6912 bytes of the loading screen
};

struct RecoveryData {
    std::int64_t savedAt = 0;
    std::string sourceFile;
    std::vector<std::uint8_t> image;  // 49179 bytes
    std::vector<std::uint8_t> screen; // 6912 bytes
    std::vector<HistoryStep> steps;
    int index = 0;
    int cleanIndex = -1;

    // The edits a restore brings back: from the saved state to the index,
    // or every done step when the saved state is not in the history.
    int unsavedEdits() const { return cleanIndex < 0 ? index : std::abs(index - cleanIndex); }
};

std::vector<std::uint8_t> encodeRecovery(const RecoveryData& data);

struct DecodedRecovery {
    enum Status { Ok, NotRecovery, OtherVersion, Damaged } status = Damaged;
    RecoveryData data; // whole only when Ok
};

// Reads a recovery file back. Every length, offset and index is checked
// against what the file holds and the sizes of the image and the screen;
// the checksum is checked before anything else is believed.
DecodedRecovery decodeRecovery(std::span<const std::uint8_t> file);

} // namespace zq
