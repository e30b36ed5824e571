#pragma once

#include <cstddef>
#include <cstdint>

// The mutator's own random numbers, a 64-bit mixing sequence: the same seed
// gives the same mutations on every compiler and standard library, which
// the distributions of <random> do not promise.
class FbxRandom {
 public:
  explicit FbxRandom(uint64_t ullSeed) : m_ullState(ullSeed) {}

  uint64_t Next() {
    uint64_t z = (m_ullState += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  // Uniform in [0, uCount); 0 when uCount is 0.
  size_t Below(size_t uCount) { return uCount ? static_cast<size_t>(Next() % uCount) : 0; }
  // For counts beyond size_t on 32-bit builds (key times in ticks).
  uint64_t Below64(uint64_t ullCount) { return ullCount ? Next() % ullCount : 0; }
  bool OneIn(size_t uCount) { return Below(uCount) == 0; }
  template <typename T, size_t N>
  const T& Pick(const T (&axItems)[N]) {
    return axItems[Below(N)];
  }

 private:
  uint64_t m_ullState;
};
