#pragma once

#include <cstdint>
#include <cstring>

// Multi-byte numbers of a binary file in either byte order.
inline uint32_t KFbxLoad32(const uint8_t* p, bool bBigEndian) {
  if (bBigEndian) return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | uint32_t(p[3]);
  uint32_t u;
  std::memcpy(&u, p, 4);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
  u = __builtin_bswap32(u);
#endif
  return u;
}

inline uint64_t KFbxLoad64(const uint8_t* p, bool bBigEndian) {
  const uint64_t ullFirst = KFbxLoad32(p, bBigEndian);
  const uint64_t ullSecond = KFbxLoad32(p + 4, bBigEndian);
  return bBigEndian ? (ullFirst << 32 | ullSecond) : (ullSecond << 32 | ullFirst);
}

inline void KFbxStore32(uint8_t* p, uint32_t u, bool bBigEndian) {
  for (int i = 0; i < 4; ++i) p[bBigEndian ? 3 - i : i] = static_cast<uint8_t>(u >> (8 * i));
}

inline void KFbxStore64(uint8_t* p, uint64_t u, bool bBigEndian) {
  KFbxStore32(p + (bBigEndian ? 4 : 0), static_cast<uint32_t>(u), bBigEndian);
  KFbxStore32(p + (bBigEndian ? 0 : 4), static_cast<uint32_t>(u >> 32), bBigEndian);
}

// Size of a binary record header: end offset, property count, property
// list length (32 bits each) and the name length byte.
constexpr int kFbxRecordHeaderSize = 13;
// Payload size of a fixed-size property type code, 0 for strings and raw
// values (4-byte length, then the bytes), -1 for an unknown code.
inline int KFbxFixedPayload(uint8_t uCode) {
  switch (uCode) {
    case 'C':
      return 1;
    case 'I':
    case 'F':
      return 4;
    case 'D':
    case 'L':
      return 8;
    case 'S':
    case 'R':
      return 0;
    default:
      return -1;
  }
}
