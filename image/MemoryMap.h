#pragma once
// Fixed layout of the game image: a 48K snapshot (27-byte header, then the
// Spectrum memory 0x4000..0xFFFF) and the regions of it that the editor reads
// or writes. Regions are named by Spectrum address; the editor works with
// image offsets, which imageOffset() converts to.

#include <cstddef>
#include <cstdint>

namespace zq {

inline constexpr std::size_t kHeaderSize = 27;
inline constexpr std::size_t kMemorySize = 49152;
inline constexpr std::size_t kImageSize = kHeaderSize + kMemorySize; // 49179

// Image offset of a Spectrum address in 0x4000..0xFFFF.
constexpr std::size_t imageOffset(std::uint16_t address)
{
    return std::size_t(address) - 0x4000 + kHeaderSize;
}

// Spectrum address of an image offset past the header.
constexpr std::uint16_t spectrumAddress(std::size_t offset)
{
    return std::uint16_t(offset - kHeaderSize + 0x4000);
}

namespace addr {
inline constexpr std::uint16_t Screen = 0x4000;
inline constexpr std::uint16_t RomSwap = 0x5B00;
inline constexpr std::uint16_t PagingByte = 0x5B5C;
inline constexpr std::uint16_t TapeCodeStart = 0x6194;
inline constexpr std::uint16_t LevelRecords = 0x61A8;
inline constexpr std::uint16_t EnemyTable = 0x74A1;
inline constexpr std::uint16_t AirflowRecords = 0x79B3;
inline constexpr std::uint16_t BubbleTable = 0x7E4B;
inline constexpr std::uint16_t MirrorBitmap = 0x8543;
inline constexpr std::uint16_t AttributeTable = 0x858C;
inline constexpr std::uint16_t LowerItemList = 0x860F;
inline constexpr std::uint16_t Title = 0x9A32;
inline constexpr std::uint16_t Company = 0x9A4B;
inline constexpr std::uint16_t Author = 0x9A61;
inline constexpr std::uint16_t PatternTable = 0xE680;
inline constexpr std::uint16_t Signature = 0xF5BC;
inline constexpr std::uint16_t ItemTable = 0xFF90;
} // namespace addr

namespace off {
inline constexpr std::size_t Header = 0;
inline constexpr std::size_t Screen = imageOffset(addr::Screen);                 // 27
inline constexpr std::size_t RomSwap = imageOffset(addr::RomSwap);               // 6939
inline constexpr std::size_t PagingByte = imageOffset(addr::PagingByte);
inline constexpr std::size_t TapeCodeStart = imageOffset(addr::TapeCodeStart);   // 8623
inline constexpr std::size_t LevelRecords = imageOffset(addr::LevelRecords);     // 8643
inline constexpr std::size_t EnemyTable = imageOffset(addr::EnemyTable);         // 13500
inline constexpr std::size_t AirflowRecords = imageOffset(addr::AirflowRecords); // 14798
inline constexpr std::size_t BubbleTable = imageOffset(addr::BubbleTable);       // 15974
inline constexpr std::size_t MirrorBitmap = imageOffset(addr::MirrorBitmap);     // 17758
inline constexpr std::size_t AttributeTable = imageOffset(addr::AttributeTable); // 17831
inline constexpr std::size_t LowerItemList = imageOffset(addr::LowerItemList);   // 17962
inline constexpr std::size_t Title = imageOffset(addr::Title);                   // 23117
inline constexpr std::size_t Company = imageOffset(addr::Company);               // 23142
inline constexpr std::size_t Author = imageOffset(addr::Author);                 // 23164
inline constexpr std::size_t PatternTable = imageOffset(addr::PatternTable);     // 42651
inline constexpr std::size_t Signature = imageOffset(addr::Signature);           // 46551
inline constexpr std::size_t ItemTable = imageOffset(addr::ItemTable);           // 49067
} // namespace off

inline constexpr int kLevelCount = 79;
inline constexpr std::size_t kScreenSize = 6912;
inline constexpr std::size_t kRomSwapSize = 20;
inline constexpr std::size_t kFullRecordSize = 77;
inline constexpr std::size_t kMirroredRecordSize = 39;
inline constexpr std::size_t kEnemyEntrySize = 16;
inline constexpr std::size_t kBubbleTableSize = 53;
inline constexpr std::size_t kMirrorBitmapSize = 10;
inline constexpr int kAttributeCount = 15;
inline constexpr std::size_t kLowerItemCount = 13;
inline constexpr int kPatternCount = 5;
inline constexpr std::size_t kPatternSize = 8;
inline constexpr std::size_t kSignatureSize = 10;
inline constexpr std::size_t kItemTableSize = 79;

// The level records must end here: the enemy table follows them.
inline constexpr std::size_t kLevelRecordsEnd = off::EnemyTable;

} // namespace zq
