#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

// The file layer of the container: a readable, seekable byte source. Reads
// past the end return fewer bytes; seeks past the end are refused.
class KFile {
 public:
  virtual ~KFile() = default;
  // Reads up to uSize bytes at the current position; returns the count read.
  virtual size_t Read(void* pBuffer, size_t uSize) = 0;
  // Moves to an absolute position in [0, Size()]; false otherwise.
  virtual bool Seek(int64_t llPosition) = 0;
  virtual int64_t Tell() const = 0;
  virtual int64_t Size() const = 0;

  // Reads exactly uSize bytes or fails.
  bool ReadExact(void* pBuffer, size_t uSize) { return Read(pBuffer, uSize) == uSize; }
  // Reads exactly uSize bytes at llPosition or fails.
  bool ReadAt(int64_t llPosition, void* pBuffer, size_t uSize) { return Seek(llPosition) && ReadExact(pBuffer, uSize); }
};

// A file on disk through the C runtime's buffered streams.
class KFilePlain : public KFile {
 public:
  // Opens a UTF-8 path with a C stream mode ("rb", "r+b"); none on failure.
  static std::unique_ptr<KFilePlain> Open(const char* pszPath, const char* pszMode);
  ~KFilePlain() override;

  size_t Read(void* pBuffer, size_t uSize) override;
  bool Seek(int64_t llPosition) override;
  int64_t Tell() const override { return m_llPosition; }
  int64_t Size() const override { return m_llSize; }

 private:
  KFilePlain(std::FILE* pxFile, int64_t llSize) : m_pxFile(pxFile), m_llSize(llSize) {}
  std::FILE* m_pxFile;
  int64_t m_llSize;
  int64_t m_llPosition = 0;  // kept here: asking the stream costs a system call
};

// Bytes in memory (a copy of the caller's).
class KFileMemory : public KFile {
 public:
  KFileMemory(const void* pData, size_t uSize);

  size_t Read(void* pBuffer, size_t uSize) override;
  bool Seek(int64_t llPosition) override;
  int64_t Tell() const override { return static_cast<int64_t>(m_uPosition); }
  int64_t Size() const override { return static_cast<int64_t>(m_xBytes.size()); }

 private:
  std::vector<uint8_t> m_xBytes;
  size_t m_uPosition = 0;
};

// Opens a C stream from a UTF-8 path: as it is on POSIX systems; converted to
// UTF-16 and opened with the wide-character open on Windows.
std::FILE* KFileOpenUtf8(const char* pszPath, const char* pszMode);
// True when the UTF-8 path names an existing folder (a trailing separator is
// allowed).
bool KFileFolderExists(const char* pszPath);
