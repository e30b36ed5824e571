// ASCII blocks, read in one pass over the file: names end in ":", values
// are separated by commas or blanks, strings are in double quotes (no
// escapes), lines starting with ";" are comments. A nested block's opening
// brace records its position on the current occurrence and its text is
// skipped to the matching closing brace; it is parsed when entered.
#include <cstring>
#include <string>
#include <vector>

#include "fbxsdk/fileio/kfbx_field_list.h"
#include "fbxsdk/fileio/kfile.h"

namespace {

constexpr int kEnd = -1;       // end of the file
constexpr int kLongLine = -2;  // a line longer than kMaxAsciiLineLength

constexpr size_t kChunk = 65536;

// The bytes a scan stops at; every set holds the line end, so that a scan
// keeps the line length.
struct StopSet {
  bool m_ab[256] = {};
  constexpr explicit StopSet(const char* pszStops) {
    m_ab[static_cast<unsigned char>('\n')] = true;
    for (; *pszStops; ++pszStops) m_ab[static_cast<unsigned char>(*pszStops)] = true;
  }
};

constexpr StopSet kBareTokenEnd(" \t\r,\"{}");
constexpr StopSet kQuoteEnd("\"");
constexpr StopSet kLineEnd("");
constexpr StopSet kNestedSpecial("{}\"");

// Reads the file in chunks and counts the length of the current line.
class ChunkReader {
 public:
  ChunkReader(KFile& xFile, int64_t llStart) : m_xFile(xFile), m_llBase(llStart), m_xBuffer(kChunk) {
    m_bOk = xFile.Seek(llStart);
  }
  int Get() {
    if (m_uAt == m_uCount && !Refill()) return kEnd;
    const int c = m_xBuffer[m_uAt++];
    if (c == '\n') {
      m_uLine = 0;
    } else if (++m_uLine > KFbxLimits::kMaxAsciiLineLength) {
      return kLongLine;
    }
    return c;
  }
  int Peek() {
    if (m_uAt == m_uCount && !Refill()) return kEnd;
    return m_xBuffer[m_uAt];
  }
  // Moves over the bytes before the next stop byte, appending them to pxOut
  // when given; returns that stop byte (not consumed), kEnd or kLongLine.
  int Scan(const StopSet& xStop, std::string* pxOut) {
    for (;;) {
      if (m_uAt == m_uCount && !Refill()) return kEnd;
      const unsigned char* pStart = m_xBuffer.data() + m_uAt;
      const unsigned char* pEnd = m_xBuffer.data() + m_uCount;
      const unsigned char* p = pStart;
      while (p < pEnd && !xStop.m_ab[*p]) ++p;
      const size_t uRun = static_cast<size_t>(p - pStart);
      if (uRun > KFbxLimits::kMaxAsciiLineLength - m_uLine) return kLongLine;
      m_uLine += static_cast<uint32_t>(uRun);
      if (pxOut) pxOut->append(reinterpret_cast<const char*>(pStart), uRun);
      m_uAt += uRun;
      if (p < pEnd) return *p;
    }
  }
  int64_t Position() const { return m_llBase + static_cast<int64_t>(m_uAt); }

 private:
  bool Refill() {
    if (!m_bOk) return false;
    m_llBase += static_cast<int64_t>(m_uCount);
    m_uAt = 0;
    m_uCount = m_xFile.Read(m_xBuffer.data(), m_xBuffer.size());
    return m_uCount > 0;
  }
  KFile& m_xFile;
  int64_t m_llBase;
  bool m_bOk;
  std::vector<unsigned char> m_xBuffer;
  size_t m_uAt = 0;
  size_t m_uCount = 0;
  uint32_t m_uLine = 0;
};

inline bool IsBlank(int c) { return c == ' ' || c == '\t' || c == '\r' || c == ','; }

class AsciiParser {
 public:
  AsciiParser(KFile& xFile, int64_t llStart, KFbxFieldList& xList, std::string& xWhy)
      : m_xReader(xFile, llStart), m_xList(xList), m_xWhy(xWhy) {}

  bool Run(bool bTopLevel) {
    bool bLineStart = bTopLevel;
    for (;;) {
      const int c = m_xReader.Get();
      if (c == kLongLine) return Fail("line too long");
      if (c == kEnd) return bTopLevel ? true : Fail("block has no closing brace");
      if (c == '\n') {
        bLineStart = true;
      } else if (IsBlank(c)) {
        bLineStart = bLineStart && c != ',';
      } else if (c == ';' && bLineStart) {
        if (!SkipLine()) return false;
      } else {
        bLineStart = false;
        if (c == '}') return bTopLevel ? Fail("closing brace without its block") : true;
        if (!Token(c)) return false;
      }
    }
  }

 private:
  bool Fail(const char* pszWhat) {
    m_xWhy = std::string(pszWhat) + " (near byte " + std::to_string(m_xReader.Position()) + ")";
    return false;
  }

  // Consumes the rest of the line, its line end included.
  bool SkipLine() {
    const int c = m_xReader.Scan(kLineEnd, nullptr);
    if (c == kLongLine) return Fail("line too long");
    if (c != kEnd) m_xReader.Get();
    return true;
  }

  // Reads a quoted string after its opening quote into pxOut (or skips it).
  bool Quoted(std::string* pxOut) {
    if (pxOut) pxOut->clear();
    for (;;) {
      const int c = m_xReader.Scan(kQuoteEnd, pxOut);
      if (c == kLongLine) return Fail("line too long");
      if (c == kEnd) return Fail("string has no closing quote");
      m_xReader.Get();
      if (c == '"') return true;
      if (pxOut) pxOut->push_back('\n');
    }
  }

  // After a line end: a line whose first non-blank byte is ";" is a comment.
  bool SkipCommentLines() {
    for (;;) {
      int c = m_xReader.Peek();
      while (c == ' ' || c == '\t' || c == '\r') {
        if (m_xReader.Get() == kLongLine) return Fail("line too long");
        c = m_xReader.Peek();
      }
      if (c != ';') return true;
      if (!SkipLine()) return false;
    }
  }

  // Skips a nested block after its opening brace, up to its closing brace;
  // nesting is counted, never recursed into.
  bool SkipBlock() {
    uint64_t ullDepth = 1;
    for (;;) {
      const int c = m_xReader.Scan(kNestedSpecial, nullptr);
      if (c == kLongLine) return Fail("line too long");
      if (c == kEnd) return Fail("block has no closing brace");
      m_xReader.Get();
      if (c == '\n' && !SkipCommentLines()) return false;
      if (c == '"' && !Quoted(nullptr)) return false;
      if (c == '{') ++ullDepth;
      if (c == '}' && --ullDepth == 0) return true;
    }
  }
  bool AddValue(bool bQuoted) {
    KFbxFieldList::Occurrence* pxOccurrence = m_xList.LastOccurrence();
    if (!pxOccurrence) return true;  // values before the first name are not part of any field
    // Value offsets are 32-bit: a block's text stays below 4 GiB.
    if (m_xToken.size() > KFbxLimits::kMaxAsciiLineLength || m_xList.m_xText.size() > 0xFFFFFFFFu - m_xToken.size() - 1)
      return Fail("block too large");
    m_xList.m_xValues.push_back(static_cast<uint32_t>(m_xList.m_xText.size()));
    m_xList.m_xValueLengths.push_back(static_cast<uint32_t>(m_xToken.size()) | (bQuoted ? KFbxFieldList::kQuoted : 0));
    m_xList.m_xText.append(m_xToken);
    m_xList.m_xText.push_back('\0');
    ++pxOccurrence->m_uValueCount;
    return true;
  }

  bool AddName(const char* pName, size_t uLength) {
    if (!m_xList.AddOccurrence(pName, uLength)) return Fail("too many fields in one block");
    m_xList.LastOccurrence()->m_uFirstValue = static_cast<uint32_t>(m_xList.m_xValues.size());
    return true;
  }

  // "Name :" — a bare token followed by blanks and a lone colon names a new
  // field, wherever it stands: first in the file or in a block, or after a
  // field that has a block. Blanks here are spaces and tabs only: a comma or
  // a line end between them keeps the token a value.
  int SkipBlanksBeforeColon() {
    int c = m_xReader.Peek();
    while (c == ' ' || c == '\t' || c == '\r') {
      if (m_xReader.Get() == kLongLine) return kLongLine;
      c = m_xReader.Peek();
    }
    return c;
  }

  bool Token(int c) {
    if (c == '"') {
      return Quoted(&m_xToken) && AddValue(true);
    }
    if (c == '{') {
      KFbxFieldList::Occurrence* pxOccurrence = m_xList.LastOccurrence();
      if (!pxOccurrence) return Fail("block without a field name");
      if (pxOccurrence->m_llBlock) return Fail("field with two blocks");
      pxOccurrence->m_llBlock = m_xReader.Position();
      return SkipBlock();
    }
    m_xToken.assign(1, static_cast<char>(c));
    if (m_xReader.Scan(kBareTokenEnd, &m_xToken) == kLongLine) return Fail("line too long");
    if (m_xToken.back() == ':') {
      // A colon with no name before it (after a quoted value) names nothing.
      return m_xToken.size() == 1 || AddName(m_xToken.data(), m_xToken.size() - 1);
    }
    const int cNext = SkipBlanksBeforeColon();
    if (cNext == kLongLine) return Fail("line too long");
    if (cNext != ':') return AddValue(false);
    m_xReader.Get();
    return AddName(m_xToken.data(), m_xToken.size());
  }

  ChunkReader m_xReader;
  KFbxFieldList& m_xList;
  std::string& m_xWhy;
  std::string m_xToken;
};

}  // namespace

bool KFbxParseAsciiBlock(KFile& xFile, int64_t llStart, bool bTopLevel, KFbxFieldList& xList, std::string& xWhy) {
  AsciiParser xParser(xFile, llStart, xList, xWhy);
  return xParser.Run(bTopLevel);
}
