#include "bvh_source.h"

#include <cstring>

namespace Kvat {
namespace Bvh {

namespace {
// Large enough that reading costs few calls, small beside any clip's samples.
constexpr std::size_t kFileBlock = 1 << 20;
}  // namespace

ByteSource::ByteSource(const char* data, std::size_t size) : m_pNext(data), m_pEnd(data ? data + size : data) {}

ByteSource::ByteSource(std::FILE* file, bool foldCrLf) : m_pFile(file), m_bFold(foldCrLf) {
  // Only a hint for the reader's planning; a stream without a size has none.
  if (std::fseek(file, 0, SEEK_END) == 0) {
    const long size = std::ftell(file);
    if (size > 0) m_uFileSize = static_cast<std::size_t>(size);
  }
  if (std::fseek(file, 0, SEEK_SET) != 0) m_uFileSize = 0;
  std::clearerr(file);
}

void ByteSource::watch(Diagnostics& watcher) {
  m_pWatcher = &watcher;
  if (!m_pFile && m_pNext != m_pEnd) watcher.bytesRead(m_pNext, static_cast<std::size_t>(m_pEnd - m_pNext));
}

std::size_t ByteSource::remaining() const {
  const std::size_t inBlock = static_cast<std::size_t>(m_pEnd - m_pNext);
  if (!m_pFile) return inBlock;
  return m_uFileSize > m_uFileRead ? m_uFileSize - m_uFileRead + inBlock : inBlock;
}

bool ByteSource::refill() {
  if (!m_pFile || m_bFailed) return false;
  if (m_vBlock.empty()) m_vBlock.resize(kFileBlock);
  const std::size_t got = std::fread(m_vBlock.data(), 1, m_vBlock.size(), m_pFile);
  if (got == 0 && std::ferror(m_pFile)) m_bFailed = true;
  m_uFileRead += got;
  if (m_pWatcher && got) m_pWatcher->bytesRead(m_vBlock.data(), got);
  m_pNext = m_vBlock.data();
  m_pEnd = m_pNext + got;
  return got != 0;
}

bool ByteSource::nextIs(char c) {
  if (m_pNext == m_pEnd && !refill()) return false;
  return *m_pNext == c;
}

std::size_t ByteSource::readLine(char* buffer, std::size_t maxSize) {
  std::size_t n = 0;
  bool lineEnd = false;
  while (n < maxSize && !lineEnd) {
    if (m_pNext == m_pEnd && !refill()) break;
    const std::size_t room = maxSize - n;
    const std::size_t available = static_cast<std::size_t>(m_pEnd - m_pNext);
    const std::size_t span = available < room ? available : room;
    const void* newline = std::memchr(m_pNext, '\n', span);
    const std::size_t take = newline ? static_cast<std::size_t>(static_cast<const char*>(newline) - m_pNext) + 1 : span;
    std::memcpy(buffer + n, m_pNext, take);
    m_pNext += take;
    n += take;
    lineEnd = newline != nullptr;
  }
  if (m_bFold && n > 0) {
    // The line's own CR LF, or a CR that ends what fits and is followed by the
    // line feed: the pair becomes one line feed (which then ends the line). A
    // lone CR stays.
    if (lineEnd && n >= 2 && buffer[n - 2] == '\r') {
      buffer[n - 2] = '\n';
      --n;
    } else if (!lineEnd && buffer[n - 1] == '\r' && nextIs('\n')) {
      buffer[n - 1] = '\n';
      ++m_pNext;
      lineEnd = true;
    }
  }
  // Lines are counted in the bytes handed out, as the scanner sees them.
  m_uLine += n;
  if (lineEnd) {
    m_uLastLine = m_uLine;
    m_uLine = 0;
  }
  return n;
}

}  // namespace Bvh
}  // namespace Kvat
