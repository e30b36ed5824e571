#include "fbxsdk/fileio7/kfbx7_document.h"

#include <strings.h>
#include <zlib.h>

#include <cctype>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <type_traits>

#include "fbxsdk/fileio/kfbx_bytes.h"
#include "fbxsdk/fileio7/kfbx7_format.h"
#include "fbxsdk/fileio7/kfbx7_parsers.h"

namespace {

const KFbx7Value kNoValue;

bool SameNoCase(const uint8_t* p, const char* psz, size_t uCount) {
  for (size_t i = 0; i < uCount; ++i)
    if (std::tolower(p[i]) != std::tolower(static_cast<unsigned char>(psz[i]))) return false;
  return true;
}

// "; WORD M.m.r project file" as a version number, 0 when the line is not
// such a header.
int AsciiVersion(const uint8_t* pBytes, size_t uSize) {
  std::string xLine(reinterpret_cast<const char*>(pBytes), uSize < 128 ? uSize : 128);
  xLine = xLine.substr(0, xLine.find_first_of("\r\n"));
  char acWord[32], acProject[16], acFile[16];
  unsigned uMajor = 0, uMinor = 0, uRevision = 0;
  if (std::sscanf(xLine.c_str(), "; %31s %u.%u.%u %15s %15s", acWord, &uMajor, &uMinor, &uRevision, acProject,
                  acFile) != 6)
    return 0;
  if (strcasecmp(acProject, "project") != 0 || strcasecmp(acFile, "file") != 0 || uMajor > 99 || uMinor > 9 ||
      uRevision > 99)
    return 0;
  return static_cast<int>(uMajor * 1000 + uMinor * 100 + uRevision);
}

size_t ElementSize(char cType) { return KFbx7ArrayElementSize(cType); }

template <class T>
T ElementAt(char cType, const uint8_t* p) {
  switch (cType) {
    case 'b':
      return static_cast<T>(*p != 0);
    case 'i':
      return static_cast<T>(static_cast<int32_t>(KFbxLoad32(p, false)));
    case 'l':
      return static_cast<T>(static_cast<int64_t>(KFbxLoad64(p, false)));
    case 'f': {
      const uint32_t u = KFbxLoad32(p, false);
      float f;
      std::memcpy(&f, &u, 4);
      return static_cast<T>(f);
    }
    default: {
      const uint64_t u = KFbxLoad64(p, false);
      double d;
      std::memcpy(&d, &u, 8);
      return static_cast<T>(d);
    }
  }
}

// A double that an integer type cannot hold (not a number, or beyond the
// type's range) reads as 0: converting it would be undefined.
template <class T>
T Checked(double d) {
  if constexpr (std::is_integral_v<T>) {
    if (!(d > -9.2e18 && d < 9.2e18)) return 0;
    if (sizeof(T) == 4 && !(d >= -2147483648.0 && d <= 2147483647.0)) return 0;
  } else if constexpr (sizeof(T) == 4) {
    if (d > FLT_MAX || d < -FLT_MAX) return d > 0 ? HUGE_VALF : -HUGE_VALF;
  }
  return static_cast<T>(d);
}

}  // namespace

bool KFbx7Value::IsArray() const { return ElementSize(m_cType) != 0; }

bool KFbx7Value::IsNumber() const { return m_cType && std::strchr("YCIFDL", m_cType) != nullptr; }

int KFbx7Document::SniffVersion(const uint8_t* pBytes, size_t uSize, bool* pbBinary) {
  int iVersion = 0;
  const bool bBinary = uSize >= kFbx7BinaryHeaderSize && SameNoCase(pBytes, kFbx7BinaryMagic, sizeof kFbx7BinaryMagic);
  if (bBinary) {
    const uint32_t uVersion = KFbxLoad32(pBytes + kFbx7VersionOffset, pBytes[kFbx7ByteOrderOffset] != 0);
    iVersion = uVersion < 100000 ? static_cast<int>(uVersion) : 0;
  } else {
    iVersion = AsciiVersion(pBytes, uSize);
  }
  if (pbBinary) *pbBinary = bBinary;
  return iVersion >= 7000 ? iVersion : 0;
}

KFbx7Bytes::KFbx7Bytes(std::vector<uint8_t> xBytes) {
  auto pxOwner = std::make_shared<std::vector<uint8_t>>(std::move(xBytes));
  m_pData = pxOwner->data();
  m_uSize = pxOwner->size();
  m_pxOwner = std::move(pxOwner);
}

bool KFbx7Document::Parse(KFbx7Bytes xBytes, std::string& xWhy) {
  *this = KFbx7Document();
  m_xBytes = std::move(xBytes);
  m_iVersion = SniffVersion(m_xBytes.data(), m_xBytes.size(), &m_bBinary);
  m_xRecords.emplace_back();  // the top level
  bool bOk = false;
  if (m_iVersion < kFbx7FirstVersion || m_iVersion > kFbx7LastVersion)
    xWhy = m_iVersion ? "version " + std::to_string(m_iVersion) + " is not one of 7100 to 7700"
                      : "the file does not start like a 7.x FBX file";
  else
    bOk = m_bBinary ? KFbx7BinaryParser(*this).Run(xWhy) : KFbx7AsciiParser(*this).Run(xWhy);
  if (!bOk) *this = KFbx7Document();
  return bOk;
}

int KFbx7Document::AddRecord(int iParent) {
  const int iRecord = static_cast<int>(m_xRecords.size());
  m_xRecords.emplace_back();
  Record& xParent = m_xRecords[iParent];
  if (xParent.m_iLastChild < 0)
    xParent.m_iFirstChild = iRecord;
  else
    m_xRecords[xParent.m_iLastChild].m_iNextSibling = iRecord;
  xParent.m_iLastChild = iRecord;
  return iRecord;
}

std::string_view KFbx7Document::Name(int iRecord) const {
  const Record& x = m_xRecords[iRecord];
  const uint8_t* pFrom = x.m_bNameInArena ? m_xArena.data() : m_xBytes.data();
  if (x.m_uNameLength == 0) return std::string_view();
  return std::string_view(reinterpret_cast<const char*>(pFrom + x.m_ullNameAt), x.m_uNameLength);
}

int KFbx7Document::Child(int iRecord, std::string_view xName) const {
  for (int i = FirstChild(iRecord); i >= 0; i = NextSibling(i))
    if (Name(i) == xName) return i;
  return -1;
}

const KFbx7Value& KFbx7Document::Value(int iRecord, int i) const {
  const Record& x = m_xRecords[iRecord];
  if (i < 0 || static_cast<uint32_t>(i) >= x.m_uValueCount) return kNoValue;
  return m_xValues[x.m_uFirstValue + static_cast<uint32_t>(i)];
}

std::string_view KFbx7Document::Text(const KFbx7Value& xValue) const {
  if (xValue.m_cType != 'S' && xValue.m_cType != 'R') return std::string_view();
  const uint8_t* pFrom = xValue.m_bArena ? m_xArena.data() : m_xBytes.data();
  if (xValue.m_ullCount == 0) return std::string_view();
  return std::string_view(reinterpret_cast<const char*>(pFrom + xValue.m_ullAt),
                          static_cast<size_t>(xValue.m_ullCount));
}

bool KFbx7Document::ElementBytes(const KFbx7Value& xValue, std::vector<uint8_t>& xScratch, const uint8_t*& pElements,
                                 std::string& xWhy) const {
  if (!xValue.IsArray()) {
    xWhy = "the value is no array";
    return false;
  }
  pElements = (xValue.m_bArena ? m_xArena.data() : m_xBytes.data()) + xValue.m_ullAt;
  if (xValue.m_uEncoding == kFbx7ArrayRaw) return true;
  // The parser checked the declared size against the limits; the stream
  // must inflate to exactly that size.
  const uint64_t ullDeclared = xValue.m_ullCount * ElementSize(xValue.m_cType);
  xScratch.resize(static_cast<size_t>(ullDeclared) + 1);
  z_stream xStream{};
  if (inflateInit(&xStream) != Z_OK) {
    xWhy = "zlib could not start";
    return false;
  }
  xStream.next_in = const_cast<Bytef*>(pElements);
  xStream.avail_in = static_cast<uInt>(xValue.m_ullStored);
  xStream.next_out = xScratch.data();
  xStream.avail_out = static_cast<uInt>(xScratch.size());  // one byte more: a longer stream shows
  const int iResult = inflate(&xStream, Z_FINISH);
  const uint64_t ullOut = xStream.total_out;
  inflateEnd(&xStream);
  if (iResult != Z_STREAM_END || ullOut != ullDeclared) {
    const std::string xDeclared = std::to_string(ullDeclared) + " bytes its count gives";
    xWhy = ullOut > ullDeclared ? "a deflated array inflates to more than the " + xDeclared
           : iResult == Z_STREAM_END
               ? "a deflated array inflates to " + std::to_string(ullOut) + " bytes, not the " + xDeclared
               : "a deflated array's stream is damaged or cut short";
    return false;
  }
  pElements = xScratch.data();
  return true;
}

template <class T>
bool KFbx7Document::Convert(const KFbx7Value& xValue, std::vector<T>& xOut, std::string& xWhy) const {
  const uint8_t* p = nullptr;
  if (!ElementBytes(xValue, m_xScratch, p, xWhy)) return false;
  const size_t uSize = ElementSize(xValue.m_cType);
  xOut.resize(static_cast<size_t>(xValue.m_ullCount));
  const char cType = xValue.m_cType;
  if (cType == 'f' || cType == 'd')
    for (T& x : xOut) x = Checked<T>(ElementAt<double>(cType, p)), p += uSize;
  else
    for (T& x : xOut) x = static_cast<T>(ElementAt<int64_t>(cType, p)), p += uSize;
  return true;
}

bool KFbx7Document::Int64s(const KFbx7Value& xValue, std::vector<int64_t>& xOut, std::string& xWhy) const {
  return Convert(xValue, xOut, xWhy);
}
bool KFbx7Document::Int32s(const KFbx7Value& xValue, std::vector<int32_t>& xOut, std::string& xWhy) const {
  return Convert(xValue, xOut, xWhy);
}
bool KFbx7Document::Floats(const KFbx7Value& xValue, std::vector<float>& xOut, std::string& xWhy) const {
  return Convert(xValue, xOut, xWhy);
}
bool KFbx7Document::Doubles(const KFbx7Value& xValue, std::vector<double>& xOut, std::string& xWhy) const {
  return Convert(xValue, xOut, xWhy);
}

bool KFbx7Document::Words(const KFbx7Value& xValue, std::vector<uint32_t>& xOut, std::string& xWhy) const {
  if (xValue.m_cType != 'f' && xValue.m_cType != 'i') {
    std::vector<float> xFloats;
    if (!Floats(xValue, xFloats, xWhy)) return false;
    xOut.resize(xFloats.size());
    if (!xFloats.empty()) std::memcpy(xOut.data(), xFloats.data(), 4 * xFloats.size());
    return true;
  }
  const uint8_t* p = nullptr;
  if (!ElementBytes(xValue, m_xScratch, p, xWhy)) return false;
  xOut.resize(static_cast<size_t>(xValue.m_ullCount));
  for (uint32_t& u : xOut) u = KFbxLoad32(p, false), p += 4;
  return true;
}
