// The 7.x binary layout: after the 27-byte header, lists of records, each
// record a header (end offset, value count, value list length: 32-bit
// words before 7500, 64-bit from it; then the name length byte), its name,
// its values and, up to its end offset, a nested list closed by a null
// record (a header of zeros). The top-level list's null record is followed
// by the footer.
#include <cstring>

#include "fbxsdk/fileio/kfbx_bytes.h"
#include "fbxsdk/fileio7/kfbx7_format.h"
#include "fbxsdk/fileio7/kfbx7_limits.h"
#include "fbxsdk/fileio7/kfbx7_parsers.h"

namespace {

std::string At(uint64_t ullAt) { return " at byte " + std::to_string(ullAt); }

// Payload bytes of a fixed-size scalar code; 0 for strings, raw values and
// arrays; -1 for an unknown code. 7.x adds 'Y' and the arrays to the 6.x codes.
int ScalarSize(uint8_t uCode) {
  if (uCode == 'Y') return 2;
  return KFbx7ArrayElementSize(static_cast<char>(uCode)) ? 0 : KFbxFixedPayload(uCode);
}

}  // namespace

bool KFbx7BinaryParser::ReadHeader(uint64_t ullAt, uint64_t ullLimit, Header& xHeader, std::string& xWhy) const {
  const uint8_t* p = m_xDoc.m_xBytes.data() + ullAt;
  if (ullAt > ullLimit || m_uHeader > ullLimit - ullAt) {
    xWhy = "a record header runs past its list's end" + At(ullAt);
    return false;
  }
  const bool bWide = m_uHeader == kFbx7WideRecordHeader;
  const size_t uWord = bWide ? 8 : 4;
  uint64_t aull[3];
  for (int i = 0; i < 3; ++i) aull[i] = bWide ? KFbxLoad64(p + i * uWord, false) : KFbxLoad32(p + i * uWord, false);
  xHeader.m_ullEnd = aull[0];
  xHeader.m_ullCount = aull[1];
  xHeader.m_ullLength = aull[2];
  xHeader.m_uNameLength = p[3 * uWord];
  return true;
}

bool KFbx7BinaryParser::ReadArray(char cType, uint64_t& ullAt, uint64_t ullEnd, KFbx7Value& xValue, std::string& xWhy) {
  const uint8_t* p = m_xDoc.m_xBytes.data() + ullAt;
  if (kFbx7ArrayHeader > ullEnd - ullAt) {
    xWhy = "an array header runs past its record's values" + At(ullAt);
    return false;
  }
  const uint64_t ullCount = KFbxLoad32(p, false);
  xValue.m_uEncoding = KFbxLoad32(p + 4, false);
  const uint64_t ullStored = KFbxLoad32(p + 8, false);
  const uint64_t ullSize = cType == 'b' ? 1 : cType == 'f' || cType == 'i' ? 4 : 8;
  const uint64_t ullDeclared = ullCount * ullSize;  // below 2^35: no overflow
  ullAt += kFbx7ArrayHeader;
  if (ullDeclared > kFbx7MaxArrayBytes) {
    xWhy = "an array of " + std::to_string(ullDeclared) + " bytes passes the limit of " +
           std::to_string(kFbx7MaxArrayBytes) + At(ullAt);
    return false;
  }
  if (xValue.m_uEncoding == kFbx7ArrayRaw && ullStored != ullDeclared) {
    xWhy = "a raw array stores " + std::to_string(ullStored) + " bytes for " + std::to_string(ullCount) + " elements" +
           At(ullAt);
    return false;
  }
  if (xValue.m_uEncoding == kFbx7ArrayDeflated) {
    m_ullInflated += ullDeclared;
    if (m_ullInflated > kFbx7MaxInflatedBytes) {
      xWhy = "the deflated arrays would inflate to more than the limit of " + std::to_string(kFbx7MaxInflatedBytes) +
             " bytes" + At(ullAt);
      return false;
    }
  } else if (xValue.m_uEncoding != kFbx7ArrayRaw) {
    xWhy = "an array has the unknown encoding " + std::to_string(xValue.m_uEncoding) + At(ullAt);
    return false;
  }
  if (ullStored > ullEnd - ullAt) {
    xWhy = "an array's " + std::to_string(ullStored) + " bytes run past its record's values" + At(ullAt);
    return false;
  }
  xValue.m_ullCount = ullCount;
  xValue.m_ullStored = ullStored;
  xValue.m_ullAt = ullAt;
  ullAt += ullStored;
  return true;
}

bool KFbx7BinaryParser::ReadValues(uint64_t ullAt, uint64_t ullEnd, uint64_t ullCount, std::string& xWhy) {
  const uint8_t* pBytes = m_xDoc.m_xBytes.data();
  for (uint64_t i = 0; i < ullCount; ++i) {
    if (ullAt >= ullEnd) {
      xWhy = "a record's values run past their length" + At(ullAt);
      return false;
    }
    KFbx7Value xValue;
    xValue.m_cType = static_cast<char>(pBytes[ullAt++]);
    const int iSize = ScalarSize(static_cast<uint8_t>(xValue.m_cType));
    const uint64_t ullLeft = ullEnd - ullAt;
    if (iSize < 0 || static_cast<uint64_t>(iSize) > ullLeft) {
      xWhy = (iSize < 0 ? "unknown value code " + std::to_string(static_cast<uint8_t>(xValue.m_cType))
                        : std::string("a value runs past its record's values")) +
             At(ullAt - 1);
      return false;
    }
    const uint8_t* p = pBytes + ullAt;
    switch (xValue.m_cType) {
      case 'C':
        xValue.m_llInt = *p;
        break;
      case 'Y':
        xValue.m_llInt = static_cast<int16_t>(p[0] | p[1] << 8);
        break;
      case 'I':
        xValue.m_llInt = static_cast<int32_t>(KFbxLoad32(p, false));
        break;
      case 'L':
        xValue.m_llInt = static_cast<int64_t>(KFbxLoad64(p, false));
        break;
      case 'F': {
        const uint32_t u = KFbxLoad32(p, false);
        float f;
        std::memcpy(&f, &u, 4);
        xValue.m_dReal = f;
        break;
      }
      case 'D': {
        const uint64_t u = KFbxLoad64(p, false);
        std::memcpy(&xValue.m_dReal, &u, 8);
        break;
      }
      case 'S':
      case 'R':
        if (ullLeft < 4 || KFbxLoad32(p, false) > ullLeft - 4) {
          xWhy = "a string runs past its record's values" + At(ullAt);
          return false;
        }
        xValue.m_ullCount = KFbxLoad32(p, false);
        xValue.m_ullAt = ullAt + 4;
        ullAt += 4 + xValue.m_ullCount;
        break;
      default:
        if (!ReadArray(xValue.m_cType, ullAt, ullEnd, xValue, xWhy)) return false;
        break;
    }
    if (xValue.m_cType == 'F' || xValue.m_cType == 'D')
      xValue.m_llInt = xValue.m_dReal > -9.2e18 && xValue.m_dReal < 9.2e18 ? static_cast<int64_t>(xValue.m_dReal) : 0;
    else if (iSize > 0)
      xValue.m_dReal = static_cast<double>(xValue.m_llInt);
    ullAt += static_cast<uint64_t>(iSize);
    m_xDoc.m_xValues.push_back(xValue);
  }
  if (ullAt != ullEnd) {
    xWhy = "a record's value list is longer than its values" + At(ullAt);
    return false;
  }
  return true;
}

void KFbx7BinaryParser::ReadFooter() {
  const KFbx7Bytes& xBytes = m_xDoc.m_xBytes;
  const uint64_t ullSize = xBytes.size();
  if (ullSize < kFbx7FooterBack + kFbx7BinaryHeaderSize) return;
  const uint64_t ullFooter = ullSize - ullSize % 16 - kFbx7FooterBack;
  if (std::memcmp(xBytes.data() + ullFooter + kFbx7FooterMagicAt, kFbx7FooterMagic, sizeof kFbx7FooterMagic) != 0)
    return;
  m_xDoc.m_iFooterVersion = static_cast<int>(KFbxLoad32(xBytes.data() + ullFooter + 4, false));
}

bool KFbx7BinaryParser::Run(std::string& xWhy) {
  const KFbx7Bytes& xBytes = m_xDoc.m_xBytes;
  if (xBytes[kFbx7ByteOrderOffset] != 0) {
    xWhy = "the header asks for big-endian numbers, which 7.x files do not use";
    return false;
  }
  m_uHeader = KFbx7RecordHeaderSize(m_xDoc.m_iVersion);
  struct Open {
    int m_iRecord;
    uint64_t m_ullEnd;  // where the list's record ends (the file's size for the top level)
  };
  std::vector<Open> xOpen{{KFbx7Document::kTop, xBytes.size()}};
  uint64_t ullAt = kFbx7BinaryHeaderSize;
  for (;;) {
    const Open xList = xOpen.back();
    Header xHeader;
    if (!ReadHeader(ullAt, xList.m_ullEnd, xHeader, xWhy)) return false;
    if (xHeader.m_ullEnd == 0) {  // a null record closes the list
      ullAt += m_uHeader;
      xOpen.pop_back();
      if (xOpen.empty()) break;
      if (ullAt != xList.m_ullEnd) {
        xWhy = "a nested list ends before its record" + At(ullAt);
        return false;
      }
      continue;
    }
    const uint64_t ullName = ullAt + m_uHeader;
    if (xHeader.m_uNameLength > xList.m_ullEnd - ullName || xHeader.m_ullEnd > xList.m_ullEnd ||
        xHeader.m_ullEnd < ullName + xHeader.m_uNameLength ||
        xHeader.m_ullLength > xHeader.m_ullEnd - (ullName + xHeader.m_uNameLength)) {
      xWhy = "a record's name, values or end lie outside what holds it" + At(ullAt);
      return false;
    }
    const int iRecord = m_xDoc.AddRecord(xList.m_iRecord);
    KFbx7Document::Record& xRecord = m_xDoc.m_xRecords[iRecord];
    xRecord.m_ullNameAt = ullName;
    xRecord.m_uNameLength = xHeader.m_uNameLength;
    xRecord.m_uFirstValue = static_cast<uint32_t>(m_xDoc.m_xValues.size());
    const uint64_t ullValues = ullName + xHeader.m_uNameLength;
    const uint64_t ullAfter = ullValues + xHeader.m_ullLength;
    if (xHeader.m_ullCount > xHeader.m_ullLength) {
      xWhy = "a record counts more values than its value list has bytes" + At(ullAt);
      return false;
    }
    if (!ReadValues(ullValues, ullAfter, xHeader.m_ullCount, xWhy)) return false;
    m_xDoc.m_xRecords[iRecord].m_uValueCount = static_cast<uint32_t>(xHeader.m_ullCount);
    ullAt = xHeader.m_ullEnd;
    if (ullAfter < xHeader.m_ullEnd) {
      if (static_cast<int>(xOpen.size()) >= kFbx7MaxRecordDepth) {
        xWhy = "records nest deeper than " + std::to_string(kFbx7MaxRecordDepth) + At(ullAfter);
        return false;
      }
      xOpen.push_back({iRecord, xHeader.m_ullEnd});
      ullAt = ullAfter;
    }
  }
  ReadFooter();
  return true;
}
