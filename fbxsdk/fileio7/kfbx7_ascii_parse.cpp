// The 7.x ASCII layout: after the header line, records written as a name
// and a colon, values separated by commas (or blanks) and an optional block
// in braces; strings in double quotes without escapes; ";" starts a comment
// line; an array is the value "*N" followed by "{ a: e, e, ... }".
#include <charconv>
#include <cstring>

#include "fbxsdk/fileio7/kfbx7_limits.h"
#include "fbxsdk/fileio7/kfbx7_parsers.h"

namespace {

bool Blank(uint8_t c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool WordCharacter(uint8_t c) { return !Blank(c) && c != ',' && c != '"' && c != '{' && c != '}' && c != ':'; }

// An integer token: an optional minus and digits only, within 64 bits.
bool ParseInteger(const char* p, size_t uLength, int64_t& llOut) {
  const auto xResult = std::from_chars(p, p + uLength, llOut);
  return xResult.ec == std::errc() && xResult.ptr == p + uLength;
}

bool ParseReal(const char* p, size_t uLength, double& dOut) {
  const auto xResult = std::from_chars(p, p + uLength, dOut);
  return xResult.ec == std::errc() && xResult.ptr == p + uLength;
}

}  // namespace

std::string KFbx7AsciiParser::Where() const { return " on line " + std::to_string(m_uLine); }

KFbx7AsciiParser::EToken KFbx7AsciiParser::Next() {
  const KFbx7Bytes& xText = m_xDoc.m_xBytes;
  const size_t uSize = xText.size();
  for (;;) {
    while (m_uAt < uSize && Blank(xText[m_uAt])) m_uLine += xText[m_uAt++] == '\n';
    if (m_uAt < uSize && xText[m_uAt] == ';') {
      while (m_uAt < uSize && xText[m_uAt] != '\n') ++m_uAt;
      continue;
    }
    break;
  }
  m_uTokenAt = m_uAt;
  m_uTokenLength = 0;
  if (m_uAt == uSize) return eEND;
  const uint8_t c = xText[m_uAt++];
  if (c == ',') return eCOMMA;
  if (c == '{') return eOPEN;
  if (c == '}') return eCLOSE;
  if (c == '"') {
    const uint8_t* pEnd = static_cast<const uint8_t*>(std::memchr(xText.data() + m_uAt, '"', uSize - m_uAt));
    if (!pEnd) return eBAD;
    m_uTokenAt = m_uAt;
    m_uTokenLength = static_cast<size_t>(pEnd - (xText.data() + m_uAt));
    for (size_t i = m_uAt; i < m_uTokenAt + m_uTokenLength; ++i) m_uLine += xText[i] == '\n';
    m_uAt = m_uTokenAt + m_uTokenLength + 1;
    return eSTRING;
  }
  if (!WordCharacter(c)) return eBAD;
  while (m_uAt < uSize && WordCharacter(xText[m_uAt])) ++m_uAt;
  m_uTokenLength = m_uAt - m_uTokenAt;
  // A word followed (after blanks on its line) by a colon names a record.
  size_t uColon = m_uAt;
  while (uColon < uSize && (xText[uColon] == ' ' || xText[uColon] == '\t')) ++uColon;
  if (uColon < uSize && xText[uColon] == ':') {
    m_uAt = uColon + 1;
    return eNAME;
  }
  return eWORD;
}

bool KFbx7AsciiParser::ReadArray(uint64_t ullCount, std::string& xWhy) {
  if (ullCount > kFbx7MaxArrayBytes / 8) {
    xWhy = "an array of " + std::to_string(ullCount) + " elements passes the limit of " +
           std::to_string(kFbx7MaxArrayBytes) + " bytes" + Where();
    return false;
  }
  const char* pText = reinterpret_cast<const char*>(m_xDoc.m_xBytes.data());
  if (Next() != eOPEN || Next() != eNAME || m_uTokenLength != 1 || pText[m_uTokenAt] != 'a') {
    xWhy = "an array's \"{ a:\" is missing" + Where();
    return false;
  }
  // Integers while every element is one; doubles from the first that is not.
  std::vector<int64_t> xIntegers;
  std::vector<double> xReals;
  bool bReal = false;
  EToken eToken = Next();
  while (eToken == eWORD) {
    const char* p = pText + m_uTokenAt;
    int64_t ll = 0;
    double d = 0.0;
    if (!bReal && ParseInteger(p, m_uTokenLength, ll)) {
      xIntegers.push_back(ll);
    } else if (ParseReal(p, m_uTokenLength, d)) {
      if (!bReal) xReals.assign(xIntegers.begin(), xIntegers.end());
      bReal = true;
      xReals.push_back(d);
    } else {
      xWhy = "an array element is no number" + Where();
      return false;
    }
    if ((bReal ? xReals.size() : xIntegers.size()) > ullCount) break;
    eToken = Next();
    if (eToken == eCOMMA) eToken = Next();
  }
  const size_t uRead = bReal ? xReals.size() : xIntegers.size();
  if (eToken != eCLOSE || uRead != ullCount) {
    xWhy = "an array declares " + std::to_string(ullCount) + " elements but holds " +
           (uRead > ullCount ? "more" : std::to_string(uRead)) + Where();
    return false;
  }
  KFbx7Value xValue;
  xValue.m_cType = bReal ? 'd' : 'l';
  xValue.m_bArena = true;
  xValue.m_ullCount = ullCount;
  xValue.m_ullStored = ullCount * 8;
  xValue.m_ullAt = m_xDoc.m_xArena.size();
  m_xDoc.m_xArena.resize(m_xDoc.m_xArena.size() + ullCount * 8);
  uint8_t* pOut = m_xDoc.m_xArena.data() + xValue.m_ullAt;
  // Elements in the layout binary arrays have (little-endian), so that one
  // conversion serves both.
  for (size_t i = 0; i < uRead; ++i, pOut += 8) {
    uint64_t u;
    if (bReal)
      std::memcpy(&u, &xReals[i], 8);
    else
      std::memcpy(&u, &xIntegers[i], 8);
    for (int b = 0; b < 8; ++b) pOut[b] = static_cast<uint8_t>(u >> (8 * b));
  }
  m_xDoc.m_xValues.push_back(xValue);
  return true;
}

// The current token (a string or a word) as one value.
bool KFbx7AsciiParser::ReadValue(EToken eToken, std::string& xWhy) {
  const char* p = reinterpret_cast<const char*>(m_xDoc.m_xBytes.data()) + m_uTokenAt;
  KFbx7Value xValue;
  xValue.m_cType = 'S';
  xValue.m_ullAt = m_uTokenAt;
  xValue.m_ullCount = m_uTokenLength;
  int64_t ll = 0;
  if (eToken == eSTRING) {
    // a string keeps its text
  } else if (m_uTokenLength > 1 && p[0] == '*') {
    if (!ParseInteger(p + 1, m_uTokenLength - 1, ll) || ll < 0) {
      xWhy = "an array's count is no count" + Where();
      return false;
    }
    return ReadArray(static_cast<uint64_t>(ll), xWhy);
  } else if (ParseInteger(p, m_uTokenLength, ll)) {
    xValue.m_cType = 'L';
    xValue.m_llInt = ll;
    xValue.m_dReal = static_cast<double>(ll);
  } else if (ParseReal(p, m_uTokenLength, xValue.m_dReal)) {
    xValue.m_cType = 'D';
    const double d = xValue.m_dReal;
    xValue.m_llInt = d > -9.2e18 && d < 9.2e18 ? static_cast<int64_t>(d) : 0;
  }
  m_xDoc.m_xValues.push_back(xValue);
  return true;
}

bool KFbx7AsciiParser::Run(std::string& xWhy) {
  // The header line is a comment line like any other.
  std::vector<int> xOpen{KFbx7Document::kTop};
  EToken eToken = Next();
  for (;;) {
    if (eToken == eEND) {
      if (xOpen.size() == 1) return true;
      xWhy = "the file ends inside a block";
      return false;
    }
    if (eToken == eCLOSE && xOpen.size() > 1) {
      xOpen.pop_back();
      eToken = Next();
      continue;
    }
    if (eToken != eNAME) {
      xWhy = std::string(eToken == eCLOSE ? "a \"}\" closes no block" : "a record name was expected") + Where();
      return false;
    }
    const int iRecord = m_xDoc.AddRecord(xOpen.back());
    KFbx7Document::Record& xRecord = m_xDoc.m_xRecords[iRecord];
    xRecord.m_ullNameAt = m_uTokenAt;
    xRecord.m_uNameLength = static_cast<uint32_t>(m_uTokenLength);
    const size_t uFirst = m_xDoc.m_xValues.size();
    xRecord.m_uFirstValue = static_cast<uint32_t>(uFirst);
    eToken = Next();
    while (eToken == eSTRING || eToken == eWORD) {
      if (!ReadValue(eToken, xWhy)) return false;
      eToken = Next();
      if (eToken == eCOMMA) eToken = Next();
    }
    m_xDoc.m_xRecords[iRecord].m_uValueCount = static_cast<uint32_t>(m_xDoc.m_xValues.size() - uFirst);
    if (eToken == eOPEN) {
      if (static_cast<int>(xOpen.size()) >= kFbx7MaxRecordDepth) {
        xWhy = "records nest deeper than " + std::to_string(kFbx7MaxRecordDepth) + Where();
        return false;
      }
      xOpen.push_back(iRecord);
      eToken = Next();
    }
  }
}
