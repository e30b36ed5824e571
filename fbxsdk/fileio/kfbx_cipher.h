#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The primitives of our encrypted FBX files (see kencrypted_file.h for the
// layout): a ChaCha20 key stream addressed by byte position, so that any
// byte can be deciphered after a seek; a key derivation from the password;
// and the CRC-32 of the stored bytes.

struct KFbxCipherKey {
  uint32_t m_auKey[8] = {};
  uint32_t m_auNonce[3] = {};
};

// Derives the cipher key and the 32-byte password check from a password and
// a 16-byte salt by iterating the ChaCha permutation over them. It keeps
// casual readers out; it is no defence against a determined attack on a weak
// password.
void KFbxDeriveKey(const std::string& xPassword, const uint8_t (&auSalt)[16], uint32_t uRounds, KFbxCipherKey& xKey,
                   uint8_t (&auCheck)[32]);

// XORs the key stream at stream position llPosition into uSize bytes.
void KFbxCipherApply(const KFbxCipherKey& xKey, uint64_t ullPosition, uint8_t* pData, size_t uSize);

// CRC-32 (reflected, polynomial 0xEDB88320), continued from uCrc.
uint32_t KFbxCrc32(uint32_t uCrc, const uint8_t* pData, size_t uSize);
