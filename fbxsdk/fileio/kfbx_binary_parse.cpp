// Binary blocks: a sequence of records, each with its end offset, its
// properties and, between them and its end, its own nested block. Every
// offset and length is checked against the enclosing record (or block)
// before it is used, with subtractions that cannot overflow.
#include <string>

#include "fbxsdk/fileio/kfbx_bytes.h"
#include "fbxsdk/fileio/kfbx_field_list.h"

namespace {

struct Record {
  int64_t m_llEnd = 0;
  uint32_t m_uPropertyCount = 0;
  uint32_t m_uPropertyLength = 0;
  const uint8_t* m_pName = nullptr;
  uint8_t m_uNameLength = 0;
  int64_t m_llProperties = 0;  // file position of the property list
};

std::string At(const char* pszWhat, int64_t llPosition) {
  return std::string(pszWhat) + " (record at byte " + std::to_string(llPosition) + ")";
}

// Indexes the properties of a record into the list's value table.
bool IndexProperties(const KFbxBlockBytes& xBytes, const Record& xRecord, int64_t llRecord, KFbxFieldList& xList,
                     std::string& xWhy) {
  const size_t uStart = static_cast<size_t>(xRecord.m_llProperties - xBytes.m_llStart);
  const uint8_t* pBytes = xBytes.m_pBytes.get();
  const size_t uEnd = uStart + xRecord.m_uPropertyLength;
  // Each property takes at least two bytes: no count can ask for more
  // entries than the list's bytes can hold.
  if (xRecord.m_uPropertyCount > xRecord.m_uPropertyLength / 2) {
    xWhy = At("property count larger than its list", llRecord);
    return false;
  }
  size_t uAt = uStart;
  for (uint32_t i = 0; i < xRecord.m_uPropertyCount; ++i) {
    if (uAt >= uEnd) return xWhy = At("properties run past their list", llRecord), false;
    const int iFixed = KFbxFixedPayload(pBytes[uAt]);
    if (iFixed < 0) return xWhy = At("unknown property type code", llRecord), false;
    ++uAt;
    xList.m_xValues.push_back(static_cast<uint32_t>(uAt));
    uint64_t ullPayload = static_cast<uint64_t>(iFixed);
    if (iFixed == 0) {
      if (uEnd - uAt < 4) return xWhy = At("property length runs past its list", llRecord), false;
      const uint32_t uLength = KFbxLoad32(pBytes + uAt, xList.m_bBigEndian);
      if (uLength > KFbxLimits::kMaxValueLength) return xWhy = At("string or raw value too long", llRecord), false;
      ullPayload = 4ull + uLength;
    }
    if (ullPayload > uEnd - uAt) return xWhy = At("property runs past its list", llRecord), false;
    uAt += static_cast<size_t>(ullPayload);
  }
  if (uAt != uEnd) return xWhy = At("property list longer than its properties", llRecord), false;
  return true;
}

// Reads the record header at llAt; the record must lie inside llLimit.
// m_llEnd is 0 for a terminator.
bool ReadRecord(const KFbxBlockBytes& xBytes, int64_t llAt, int64_t llLimit, bool bBigEndian, Record& xRecord,
                std::string& xWhy) {
  if (llLimit - llAt < kFbxRecordHeaderSize) return xWhy = At("record header runs past its block", llAt), false;
  const uint8_t* p = xBytes.m_pBytes.get() + (llAt - xBytes.m_llStart);
  xRecord.m_llEnd = KFbxLoad32(p, bBigEndian);
  if (xRecord.m_llEnd == 0) return true;
  xRecord.m_uPropertyCount = KFbxLoad32(p + 4, bBigEndian);
  xRecord.m_uPropertyLength = KFbxLoad32(p + 8, bBigEndian);
  xRecord.m_uNameLength = p[12];
  xRecord.m_pName = p + kFbxRecordHeaderSize;
  if (xRecord.m_llEnd <= llAt || xRecord.m_llEnd > llLimit)
    return xWhy = At("record end offset outside its block", llAt), false;
  const int64_t llName = llAt + kFbxRecordHeaderSize;
  if (xRecord.m_uNameLength > xRecord.m_llEnd - llName) return xWhy = At("name runs past its record", llAt), false;
  xRecord.m_llProperties = llName + xRecord.m_uNameLength;
  if (xRecord.m_uPropertyLength > xRecord.m_llEnd - xRecord.m_llProperties)
    return xWhy = At("property list longer than its record", llAt), false;
  return true;
}

}  // namespace

bool KFbxParseBinaryBlock(const std::shared_ptr<KFbxBlockBytes>& xBytes, int64_t llStart, int64_t llLimit,
                          bool bUntilLimit, KFbxFieldList& xList, std::string& xWhy) {
  const int64_t llBytesEnd = xBytes->m_llStart + static_cast<int64_t>(xBytes->m_uSize);
  if (llStart < xBytes->m_llStart || llLimit > llBytesEnd || llStart > llLimit) {
    xWhy = At("block outside its file", llStart);
    return false;
  }
  xList.m_xBytes = xBytes;
  int64_t llAt = llStart;
  while (!(bUntilLimit && llAt == llLimit)) {
    Record xRecord;
    if (!ReadRecord(*xBytes, llAt, llLimit, xList.m_bBigEndian, xRecord, xWhy)) return false;
    if (xRecord.m_llEnd == 0) return true;  // the terminator
    if (!xList.AddOccurrence(reinterpret_cast<const char*>(xRecord.m_pName), xRecord.m_uNameLength))
      return xWhy = At("too many fields in one block", llAt), false;
    if (!IndexProperties(*xBytes, xRecord, llAt, xList, xWhy)) return false;
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
