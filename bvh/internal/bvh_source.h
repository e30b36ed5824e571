#pragma once
// The bytes of one BVH load, handed to the scanner a line at a time: either
// a block of memory owned by the caller or a file read in large blocks.
// Carriage return + line feed becomes a line feed, the way a text-mode read
// does, unless the bytes come from a read that has folded them already.

#include <cstddef>
#include <cstdio>
#include <vector>

#include "bvh_diagnostics.h"

namespace Kvat {
namespace Bvh {

// Whether the reader folds the line ends of a file it opened in text mode:
// Windows' runtime folds CR LF itself in such a read; elsewhere the read
// gives the bytes as they are.
#ifdef _WIN32
constexpr bool kReaderFoldsFileLineEnds = false;
#else
constexpr bool kReaderFoldsFileLineEnds = true;
#endif

class ByteSource {
 public:
  // The bytes stay the caller's and must outlive the load.
  ByteSource(const char* data, std::size_t size);
  // A file opened by the caller. foldCrLf is false where the runtime's
  // text mode has folded line ends itself, so that none is folded twice.
  ByteSource(std::FILE* file, bool foldCrLf);

  // Hands every byte the source takes in to watcher's bytesRead (see
  // Diagnostics): bytes in memory at once, a file's blocks as they are read.
  void watch(Diagnostics& watcher);

  // Copies up to maxSize bytes, one line at most, into buffer. Returns 0 at
  // the end of the bytes or when the file cannot be read (then failed()).
  std::size_t readLine(char* buffer, std::size_t maxSize);
  bool failed() const { return m_bFailed; }
  // Bytes not yet handed out, when known (a file whose size cannot be told
  // gives 0), and the length of the last whole line handed out (its line end
  // included, after folding).
  std::size_t remaining() const;
  std::size_t lastLineLength() const { return m_uLastLine; }
  // Bytes of the current line handed out so far (0 when the next read starts a line).
  std::size_t lineSoFar() const { return m_uLine; }

 private:
  // Makes bytes available from the file; false at its end or on failure.
  bool refill();
  bool nextIs(char c);

  const char* m_pNext = nullptr;
  const char* m_pEnd = nullptr;
  std::FILE* m_pFile = nullptr;
  Diagnostics* m_pWatcher = nullptr;
  std::vector<char> m_vBlock;
  std::size_t m_uFileSize = 0;  // 0 when unknown
  std::size_t m_uFileRead = 0;  // bytes taken from the file into blocks
  std::size_t m_uLine = 0;      // bytes of the line being handed out
  std::size_t m_uLastLine = 0;
  bool m_bFold = true;
  bool m_bFailed = false;
};

}  // namespace Bvh
}  // namespace Kvat
