#pragma once

// A signed 128-bit integer for the few computations whose intermediate
// values outgrow 64 bits and are range-checked afterwards (time codes, curve
// extrapolation). Compilers for 64-bit targets have __int128; 32-bit targets,
// such as the 32-bit Windows module, do not, and use KWide: two's complement
// in two 64-bit words, wrapping like the built-in type, division truncating
// toward zero. Dividing by zero, or the smallest value by -1, is undefined as
// it is for the built-in type.

#include <cstdint>
#include <type_traits>

class KWide {
 public:
  constexpr KWide() = default;
  constexpr KWide(int64_t llValue)  // NOLINT: converts implicitly, as the built-in type does
      : m_uLow(static_cast<uint64_t>(llValue)), m_uHigh(llValue < 0 ? ~uint64_t{0} : 0) {}

  // The value high * 2^64 + low, and its two words.
  static constexpr KWide FromWords(int64_t llHigh, uint64_t uLow) { return Make(static_cast<uint64_t>(llHigh), uLow); }
  constexpr int64_t High() const { return static_cast<int64_t>(m_uHigh); }
  constexpr uint64_t Low() const { return m_uLow; }

  // The low bits, as a conversion of the built-in type gives them.
  template <class T, class = std::enable_if_t<std::is_integral<T>::value>>
  constexpr explicit operator T() const {
    return static_cast<T>(static_cast<int64_t>(m_uLow));
  }

  friend constexpr bool operator==(KWide a, KWide b) { return a.m_uHigh == b.m_uHigh && a.m_uLow == b.m_uLow; }
  friend constexpr bool operator!=(KWide a, KWide b) { return !(a == b); }
  friend constexpr bool operator<(KWide a, KWide b) {
    const int64_t llA = static_cast<int64_t>(a.m_uHigh), llB = static_cast<int64_t>(b.m_uHigh);
    return llA != llB ? llA < llB : a.m_uLow < b.m_uLow;
  }
  friend constexpr bool operator>(KWide a, KWide b) { return b < a; }
  friend constexpr bool operator<=(KWide a, KWide b) { return !(b < a); }
  friend constexpr bool operator>=(KWide a, KWide b) { return !(a < b); }

  friend constexpr KWide operator+(KWide a, KWide b) {
    const uint64_t uLow = a.m_uLow + b.m_uLow;
    return Make(a.m_uHigh + b.m_uHigh + (uLow < a.m_uLow ? 1 : 0), uLow);
  }
  friend constexpr KWide operator-(KWide a) { return Make(~a.m_uHigh, ~a.m_uLow) + KWide(1); }
  friend constexpr KWide operator-(KWide a, KWide b) { return a + -b; }
  friend constexpr KWide operator*(KWide a, KWide b) {
    KWide xProduct = MultiplyWords(a.m_uLow, b.m_uLow);
    xProduct.m_uHigh += a.m_uLow * b.m_uHigh + a.m_uHigh * b.m_uLow;
    return xProduct;
  }
  friend constexpr KWide operator/(KWide a, KWide b) {
    KWide xQuotient, xRemainder;
    DivideSigned(a, b, xQuotient, xRemainder);
    return xQuotient;
  }
  friend constexpr KWide operator%(KWide a, KWide b) {
    KWide xQuotient, xRemainder;
    DivideSigned(a, b, xQuotient, xRemainder);
    return xRemainder;
  }

  constexpr KWide& operator+=(KWide b) { return *this = *this + b; }
  constexpr KWide& operator-=(KWide b) { return *this = *this - b; }
  constexpr KWide& operator*=(KWide b) { return *this = *this * b; }
  constexpr KWide& operator/=(KWide b) { return *this = *this / b; }
  constexpr KWide& operator%=(KWide b) { return *this = *this % b; }
  constexpr KWide& operator--() { return *this -= 1; }
  constexpr KWide& operator++() { return *this += 1; }

 private:
  static constexpr KWide Make(uint64_t uHigh, uint64_t uLow) {
    KWide x;
    x.m_uHigh = uHigh;
    x.m_uLow = uLow;
    return x;
  }
  constexpr bool Negative() const { return (m_uHigh >> 63) != 0; }

  // The full product of two 64-bit words, from four 32-bit partial products.
  static constexpr KWide MultiplyWords(uint64_t a, uint64_t b) {
    const uint64_t aLow = a & 0xffffffffu, aHigh = a >> 32, bLow = b & 0xffffffffu, bHigh = b >> 32;
    const uint64_t uLowLow = aLow * bLow, uLowHigh = aLow * bHigh, uHighLow = aHigh * bLow;
    const uint64_t uMiddle = (uLowLow >> 32) + (uLowHigh & 0xffffffffu) + (uHighLow & 0xffffffffu);
    return Make(aHigh * bHigh + (uLowHigh >> 32) + (uHighLow >> 32) + (uMiddle >> 32),
                (uMiddle << 32) | (uLowLow & 0xffffffffu));
  }

  // Unsigned division, one bit of quotient per step from the dividend's
  // highest set bit: at most 128 steps, and these divisions are rare.
  static constexpr void DivideUnsigned(KWide n, KWide d, KWide& q, KWide& r) {
    q = KWide();
    r = KWide();
    if (n.m_uHigh == 0 && d.m_uHigh == 0) {
      q.m_uLow = n.m_uLow / d.m_uLow;
      r.m_uLow = n.m_uLow % d.m_uLow;
      return;
    }
    int iBit = 127;
    while (iBit >= 0 && !n.BitAt(iBit)) --iBit;
    for (; iBit >= 0; --iBit) {
      r = Make((r.m_uHigh << 1) | (r.m_uLow >> 63), (r.m_uLow << 1) | (n.BitAt(iBit) ? 1 : 0));
      if (!LessUnsigned(r, d)) {
        r = r - d;
        if (iBit >= 64)
          q.m_uHigh |= uint64_t{1} << (iBit - 64);
        else
          q.m_uLow |= uint64_t{1} << iBit;
      }
    }
  }
  static constexpr void DivideSigned(KWide n, KWide d, KWide& q, KWide& r) {
    DivideUnsigned(n.Negative() ? -n : n, d.Negative() ? -d : d, q, r);
    if (n.Negative() != d.Negative()) q = -q;
    if (n.Negative()) r = -r;
  }
  static constexpr bool LessUnsigned(KWide a, KWide b) {
    return a.m_uHigh != b.m_uHigh ? a.m_uHigh < b.m_uHigh : a.m_uLow < b.m_uLow;
  }
  constexpr bool BitAt(int iBit) const { return ((iBit >= 64 ? m_uHigh >> (iBit - 64) : m_uLow >> iBit) & 1) != 0; }

  uint64_t m_uLow = 0;
  uint64_t m_uHigh = 0;
};

// The wide type the library computes with. Builds for Windows use KWide on
// every word size (BONEPLAY_NO_INT128), so that the 64-bit test build runs
// the arithmetic the 32-bit module carries.
#if defined(__SIZEOF_INT128__) && !defined(BONEPLAY_NO_INT128)
using KWideInt = __int128;
#else
using KWideInt = KWide;
#endif
