#pragma once

#include <cstdint>
#include <string>

#include "fbxsdk/fileio/kfbx_cipher.h"
#include "fbxsdk/fileio/kfile.h"

// Our encrypted FBX files. The file is a plain binary file whose content
// after the header extension is enciphered:
//
//   [0, P)          plain: the 27-byte header and the header-extension record
//                   (P is that record's end offset); its "EncryptionType" is 1
//   [P, P + 160)    the encryption record below
//   [P + 160, end)  the rest of the file, each byte XORed with the ChaCha20
//                   key stream at its position in the file without the record
//
// Positions inside the file (end offsets, footers) count as if the record
// were not there, so the deciphered file is an ordinary binary file. The
// record (little-endian):
//
//   0   8  "KFBXENC1"
//   8   4  key-derivation rounds, 1 to kMaxDeriveRounds
//   12  4  zero
//   16  16 salt
//   32  32 password check (from the key derivation)
//   64  8  count of enciphered bytes: the file's size - P - 160
//   72  4  CRC-32 of the enciphered bytes as stored
//   76  84 zero
//
// The key and the check come from the password and the salt (KFbxDeriveKey);
// a password whose check differs is wrong.
struct KEncryptionRecord {
  static constexpr int kSize = 160;
  // Bounds the work of opening a file: more rounds than any writer uses only
  // slows a reader down.
  static constexpr uint32_t kMaxDeriveRounds = 1u << 16;
  static constexpr uint32_t kDefaultDeriveRounds = 1024;

  uint32_t m_uRounds = kDefaultDeriveRounds;
  uint8_t m_auSalt[16] = {};
  uint8_t m_auCheck[32] = {};
  uint64_t m_ullCipherBytes = 0;
  uint32_t m_uCrc = 0;

  // False when the bytes are not a record of ours.
  bool Parse(const uint8_t (&auBytes)[kSize]);
  void Store(uint8_t (&auBytes)[kSize]) const;
};

// The deciphering layer: the logical file (without the record) over the
// stored one. Bytes after the header extension read only once the password
// is set.
class KEncryptedFile : public KFile {
 public:
  KEncryptedFile(KFile& xStored, int64_t llPlainEnd, const KEncryptionRecord& xRecord)
      : m_xStored(xStored), m_llPlainEnd(llPlainEnd), m_xRecord(xRecord) {}

  // False for a wrong password (the layer stays locked).
  bool SetPassword(const std::string& xPassword);
  bool IsUnlocked() const { return m_bUnlocked; }

  size_t Read(void* pBuffer, size_t uSize) override;
  bool Seek(int64_t llPosition) override;
  int64_t Tell() const override { return m_llPosition; }
  int64_t Size() const override { return m_xStored.Size() - KEncryptionRecord::kSize; }

 private:
  KFile& m_xStored;
  int64_t m_llPlainEnd;
  KEncryptionRecord m_xRecord;
  KFbxCipherKey m_xKey;
  bool m_bUnlocked = false;
  int64_t m_llPosition = 0;
};

// The checksum layer: passes reads through and keeps the CRC-32 of every byte
// read.
class KCrcFile : public KFile {
 public:
  explicit KCrcFile(KFile& xBase) : m_xBase(xBase) {}
  size_t Read(void* pBuffer, size_t uSize) override;
  bool Seek(int64_t llPosition) override { return m_xBase.Seek(llPosition); }
  int64_t Tell() const override { return m_xBase.Tell(); }
  int64_t Size() const override { return m_xBase.Size(); }
  uint32_t Crc() const { return m_uCrc; }

  // Reads llCount bytes from llStart and compares their CRC-32 with uExpected.
  static bool Verify(KFile& xBase, int64_t llStart, int64_t llCount, uint32_t uExpected);

 private:
  KFile& m_xBase;
  uint32_t m_uCrc = 0;
};

// Writer side: enciphers a plain binary file whose header extension ends at
// llPlainEnd with the password, returning the stored bytes.
std::string KFbxEncipherFile(const std::string& xPlain, int64_t llPlainEnd, const std::string& xPassword);
