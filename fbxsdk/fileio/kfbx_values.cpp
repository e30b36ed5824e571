// Field navigation and the typed reads of KFbx over the current field list.
#include <cfloat>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fbxsdk/fileio/kfbx.h"
#include "fbxsdk/fileio/kfbx_bytes.h"
#include "fbxsdk/fileio/kfbx_field_list.h"

namespace {

// Binary strings that hold a name, zero, 1, class read as class::name:
// where that zero stands, uLength when the text holds none.
uint32_t ObjectNameMark(const char* pText, uint32_t uLength) {
  for (uint32_t i = 0; i + 1 < uLength; ++i)
    if (pText[i] == '\0' && pText[i + 1] == '\1') return i;
  return uLength;
}

KString DecodeString(const uint8_t* pPayload, bool bBigEndian) {
  const uint32_t uLength = KFbxLoad32(pPayload, bBigEndian);
  const char* pText = reinterpret_cast<const char*>(pPayload + 4);
  const uint32_t uMark = ObjectNameMark(pText, uLength);
  if (uMark == uLength) return KString(pText, uLength);
  return KString(pText + uMark + 2, uLength - uMark - 2) + "::" + KString(pText, uMark);
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

char KFbxClassifyToken(const char* pszToken, uint32_t uLength, bool bQuoted) {
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

// Key lists are long runs of plain decimal integers, so [sign] and up to 18
// digits (which cannot overflow) are converted here; anything else goes to
// strtoll.
int64_t KFbxAsciiInteger(const char* pszToken, uint32_t uLength) {
  const char* p = pszToken + (uLength > 0 && (pszToken[0] == '-' || pszToken[0] == '+'));
  const char* pEnd = pszToken + uLength;
  if (p == pEnd || pEnd - p > 18) return std::strtoll(pszToken, nullptr, 10);
  long long llValue = 0;
  for (; p < pEnd; ++p) {
    if (!IsDigit(*p)) return std::strtoll(pszToken, nullptr, 10);
    llValue = llValue * 10 + (*p - '0');
  }
  return pszToken[0] == '-' ? -llValue : llValue;
}

// A plain decimal number that from_chars reads whole has the same correctly
// rounded value as strtod gives it; every other text (hexadecimal,
// infinities and not-a-numbers, prefixes, overflow and underflow) goes to
// strtod itself.
double KFbxAsciiReal(const char* pszToken, uint32_t uLength) {
  const char* p = pszToken;
  const char* pEnd = pszToken + uLength;
  if (p != pEnd && *p == '+') ++p;  // strtod skips it; from_chars takes none, nor a '-' after it
  const char* pFirst = p == pszToken && p != pEnd && *p == '-' ? p + 1 : p;
  const bool bPlain = pFirst != pEnd && (IsDigit(*pFirst) || *pFirst == '.');
  double dValue = 0.0;
  const std::from_chars_result xResult = bPlain ? std::from_chars(p, pEnd, dValue) : std::from_chars_result{p, {}};
  if (!bPlain || xResult.ec != std::errc() || xResult.ptr != pEnd) dValue = std::strtod(pszToken, nullptr);
  // Below the smallest normal double (a binary exponent below -1021, as
  // frexp counts it) a non-zero result reads as 0.
  if (dValue != 0.0 && std::fabs(dValue) < DBL_MIN) return 0.0;
  return dValue;
}

// The text DecodeString makes, looked at as a C string, without making it.
char KFbxStringLetter(const uint8_t* pPayload, bool bBigEndian) {
  const uint32_t uLength = KFbxLoad32(pPayload, bBigEndian);
  const char* pText = reinterpret_cast<const char*>(pPayload + 4);
  const uint32_t uSplit = ObjectNameMark(pText, uLength);
  // Byte k of the text read: class, "::", name after a mark; the bytes otherwise.
  const auto At = [&](uint32_t k) -> char {
    if (uSplit == uLength) return pText[k];
    const uint32_t uClass = uLength - uSplit - 2;
    if (k < uClass) return pText[uSplit + 2 + k];
    return k < uClass + 2 ? ':' : pText[k - uClass - 2];
  };
  if (uLength == 0 || At(0) == '\0' || (uLength > 1 && At(1) != '\0')) return '\0';
  return At(0);
}

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
  const bool bOk = m_bBinary
                       ? KFbxParseBinaryBlock(File(), pxOccurrence->m_llBlock, pxOccurrence->m_llBlockEnd, false,
                                              m_bBigEndian, *xChild, xWhy)
                       : KFbxParseAsciiBlock(File(), pxOccurrence->m_llBlock, false, AsciiBlockEnds(), *xChild, xWhy);
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

KFbxValueWalker KFbx::RemainingValues() const {
  return List() ? List()->Remaining() : KFbxValueWalker(nullptr, 0, 0, m_bBinary, m_bBigEndian);
}

void KFbx::ReadUpTo(const KFbxValueWalker& xWalker) {
  if (List()) List()->MoveTo(xWalker);
}

KFbxValueWalker KFbx::TakeValue() {
  const KFbxValueWalker xValue = RemainingValues();
  if (!xValue.AtEnd()) {
    KFbxValueWalker xNext = xValue;
    xNext.Next();
    ReadUpTo(xNext);
  }
  return xValue;
}

char KFbx::GetValueType() const {
  const KFbxValueWalker xValue = RemainingValues();
  if (xValue.AtEnd()) return '\0';
  return m_bBinary ? static_cast<char>(xValue.Code()) : 'S';
}

char KFbx::GetValueClass() const {
  const KFbxValueWalker xValue = RemainingValues();
  return xValue.AtEnd() ? '\0' : xValue.Class();
}

// Binary: the first four payload bytes whatever the code (a character's one
// byte). ASCII: the token as a decimal, clamped to the int range.
int KFbx::NextInt() {
  const KFbxValueWalker xValue = TakeValue();
  if (xValue.AtEnd()) return 0;
  if (!m_bBinary) {
    const long long llValue = KFbxAsciiInteger(xValue.Token(), xValue.TokenLength());
    return static_cast<int>(llValue < INT_MIN ? INT_MIN : llValue > INT_MAX ? INT_MAX : llValue);
  }
  const uint8_t* p = xValue.Payload();
  if (xValue.Code() == 'C') return p[0];
  return static_cast<int>(KFbxLoad32(p, m_bBigEndian));
}

// Binary: the eight payload bytes of "L" and "D"; "I" and "C" widened; other
// codes (with fewer payload bytes) 0. ASCII: the token as a decimal.
int64_t KFbx::NextInt64() {
  const KFbxValueWalker xValue = TakeValue();
  if (xValue.AtEnd()) return 0;
  if (!m_bBinary) return KFbxAsciiInteger(xValue.Token(), xValue.TokenLength());
  const uint8_t* p = xValue.Payload();
  switch (xValue.Code()) {
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

// Binary: "D" and "F" as typed reads give them, other codes 0. ASCII: any
// token as strtod reads it.
double KFbx::NextDouble() {
  const KFbxValueWalker xValue = TakeValue();
  if (xValue.AtEnd()) return 0.0;
  if (!m_bBinary) return KFbxAsciiReal(xValue.Token(), xValue.TokenLength());
  return xValue.Code() == 'D' || xValue.Code() == 'F' ? xValue.Typed().m_dReal : 0.0;
}

char KFbx::NextChar() {
  const KFbxValueWalker xValue = TakeValue();
  if (xValue.AtEnd()) return '\0';
  if (!m_bBinary) return xValue.Token()[0];
  const uint8_t* p = xValue.Payload();
  if (xValue.Code() == 'C') return static_cast<char>(p[0]);
  if (xValue.Code() == 'S' && KFbxLoad32(p, m_bBigEndian) > 0) return static_cast<char>(p[4]);
  return '\0';
}

KString KFbx::NextString() {
  const KFbxValueWalker xValue = TakeValue();
  if (xValue.AtEnd()) return KString();
  if (!m_bBinary) return KString(xValue.Token(), xValue.TokenLength());
  const uint8_t* p = xValue.Payload();
  if (xValue.Code() == 'S') return DecodeString(p, m_bBigEndian);
  if (xValue.Code() == 'C') return KString(reinterpret_cast<const char*>(p), 1);
  return KString();
}

bool KFbx::NextRaw(std::vector<uint8_t>& xOut) {
  const KFbxValueWalker xValue = TakeValue();
  xOut.clear();
  if (xValue.AtEnd() || !m_bBinary || xValue.Code() != 'R') return false;
  const uint8_t* p = xValue.Payload();
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
