// The portable 128-bit integer: against the compiler's __int128 where there
// is one, and by the identities of integer division everywhere.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "fbxsdk/core/kwide.h"

namespace {

constexpr KWide kMin = KWide::FromWords(INT64_MIN, 0);

// Values of every size and sign, the edges included.
std::vector<KWide> Samples() {
  std::vector<KWide> xValues = {0,  1,         -1,        2,         -2,        10,         -10,
                                99, INT32_MAX, INT32_MIN, INT64_MAX, INT64_MIN, -INT64_MAX, KWide(INT64_MAX) + 1};
  xValues.push_back(KWide::FromWords(INT64_MAX, UINT64_MAX));  // the largest
  xValues.push_back(kMin);                                     // the smallest
  xValues.push_back(KWide::FromWords(0, UINT64_MAX));          // 2^64 - 1
  std::mt19937_64 xRandom(0x5eed);
  for (int i = 0; i < 40; ++i) {
    const uint64_t uLow = xRandom();
    const int64_t llHigh = static_cast<int64_t>(xRandom()) >> (i % 64);  // every magnitude
    xValues.push_back(KWide::FromWords(i % 3 == 0 ? 0 : llHigh, uLow));
    xValues.push_back(KWide(static_cast<int64_t>(uLow) >> (i % 63)));
  }
  return xValues;
}

bool DivisionDefined(KWide a, KWide b) { return b != 0 && !(a == kMin && b == -1); }

TEST(KWide, DivisionIdentitiesHold) {
  const std::vector<KWide> xValues = Samples();
  for (KWide a : xValues)
    for (KWide b : xValues) {
      if (!DivisionDefined(a, b)) continue;
      const KWide q = a / b, r = a % b;
      ASSERT_EQ(q * b + r, a);
      // The remainder is smaller than the divisor and takes the dividend's sign.
      ASSERT_TRUE(r == 0 || ((r < 0) == (a < 0)));
      ASSERT_TRUE(b == kMin || (b < 0 ? (r > b && r < -b) : (r < b && r > -b)));
      ASSERT_EQ(a + b - b, a);
      ASSERT_EQ((a < b) + (a == b) + (a > b), 1);
    }
}

TEST(KWide, SmallValuesActLikeTheirOwnType) {
  const int64_t aValues[] = {0, 7, -7, 1000000007, -3600, INT32_MAX, INT32_MIN};
  for (int64_t a : aValues)
    for (int64_t b : aValues) {
      SCOPED_TRACE(testing::Message() << a << " " << b);
      EXPECT_EQ(static_cast<int64_t>(KWide(a) * b), a * b);
      EXPECT_EQ(static_cast<int64_t>(KWide(a) - b), a - b);
      EXPECT_EQ(KWide(a) < b, a < b);
      if (b == 0) continue;
      EXPECT_EQ(static_cast<int64_t>(KWide(a) / b), a / b);
      EXPECT_EQ(static_cast<int>(KWide(a) % b), static_cast<int>(a % b));
    }
}

#if defined(__SIZEOF_INT128__)
__int128 Native(KWide x) { return static_cast<__int128>(x.High()) * (static_cast<__int128>(1) << 64) + x.Low(); }

TEST(KWide, MatchesTheCompilersType) {
  const std::vector<KWide> xValues = Samples();
  for (KWide a : xValues)
    for (KWide b : xValues) {
      const __int128 na = Native(a), nb = Native(b);
      // Wrapping is defined for the unsigned type; compare through it.
      const auto Wrap = [](unsigned __int128 u) { return static_cast<__int128>(u); };
      ASSERT_EQ(Native(a + b), Wrap(static_cast<unsigned __int128>(na) + static_cast<unsigned __int128>(nb)));
      ASSERT_EQ(Native(a - b), Wrap(static_cast<unsigned __int128>(na) - static_cast<unsigned __int128>(nb)));
      ASSERT_EQ(Native(a * b), Wrap(static_cast<unsigned __int128>(na) * static_cast<unsigned __int128>(nb)));
      ASSERT_EQ(a < b, na < nb);
      ASSERT_EQ(static_cast<int64_t>(a), static_cast<int64_t>(na));
      if (!DivisionDefined(a, b)) continue;
      ASSERT_EQ(Native(a / b), na / nb);
      ASSERT_EQ(Native(a % b), na % nb);
    }
}
#endif

}  // namespace
