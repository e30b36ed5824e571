#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "fbxsdk/core/kstring.h"

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

// File bytes [m_llStart, m_llStart + m_uSize) of a binary block, shared by
// the list parsed from them and by the lists of its nested blocks, which
// are views into the same bytes.
struct KFbxBlockBytes {
  std::unique_ptr<uint8_t[]> m_pBytes;
  size_t m_uSize = 0;
  int64_t m_llStart = 0;
};

// The parsed content of one block: each field name with its occurrences in
// file order, each occurrence with its values and the position of its
// nested block.
class KFbxFieldList {
 public:
  static constexpr uint32_t kNone = 0xFFFFFFFFu;
  // ASCII value lengths carry this bit when the value was a quoted string.
  static constexpr uint32_t kQuoted = 0x80000000u;

  struct Occurrence {
    uint32_t m_uFirstValue = 0;
    uint32_t m_uValueCount = 0;
    uint32_t m_uNext = kNone;  // the same field's next occurrence
    int64_t m_llBlock = 0;     // file position of the nested block, 0 for none
    int64_t m_llBlockEnd = 0;  // binary: the record's end, where the block ends
  };
  struct Field {
    std::string m_xName;
    uint32_t m_uFirst = kNone;
    uint32_t m_uLast = kNone;
    uint32_t m_uNextUnread = kNone;
    uint32_t m_uCount = 0;
  };

  KFbxFieldList(bool bBinary, bool bBigEndian) : m_bBinary(bBinary), m_bBigEndian(bBigEndian) {}

  // Building. AddOccurrence returns false past kMaxFieldsPerBlock.
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
  // Index into the value tables of the next value of the current
  // occurrence, or kNone; Take also moves the cursor past it.
  uint32_t PeekValue() const {
    const Occurrence* pxOccurrence = Current();
    if (!pxOccurrence || m_uCursor >= pxOccurrence->m_uValueCount) return kNone;
    return pxOccurrence->m_uFirstValue + m_uCursor;
  }
  uint32_t TakeValue() {
    const uint32_t uValue = PeekValue();
    if (uValue != kNone) ++m_uCursor;
    return uValue;
  }
  int ValueCount() const { return Current() ? static_cast<int>(Current()->m_uValueCount) : 0; }
  int RemainingValues() const { return Current() ? static_cast<int>(Current()->m_uValueCount - m_uCursor) : 0; }

  bool m_bBinary;
  bool m_bBigEndian;
  // Binary: the bytes the values point into, and each value's offset in
  // them just past its type code.
  std::shared_ptr<KFbxBlockBytes> m_xBytes;
  std::vector<uint32_t> m_xValues;
  // ASCII: each value's offset in m_xText (zero-terminated) and length.
  std::string m_xText;
  std::vector<uint32_t> m_xValueLengths;
  std::vector<Occurrence> m_xOccurrences;

 private:
  std::vector<Field> m_xFields;  // in order of first appearance
  std::unordered_map<std::string, uint32_t> m_xIndex;
  uint32_t m_uCurrent = kNone;
  uint32_t m_uCurrentField = kNone;
  uint32_t m_uCursor = 0;
};

// Binary blocks. Parses the records in [llStart, llLimit) of xBytes into
// xList; the list ends at a terminator record, or (when bUntilLimit) exactly
// at llLimit. False with a reason in xWhy when any record breaks the rules.
bool KFbxParseBinaryBlock(const std::shared_ptr<KFbxBlockBytes>& xBytes, int64_t llStart, int64_t llLimit,
                          bool bUntilLimit, KFbxFieldList& xList, std::string& xWhy);

// ASCII blocks. Parses the text from llStart (just after the block's opening
// brace, or the file's start for the top level) up to the block's closing
// brace (or the end of the file for the top level).
bool KFbxParseAsciiBlock(KFile& xFile, int64_t llStart, bool bTopLevel, KFbxFieldList& xList, std::string& xWhy);
