#pragma once
// Inside the writer: where encoded bytes go, and the two encoders that
// turn fields into them. KFbxWriteFile, KFbxWriteBytes and KFbxFileWriter
// all encode through these, so a tree written at once and fields streamed
// one by one give the same bytes.

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "fbxsdk/fileio/kfbx_field_sink.h"

// Encoded bytes, appended in order; a binary record's header words are
// written as zeros and patched once the record ends.
class KFbxByteOut {
 public:
  virtual ~KFbxByteOut() = default;
  virtual void Append(const char* pBytes, size_t uCount) = 0;
  // Overwrites four bytes appended earlier at uAt.
  virtual void Patch(uint64_t uAt, const uint8_t (&auBytes)[4]) = 0;
  virtual uint64_t Size() const = 0;
  // Why writing failed; empty while all is well.
  virtual std::string Error() const { return std::string(); }

  void Append(const std::string& xBytes) { Append(xBytes.data(), xBytes.size()); }
  void Zeros(size_t uCount);
};

// Into a string held by the caller.
class KFbxStringOut : public KFbxByteOut {
 public:
  explicit KFbxStringOut(std::string& xOut) : m_xOut(xOut) {}
  using KFbxByteOut::Append;
  void Append(const char* pBytes, size_t uCount) override { m_xOut.append(pBytes, uCount); }
  void Patch(uint64_t uAt, const uint8_t (&auBytes)[4]) override;
  uint64_t Size() const override { return m_xOut.size(); }

 private:
  std::string& m_xOut;
};

// Into a file, through a buffer of kStreamBufferBytes: a patch of bytes
// still in the buffer lands there, one of bytes already flushed is a
// positioned write (a record begun before the last flush: a handful per
// flush, one per open level).
class KFbxFileOut : public KFbxByteOut {
 public:
  // Large enough that positioned writes are rare, small beside any clip.
  static constexpr size_t kStreamBufferBytes = 1u << 20;

  // Takes the open stream and closes it in Close or the destructor.
  explicit KFbxFileOut(std::FILE* pxFile) : m_pxFile(pxFile) {}
  ~KFbxFileOut() override;
  using KFbxByteOut::Append;
  void Append(const char* pBytes, size_t uCount) override;
  void Patch(uint64_t uAt, const uint8_t (&auBytes)[4]) override;
  uint64_t Size() const override { return m_ullFlushed + m_xBuffer.size(); }
  std::string Error() const override { return m_xError; }
  // Flushes and closes; false when any write failed.
  bool Close();

 private:
  void Flush();

  std::FILE* m_pxFile;
  std::string m_xBuffer;
  uint64_t m_ullFlushed = 0;  // file offset of the buffer's first byte
  std::string m_xError;
};

// The file at pszPath created for writing, or null with the reason in
// *pxError (when given; emptied on success). A refusal found beforehand
// (options the writer does not take) is that reason, and no file is made.
std::unique_ptr<KFbxFileOut> KFbxCreateFileOut(const char* pszPath, const std::string& xRefusal, std::string* pxError);

// The encoders. A binary sink writes the records of one section (the
// caller writes the header, the section's end and footer); an ASCII sink
// the text after the header lines.
std::unique_ptr<KFbxFieldSink> KFbxMakeBinarySink(KFbxByteOut& xOut, bool bBigEndian);
std::unique_ptr<KFbxFieldSink> KFbxMakeAsciiSink(KFbxByteOut& xOut);

// The binary file's header: magic, byte order and version.
void KFbxPutBinaryHeader(KFbxByteOut& xOut, const KFbxWriteOptions& xOptions);
// Section iSection's end, begun at ullStart: the terminator of its top
// level, padding to 16 bytes, the footer (distance back to the section's
// start, 0 for the first; its version), the footer's magic and the trailing
// bytes the options ask for.
void KFbxPutSectionEnd(KFbxByteOut& xOut, const KFbxWriteOptions& xOptions, size_t uSection, uint64_t ullStart);
// The ASCII file's header lines.
void KFbxPutAsciiHeader(KFbxByteOut& xOut, const KFbxWriteOptions& xOptions);
