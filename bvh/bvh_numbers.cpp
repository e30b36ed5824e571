#include "bvh_numbers.h"

#include <charconv>
#include <cstring>
#include <limits>

namespace Kvat {
namespace Bvh {

namespace {

constexpr int64_t kIntMax = std::numeric_limits<int32_t>::max();
constexpr int64_t kIntMin = std::numeric_limits<int32_t>::min();

bool isDigit(char c) { return c >= '0' && c <= '9'; }

int hexDigit(char c) {
  if (isDigit(c)) return c - '0';
  return (c | 0x20) - 'a' + 10;
}

// The power of ten of a real text's leading digit plus its exponent: above 0
// the text is at least 1, below it less. Only used for texts whose value lies
// beyond a float's range, where this says which end.
int64_t decimalMagnitude(const char* p, const char* end) {
  int64_t magnitude = 0;
  while (p != end && *p == '0') ++p;
  while (p != end && isDigit(*p)) ++p, ++magnitude;
  if (p != end && *p == '.') {
    ++p;
    if (magnitude == 0)
      for (; p != end && *p == '0'; ++p) --magnitude;
    while (p != end && isDigit(*p)) ++p;
  }
  if (p == end || (*p | 0x20) != 'e') return magnitude;
  ++p;
  const bool negative = p != end && *p == '-';
  if (p != end && (*p == '-' || *p == '+')) ++p;
  int64_t exponent = 0;
  // Saturates far beyond any float, and far below int64's limits.
  for (; p != end && isDigit(*p); ++p) exponent = exponent < 1000000 ? exponent * 10 + (*p - '0') : exponent;
  return negative ? magnitude - exponent : magnitude + exponent;
}

// The common form of capture files, "-"? digits "." digits without exponent
// or suffix, whose digits m make an integer below 2^53: m and the power 10^k
// are exact doubles, so m / 10^k is the double nearest the text's value.
// Rounded again to a float it is the float nearest that value unless it lies
// exactly half-way between two floats (then the first rounding may have
// decided the second): those, and every other form, are left to the general
// conversion.
bool simpleReal(const char* p, const char* end, float& value) {
  static constexpr double kPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,
                                       1e10, 1e11, 1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19};
  const bool negative = p != end && *p == '-';
  if (negative) ++p;
  if (end - p > 20) return false;  // 19 digits at most: no overflow of m
  uint64_t m = 0;
  for (; p != end && isDigit(*p); ++p) m = m * 10 + static_cast<uint64_t>(*p - '0');
  if (p == end || *p != '.') return false;
  const char* fraction = ++p;
  for (; p != end && isDigit(*p); ++p) m = m * 10 + static_cast<uint64_t>(*p - '0');
  if (p != end || m >= (uint64_t{1} << 53)) return false;
  const double nearest = static_cast<double>(m) / kPowers[p - fraction];
  uint64_t bits;
  std::memcpy(&bits, &nearest, sizeof bits);
  // The 29 bits a float drops: exactly 1 followed by zeros is a half-way case.
  if ((bits & 0x1FFFFFFFu) == 0x10000000u) return false;
  value = static_cast<float>(negative ? -nearest : nearest);
  return true;
}

}  // namespace

int32_t decimalInteger(const char* text, std::size_t size) {
  const char* p = text;
  const char* end = text + size;
  const bool negative = p != end && *p == '-';
  if (negative) ++p;
  int64_t value = 0;
  // Once past the 32-bit range the value stays there: no overflow, and the
  // clamp below sees the right side.
  for (; p != end; ++p)
    if (value <= kIntMax) value = value * 10 + (*p - '0');
  if (negative) value = -value;
  return static_cast<int32_t>(value > kIntMax ? kIntMax : value < kIntMin ? kIntMin : value);
}

int32_t hexInteger(const char* digits, std::size_t size) {
  int64_t value = 0;
  for (std::size_t i = 0; i < size; ++i)
    if (value <= kIntMax) value = value * 16 + hexDigit(digits[i]);
  return static_cast<int32_t>(value > kIntMax ? kIntMax : value);
}

float realNumber(const char* text, std::size_t size) {
  const char* end = text + size;
  if (end != text && (end[-1] | 0x20) == 'f') --end;  // the suffix is not part of the value
  float value = 0.f;
  if (simpleReal(text, end, value)) return value;
  const std::from_chars_result r = std::from_chars(text, end, value);
  if (r.ec != std::errc::result_out_of_range) return value;
  const bool negative = *text == '-';
  const float magnitude =
      decimalMagnitude(negative ? text + 1 : text, end) > 0 ? std::numeric_limits<float>::infinity() : 0.f;
  return negative ? -magnitude : magnitude;
}

// The scanner's number rules, over the whole word: DEC -?{D}+, HEX
// 0[xX]{H}+ (which wins over a name of the same length), REAL
// -?({D}+"."{D}*|"."{D}+){EXP}?[fF]?. A word any of them matches whole is
// that one token, since no rule matches a longer text of it.
bool rowNumber(const char* text, std::size_t size, float& value) {
  const char* p = text;
  const char* end = text + size;
  if (size > 2 && p[0] == '0' && (p[1] | 0x20) == 'x') {
    for (const char* h = p + 2; h != end; ++h)
      if (!isDigit(*h) && ((*h | 0x20) < 'a' || (*h | 0x20) > 'f')) return false;
    value = static_cast<float>(hexInteger(text + 2, size - 2));
    return true;
  }
  if (p != end && *p == '-') ++p;
  const char* digits = p;
  while (p != end && isDigit(*p)) ++p;
  const bool whole = p != digits;
  if (p == end) {
    if (!whole) return false;
    value = static_cast<float>(decimalInteger(text, size));
    return true;
  }
  if (*p != '.') return false;
  const char* fraction = ++p;
  while (p != end && isDigit(*p)) ++p;
  if (!whole && p == fraction) return false;
  if (p != end && (*p | 0x20) == 'e') {
    ++p;
    if (p != end && (*p == '-' || *p == '+')) ++p;
    const char* exponent = p;
    while (p != end && isDigit(*p)) ++p;
    if (p == exponent) return false;
  }
  if (p != end && (*p | 0x20) == 'f') ++p;
  if (p != end) return false;
  value = realNumber(text, size);
  return true;
}

}  // namespace Bvh
}  // namespace Kvat
