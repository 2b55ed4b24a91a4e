#pragma once
// Snapshot files of the game, as bytes in and bytes out (no file access here).
//
// A 48K .sna file is the game image byte for byte: 27 bytes of saved registers
// followed by the memory 0x4000..0xFFFF. A 128K .sna file is the same 49179
// bytes followed by 4 bytes of 128K state (PC, port 0x7FFD, TR-DOS) and five
// further 16K RAM banks. Both can be opened; only the first 49179 bytes are
// taken. The editor writes both kinds; the 128K one starts at a small routine
// at 0x5B00 that pages in the 48K ROM and then resumes the 48K snapshot.
//
// Opening, as the caller drives it:
//   1. acceptedSnapshotSize(size of the file) -- refuse before reading
//      anything when false ("File size incorrect");
//   2. read the whole file, then checkSnapshot(size, bytes, image held):
//      WrongSize -> "File size incorrect", NotTheGame -> "File selected is
//      not a Zelquor snapshot", Ok -> openSnapshot(image, bytes).
//
// Saving: forceExtension(chosen name, ".sna"); a result equal to the
// extension alone means the dialog was cancelled. Then write save48(image),
// or export128(image) for the 128K file (which also leaves the ROM swap
// routine in the image).

#include "image/GameImage.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zq {

inline constexpr std::size_t kSnapshot48Size = kImageSize; // 49179
inline constexpr std::size_t kBankSize = 16384;
inline constexpr std::size_t kSnapshot128ExtraBanks = 5;
inline constexpr std::size_t kSnapshot128StateSize = 4;
inline constexpr std::size_t kSnapshot128Size =
    kSnapshot48Size + kSnapshot128StateSize + kSnapshot128ExtraBanks * kBankSize; // 131103

// The only file sizes a snapshot of the game can have. Decided from the size
// alone, so that a huge file is refused without being read.
constexpr bool acceptedSnapshotSize(std::uint64_t fileSize)
{
    return fileSize == kSnapshot48Size || fileSize == kSnapshot128Size;
}

enum class OpenCheck {
    Ok,         // the file may replace the image held
    WrongSize,  // "File size incorrect"
    NotTheGame, // "File selected is not a Zelquor snapshot"
};

// Checks a snapshot file before it replaces the image held. The size comes
// first; then the 10 bytes at 0xF5BC (offset 46551) of the file must equal
// those of the image held now (the reference is the image, not a constant).
// fileBytes must be the whole file: if fewer or more bytes than fileSize
// arrived (a short read, or a file that changed in between), the answer is
// WrongSize, so a partial file is never loaded.
OpenCheck checkSnapshot(std::uint64_t fileSize, std::span<const std::uint8_t> fileBytes, const GameImage& held);

// Replaces the whole image with the first 49179 bytes of a snapshot file. For
// a 128K file this drops the 128K state and the extra banks. Returns false and
// leaves the image unchanged when fileBytes is not of an accepted size.
bool openSnapshot(GameImage& image, std::span<const std::uint8_t> fileBytes);

// The 48K .sna file: the image exactly as it stands, header included.
std::vector<std::uint8_t> save48(const GameImage& image);

// The 128K system's ROM swap routine, placed at 0x5B00 by the 128K export:
//   PUSH AF / PUSH BC / LD BC,0x7FFD / LD A,(0x5B5C) / XOR 0x10 / DI /
//   LD (0x5B5C),A / OUT (C),A / EI / POP BC / POP AF / RET
// It flips the ROM bit of the paging byte kept at 0x5B5C, sends it to the
// paging port and returns through the PC that the 48K snapshot left on the
// stack.
inline constexpr std::array<std::uint8_t, kRomSwapSize> kRomSwapRoutine = {
    0xF5, 0xC5, 0x01, 0xFD, 0x7F, 0x3A, 0x5C, 0x5B, 0xEE, 0x10,
    0xF3, 0x32, 0x5C, 0x5B, 0xED, 0x79, 0xFB, 0xC1, 0xF1, 0xC9,
};

// Writes the ROM swap routine at 0x5B00..0x5B13 (image offsets 6939..6958).
// Nothing else changes; the paging byte at 0x5B5C is left as it is.
void writeRomSwapRoutine(GameImage& image);

// The 128K .sna file of the image as it stands: the 49179 bytes, PC 0x5B00
// (00 5B), port 0x7FFD value 0x00 (bank 0 at 0xC000, ROM 0, unlocked),
// TR-DOS not paged (00), then banks 1, 3, 4, 6 and 7 filled with zeros.
// It only starts properly when the image holds the ROM swap routine.
std::vector<std::uint8_t> save128(const GameImage& image);
// The same into `file`, whose memory is reused: for callers that write many.
void save128(const GameImage& image, std::vector<std::uint8_t>& file);

// The 128K export: writes the ROM swap routine into the image (where it
// stays, so a later 48K save carries it too) and returns save128(image).
std::vector<std::uint8_t> export128(GameImage& image);
void export128(GameImage& image, std::vector<std::uint8_t>& file);

// Forces the extension ext (".sna", ".tap") onto a path chosen in a save
// dialog. Only the file name part (after the last '/') is looked at: if it
// contains a '.', everything from its first '.' on is replaced by ext;
// otherwise ext is appended. A '.' in a folder name is left alone:
//   "stage" -> "stage.sna", "stage.old.sna" -> "stage.sna",
//   "dir.v2/stage" -> "dir.v2/stage.sna", "" -> ".sna".
// An empty path (the dialog was cancelled) gives ext alone, which the caller
// treats as "write nothing".
std::string forceExtension(std::string path, std::string_view ext);

} // namespace zq
