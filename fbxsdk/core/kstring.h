#pragma once

#include <cstddef>
#include <string>

// Byte string of the FBX library. Positions and lengths are byte counts; a
// position that is out of range never reads outside the text, it yields an
// empty or clipped result instead.
class KString {
 public:
  static constexpr int kNotFound = -1;

  KString() = default;
  KString(const char* pszText);  // NOLINT: implicit on purpose, like a C string
  KString(const char* pText, size_t uLength);
  KString(const std::string& xText) : m_xData(xText) {}

  const char* Buffer() const { return m_xData.c_str(); }
  operator const char*() const { return m_xData.c_str(); }  // NOLINT
  size_t GetLen() const { return m_xData.size(); }
  bool IsEmpty() const { return m_xData.empty(); }
  char operator[](size_t uIndex) const { return uIndex < m_xData.size() ? m_xData[uIndex] : '\0'; }
  // An int position, so that text[0] does not also match the C string's own
  // indexing where int is as wide as size_t (32-bit builds).
  char operator[](int iIndex) const { return iIndex < 0 ? '\0' : (*this)[static_cast<size_t>(iIndex)]; }

  KString& operator=(const char* pszText);
  KString& operator+=(const KString& xOther);
  KString& operator+=(const char* pszText);
  KString& operator+=(char cChar);
  friend KString operator+(KString xLeft, const KString& xRight) { return xLeft += xRight; }
  friend KString operator+(KString xLeft, const char* pszRight) { return xLeft += pszRight; }

  // Sub-strings: the first / last uCount bytes, or uCount bytes from uStart.
  KString Left(size_t uCount) const;
  KString Right(size_t uCount) const;
  KString Mid(size_t uStart, size_t uCount = std::string::npos) const;

  // Position of the first (or last) occurrence, or kNotFound.
  int Find(char cChar, size_t uStart = 0) const;
  int Find(const char* pszText, size_t uStart = 0) const;
  int ReverseFind(char cChar) const;

  // Case-insensitive three-way comparison over ASCII letters.
  int CompareNoCase(const char* pszOther) const;
  KString Upper() const;
  KString Lower() const;

  friend bool operator==(const KString& xA, const KString& xB) { return xA.m_xData == xB.m_xData; }
  friend bool operator!=(const KString& xA, const KString& xB) { return !(xA == xB); }
  friend bool operator==(const KString& xA, const char* pszB) { return xA.m_xData == (pszB ? pszB : ""); }
  friend bool operator!=(const KString& xA, const char* pszB) { return !(xA == pszB); }
  friend bool operator<(const KString& xA, const KString& xB) { return xA.m_xData < xB.m_xData; }

 private:
  std::string m_xData;
};

// Case-insensitive comparison of two C strings (ASCII letters only), null
// pointers counting as empty texts.
int KStringCompareNoCase(const char* pszA, const char* pszB);
