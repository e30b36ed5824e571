#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "fbxsdk/core/kstring.h"
#include "fbxsdk/fileio/kfbx_value_walker.h"

class KFile;

// Limits a hostile file can reach, each enforced where the structure is
// built and tested at the limit.
struct KFbxLimits {
  // Block nesting (checked in KFbx::EnterBlock): real files nest about ten
  // blocks deep; each open level keeps its parsed list in memory.
  static constexpr int kMaxBlockDepth = 256;
  // Occurrences in one block: a million objects in one block is beyond any
  // real scene; bounds the occurrence table a block can make us build.
  static constexpr uint32_t kMaxFieldsPerBlock = 1000000;
  // One binary string or raw value: larger payloads only come from broken
  // or hostile files, and a string read copies its payload.
  static constexpr uint32_t kMaxValueLength = 16u << 20;
  // One ASCII line (also bounds an ASCII value): writers break long value
  // lists into lines, so a longer line is broken or hostile.
  static constexpr uint32_t kMaxAsciiLineLength = 16u << 20;
};

// Bytes appended without being cleared first: a block's values go in as
// they are read, and most of them are copied straight from the file.
class KFbxByteStore {
 public:
  size_t Size() const { return m_uSize; }
  const uint8_t* Data() const { return m_pBytes.get(); }
  uint8_t* Data() { return m_pBytes.get(); }
  // Room for uCount more bytes at the end, for the caller to fill; null when
  // the memory cannot be had. Earlier pointers into the store go stale.
  uint8_t* Extend(size_t uCount) {
    if (uCount > m_uCapacity - m_uSize || !m_pBytes) return Grow(uCount);
    uint8_t* pRoom = m_pBytes.get() + m_uSize;
    m_uSize += uCount;
    return pRoom;
  }
  // Drops the bytes from uSize on.
  void Truncate(size_t uSize) {
    if (uSize < m_uSize) m_uSize = uSize;
  }

 private:
  uint8_t* Grow(size_t uCount);

  std::unique_ptr<uint8_t[]> m_pBytes;
  size_t m_uSize = 0;
  size_t m_uCapacity = 0;
};

// The parsed content of one block: each field name with its occurrences in
// file order, each occurrence with its values and the position of its
// nested block.
//
// Values live in one byte store, an occurrence's values one after the other:
// binary values as the file holds them (type code, then payload), so that a
// record's whole property list is one copy; ASCII values as their length (32
// bits, this machine's order, with KFbxValueWalker::kQuoted for a quoted
// string), their text and a zero byte. Reads walk them in order
// (KFbxValueWalker); nothing indexes single values.
class KFbxFieldList {
 public:
  static constexpr uint32_t kNone = 0xFFFFFFFFu;

  struct Occurrence {
    uint32_t m_uFirstValue = 0;  // offset of its first value in m_xBytes
    uint32_t m_uValueCount = 0;
    uint32_t m_uNext = kNone;  // the same field's next occurrence
    int64_t m_llBlock = 0;     // file position of the nested block, 0 for none
    int64_t m_llBlockEnd = 0;  // binary: the record's end, where the block ends
  };
  struct Field {
    std::string m_xName;
    uint32_t m_uHash = 0;
    uint32_t m_uFirst = kNone;
    uint32_t m_uLast = kNone;
    uint32_t m_uNextUnread = kNone;
    uint32_t m_uCount = 0;
  };

  KFbxFieldList(bool bBinary, bool bBigEndian) : m_bBinary(bBinary), m_bBigEndian(bBigEndian) {}

  // Building. AddOccurrence returns false past kMaxFieldsPerBlock; the new
  // occurrence's values start at the store's current end.
  bool AddOccurrence(const char* pName, size_t uNameLength);
  Occurrence* LastOccurrence() { return m_xOccurrences.empty() ? nullptr : &m_xOccurrences.back(); }

  // Reading.
  bool Begin(const char* pszName);
  void End();
  void RewindAll();
  const Occurrence* Current() const { return m_uCurrent == kNone ? nullptr : &m_xOccurrences[m_uCurrent]; }
  int FieldCount() const { return static_cast<int>(m_xFields.size()); }
  const Field* FieldAt(int i) const { return i >= 0 && i < FieldCount() ? &m_xFields[i] : nullptr; }
  const Field* Find(const char* pszName) const;

  // The values of the current occurrence not read yet (none without one),
  // and the cursor moved to where a walk over them stands.
  KFbxValueWalker Remaining() const {
    const Occurrence* pxOccurrence = Current();
    return KFbxValueWalker(m_xBytes.Data(), m_uCursorAt, pxOccurrence ? pxOccurrence->m_uValueCount - m_uCursor : 0,
                           m_bBinary, m_bBigEndian);
  }
  void MoveTo(const KFbxValueWalker& xWalker) {
    if (!Current()) return;
    m_uCursor = Current()->m_uValueCount - xWalker.Left();
    m_uCursorAt = xWalker.Offset();
  }
  int ValueCount() const { return Current() ? static_cast<int>(Current()->m_uValueCount) : 0; }
  int RemainingValues() const { return Current() ? static_cast<int>(Current()->m_uValueCount - m_uCursor) : 0; }

  bool m_bBinary;
  bool m_bBigEndian;
  KFbxByteStore m_xBytes;
  std::vector<Occurrence> m_xOccurrences;

 private:
  // The field of a name, or kNone; names are compared as bytes, never built
  // into strings.
  uint32_t FindField(const char* pName, size_t uLength, uint32_t uHash) const;
  void GrowSlots();

  std::vector<Field> m_xFields;  // in order of first appearance
  // Open-addressing table of field indices (kNone for an empty slot), a
  // power of two in size, at most half full.
  std::vector<uint32_t> m_xSlots;
  uint32_t m_uCurrent = kNone;
  uint32_t m_uCurrentField = kNone;
  uint32_t m_uCursor = 0;    // values of the current occurrence taken
  uint32_t m_uCursorAt = 0;  // offset of the next one
};

// Binary blocks. Parses the records in [llStart, llLimit) of the file into
// xList, reading only the records' own headers and property lists: a nested
// block stays in the file until it is entered. The list ends at a terminator
// record, or (when bUntilLimit) exactly at llLimit. False with a reason in
// xWhy when any record breaks the rules or the file cannot be read.
bool KFbxParseBinaryBlock(KFile& xFile, int64_t llStart, int64_t llLimit, bool bUntilLimit, bool bBigEndian,
                          KFbxFieldList& xList, std::string& xWhy);

// Where ASCII blocks end, as found by skipping them: a block that was
// skipped once is jumped over when the list around it is parsed, so a byte
// is scanned by one skip, not by a skip at every level above it. Only blocks
// of kMinBytes or more that start at most kMaxDepth levels inside a skipped
// block are kept (none deeper can be entered), which bounds the table by the
// file's size.
class KFbxAsciiBlockEnds {
 public:
  static constexpr int64_t kMinBytes = 16384;
  static constexpr int kMaxDepth = 256;

  struct End {
    int64_t m_llEnd = 0;           // just past the closing brace
    int64_t m_llLastLineEnd = -1;  // position of the last line feed inside, -1 for none
  };
  void Add(int64_t llStart, const End& xEnd) { m_xEnds.emplace(llStart, xEnd); }
  const End* Find(int64_t llStart) const {
    const auto it = m_xEnds.find(llStart);
    return it == m_xEnds.end() ? nullptr : &it->second;
  }

 private:
  std::unordered_map<int64_t, End> m_xEnds;
};

// ASCII blocks. Parses the text from llStart (just after the block's opening
// brace, or the file's start for the top level) up to the block's closing
// brace (or the end of the file for the top level). xEnds receives the ends
// of the blocks skipped and gives those skipped before.
bool KFbxParseAsciiBlock(KFile& xFile, int64_t llStart, bool bTopLevel, KFbxAsciiBlockEnds& xEnds, KFbxFieldList& xList,
                         std::string& xWhy);
