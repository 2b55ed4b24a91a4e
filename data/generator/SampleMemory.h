#pragma once
// The memory map of the sample game image and the Memory that is filled
// region by region.

#include "data/generator/SampleCommon.h"

#include <array>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace sampledata {

// ---------------------------------------------------------------------------
// Memory map of the game image
// ---------------------------------------------------------------------------
constexpr int kHeaderSize = 27;
constexpr int kImageSize = kHeaderSize + 0xC000;  // 49179
constexpr int kScreen = 0x4000;
constexpr int kPagingByte = 0x5B5C;
constexpr int kStackTop = 0x6190;
constexpr int kLevels = 0x61A8;
constexpr int kEnemyTable = 0x74A1;
constexpr int kBubbleTable = 0x7E4B;
constexpr int kBubbleTableSize = 53;
constexpr int kMirrorBitmap = 0x8543;
constexpr int kLevelAttributes = 0x858C;
constexpr int kLowerItemList = 0x860F;
constexpr int kTitle = 0x9A32;
constexpr int kCompany = 0x9A4B;
constexpr int kAuthor = 0x9A61;
constexpr int kBlockPatternTable = 0xE680;
constexpr int kBoot = 0xF5BC;
constexpr int kItemTable = 0xFF90;

constexpr int kLevelCount = 79;
constexpr int kFullRecord = 77;
constexpr int kMirroredRecord = 39;
constexpr int kFullWidthLevels = 30;

// Airflow record address of each level (level number = index + 1). Several
// levels share a record; the game keeps this table in its code.
constexpr std::array<int, kLevelCount> kAirflowAddress = {
    0x79B3, 0x79B3, 0x79BB, 0x79CB, 0x79DB, 0x79DB, 0x79EB, 0x79F1, 0x79FA, 0x7A08,
    0x7A11, 0x7A1C, 0x7A2F, 0x7A2F, 0x7A35, 0x7A3B, 0x7A49, 0x7A52, 0x7A62, 0x7A70,
    0x7A7B, 0x7A84, 0x7A8D, 0x7A96, 0x7A9C, 0x7AA7, 0x7AAB, 0x7AB6, 0x7ABC, 0x7AC0,
    0x7ACB, 0x7AD9, 0x7AE4, 0x7AEF, 0x7AEF, 0x79B3, 0x7AF7, 0x7AFD, 0x7B01, 0x7B07,
    0x7ABC, 0x7ABC, 0x79EB, 0x7B1D, 0x7B21, 0x7AEF, 0x7B29, 0x79B3, 0x7B36, 0x79B3,
    0x7B3E, 0x79B3, 0x7B46, 0x7B51, 0x7B57, 0x7B67, 0x7B72, 0x7B82, 0x7B95, 0x7A2F,
    0x7BA0, 0x7BA4, 0x7BAA, 0x7BB0, 0x7BB6, 0x7BC1, 0x7BC7, 0x7BD2, 0x7AEF, 0x7BDA,
    0x7BE5, 0x7BEB, 0x7BF1, 0x7BF7, 0x7C07, 0x7C0D, 0x7C0D, 0x7C13, 0x7C19};

// The 48K image: Spectrum memory 0x4000..0xFFFF. Every region is claimed
// before it is written, so two regions can never overlap by accident.
class Memory {
 public:
  Memory() : bytes_(0xC000, 0) {}

  void claim(int addr, int length, const std::string& name) {
    require(addr >= 0x4000 && addr + length <= 0x10000, name + " lies outside RAM");
    for (const auto& [start, entry] : claims_) {
      const int end = start + entry.first;
      require(addr + length <= start || addr >= end, name + " overlaps " + entry.second);
    }
    claims_[addr] = {length, name};
  }

  Byte& at(int addr) {
    require(addr >= 0x4000 && addr <= 0xFFFF, "address " + hex(addr) + " outside RAM");
    return bytes_[static_cast<std::size_t>(addr - 0x4000)];
  }
  Byte at(int addr) const { return bytes_[static_cast<std::size_t>(addr - 0x4000)]; }

  void put(int addr, const std::vector<Byte>& data) {
    for (std::size_t i = 0; i < data.size(); ++i) at(addr + static_cast<int>(i)) = data[i];
  }

  const std::vector<Byte>& bytes() const { return bytes_; }

 private:
  std::vector<Byte> bytes_;
  std::map<int, std::pair<int, std::string>> claims_;
};

}  // namespace sampledata
