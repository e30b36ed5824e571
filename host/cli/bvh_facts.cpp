#include "bvh_facts.h"

#include <sys/types.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace Boneplay {
namespace Cli {

namespace {

// The start of a motion line is kept only this long: enough to classify it,
// and a row of megabytes costs nothing more. (Names are kept whole, as the
// reader keeps them.)
constexpr std::size_t kKeptText = 256;
// A frame count above this is none: the reader's numbers are 32-bit, and no
// file holds that many rows.
constexpr double kMaxDeclaredFrames = 2147483647.0;

struct Keyword {
  const char* word;
  BvhJointLine::Keyword keyword;
};
constexpr Keyword kJointKeywords[] = {
    {"ROOT", BvhJointLine::Keyword::Root},
    {"JOINT", BvhJointLine::Keyword::Joint},
    {"End", BvhJointLine::Keyword::End},
};

bool startsWith(const std::string& text, const char* prefix) {
  return text.compare(0, std::strlen(prefix), prefix) == 0;
}

// The number after the first colon of a header line, if any.
std::optional<double> headerValue(const std::string& line) {
  const std::size_t colon = line.find(':');
  if (colon == std::string::npos) return std::nullopt;
  const char* start = line.c_str() + colon + 1;
  char* end = nullptr;
  const double v = std::strtod(start, &end);
  if (end == start) return std::nullopt;
  return v;
}

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

// The first line feed or carriage return in [p, end), or end.
const char* lineStop(const char* p, const char* end) {
  const void* lineFeed = std::memchr(p, '\n', static_cast<std::size_t>(end - p));
  const char* stop = lineFeed ? static_cast<const char*>(lineFeed) : end;
  const void* carriageReturn = std::memchr(p, '\r', static_cast<std::size_t>(stop - p));
  return carriageReturn ? static_cast<const char*>(carriageReturn) : stop;
}

}  // namespace

// Walks the bytes once: words in the hierarchy (outside comments), whole
// lines after MOTION.
class BvhFactsBuilder::Reader {
 public:
  // The rows are most of a file: inside a motion line, the bytes before its
  // end only count and give the line's kept start, so they are taken as a
  // run; line ends, carriage returns and the hierarchy go byte by byte.
  void feed(const char* bytes, std::size_t size) {
    m_xFacts.bytes += size;
    const char* p = bytes;
    const char* end = bytes + size;
    while (p != end) {
      if (m_bMotion && !m_bPendingCR) {
        const char* stop = lineStop(p, end);
        motionRun(p, static_cast<std::size_t>(stop - p));
        p = stop;
        if (p == end) break;
      }
      feed(*p++);
    }
  }

  void feed(char c) {
    if (m_bPendingCR) {
      m_bPendingCR = false;
      if (c != '\n') {
        // The reader skips a lone carriage return like any character it does not know.
        ++m_xFacts.loneCarriageReturns;
        ++m_iColumn;
        if (m_bMotion)
          motionByte(' ');
        else
          separator();
      }
    }
    if (c == '\r') {
      m_bPendingCR = true;
      return;
    }
    if (c == '\n') {
      lineEnd();
      return;
    }
    ++m_iColumn;
    if (m_bMotion)
      motionByte(c);
    else
      hierarchyByte(c);
  }

  BvhFacts finish() {
    if (m_bPendingCR) ++m_xFacts.loneCarriageReturns;
    if (m_iColumn > 0 || m_bPendingCR) lineEnd();
    m_xFacts.lines = m_iLine - 1;
    return std::move(m_xFacts);
  }

  std::size_t bytes() const { return m_xFacts.bytes; }

 private:
  void hierarchyByte(char c) {
    if (m_bComment) {
      if (m_bStar && c == '/') m_bComment = false;
      m_bStar = c == '*';
      return;
    }
    if (m_bSlash) {
      m_bSlash = false;
      if (c == '*') {
        separator();
        m_bComment = true;
        m_bStar = false;
        return;
      }
      wordByte('/', m_iColumn - 1);
    }
    if (c == '/') {
      m_bSlash = true;
      return;
    }
    if (c == ' ' || c == '\t' || c == '{' || c == '}')
      separator();
    else
      wordByte(c, m_iColumn);
  }

  void wordByte(char c, int column) {
    if (m_sWord.empty()) m_iWordColumn = column;
    m_sWord += c;
    m_bInWord = true;
  }

  void separator() {
    if (m_bSlash) {
      m_bSlash = false;
      wordByte('/', m_iColumn);
    }
    if (!m_bInWord) return;
    word(m_sWord, m_iWordColumn);
    m_sWord.clear();
    m_bInWord = false;
  }

  void word(const std::string& w, int column) {
    if (m_pPending) {
      m_xFacts.joints.push_back({m_pPending->keyword, w, m_iLine, column});
      m_pPending = nullptr;
      return;
    }
    if (w == "HIERARCHY") m_xFacts.hierarchy = true;
    if (w == "MOTION") {
      m_bMotion = true;
      m_xFacts.motionLine = m_iLine;
      m_sLine.clear();
      m_bMotionHeader = true;  // the rest of the MOTION line is not a row
      return;
    }
    for (const Keyword& k : kJointKeywords)
      if (w == k.word) m_pPending = &k;
  }

  void motionByte(char c) {
    if (m_sLine.size() < kKeptText) m_sLine += c;
  }

  void motionRun(const char* text, std::size_t size) {
    m_iColumn += static_cast<int>(size);
    m_sLine.append(text, std::min(size, kKeptText - std::min(kKeptText, m_sLine.size())));
  }

  void motionLine() {
    const std::size_t first = m_sLine.find_first_not_of(" \t\r");
    const std::string line = first == std::string::npos ? std::string() : m_sLine.substr(first);
    if (m_bMotionHeader || line.empty()) {
      m_bMotionHeader = false;
    } else if (startsWith(line, "HIERARCHY")) {
      m_bMotion = false;  // a new section starts, as the reader's scanner sees it
      m_xFacts.hierarchy = true;
    } else if (startsWith(line, "Frames")) {
      const std::optional<double> v = headerValue(line);
      if (v && *v >= 0 && *v <= kMaxDeclaredFrames) m_xFacts.declaredFrames = v;
    } else if (startsWith(line, "Frame")) {
      const std::optional<double> v = headerValue(line);
      if (v && std::isfinite(*v)) m_xFacts.frameTime = v;
    } else if (std::strchr("0123456789+-.", line[0])) {
      m_xFacts.rowLines.push_back(m_iLine);
    }
    m_sLine.clear();
  }

  void lineEnd() {
    if (m_bMotion) {
      motionLine();
    } else {
      separator();
      if (m_bMotion) m_bMotionHeader = false;  // MOTION ended its line
    }
    ++m_iLine;
    m_iColumn = 0;
  }

  BvhFacts m_xFacts;
  int m_iLine = 1;
  int m_iColumn = 0;
  bool m_bPendingCR = false;
  bool m_bMotion = false;
  bool m_bMotionHeader = false;
  bool m_bComment = false, m_bStar = false, m_bSlash = false;
  bool m_bInWord = false;
  std::string m_sWord;
  int m_iWordColumn = 0;
  const Keyword* m_pPending = nullptr;
  std::string m_sLine;
};

BvhFactsBuilder::BvhFactsBuilder() : m_pReader(new Reader()) {}
BvhFactsBuilder::~BvhFactsBuilder() = default;

void BvhFactsBuilder::add(const char* bytes, std::size_t size) { m_pReader->feed(bytes, size); }

std::optional<BvhFacts> BvhFactsBuilder::finish(std::FILE* rest) {
  char buffer[65536];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, rest)) > 0) m_pReader->feed(buffer, n);
  if (std::ferror(rest)) return std::nullopt;
  return m_pReader->finish();
}

std::optional<BvhFacts> BvhFactsBuilder::finish(const std::string& path) {
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
  if (!file || fseeko(file.get(), static_cast<off_t>(m_pReader->bytes()), SEEK_SET) != 0) return std::nullopt;
  return finish(file.get());
}

std::optional<double> BvhFacts::fileRate() const {
  if (!frameTime || !(*frameTime > 0) || !(*frameTime < 1e6)) return std::nullopt;
  return 1.0 / *frameTime;
}

std::optional<BvhFacts> readBvhFacts(std::FILE* file) { return BvhFactsBuilder().finish(file); }

std::optional<BvhFacts> readBvhFacts(const std::string& path) { return BvhFactsBuilder().finish(path); }

std::size_t firstOutsideDialect(const std::string& name) {
  for (std::size_t i = 0; i < name.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(name[i]);
    const bool ok = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
    if (!ok) return i;
  }
  return std::string::npos;
}

bool isDialectName(const std::string& name) { return !name.empty() && firstOutsideDialect(name) == std::string::npos; }

}  // namespace Cli
}  // namespace Boneplay
