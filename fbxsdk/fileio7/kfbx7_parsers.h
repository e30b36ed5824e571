#pragma once
// The two parsers that fill a KFbx7Document: each walks the file once,
// through an explicit stack of open records, checking every offset, length
// and count against what holds it and against the limits.

#include <string>

#include "fbxsdk/fileio7/kfbx7_document.h"

class KFbx7BinaryParser {
 public:
  explicit KFbx7BinaryParser(KFbx7Document& xDocument) : m_xDoc(xDocument) {}
  bool Run(std::string& xWhy);

 private:
  struct Header {
    uint64_t m_ullEnd = 0, m_ullCount = 0, m_ullLength = 0;
    uint8_t m_uNameLength = 0;
  };
  bool ReadHeader(uint64_t ullAt, uint64_t ullLimit, Header& xHeader, std::string& xWhy) const;
  bool ReadValues(uint64_t ullAt, uint64_t ullEnd, uint64_t ullCount, std::string& xWhy);
  bool ReadArray(char cType, uint64_t& ullAt, uint64_t ullEnd, KFbx7Value& xValue, std::string& xWhy);
  void ReadFooter();

  KFbx7Document& m_xDoc;
  size_t m_uHeader = 13;
  uint64_t m_ullInflated = 0;  // declared bytes of the deflated arrays so far
};

class KFbx7AsciiParser {
 public:
  explicit KFbx7AsciiParser(KFbx7Document& xDocument) : m_xDoc(xDocument) {}
  bool Run(std::string& xWhy);

 private:
  enum EToken { eEND, eNAME, eSTRING, eWORD, eCOMMA, eOPEN, eCLOSE, eBAD };
  EToken Next();
  bool ReadValue(EToken eToken, std::string& xWhy);
  bool ReadArray(uint64_t ullCount, std::string& xWhy);
  std::string Where() const;

  KFbx7Document& m_xDoc;
  size_t m_uAt = 0;
  size_t m_uTokenAt = 0, m_uTokenLength = 0;  // the last token's text
  size_t m_uLine = 1;
};
