#include "fbxsdk/fileio/kencrypted_file.h"

#include <cstring>
#include <random>

namespace {

constexpr char kMagic[8] = {'K', 'F', 'B', 'X', 'E', 'N', 'C', '1'};

uint64_t LoadLe(const uint8_t* p, int iBytes) {
  uint64_t u = 0;
  for (int i = iBytes - 1; i >= 0; --i) u = (u << 8) | p[i];
  return u;
}

void StoreLe(uint8_t* p, uint64_t u, int iBytes) {
  for (int i = 0; i < iBytes; ++i) p[i] = static_cast<uint8_t>(u >> (8 * i));
}

}  // namespace

bool KEncryptionRecord::Parse(const uint8_t (&auBytes)[kSize]) {
  if (std::memcmp(auBytes, kMagic, sizeof kMagic) != 0) return false;
  m_uRounds = static_cast<uint32_t>(LoadLe(auBytes + 8, 4));
  if (m_uRounds < 1 || m_uRounds > kMaxDeriveRounds) return false;
  std::memcpy(m_auSalt, auBytes + 16, sizeof m_auSalt);
  std::memcpy(m_auCheck, auBytes + 32, sizeof m_auCheck);
  m_ullCipherBytes = LoadLe(auBytes + 64, 8);
  m_uCrc = static_cast<uint32_t>(LoadLe(auBytes + 72, 4));
  return true;
}

void KEncryptionRecord::Store(uint8_t (&auBytes)[kSize]) const {
  std::memset(auBytes, 0, kSize);
  std::memcpy(auBytes, kMagic, sizeof kMagic);
  StoreLe(auBytes + 8, m_uRounds, 4);
  std::memcpy(auBytes + 16, m_auSalt, sizeof m_auSalt);
  std::memcpy(auBytes + 32, m_auCheck, sizeof m_auCheck);
  StoreLe(auBytes + 64, m_ullCipherBytes, 8);
  StoreLe(auBytes + 72, m_uCrc, 4);
}

bool KEncryptedFile::SetPassword(const std::string& xPassword) {
  uint8_t auCheck[32];
  KFbxCipherKey xKey;
  KFbxDeriveKey(xPassword, m_xRecord.m_auSalt, m_xRecord.m_uRounds, xKey, auCheck);
  if (std::memcmp(auCheck, m_xRecord.m_auCheck, sizeof auCheck) != 0) return false;
  m_xKey = xKey;
  m_bUnlocked = true;
  return true;
}

size_t KEncryptedFile::Read(void* pBuffer, size_t uSize) {
  uint8_t* pOut = static_cast<uint8_t*>(pBuffer);
  size_t uDone = 0;
  // The plain part reads as it is stored.
  if (m_llPosition < m_llPlainEnd) {
    const int64_t llPlain = m_llPlainEnd - m_llPosition;
    const size_t uCount = static_cast<uint64_t>(llPlain) < uSize ? static_cast<size_t>(llPlain) : uSize;
    if (!m_xStored.Seek(m_llPosition)) return 0;
    uDone = m_xStored.Read(pOut, uCount);
    m_llPosition += static_cast<int64_t>(uDone);
    if (uDone < uCount || uDone == uSize) return uDone;
  }
  if (!m_bUnlocked || !m_xStored.Seek(m_llPosition + KEncryptionRecord::kSize)) return uDone;
  const size_t uCount = m_xStored.Read(pOut + uDone, uSize - uDone);
  KFbxCipherApply(m_xKey, static_cast<uint64_t>(m_llPosition), pOut + uDone, uCount);
  m_llPosition += static_cast<int64_t>(uCount);
  return uDone + uCount;
}

bool KEncryptedFile::Seek(int64_t llPosition) {
  if (llPosition < 0 || llPosition > Size()) return false;
  m_llPosition = llPosition;
  return true;
}

size_t KCrcFile::Read(void* pBuffer, size_t uSize) {
  const size_t uRead = m_xBase.Read(pBuffer, uSize);
  m_uCrc = KFbxCrc32(m_uCrc, static_cast<const uint8_t*>(pBuffer), uRead);
  return uRead;
}

bool KCrcFile::Verify(KFile& xBase, int64_t llStart, int64_t llCount, uint32_t uExpected) {
  if (!xBase.Seek(llStart)) return false;
  KCrcFile xCrc(xBase);
  uint8_t auChunk[65536];
  while (llCount > 0) {
    const size_t uWant = llCount < static_cast<int64_t>(sizeof auChunk) ? static_cast<size_t>(llCount) : sizeof auChunk;
    if (!xCrc.ReadExact(auChunk, uWant)) return false;
    llCount -= static_cast<int64_t>(uWant);
  }
  return xCrc.Crc() == uExpected;
}

std::string KFbxEncipherFile(const std::string& xPlain, int64_t llPlainEnd, const std::string& xPassword) {
  KEncryptionRecord xRecord;
  std::random_device xRandom;
  for (uint8_t& uByte : xRecord.m_auSalt) uByte = static_cast<uint8_t>(xRandom());
  KFbxCipherKey xKey;
  KFbxDeriveKey(xPassword, xRecord.m_auSalt, xRecord.m_uRounds, xKey, xRecord.m_auCheck);
  const size_t uPlainEnd = static_cast<size_t>(llPlainEnd);
  std::string xCipher = xPlain.substr(uPlainEnd);
  KFbxCipherApply(xKey, uPlainEnd, reinterpret_cast<uint8_t*>(&xCipher[0]), xCipher.size());
  xRecord.m_ullCipherBytes = xCipher.size();
  xRecord.m_uCrc = KFbxCrc32(0, reinterpret_cast<const uint8_t*>(xCipher.data()), xCipher.size());
  uint8_t auRecord[KEncryptionRecord::kSize];
  xRecord.Store(auRecord);
  return xPlain.substr(0, uPlainEnd) + std::string(reinterpret_cast<const char*>(auRecord), sizeof auRecord) + xCipher;
}
