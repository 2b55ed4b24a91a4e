#pragma once
// The generator's random numbers: every part of the sample data draws from
// its own fixed-seed Rng.

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace sampledata {

// ---------------------------------------------------------------------------
// Random numbers: xorshift32. Only integer arithmetic, so the sequence is the
// same with every compiler and library.
// ---------------------------------------------------------------------------
class Rng {
 public:
  explicit Rng(std::uint32_t seed) : state_(seed * 2654435761u + 0x6D2B79F5u) {
    if (state_ == 0) state_ = 1;
    for (int i = 0; i < 8; ++i) next();
  }
  std::uint32_t next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return state_;
  }
  int below(int n) { return static_cast<int>(next() % static_cast<std::uint32_t>(n)); }
  int range(int lo, int hi) { return lo + below(hi - lo + 1); }
  bool chance(int percent) { return below(100) < percent; }
  template <class T>
  void shuffle(std::vector<T>& v) {
    for (std::size_t i = v.size(); i > 1; --i) std::swap(v[i - 1], v[static_cast<std::size_t>(below(static_cast<int>(i)))]);
  }

 private:
  std::uint32_t state_;
};

}  // namespace sampledata
