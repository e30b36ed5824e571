// Binary blocks: a sequence of records, each with its end offset, its
// properties and, between them and its end, its own nested block. Every
// offset and length is checked against the enclosing record (or block)
// before it is used, with subtractions that cannot overflow.
//
// A list holds its records' own bytes only: the file is read record by
// record through a window, a nested block is stepped over and read when it
// is entered. Memory then follows the blocks open at one time, not the file.
#include <algorithm>
#include <string>

#include "fbxsdk/fileio/kfbx_bytes.h"
#include "fbxsdk/fileio/kfbx_field_list.h"
#include "fbxsdk/fileio/kfile.h"

namespace {

// Large enough that a block of small records costs few reads, small beside
// any file worth measuring.
constexpr int64_t kWindowBytes = 65536;

std::string At(const char* pszWhat, int64_t llPosition) {
  return std::string(pszWhat) + " (record at byte " + std::to_string(llPosition) + ")";
}

// The block's bytes [llStart, llLimit) as the parse asks for them: small
// reads come from a window of the file, large ones go straight to their
// destination.
class BlockReader {
 public:
  BlockReader(KFile& xFile, int64_t llStart, int64_t llLimit)
      : m_xFile(xFile),
        m_llLimit(llLimit),
        m_uCapacity(static_cast<size_t>(std::min(kWindowBytes, llLimit - llStart))) {}

  // The uCount bytes at llAt, which lie in the block and number at most the
  // window's size; null when the file cannot be read.
  const uint8_t* Get(int64_t llAt, size_t uCount) {
    if (!Holds(llAt, uCount) && !Fill(llAt)) return nullptr;
    return m_pWindow.get() + (llAt - m_llWindow);
  }
  bool Copy(int64_t llAt, size_t uCount, uint8_t* pOut) {
    if (uCount > m_uCapacity / 2 && !Holds(llAt, uCount)) return m_xFile.ReadAt(llAt, pOut, uCount);
    const uint8_t* p = Get(llAt, uCount);
    if (p && uCount) std::memcpy(pOut, p, uCount);
    return p != nullptr;
  }

 private:
  bool Holds(int64_t llAt, size_t uCount) const {
    return llAt >= m_llWindow && static_cast<uint64_t>(llAt - m_llWindow) + uCount <= m_uSize;
  }
  bool Fill(int64_t llAt) {
    if (!m_pWindow) m_pWindow.reset(new uint8_t[m_uCapacity ? m_uCapacity : 1]);
    m_uSize = static_cast<size_t>(std::min<int64_t>(static_cast<int64_t>(m_uCapacity), m_llLimit - llAt));
    m_llWindow = llAt;
    if (m_xFile.ReadAt(llAt, m_pWindow.get(), m_uSize)) return true;
    m_uSize = 0;
    return false;
  }

  KFile& m_xFile;
  int64_t m_llLimit;
  size_t m_uCapacity;
  std::unique_ptr<uint8_t[]> m_pWindow;
  int64_t m_llWindow = 0;
  size_t m_uSize = 0;
};

struct Record {
  int64_t m_llEnd = 0;
  uint32_t m_uPropertyCount = 0;
  uint32_t m_uPropertyLength = 0;
  uint8_t m_uNameLength = 0;
  int64_t m_llProperties = 0;  // file position of the property list
};

// Checks the property list of a record, now at pBytes, type code by type
// code. Long lists are runs of a few codes: as branches the codes predict
// well, so the check does not wait on each code before finding the next.
bool CheckProperties(const uint8_t* pBytes, const Record& xRecord, int64_t llRecord, bool bBigEndian,
                     std::string& xWhy) {
  const size_t uEnd = xRecord.m_uPropertyLength;
  // Each property takes at least two bytes: no count can ask for more
  // entries than the list's bytes can hold.
  if (xRecord.m_uPropertyCount > xRecord.m_uPropertyLength / 2) {
    xWhy = At("property count larger than its list", llRecord);
    return false;
  }
  size_t uAt = 0;
  for (uint32_t i = 0; i < xRecord.m_uPropertyCount; ++i) {
    if (uAt >= uEnd) return xWhy = At("properties run past their list", llRecord), false;
    const uint8_t uCode = pBytes[uAt++];
    uint64_t ullPayload = 0;
    switch (KFbxFixedPayload(uCode)) {
      case 8:
        ullPayload = 8;
        break;
      case 1:
        ullPayload = 1;
        break;
      case 4:
        ullPayload = 4;
        break;
      case 0: {
        if (uEnd - uAt < 4) return xWhy = At("property length runs past its list", llRecord), false;
        const uint32_t uLength = KFbxLoad32(pBytes + uAt, bBigEndian);
        if (uLength > KFbxLimits::kMaxValueLength) return xWhy = At("string or raw value too long", llRecord), false;
        ullPayload = 4ull + uLength;
        break;
      }
      default:
        return xWhy = At("unknown property type code", llRecord), false;
    }
    if (ullPayload > uEnd - uAt) return xWhy = At("property runs past its list", llRecord), false;
    uAt += static_cast<size_t>(ullPayload);
  }
  if (uAt != uEnd) return xWhy = At("property list longer than its properties", llRecord), false;
  return true;
}

// Reads the record header at llAt; the record must lie inside llLimit.
// m_llEnd is 0 for a terminator. pName receives the name's bytes.
bool ReadRecord(BlockReader& xReader, int64_t llAt, int64_t llLimit, bool bBigEndian, Record& xRecord,
                const uint8_t*& pName, std::string& xWhy) {
  if (llLimit - llAt < kFbxRecordHeaderSize) return xWhy = At("record header runs past its block", llAt), false;
  const uint8_t* p = xReader.Get(llAt, kFbxRecordHeaderSize);
  if (!p) return xWhy = At("record cannot be read", llAt), false;
  xRecord.m_llEnd = KFbxLoad32(p, bBigEndian);
  if (xRecord.m_llEnd == 0) return true;
  xRecord.m_uPropertyCount = KFbxLoad32(p + 4, bBigEndian);
  xRecord.m_uPropertyLength = KFbxLoad32(p + 8, bBigEndian);
  xRecord.m_uNameLength = p[12];
  if (xRecord.m_llEnd <= llAt || xRecord.m_llEnd > llLimit)
    return xWhy = At("record end offset outside its block", llAt), false;
  const int64_t llName = llAt + kFbxRecordHeaderSize;
  if (xRecord.m_uNameLength > xRecord.m_llEnd - llName) return xWhy = At("name runs past its record", llAt), false;
  xRecord.m_llProperties = llName + xRecord.m_uNameLength;
  if (xRecord.m_uPropertyLength > xRecord.m_llEnd - xRecord.m_llProperties)
    return xWhy = At("property list longer than its record", llAt), false;
  pName = xReader.Get(llName, xRecord.m_uNameLength);
  if (!pName) return xWhy = At("record cannot be read", llAt), false;
  return true;
}

}  // namespace

bool KFbxParseBinaryBlock(KFile& xFile, int64_t llStart, int64_t llLimit, bool bUntilLimit, bool bBigEndian,
                          KFbxFieldList& xList, std::string& xWhy) {
  if (llStart < 0 || llLimit > xFile.Size() || llStart > llLimit) {
    xWhy = At("block outside its file", llStart);
    return false;
  }
  BlockReader xReader(xFile, llStart, llLimit);
  int64_t llAt = llStart;
  while (!(bUntilLimit && llAt == llLimit)) {
    Record xRecord;
    const uint8_t* pName = nullptr;
    if (!ReadRecord(xReader, llAt, llLimit, bBigEndian, xRecord, pName, xWhy)) return false;
    if (xRecord.m_llEnd == 0) return true;  // the terminator
    if (!xList.AddOccurrence(reinterpret_cast<const char*>(pName), xRecord.m_uNameLength))
      return xWhy = At("too many fields in one block", llAt), false;
    // The property list lies inside the record, so inside the block: the
    // store never grows past the block's size.
    uint8_t* pProperties = xList.m_xBytes.Extend(xRecord.m_uPropertyLength);
    if (!pProperties) return xWhy = At("no memory for the record's properties", llAt), false;
    if (!xReader.Copy(xRecord.m_llProperties, xRecord.m_uPropertyLength, pProperties))
      return xWhy = At("record cannot be read", llAt), false;
    if (!CheckProperties(pProperties, xRecord, llAt, bBigEndian, xWhy)) return false;
    KFbxFieldList::Occurrence& xOccurrence = *xList.LastOccurrence();
    xOccurrence.m_uValueCount = xRecord.m_uPropertyCount;
    const int64_t llNested = xRecord.m_llProperties + xRecord.m_uPropertyLength;
    if (llNested < xRecord.m_llEnd) {
      xOccurrence.m_llBlock = llNested;
      xOccurrence.m_llBlockEnd = xRecord.m_llEnd;
    }
    llAt = xRecord.m_llEnd;
  }
  return true;
}
