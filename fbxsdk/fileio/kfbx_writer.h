#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// Our own FBX writer: an in-memory tree of fields written as a binary (either
// byte order, one or several sections, optionally encrypted) or ASCII file.
// Tests use it to make every file they need, hostile ones included; the
// command line's convert uses it too.

// One value of a field. m_cType is the binary property code: 'C', 'I', 'F',
// 'D', 'L', 'S', 'R'; 7.x files also hold 'Y' (a 16-bit integer) and the
// arrays 'f' (float), 'd' (double), 'l' (64-bit), 'i' (32-bit) and 'b'
// (bool), whose elements m_xBytes holds little-endian, m_llInt counting
// them. The 5.x/6.x encoders refuse those.
struct KFbxWriteValue {
  char m_cType = 'I';
  int64_t m_llInt = 0;
  double m_dReal = 0.0;
  std::string m_xBytes;
  bool m_bObjectName = false;  // 'S' written as name, 0, 1, class in binary files

  static KFbxWriteValue Char(char cValue);
  static KFbxWriteValue Int(int32_t iValue);
  static KFbxWriteValue Int64(int64_t llValue);
  static KFbxWriteValue Float(float fValue);
  static KFbxWriteValue Double(double dValue);
  static KFbxWriteValue String(const std::string& xText);
  static KFbxWriteValue Raw(const std::string& xBytes);
  // "Class::Name": binary files store name, 0, 1, class; ASCII files the text.
  static KFbxWriteValue ObjectName(const std::string& xClass, const std::string& xName);

  // 7.x value kinds (kfbx_write_arrays.cpp).
  static KFbxWriteValue Short(int16_t sValue);
  static KFbxWriteValue FloatArray(const std::vector<float>& xValues);
  static KFbxWriteValue DoubleArray(const std::vector<double>& xValues);
  static KFbxWriteValue Int64Array(const std::vector<int64_t>& xValues);
  static KFbxWriteValue IntArray(const std::vector<int32_t>& xValues);
  static KFbxWriteValue BoolArray(const std::vector<bool>& xValues);
  bool IsArray() const;
  // Bytes of one element of an array code ('f', 'd', 'l', 'i', 'b'); 0 for
  // any other code.
  static size_t ArrayElementSize(char cType);
};

// A named field with its values and, when m_bBlock is set (or it has
// children), a nested block.
struct KFbxWriteField {
  std::string m_xName;
  std::vector<KFbxWriteValue> m_xValues;
  std::vector<KFbxWriteField> m_xChildren;
  bool m_bBlock = false;

  KFbxWriteField() = default;
  explicit KFbxWriteField(std::string xName, std::vector<KFbxWriteValue> xValues = {})
      : m_xName(std::move(xName)), m_xValues(std::move(xValues)) {}

  // Fluent helpers: add a value, a child field (returned for chaining on it).
  KFbxWriteField& Add(const KFbxWriteValue& xValue);
  KFbxWriteField& Child(const std::string& xName, std::vector<KFbxWriteValue> xValues = {});
  KFbxWriteField& Block();  // marks a (possibly empty) nested block
};

struct KFbxWriteOptions {
  bool m_bBinary = true;
  bool m_bBigEndian = false;
  int m_iHeaderVersion = 6100;  // version in the binary header or the ASCII first line
  std::string m_xPassword;
  bool m_bEncrypted = false;  // binary only; the sections must be one
  // Version stored in each section's footer after the first (-1 keeps the
  // header version, 0 reads as 4000); the first section's footer stores
  // m_iFirstFooterVersion (0: the header's version stands).
  int m_iFooterVersion = -1;
  int m_iFirstFooterVersion = 0;
  // Bytes written after each footer's magic. Files end right after it; up to
  // 15 leave the footers where a reader finds them, 16 moves them out of
  // reach.
  size_t m_uFooterTrailingBytes = 0;
  std::string m_xAsciiProduct = "FBX";  // product word of the ASCII first line
};

using KFbxWriteSection = std::vector<KFbxWriteField>;

// One section = one top-level list of fields; several sections are appended
// saves, each followed by its footer. False (with a reason in *pxError) when
// the options cannot be written or the file cannot be created.
bool KFbxWriteFile(const char* pszPath, const std::vector<KFbxWriteSection>& xSections,
                   const KFbxWriteOptions& xOptions, std::string* pxError = nullptr);
// The same file as bytes; empty when the options cannot be written.
std::string KFbxWriteBytes(const std::vector<KFbxWriteSection>& xSections, const KFbxWriteOptions& xOptions,
                           std::string* pxError = nullptr);
