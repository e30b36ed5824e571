#pragma once

#include <cstdint>
#include <cstring>

#include "fbxsdk/fileio/kfbx_bytes.h"

// A value read with its type: its class as KFbx::GetValueClass gives it and
// its reading. Integers ('I', 'L') read as KFbx::NextInt64 reads them,
// numbers ('F', 'D') as KFbx::NextDouble; any other value is a text, and
// m_cLetter is its character when the text KFbx::NextString gives is one
// character long as a C string ('\0' otherwise).
struct KFbxTypedValue {
  char m_cClass = '\0';
  char m_cLetter = '\0';
  int64_t m_llInteger = 0;
  double m_dReal = 0.0;
};

// ASCII tokens read as the C library reads them: strtoll (saturating), and
// strtod with a non-zero result whose binary exponent is below -1021 read as
// 0. pszToken is zero-terminated after uLength bytes.
int64_t KFbxAsciiInteger(const char* pszToken, uint32_t uLength);
double KFbxAsciiReal(const char* pszToken, uint32_t uLength);
// 'I' for [sign] digits, 'D' for a decimal number with a fraction or an
// exponent, 'C' for one character, 'S' for anything else.
char KFbxClassifyToken(const char* pszToken, uint32_t uLength, bool bQuoted);
// The character of a binary string payload (its 32-bit length, then its
// bytes) when the text it reads as is one character long as a C string.
char KFbxStringLetter(const uint8_t* pPayload, bool bBigEndian);

// The values of one occurrence walked in order, straight over the bytes
// the field list holds (see KFbxFieldList): the container's single reads
// and its bulk reads of long number lists share it. The bytes were checked
// when their block was parsed.
class KFbxValueWalker {
 public:
  KFbxValueWalker(const uint8_t* pBytes, uint32_t uAt, uint32_t uCount, bool bBinary, bool bBigEndian)
      : m_pBytes(pBytes), m_uAt(uAt), m_uLeft(uCount), m_bBinary(bBinary), m_bBigEndian(bBigEndian) {}

  // ASCII values start with their length, which carries kQuoted for a
  // quoted string; the token and a zero byte follow.
  static constexpr uint32_t kLengthBytes = 4;
  static constexpr uint32_t kQuoted = 0x80000000u;

  bool AtEnd() const { return m_uLeft == 0; }
  uint32_t Left() const { return m_uLeft; }
  uint32_t Offset() const { return m_uAt; }
  bool Binary() const { return m_bBinary; }
  bool BigEndian() const { return m_bBigEndian; }

  // Binary values: the type code and the payload after it.
  uint8_t Code() const { return m_pBytes[m_uAt]; }
  const uint8_t* Payload() const { return m_pBytes + m_uAt + 1; }
  // ASCII values: the token (zero-terminated), its length and whether it
  // was a quoted string.
  const char* Token() const { return reinterpret_cast<const char*>(m_pBytes + m_uAt + kLengthBytes); }
  uint32_t TokenLength() const { return Word() & ~kQuoted; }
  bool Quoted() const { return (Word() & kQuoted) != 0; }

  char Class() const {
    return m_bBinary ? static_cast<char>(Code()) : KFbxClassifyToken(Token(), TokenLength(), Quoted());
  }

  // Binary values step by a constant on the branch of each size: along a
  // list of a few codes the branches predict, so the walk does not wait on
  // each code's load before finding the next value.
  void Next() {
    --m_uLeft;
    if (!m_bBinary) {
      m_uAt += kLengthBytes + TokenLength() + 1;
      return;
    }
    switch (KFbxFixedPayload(Code())) {
      case 8:
        m_uAt += 1 + 8;
        break;
      case 4:
        m_uAt += 1 + 4;
        break;
      case 1:
        m_uAt += 1 + 1;
        break;
      default:
        m_uAt += 1 + 4 + KFbxLoad32(Payload(), m_bBigEndian);
        break;
    }
  }

  KFbxTypedValue Typed() const { return m_bBinary ? TypedBinary() : TypedAscii(); }

 private:
  uint32_t Word() const {
    uint32_t uWord;
    std::memcpy(&uWord, m_pBytes + m_uAt, sizeof uWord);
    return uWord;
  }

  KFbxTypedValue TypedBinary() const {
    KFbxTypedValue xValue;
    const uint8_t* p = Payload();
    xValue.m_cClass = static_cast<char>(Code());
    switch (Code()) {
      case 'I':
        xValue.m_llInteger = static_cast<int32_t>(KFbxLoad32(p, m_bBigEndian));
        break;
      case 'L':
        xValue.m_llInteger = static_cast<int64_t>(KFbxLoad64(p, m_bBigEndian));
        break;
      case 'F': {
        const uint32_t uBits = KFbxLoad32(p, m_bBigEndian);
        float fValue;
        std::memcpy(&fValue, &uBits, sizeof fValue);
        xValue.m_dReal = fValue;
        break;
      }
      case 'D': {
        const uint64_t ullBits = KFbxLoad64(p, m_bBigEndian);
        std::memcpy(&xValue.m_dReal, &ullBits, sizeof xValue.m_dReal);
        break;
      }
      case 'C':
        xValue.m_cLetter = static_cast<char>(p[0]);
        break;
      case 'S':
        xValue.m_cLetter = KFbxStringLetter(p, m_bBigEndian);
        break;
      default:
        break;
    }
    return xValue;
  }

  KFbxTypedValue TypedAscii() const {
    KFbxTypedValue xValue;
    const char* pszToken = Token();
    const uint32_t uLength = TokenLength();
    xValue.m_cClass = KFbxClassifyToken(pszToken, uLength, Quoted());
    switch (xValue.m_cClass) {
      case 'I':
        xValue.m_llInteger = KFbxAsciiInteger(pszToken, uLength);
        break;
      case 'D':
        xValue.m_dReal = KFbxAsciiReal(pszToken, uLength);
        break;
      default:
        // The token is zero-terminated: one character as a C string is a
        // first byte that is not zero followed by the terminator or a zero.
        if (uLength > 0 && pszToken[0] != '\0' && pszToken[1] == '\0') xValue.m_cLetter = pszToken[0];
        break;
    }
    return xValue;
  }

  const uint8_t* m_pBytes;
  uint32_t m_uAt;
  uint32_t m_uLeft;
  bool m_bBinary;
  bool m_bBigEndian;
};
