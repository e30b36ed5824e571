#include "fbxsdk/core/kstring.h"

#include <algorithm>
#include <cctype>

namespace {

char LowerAscii(char cChar) { return static_cast<char>(std::tolower(static_cast<unsigned char>(cChar))); }
char UpperAscii(char cChar) { return static_cast<char>(std::toupper(static_cast<unsigned char>(cChar))); }

}  // namespace

int KStringCompareNoCase(const char* pszA, const char* pszB) {
  const char* pA = pszA ? pszA : "";
  const char* pB = pszB ? pszB : "";
  for (;; ++pA, ++pB) {
    const unsigned char uA = static_cast<unsigned char>(LowerAscii(*pA));
    const unsigned char uB = static_cast<unsigned char>(LowerAscii(*pB));
    if (uA != uB) return uA < uB ? -1 : 1;
    if (uA == '\0') return 0;
  }
}

KString::KString(const char* pszText) : m_xData(pszText ? pszText : "") {}

KString::KString(const char* pText, size_t uLength) : m_xData(pText ? std::string(pText, uLength) : std::string()) {}

KString& KString::operator=(const char* pszText) {
  m_xData = pszText ? pszText : "";
  return *this;
}

KString& KString::operator+=(const KString& xOther) {
  m_xData += xOther.m_xData;
  return *this;
}

KString& KString::operator+=(const char* pszText) {
  if (pszText) m_xData += pszText;
  return *this;
}

KString& KString::operator+=(char cChar) {
  m_xData += cChar;
  return *this;
}

KString KString::Left(size_t uCount) const { return KString(m_xData.substr(0, uCount)); }

KString KString::Right(size_t uCount) const {
  const size_t uTake = std::min(uCount, m_xData.size());
  return KString(m_xData.substr(m_xData.size() - uTake));
}

KString KString::Mid(size_t uStart, size_t uCount) const {
  if (uStart >= m_xData.size()) return KString();
  return KString(m_xData.substr(uStart, uCount));
}

int KString::Find(char cChar, size_t uStart) const {
  const size_t uPos = m_xData.find(cChar, uStart);
  return uPos == std::string::npos ? kNotFound : static_cast<int>(uPos);
}

int KString::Find(const char* pszText, size_t uStart) const {
  if (!pszText) return kNotFound;
  const size_t uPos = m_xData.find(pszText, uStart);
  return uPos == std::string::npos ? kNotFound : static_cast<int>(uPos);
}

int KString::ReverseFind(char cChar) const {
  const size_t uPos = m_xData.rfind(cChar);
  return uPos == std::string::npos ? kNotFound : static_cast<int>(uPos);
}

int KString::CompareNoCase(const char* pszOther) const { return KStringCompareNoCase(Buffer(), pszOther); }

KString KString::Upper() const {
  std::string xOut(m_xData);
  std::transform(xOut.begin(), xOut.end(), xOut.begin(), UpperAscii);
  return KString(xOut);
}

KString KString::Lower() const {
  std::string xOut(m_xData);
  std::transform(xOut.begin(), xOut.end(), xOut.begin(), LowerAscii);
  return KString(xOut);
}
