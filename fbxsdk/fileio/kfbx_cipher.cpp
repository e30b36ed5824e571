#include "fbxsdk/fileio/kfbx_cipher.h"

#include <cstring>

namespace {

constexpr uint32_t kConstants[4] = {0x61707865, 0x3320646e, 0x79622d32, 0x6b206574};
constexpr size_t kBlockBytes = 64;

inline uint32_t Rotl(uint32_t u, int n) { return (u << n) | (u >> (32 - n)); }

inline void QuarterRound(uint32_t* s, int a, int b, int c, int d) {
  s[a] += s[b], s[d] = Rotl(s[d] ^ s[a], 16);
  s[c] += s[d], s[b] = Rotl(s[b] ^ s[c], 12);
  s[a] += s[b], s[d] = Rotl(s[d] ^ s[a], 8);
  s[c] += s[d], s[b] = Rotl(s[b] ^ s[c], 7);
}

// The ChaCha20 block function: 20 rounds, then the input added back.
void Block(const uint32_t (&auIn)[16], uint32_t (&auOut)[16]) {
  uint32_t s[16];
  std::memcpy(s, auIn, sizeof s);
  for (int i = 0; i < 10; ++i) {
    QuarterRound(s, 0, 4, 8, 12), QuarterRound(s, 1, 5, 9, 13);
    QuarterRound(s, 2, 6, 10, 14), QuarterRound(s, 3, 7, 11, 15);
    QuarterRound(s, 0, 5, 10, 15), QuarterRound(s, 1, 6, 11, 12);
    QuarterRound(s, 2, 7, 8, 13), QuarterRound(s, 3, 4, 9, 14);
  }
  for (int i = 0; i < 16; ++i) auOut[i] = s[i] + auIn[i];
}

uint32_t LoadLe(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

void KeyStreamBlock(const KFbxCipherKey& xKey, uint32_t uCounter, uint8_t (&auOut)[kBlockBytes]) {
  uint32_t auIn[16];
  std::memcpy(auIn, kConstants, sizeof kConstants);
  std::memcpy(auIn + 4, xKey.m_auKey, sizeof xKey.m_auKey);
  auIn[12] = uCounter;
  std::memcpy(auIn + 13, xKey.m_auNonce, sizeof xKey.m_auNonce);
  uint32_t auWords[16];
  Block(auIn, auWords);
  for (int i = 0; i < 16; ++i)
    for (int b = 0; b < 4; ++b) auOut[i * 4 + b] = static_cast<uint8_t>(auWords[i] >> (8 * b));
}

struct CrcTable {
  uint32_t m_au[256];
  CrcTable() {
    for (uint32_t i = 0; i < 256; ++i) {
      uint32_t c = i;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      m_au[i] = c;
    }
  }
};

}  // namespace

void KFbxDeriveKey(const std::string& xPassword, const uint8_t (&auSalt)[16], uint32_t uRounds, KFbxCipherKey& xKey,
                   uint8_t (&auCheck)[32]) {
  // State: constants, then 32 bytes taken in turn from the password (its
  // length first), then the salt. Each round permutes the state and folds the
  // next password bytes into it.
  uint32_t auState[16];
  std::memcpy(auState, kConstants, sizeof kConstants);
  for (int i = 0; i < 4; ++i) auState[12 + i] = LoadLe(auSalt + 4 * i);
  for (int i = 4; i < 12; ++i) auState[i] = 0;
  auState[4] = static_cast<uint32_t>(xPassword.size());
  size_t uNext = 0;
  for (uint32_t uRound = 0; uRound < uRounds + 1; ++uRound) {
    for (int i = 5; i < 12 && !xPassword.empty(); ++i) {
      uint8_t auBytes[4];
      for (uint8_t& uByte : auBytes) uByte = static_cast<uint8_t>(xPassword[uNext++ % xPassword.size()]);
      auState[i] ^= LoadLe(auBytes);
    }
    uint32_t auOut[16];
    Block(auState, auOut);
    std::memcpy(auState + 4, auOut, 8 * sizeof(uint32_t));  // the next round starts from the mixed words
    auState[12] ^= auOut[8];
  }
  uint32_t auFinal[16];
  Block(auState, auFinal);
  std::memcpy(xKey.m_auKey, auFinal, sizeof xKey.m_auKey);
  std::memcpy(xKey.m_auNonce, auFinal + 8, sizeof xKey.m_auNonce);
  auState[15] ^= 0x636b6863;  // a different input block gives the password check
  Block(auState, auFinal);
  for (int i = 0; i < 8; ++i)
    for (int b = 0; b < 4; ++b) auCheck[i * 4 + b] = static_cast<uint8_t>(auFinal[i] >> (8 * b));
}

void KFbxCipherApply(const KFbxCipherKey& xKey, uint64_t ullPosition, uint8_t* pData, size_t uSize) {
  uint8_t auStream[kBlockBytes];
  while (uSize > 0) {
    const uint64_t ullBlock = ullPosition / kBlockBytes;
    const size_t uOffset = static_cast<size_t>(ullPosition % kBlockBytes);
    KeyStreamBlock(xKey, static_cast<uint32_t>(ullBlock), auStream);
    size_t uCount = kBlockBytes - uOffset;
    if (uCount > uSize) uCount = uSize;
    for (size_t i = 0; i < uCount; ++i) pData[i] ^= auStream[uOffset + i];
    pData += uCount;
    uSize -= uCount;
    ullPosition += uCount;
  }
}

uint32_t KFbxCrc32(uint32_t uCrc, const uint8_t* pData, size_t uSize) {
  static const CrcTable s_xTable;
  uCrc = ~uCrc;
  for (size_t i = 0; i < uSize; ++i) uCrc = s_xTable.m_au[(uCrc ^ pData[i]) & 0xFF] ^ (uCrc >> 8);
  return ~uCrc;
}
