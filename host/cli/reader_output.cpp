#include "reader_output.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>

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
// What the scanner prints on standard error when it cannot go on.
constexpr const char* kFatalMessages[] = {"out of dynamic memory in yy_create_buffer()",
                                          "fatal error - scanner input buffer overflow", "input in flex scanner failed",
                                          "fatal flex scanner internal error--end of buffer missed",
                                          "fatal flex scanner internal error--no action found"};
}  // namespace

std::string summariseDiagnostics(const ReaderOutput& output) {
  std::string line, first;
  int count = 0;
  std::istringstream errors(output.err);
  while (std::getline(errors, line))
    for (const char* fatal : kFatalMessages)
      if (line == fatal && count++ == 0) first = line;
  std::istringstream lines(output.out);
  while (std::getline(lines, line)) {
    const std::size_t at = line.find("ERROR: ");
    if (at == std::string::npos) continue;
    if (count++ == 0) first = line.substr(at + 7);
  }
  if (count == 0) return "";
  std::string s = "the reader reported \"" + first + "\"";
  if (count > 1) s += " and " + std::to_string(count - 1) + " more";
  return s + "; what was read before it is shown (--verbose prints the reader's diagnostics)";
}

}  // namespace Cli
}  // namespace Boneplay
