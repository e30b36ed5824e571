// Field navigation and the typed reads of KFbx over the current field list.
#include <cctype>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fbxsdk/fileio/kfbx.h"
#include "fbxsdk/fileio/kfbx_bytes.h"
#include "fbxsdk/fileio/kfbx_field_list.h"

namespace {

// The smallest binary exponent (as frexp gives it) of a normal double: an
// ASCII number below it reads as 0.
constexpr int kSmallestExponent = -1021;

const uint8_t* Payload(const KFbxFieldList& xList, uint32_t uValue) {
  return xList.m_xBytes->m_pBytes.get() + xList.m_xValues[uValue];
}

const char* Token(const KFbxFieldList& xList, uint32_t uValue) {
  return xList.m_xText.data() + xList.m_xValues[uValue];
}

uint32_t TokenLength(const KFbxFieldList& xList, uint32_t uValue) {
  return xList.m_xValueLengths[uValue] & ~KFbxFieldList::kQuoted;
}

// Binary string payload: a name, zero, 1, class reads as class::name.
KString DecodeString(const uint8_t* pPayload, bool bBigEndian) {
  const uint32_t uLength = KFbxLoad32(pPayload, bBigEndian);
  const char* pText = reinterpret_cast<const char*>(pPayload + 4);
  for (uint32_t i = 0; i + 1 < uLength; ++i)
    if (pText[i] == '\0' && pText[i + 1] == '\1')
      return KString(pText + i + 2, uLength - i - 2) + "::" + KString(pText, i);
  return KString(pText, uLength);
}

// 'I' for [sign] digits, 'D' for a decimal number with a fraction or an
// exponent, 'C' for one character, 'S' for anything else.
char ClassifyToken(const char* pszToken, uint32_t uLength, bool bQuoted) {
  const auto IsDigit = [](char c) { return c >= '0' && c <= '9'; };
  if (uLength == 1) return bQuoted || !IsDigit(pszToken[0]) ? 'C' : 'I';
  if (bQuoted || uLength == 0) return 'S';
  const char* p = pszToken + (pszToken[0] == '-' || pszToken[0] == '+');
  const char* pEnd = pszToken + uLength;
  const char* pDigits = p;
  while (p < pEnd && IsDigit(*p)) ++p;
  bool bDigits = p > pDigits;
  if (p == pEnd) return bDigits ? 'I' : 'S';
  if (*p == '.') {
    const char* pFraction = ++p;
    while (p < pEnd && IsDigit(*p)) ++p;
    bDigits = bDigits || p > pFraction;
  }
  if (!bDigits) return 'S';
  if (p < pEnd && (*p == 'e' || *p == 'E')) {
    p += (p + 1 < pEnd && (p[1] == '-' || p[1] == '+')) ? 2 : 1;
    const char* pExponent = p;
    while (p < pEnd && IsDigit(*p)) ++p;
    if (p == pExponent) return 'S';
  }
  return p == pEnd ? 'D' : 'S';
}

// An ASCII token as strtoll reads it. Key lists are long runs of plain
// decimal integers, so [sign] and up to 18 digits (which cannot overflow) are
// converted here; anything else goes to strtoll.
long long DecimalToken(const char* pszToken, uint32_t uLength) {
  const char* p = pszToken + (uLength > 0 && (pszToken[0] == '-' || pszToken[0] == '+'));
  const char* pEnd = pszToken + uLength;
  if (p == pEnd || pEnd - p > 18) return std::strtoll(pszToken, nullptr, 10);
  long long llValue = 0;
  for (; p < pEnd; ++p) {
    if (*p < '0' || *p > '9') return std::strtoll(pszToken, nullptr, 10);
    llValue = llValue * 10 + (*p - '0');
  }
  return pszToken[0] == '-' ? -llValue : llValue;
}

}  // namespace

bool KFbx::BeginField(const char* pszName) { return List() && List()->Begin(pszName); }

void KFbx::EndField() {
  if (List()) List()->End();
}

int KFbx::GetBlockDepth() const { return m_xLists.empty() ? 0 : static_cast<int>(m_xLists.size()) - 1; }

bool KFbx::EnterBlock() {
  KFbxFieldList* pxList = List();
  const KFbxFieldList::Occurrence* pxOccurrence = pxList ? pxList->Current() : nullptr;
  if (!pxOccurrence || !pxOccurrence->m_llBlock) return false;
  if (GetBlockDepth() >= KFbxLimits::kMaxBlockDepth)
    return Corrupted("blocks nested deeper than " + std::to_string(KFbxLimits::kMaxBlockDepth));
  auto xChild = std::make_unique<KFbxFieldList>(m_bBinary, m_bBigEndian);
  std::string xWhy;
  const bool bOk = m_bBinary ? KFbxParseBinaryBlock(pxList->m_xBytes, pxOccurrence->m_llBlock,
                                                    pxOccurrence->m_llBlockEnd, false, *xChild, xWhy)
                             : KFbxParseAsciiBlock(File(), pxOccurrence->m_llBlock, false, *xChild, xWhy);
  if (!bOk) return Corrupted(xWhy);
  m_xLists.push_back(std::move(xChild));
  return true;
}

bool KFbx::LeaveBlock() {
  if (m_xLists.size() < 2) return false;
  m_xLists.pop_back();
  return true;
}

int KFbx::GetFieldCount() const { return List() ? List()->FieldCount() : 0; }

const char* KFbx::GetFieldName(int i) const {
  const KFbxFieldList::Field* pxField = List() ? List()->FieldAt(i) : nullptr;
  return pxField ? pxField->m_xName.c_str() : "";
}

int KFbx::GetFieldOccurrenceCount(const char* pszName) const {
  const KFbxFieldList::Field* pxField = List() ? List()->Find(pszName) : nullptr;
  return pxField ? static_cast<int>(pxField->m_uCount) : 0;
}

int KFbx::GetValueCount() const { return List() ? List()->ValueCount() : 0; }
int KFbx::GetRemainingValueCount() const { return List() ? List()->RemainingValues() : 0; }

char KFbx::GetValueType() const {
  const uint32_t uValue = List() ? List()->PeekValue() : KFbxFieldList::kNone;
  if (uValue == KFbxFieldList::kNone) return '\0';
  return m_bBinary ? static_cast<char>(Payload(*List(), uValue)[-1]) : 'S';
}

char KFbx::GetValueClass() const {
  const uint32_t uValue = List() ? List()->PeekValue() : KFbxFieldList::kNone;
  if (uValue == KFbxFieldList::kNone || m_bBinary) return GetValueType();
  const bool bQuoted = (List()->m_xValueLengths[uValue] & KFbxFieldList::kQuoted) != 0;
  return ClassifyToken(Token(*List(), uValue), TokenLength(*List(), uValue), bQuoted);
}

// Binary: the first four payload bytes whatever the code (a character's one
// byte). ASCII: the token as a decimal, clamped to the int range.
int KFbx::NextInt() {
  const uint32_t uValue = List() ? List()->TakeValue() : KFbxFieldList::kNone;
  if (uValue == KFbxFieldList::kNone) return 0;
  if (!m_bBinary) {
    const long long llValue = DecimalToken(Token(*List(), uValue), TokenLength(*List(), uValue));
    return static_cast<int>(llValue < INT_MIN ? INT_MIN : llValue > INT_MAX ? INT_MAX : llValue);
  }
  const uint8_t* p = Payload(*List(), uValue);
  if (p[-1] == 'C') return p[0];
  return static_cast<int>(KFbxLoad32(p, m_bBigEndian));
}

// Binary: the eight payload bytes of "L" and "D"; "I" and "C" widened; other
// codes (with fewer payload bytes) 0. ASCII: the token as a decimal.
int64_t KFbx::NextInt64() {
  const uint32_t uValue = List() ? List()->TakeValue() : KFbxFieldList::kNone;
  if (uValue == KFbxFieldList::kNone) return 0;
  if (!m_bBinary) return DecimalToken(Token(*List(), uValue), TokenLength(*List(), uValue));
  const uint8_t* p = Payload(*List(), uValue);
  switch (p[-1]) {
    case 'L':
    case 'D':
      return static_cast<int64_t>(KFbxLoad64(p, m_bBigEndian));
    case 'I':
      return static_cast<int32_t>(KFbxLoad32(p, m_bBigEndian));
    case 'C':
      return p[0];
    default:
      return 0;
  }
}

double KFbx::NextDouble() {
  const uint32_t uValue = List() ? List()->TakeValue() : KFbxFieldList::kNone;
  if (uValue == KFbxFieldList::kNone) return 0.0;
  if (!m_bBinary) {
    const double dValue = std::strtod(Token(*List(), uValue), nullptr);
    int iExponent = 0;
    if (dValue != 0.0 && std::isfinite(dValue) && (std::frexp(dValue, &iExponent), iExponent < kSmallestExponent))
      return 0.0;
    return dValue;
  }
  const uint8_t* p = Payload(*List(), uValue);
  if (p[-1] == 'D') {
    const uint64_t ullBits = KFbxLoad64(p, m_bBigEndian);
    double dValue;
    std::memcpy(&dValue, &ullBits, sizeof dValue);
    return dValue;
  }
  if (p[-1] == 'F') {
    const uint32_t uBits = KFbxLoad32(p, m_bBigEndian);
    float fValue;
    std::memcpy(&fValue, &uBits, sizeof fValue);
    return fValue;
  }
  return 0.0;
}

char KFbx::NextChar() {
  const uint32_t uValue = List() ? List()->TakeValue() : KFbxFieldList::kNone;
  if (uValue == KFbxFieldList::kNone) return '\0';
  if (!m_bBinary) return Token(*List(), uValue)[0];
  const uint8_t* p = Payload(*List(), uValue);
  if (p[-1] == 'C') return static_cast<char>(p[0]);
  if (p[-1] == 'S' && KFbxLoad32(p, m_bBigEndian) > 0) return static_cast<char>(p[4]);
  return '\0';
}

KString KFbx::NextString() {
  const uint32_t uValue = List() ? List()->TakeValue() : KFbxFieldList::kNone;
  if (uValue == KFbxFieldList::kNone) return KString();
  if (!m_bBinary) return KString(Token(*List(), uValue), TokenLength(*List(), uValue));
  const uint8_t* p = Payload(*List(), uValue);
  if (p[-1] == 'S') return DecodeString(p, m_bBigEndian);
  if (p[-1] == 'C') return KString(reinterpret_cast<const char*>(p), 1);
  return KString();
}

bool KFbx::NextRaw(std::vector<uint8_t>& xOut) {
  const uint32_t uValue = List() ? List()->TakeValue() : KFbxFieldList::kNone;
  xOut.clear();
  if (uValue == KFbxFieldList::kNone || !m_bBinary) return false;
  const uint8_t* p = Payload(*List(), uValue);
  if (p[-1] != 'R') return false;
  xOut.assign(p + 4, p + 4 + KFbxLoad32(p, m_bBigEndian));
  return true;
}

int KFbx::FieldInt(const char* pszName, int iDefault) {
  if (!BeginField(pszName)) return iDefault;
  const int iValue = NextInt();
  EndField();
  return iValue;
}

double KFbx::FieldDouble(const char* pszName, double dDefault) {
  if (!BeginField(pszName)) return dDefault;
  const double dValue = NextDouble();
  EndField();
  return dValue;
}

KString KFbx::FieldString(const char* pszName, const char* pszDefault) {
  if (!BeginField(pszName)) return KString(pszDefault);
  KString xValue = NextString();
  EndField();
  return xValue;
}
