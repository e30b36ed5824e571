#include "reader_output.h"

#include <iconv.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace Boneplay {
namespace Cli {

namespace {

void redirect(int fd, int& saved, int& file) {
  char path[] = "/tmp/boneplay-readerXXXXXX";
  file = mkstemp(path);
  if (file < 0) return;
  unlink(path);
  saved = dup(fd);
  if (saved < 0 || dup2(file, fd) < 0) {
    if (saved >= 0) close(saved);
    close(file);
    saved = file = -1;
  }
}

std::string restore(int fd, int saved, int file) {
  std::string text;
  if (file < 0) return text;
  dup2(saved, fd);
  close(saved);
  if (lseek(file, 0, SEEK_SET) == 0) {
    char buf[4096];
    ssize_t n;
    while ((n = read(file, buf, sizeof buf)) > 0) text.append(buf, static_cast<std::size_t>(n));
  }
  close(file);
  return text;
}

}  // namespace

ReaderOutputCapture::ReaderOutputCapture() {
  std::fflush(stdout);
  std::fflush(stderr);
  m_out.fd = 1;
  m_err.fd = 2;
  redirect(m_out.fd, m_out.saved, m_out.file);
  redirect(m_err.fd, m_err.saved, m_err.file);
}

ReaderOutputCapture::~ReaderOutputCapture() {
  if (!m_bDone) finish();
}

ReaderOutput ReaderOutputCapture::finish() {
  std::fflush(stdout);
  std::fflush(stderr);
  m_bDone = true;
  ReaderOutput o;
  o.out = restore(m_out.fd, m_out.saved, m_out.file);
  o.err = restore(m_err.fd, m_err.saved, m_err.file);
  m_out.file = m_err.file = -1;
  return o;
}

namespace {

// What the scanner prints on its error stream when it cannot go on.
constexpr const char* kFatalMessages[] = {"out of dynamic memory in yy_create_buffer()",
                                          "fatal error - scanner input buffer overflow", "input in flex scanner failed",
                                          "fatal flex scanner internal error--end of buffer missed",
                                          "fatal flex scanner internal error--no action found"};

constexpr const char kErrorPrefix[] = "ERROR: ";
constexpr const char kReportPrefix[] = "----> ";

bool at(const std::string& text, std::size_t pos, const char* prefix) {
  return text.compare(pos, std::strlen(prefix), prefix) == 0;
}

// The text from pos up to (not including) the next line end, and where the next line starts.
std::string lineFrom(const std::string& text, std::size_t pos, std::size_t& next) {
  const std::size_t end = text.find('\n', pos);
  next = end == std::string::npos ? text.size() : end + 1;
  return text.substr(pos, (end == std::string::npos ? text.size() : end) - pos);
}

class Iconv {
 public:
  Iconv() {
    m_cd = iconv_open("UTF-8", "CP932");
    if (m_cd == reinterpret_cast<iconv_t>(-1)) m_cd = iconv_open("UTF-8", "SHIFT_JIS");
  }
  ~Iconv() {
    if (ok()) iconv_close(m_cd);
  }
  Iconv(const Iconv&) = delete;
  Iconv& operator=(const Iconv&) = delete;
  bool ok() const { return m_cd != reinterpret_cast<iconv_t>(-1); }
  iconv_t get() const { return m_cd; }

 private:
  iconv_t m_cd;
};

}  // namespace

ReaderOutputParts splitReaderOutput(const std::string& out) {
  ReaderOutputParts parts;
  std::size_t pos = 0;
  while (pos < out.size()) {
    std::size_t next = pos + 1;
    if (at(out, pos, kErrorPrefix)) {
      parts.errors.push_back(lineFrom(out, pos + std::strlen(kErrorPrefix), next));
    } else if (at(out, pos, kReportPrefix)) {
      parts.reports.push_back(lineFrom(out, pos, next));
    } else {
      parts.echoed += out[pos];
    }
    pos = next;
  }
  return parts;
}

std::vector<std::string> scannerFatalMessages(const std::string& err) {
  std::vector<std::string> found;
  std::size_t pos = 0, next = 0;
  while (pos < err.size()) {
    const std::string line = lineFrom(err, pos, next);
    for (const char* fatal : kFatalMessages)
      if (line == fatal) found.push_back(line);
    pos = next;
  }
  return found;
}

std::string shiftJisToUtf8(const std::string& text) {
  Iconv converter;
  if (!converter.ok()) return text;
  std::string result;
  std::size_t pos = 0;
  while (pos < text.size()) {
    char* in = const_cast<char*>(text.data() + pos);
    std::size_t inLeft = text.size() - pos;
    char buffer[1024];
    char* out = buffer;
    std::size_t outLeft = sizeof buffer;
    const std::size_t r = iconv(converter.get(), &in, &inLeft, &out, &outLeft);
    result.append(buffer, static_cast<std::size_t>(out - buffer));
    pos = text.size() - inLeft;
    if (r == static_cast<std::size_t>(-1) && errno != E2BIG && pos < text.size()) {
      // Not Shift_JIS here: keep the byte and go on after it.
      result += text[pos++];
      iconv(converter.get(), nullptr, nullptr, nullptr, nullptr);
    }
  }
  return result;
}

std::string readerOutputForDisplay(const ReaderOutput& output) {
  std::string shown;
  std::size_t pos = 0;
  while (pos < output.out.size()) {
    std::size_t next = pos + 1;
    if (at(output.out, pos, kReportPrefix)) {
      shown += shiftJisToUtf8(lineFrom(output.out, pos, next));
      if (next <= output.out.size() && output.out[next - 1] == '\n') shown += '\n';
    } else {
      shown += output.out[pos];
    }
    pos = next;
  }
  return shown + output.err;
}

}  // namespace Cli
}  // namespace Boneplay
