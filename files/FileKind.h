#pragma once
// The kinds of file a game image can be opened from or written to, chosen by
// the file name's extension, and the size limit for opening them.
//
//   .sna  48K or 128K snapshot, read as it stands (files/Snapshot.h)
//   .z80  .szx  snapshots decoded through libspectrum (files/SnapshotFormats.h)
//   .tap  .tzx  tapes, loaded in the embedded Spectrum (emu/TapeLoader.h)
//
// A file of another extension can still be told apart by its contents
// (identifyKind in files/SnapshotFormats.h).

#include "files/Snapshot.h"

#include <cstdint>
#include <span>
#include <string_view>

namespace zq {

enum class FileKind { Unknown, Sna, Z80, Szx, Tap, Tzx };

// No .z80, .szx, .tap or .tzx of the game comes near this: anything larger is
// refused by its size before a byte is read.
inline constexpr std::uint64_t kMaxOpenSize = 4u << 20; // 4 MiB

constexpr bool acceptedForOpen(std::uint64_t fileSize)
{
    return fileSize <= kMaxOpenSize;
}

// The size rule for opening a file of this kind: the two .sna sizes for .sna
// (as the editor has always had it), acceptedForOpen for everything else.
constexpr bool acceptedOpenSize(FileKind kind, std::uint64_t fileSize)
{
    return kind == FileKind::Sna ? acceptedSnapshotSize(fileSize) : acceptedForOpen(fileSize);
}

constexpr bool isTape(FileKind kind)
{
    return kind == FileKind::Tap || kind == FileKind::Tzx;
}

// True for a file that begins with the signature of a bzip2 ("BZh") or
// gzip (1F 8B) stream. libspectrum decompresses such a file whatever kind
// it is told, and its bzip2 reader never returns from a truncated stream:
// nothing compressed may reach it.
bool isCompressed(std::span<const std::uint8_t> file);

// The kind named by the extension of the file name part of `path` (after the
// last '/' and its last '.'), in any letter case: "Game.Z80" is Z80,
// "dir.tap/game" and "game" are Unknown.
FileKind kindFromName(std::string_view path);

// ".sna", ".z80", ".szx", ".tap", ".tzx"; "" for Unknown.
std::string_view extensionOf(FileKind kind);

} // namespace zq
