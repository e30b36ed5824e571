// ASCII blocks, read in one pass over the file: names end in ":", values
// are separated by commas or blanks, strings are in double quotes (no
// escapes), lines starting with ";" are comments. A nested block's opening
// brace records its position on the current occurrence and its text is
// skipped to the matching closing brace; it is parsed when entered.
//
// Skipping a block finds the ends of the large blocks inside it too; they
// are kept (KFbxAsciiBlockEnds), so that parsing the block later jumps over
// them instead of scanning their text once more at every level.
#include <memory>
#include <string>
#include <vector>

#include "fbxsdk/fileio/kfbx_field_list.h"
#include "fbxsdk/fileio/kfile.h"

namespace {

constexpr int kEnd = -1;       // end of the file
constexpr int kLongLine = -2;  // a line longer than kMaxAsciiLineLength
constexpr int kNoMemory = -3;  // the block's values cannot be stored

// Reads start small, since most blocks are a few lines, and grow to the
// largest chunk for the long ones.
constexpr size_t kFirstChunk = 4096;
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
  ChunkReader(KFile& xFile, int64_t llStart)
      : m_xFile(xFile), m_llBase(llStart), m_pBuffer(new unsigned char[kFirstChunk]) {
    m_bOk = xFile.Seek(llStart);
  }
  int Get() {
    if (m_uAt == m_uCount && !Refill()) return kEnd;
    const int c = m_pBuffer[m_uAt++];
    if (c == '\n') {
      m_uLine = 0;
      m_llLastLineEnd = Position() - 1;
    } else if (++m_uLine > KFbxLimits::kMaxAsciiLineLength) {
      return kLongLine;
    }
    return c;
  }
  int Peek() {
    if (m_uAt == m_uCount && !Refill()) return kEnd;
    return m_pBuffer[m_uAt];
  }
  // Moves over the bytes before the next stop byte, appending them to pxOut
  // when given; returns that stop byte (not consumed), kEnd, kLongLine or
  // kNoMemory.
  int Scan(const StopSet& xStop, KFbxByteStore* pxOut) {
    for (;;) {
      if (m_uAt == m_uCount && !Refill()) return kEnd;
      const unsigned char* pStart = m_pBuffer.get() + m_uAt;
      const unsigned char* pEnd = m_pBuffer.get() + m_uCount;
      const unsigned char* p = pStart;
      while (p < pEnd && !xStop.m_ab[*p]) ++p;
      const size_t uRun = static_cast<size_t>(p - pStart);
      if (uRun > KFbxLimits::kMaxAsciiLineLength - m_uLine) return kLongLine;
      m_uLine += static_cast<uint32_t>(uRun);
      if (pxOut && uRun) {
        uint8_t* pRoom = pxOut->Extend(uRun);
        if (!pRoom) return kNoMemory;
        std::memcpy(pRoom, pStart, uRun);
      }
      m_uAt += uRun;
      if (p < pEnd) return *p;
    }
  }
  int64_t Position() const { return m_llBase + static_cast<int64_t>(m_uAt); }
  // Position of the last line feed read, -1 before the first.
  int64_t LastLineEnd() const { return m_llLastLineEnd; }
  uint32_t LineLength() const { return m_uLine; }

  // Goes on at llPosition, after bytes a skip found before: uLine is the
  // length of the line there so far and llLastLineEnd its line feed's.
  bool JumpTo(int64_t llPosition, uint32_t uLine, int64_t llLastLineEnd) {
    m_uLine = uLine;
    if (llLastLineEnd >= 0) m_llLastLineEnd = llLastLineEnd;
    if (llPosition >= m_llBase && llPosition <= m_llBase + static_cast<int64_t>(m_uCount)) {
      m_uAt = static_cast<size_t>(llPosition - m_llBase);
      return true;
    }
    m_llBase = llPosition;
    m_uAt = m_uCount = 0;
    m_bOk = m_xFile.Seek(llPosition);
    return m_bOk;
  }

 private:
  bool Refill() {
    if (!m_bOk) return false;
    m_llBase += static_cast<int64_t>(m_uCount);
    m_uAt = 0;
    // The buffer grows with the reads: every block entered has a reader of
    // its own, and most are read whole by the first small read.
    if (m_uChunk > m_uCapacity) {
      m_pBuffer.reset(new unsigned char[m_uChunk]);
      m_uCapacity = m_uChunk;
    }
    m_uCount = m_xFile.Read(m_pBuffer.get(), m_uChunk);
    if (m_uChunk < kChunk) m_uChunk *= 2;
    return m_uCount > 0;
  }
  KFile& m_xFile;
  int64_t m_llBase;
  bool m_bOk;
  std::unique_ptr<unsigned char[]> m_pBuffer;
  size_t m_uCapacity = kFirstChunk;  // bytes m_pBuffer holds
  size_t m_uChunk = kFirstChunk;     // bytes the next read asks for
  size_t m_uAt = 0;
  size_t m_uCount = 0;
  uint32_t m_uLine = 0;
  int64_t m_llLastLineEnd = -1;
};

inline bool IsBlank(int c) { return c == ' ' || c == '\t' || c == '\r' || c == ','; }

class AsciiParser {
 public:
  AsciiParser(KFile& xFile, int64_t llStart, KFbxAsciiBlockEnds& xEnds, KFbxFieldList& xList, std::string& xWhy)
      : m_xReader(xFile, llStart), m_xEnds(xEnds), m_xList(xList), m_xWhy(xWhy) {}

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
  // A scan that ended at none of its stop bytes.
  bool ScanFailed(int c) {
    if (c == kNoMemory) return Fail("no memory for the block's values");
    return Fail(c == kLongLine ? "line too long" : "unexpected end of the file");
  }

  // Consumes the rest of the line, its line end included.
  bool SkipLine() {
    const int c = m_xReader.Scan(kLineEnd, nullptr);
    if (c == kLongLine) return Fail("line too long");
    if (c != kEnd) m_xReader.Get();
    return true;
  }

  // Reads a quoted string after its opening quote into pxOut (or skips it).
  bool Quoted(KFbxByteStore* pxOut) {
    for (;;) {
      const int c = m_xReader.Scan(kQuoteEnd, pxOut);
      if (c == kEnd) return Fail("string has no closing quote");
      if (c < 0) return ScanFailed(c);
      m_xReader.Get();
      if (c == '"') return true;
      if (pxOut && !Append('\n')) return false;
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

  // Skips a nested block after its opening brace (at llStart), up to its
  // closing brace; nesting is counted, never recursed into. A block whose
  // end a skip found before is jumped over; this skip keeps the ends of the
  // large blocks it passes.
  bool SkipBlock(int64_t llStart) {
    if (const KFbxAsciiBlockEnds::End* pxEnd = m_xEnds.Find(llStart)) return JumpOver(llStart, *pxEnd);
    // Starts of the open blocks, this one first, up to the depth any block
    // can be entered at.
    m_xOpen.assign(1, llStart);
    uint64_t ullDepth = 1;
    for (;;) {
      const int c = m_xReader.Scan(kNestedSpecial, nullptr);
      if (c == kLongLine) return Fail("line too long");
      if (c == kEnd) return Fail("block has no closing brace");
      m_xReader.Get();
      if (c == '\n' && !SkipCommentLines()) return false;
      if (c == '"' && !Quoted(nullptr)) return false;
      if (c == '{' && ++ullDepth <= KFbxAsciiBlockEnds::kMaxDepth) m_xOpen.push_back(m_xReader.Position());
      if (c == '}') {
        if (ullDepth <= KFbxAsciiBlockEnds::kMaxDepth) KeepEnd();
        if (--ullDepth == 0) return true;
      }
    }
  }

  // The innermost open block has just closed.
  void KeepEnd() {
    const int64_t llStart = m_xOpen.back();
    m_xOpen.pop_back();
    KFbxAsciiBlockEnds::End xEnd;
    xEnd.m_llEnd = m_xReader.Position();
    if (xEnd.m_llEnd - llStart < KFbxAsciiBlockEnds::kMinBytes) return;
    if (m_xReader.LastLineEnd() >= llStart) xEnd.m_llLastLineEnd = m_xReader.LastLineEnd();
    m_xEnds.Add(llStart, xEnd);
  }

  // What scanning the block again would find: its end, and the line there.
  bool JumpOver(int64_t llStart, const KFbxAsciiBlockEnds::End& xEnd) {
    uint64_t ullLine = static_cast<uint64_t>(xEnd.m_llEnd - xEnd.m_llLastLineEnd - 1);
    if (xEnd.m_llLastLineEnd < 0) ullLine = m_xReader.LineLength() + static_cast<uint64_t>(xEnd.m_llEnd - llStart);
    if (ullLine > KFbxLimits::kMaxAsciiLineLength) return Fail("line too long");
    if (!m_xReader.JumpTo(xEnd.m_llEnd, static_cast<uint32_t>(ullLine), xEnd.m_llLastLineEnd))
      return Fail("block has no closing brace");
    return true;
  }

  bool Append(char c) {
    uint8_t* pRoom = m_xList.m_xBytes.Extend(1);
    if (!pRoom) return Fail("no memory for the block's values");
    *pRoom = static_cast<uint8_t>(c);
    return true;
  }

  // A value starts with room for its length, filled in by EndValue.
  bool BeginValue(size_t& uStart) {
    uStart = m_xList.m_xBytes.Size();
    if (!m_xList.m_xBytes.Extend(KFbxValueWalker::kLengthBytes)) return Fail("no memory for the block's values");
    return true;
  }

  bool EndValue(size_t uStart, bool bQuoted) {
    KFbxByteStore& xBytes = m_xList.m_xBytes;
    KFbxFieldList::Occurrence* pxOccurrence = m_xList.LastOccurrence();
    if (!pxOccurrence) {
      xBytes.Truncate(uStart);  // values before the first name are not part of any field
      return true;
    }
    const size_t uLength = xBytes.Size() - uStart - KFbxValueWalker::kLengthBytes;
    // Value offsets are 32-bit: a block's values stay below 4 GiB.
    if (uLength > KFbxLimits::kMaxAsciiLineLength || xBytes.Size() >= 0xFFFFFFFFu) return Fail("block too large");
    if (!Append('\0')) return false;
    const uint32_t uWord = static_cast<uint32_t>(uLength) | (bQuoted ? KFbxValueWalker::kQuoted : 0);
    std::memcpy(xBytes.Data() + uStart, &uWord, sizeof uWord);
    ++pxOccurrence->m_uValueCount;
    return true;
  }

  bool AddName(const char* pName, size_t uLength) {
    if (!m_xList.AddOccurrence(pName, uLength)) return Fail("too many fields in one block");
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

  // A bare token that names a field: its text leaves the values for the name.
  bool TokenIsName(size_t uStart, size_t uNameLength) {
    const char* pText = reinterpret_cast<const char*>(m_xList.m_xBytes.Data()) + uStart + KFbxValueWalker::kLengthBytes;
    m_xName.assign(pText, uNameLength);
    m_xList.m_xBytes.Truncate(uStart);
    return AddName(m_xName.data(), m_xName.size());
  }

  bool Token(int c) {
    size_t uStart = 0;
    if (c == '"') return BeginValue(uStart) && Quoted(&m_xList.m_xBytes) && EndValue(uStart, true);
    if (c == '{') {
      KFbxFieldList::Occurrence* pxOccurrence = m_xList.LastOccurrence();
      if (!pxOccurrence) return Fail("block without a field name");
      if (pxOccurrence->m_llBlock) return Fail("field with two blocks");
      pxOccurrence->m_llBlock = m_xReader.Position();
      return SkipBlock(pxOccurrence->m_llBlock);
    }
    if (!BeginValue(uStart) || !Append(static_cast<char>(c))) return false;
    const int cStop = m_xReader.Scan(kBareTokenEnd, &m_xList.m_xBytes);
    if (cStop == kLongLine || cStop == kNoMemory) return ScanFailed(cStop);
    const size_t uLength = m_xList.m_xBytes.Size() - uStart - KFbxValueWalker::kLengthBytes;
    if (m_xList.m_xBytes.Data()[m_xList.m_xBytes.Size() - 1] == ':') {
      // A colon with no name before it (after a quoted value) names nothing.
      if (uLength == 1) {
        m_xList.m_xBytes.Truncate(uStart);
        return true;
      }
      return TokenIsName(uStart, uLength - 1);
    }
    const int cNext = SkipBlanksBeforeColon();
    if (cNext == kLongLine) return Fail("line too long");
    if (cNext != ':') return EndValue(uStart, false);
    m_xReader.Get();
    return TokenIsName(uStart, uLength);
  }

  ChunkReader m_xReader;
  KFbxAsciiBlockEnds& m_xEnds;
  KFbxFieldList& m_xList;
  std::string& m_xWhy;
  std::string m_xName;
  std::vector<int64_t> m_xOpen;
};

}  // namespace

bool KFbxParseAsciiBlock(KFile& xFile, int64_t llStart, bool bTopLevel, KFbxAsciiBlockEnds& xEnds, KFbxFieldList& xList,
                         std::string& xWhy) {
  AsciiParser xParser(xFile, llStart, xEnds, xList, xWhy);
  return xParser.Run(bTopLevel);
}
