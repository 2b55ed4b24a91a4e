#pragma once
// The .tap tape file of the game, built as bytes (no file access here).
//
// A .tap file is a sequence of blocks, each a 2-byte little-endian length N
// followed by N bytes: a flag (0x00 header, 0xFF data), the contents, and a
// checksum that is the XOR of the N-1 bytes before it. A header's contents
// are type (0 program, 3 bytes), a 10-character name padded with spaces,
// data length, parameter 1 and parameter 2 (little-endian words).
//
// The tape of the game holds three header/data pairs, 47688 bytes in all:
//   "Zelqor"  the BASIC loader (fixed, 170 bytes with its header);
//   "screen"  the loading screen, 6912 bytes (6937 with its header);
//   "code"    memory 0x6194..0xFFFF taken from the game image at each export
//             (40581 bytes with its header).
// The loader clears RAMTOP to 24978, loads the screen, silences the screen
// channel so that the next LOAD prints nothing over the picture, loads the
// code and starts the game at 62908 (0xF5BC).

#include "image/GameImage.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace zq {

inline constexpr std::size_t kTapHeaderLength = 19; // flag + 17 bytes + checksum
inline constexpr std::uint8_t kTapHeaderFlag = 0x00;
inline constexpr std::uint8_t kTapDataFlag = 0xFF;
inline constexpr std::uint8_t kTapTypeProgram = 0;
inline constexpr std::uint8_t kTapTypeBytes = 3;

// The loader: a 126-byte program of four lines and a 19-byte variables area.
inline constexpr std::size_t kLoaderProgramLength = 126;
inline constexpr std::size_t kLoaderDataLength = 145;
inline constexpr std::size_t kLoaderBlockSize = 2 + kTapHeaderLength + 2 + kLoaderDataLength + 2; // 170

inline constexpr std::size_t kScreenBlockSize = 2 + kTapHeaderLength + 2 + kScreenSize + 2; // 6937

inline constexpr std::uint16_t kCodeLoadAddress = 24980; // 0x6194
inline constexpr std::uint16_t kCodeParameter2 = 32966;  // 0x80C6, as the game's tape has it
inline constexpr std::size_t kCodeLength = 0x10000 - kCodeLoadAddress; // 40556
inline constexpr std::size_t kCodeBlockSize = 2 + kTapHeaderLength + 2 + kCodeLength + 2; // 40581

inline constexpr std::size_t kTapeSize = kLoaderBlockSize + kScreenBlockSize + kCodeBlockSize; // 47688

// XOR of every byte; 0 for no bytes. A block's checksum is this over the
// flag and the contents.
std::uint8_t xorOf(std::span<const std::uint8_t> bytes);

// A 19-byte header block body (flag 0x00 ... checksum), name padded with
// spaces (or cut) to 10 characters.
std::array<std::uint8_t, kTapHeaderLength> tapHeader(std::uint8_t type, std::string_view name, std::uint16_t dataLength,
                                                     std::uint16_t parameter1, std::uint16_t parameter2);

// The 145 bytes of the loader: the tokenised program (10 CLEAR 24978 /
// 20 LOAD ""SCREEN$ : POKE 23739,111 : LOAD ""CODE / 30 RANDOMIZE USR 62908 /
// 9999 SAVE "Zelqor" LINE 0 : SAVE "code" CODE 24980,40556) followed by the
// variables area holding the FOR variable n (value 4, limit 3, step 1,
// looping to line 20 statement 2).
const std::array<std::uint8_t, kLoaderDataLength>& loaderData();

// The loader's two tape blocks as they are written (170 bytes): header
// "Zelqor" (program, autostart line 0, program length 126) and its data.
const std::array<std::uint8_t, kLoaderBlockSize>& loaderBlock();

// The loading screen held with the tape: 6912 bytes of a Spectrum screen
// (pixels, then attributes) and the checksum of its data block.
class LoadingScreen {
public:
    // An all-zero screen.
    LoadingScreen();

    // The screen area 0x4000..0x5AFF of an image: what the editor holds at
    // start-up, taken from the default image.
    static LoadingScreen fromImage(const GameImage& image);

    // Replaces the screen; `screen` must be exactly 6912 bytes, else nothing
    // changes and the result is false.
    bool assign(std::span<const std::uint8_t> screen);

    const std::array<std::uint8_t, kScreenSize>& bytes() const { return bytes_; }
    // 0xFF XOR every screen byte: the data block's last byte.
    std::uint8_t checksum() const { return checksum_; }

    bool operator==(const LoadingScreen&) const = default;

private:
    std::array<std::uint8_t, kScreenSize> bytes_{};
    std::uint8_t checksum_ = kTapDataFlag;
};

// The loading screen's two tape blocks (6937 bytes): header "screen" (bytes,
// length 6912, parameters 32768 and 32768; LOAD ""SCREEN$ puts it at 16384
// whatever the header says) and the data with the screen's checksum.
std::vector<std::uint8_t> screenBlock(const LoadingScreen& screen);

// The code's two tape blocks (40581 bytes): header "code" (bytes, length
// 40556, load address 24980, parameter 2 32966) and the data, game image
// offsets 8623..49178 (memory 0x6194..0xFFFF), with 0xFF XOR all of them.
std::vector<std::uint8_t> codeBlock(const GameImage& image);

// The whole 47688-byte .tap file: loader, loading screen, code.
std::vector<std::uint8_t> buildTape(const GameImage& image, const LoadingScreen& screen);

} // namespace zq
