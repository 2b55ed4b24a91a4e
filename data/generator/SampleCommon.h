#pragma once
// What every part of the sample data generator uses: the byte type, the end
// of the program on a failed check, hexadecimal numbers for the messages and
// little-endian values.

#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

namespace sampledata {

using Byte = std::uint8_t;

[[noreturn]] inline void fail(const std::string& what) {
  std::cerr << "zelquor-sampledata: " << what << '\n';
  std::exit(1);
}

inline void require(bool ok, const std::string& what) {
  if (!ok) fail("self-check failed: " + what);
}

inline std::string hex(int value) {
  static const char* digits = "0123456789ABCDEF";
  std::string s = "0x0000";
  for (int i = 0; i < 4; ++i) s[5 - i] = digits[(value >> (4 * i)) & 15];
  return s;
}

inline void putLe(std::vector<Byte>& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<Byte>(value >> (8 * i)));
}

}  // namespace sampledata
