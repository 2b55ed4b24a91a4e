#pragma once
// The pieces of a level pack as the game stores them: each piece's fields
// turned into its bytes and back.
//
// A piece that carries raw bytes keeps them wherever its fields agree with
// what the raw bytes decode to, and writes the fields' own encoding where
// they do not: a pack applied as written gives the raw bytes back exactly,
// and a field changed by hand still takes effect.

#include "image/GameImage.h"
#include "image/LevelData.h"
#include "pack/LevelPack.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace zq {

// Bytes as upper-case hex digits, two a byte, as packs write raw bytes.
std::string hexString(std::span<const std::uint8_t> bytes);

inline constexpr char kBlockChar = '#';
inline constexpr char kOpenChar = '.';

// Layout rows of a record and their writing; the four spare bits of a
// mirrored record's last byte come from lastByte, else they are cleared.
std::vector<std::string> readLayoutRows(const GameImage& image, const LevelRecord& record);
void writeLayoutRows(GameImage& image, const LevelRecord& record, const std::vector<std::string>& rows,
                     std::optional<std::uint8_t> lastByte);

// A level's enemy entry.
PackEnemies decodeEnemyEntry(const std::array<std::uint8_t, kEnemyEntrySize>& bytes);
std::array<std::uint8_t, kEnemyEntrySize> encodeEnemyEntry(const PackEnemies& enemies);

PackAttribute decodePackAttribute(std::uint8_t byte);
std::uint8_t encodePackAttribute(const PackAttribute& attribute);

PackCredit decodeCredit(const std::vector<std::uint8_t>& field);
std::vector<std::uint8_t> encodeCredit(const PackCredit& credit, std::size_t width);

// Block pattern entry 0..4 as 8 rows of 8 characters, and back.
std::array<std::string, kPatternSize> readPatternRows(const GameImage& image, int entry);
void writePatternRows(GameImage& image, int entry, const std::array<std::string, kPatternSize>& rows);

// The air-flow record at an image offset: its gap set and areas, and their
// writing over a record of n = areas - 1 (the spare nibble from raw, else 0).
PackAirflow readPackAirflow(const GameImage& image, std::size_t offset);
void writePackAirflow(GameImage& image, std::size_t offset, const PackAirflow& airflow);

} // namespace zq
