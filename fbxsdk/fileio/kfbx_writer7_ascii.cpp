// The 7.x ASCII encoding: a field per line, its block in braces, and an
// array as the field's one value, written "*N {", a line "a: " with the
// elements, and "}".
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <vector>

#include "fbxsdk/fileio/kfbx_bytes.h"
#include "fbxsdk/fileio/kfbx_write_stream.h"
#include "fbxsdk/fileio/kfbx_writer7.h"

namespace {

// An array's element line goes on on the next line once this long, so
// that no line of a long curve grows without bound.
constexpr size_t kElementLineBytes = 1u << 20;

bool NameCharacter(char c) { return c > ' ' && c < 127 && !std::strchr(",\"{}:*", c); }

// One element of an array's stored bytes as text: floats with the nine
// digits that read back the same float, doubles with seventeen.
int ElementText(char cType, const uint8_t* p, char* pszOut, size_t uSize) {
  switch (cType) {
    case 'b':
      return std::snprintf(pszOut, uSize, "%d", *p ? 1 : 0);
    case 'i':
      return std::snprintf(pszOut, uSize, "%" PRId32, static_cast<int32_t>(KFbxLoad32(p, false)));
    case 'l':
      return std::snprintf(pszOut, uSize, "%" PRId64, static_cast<int64_t>(KFbxLoad64(p, false)));
    case 'f': {
      const uint32_t u = KFbxLoad32(p, false);
      float f;
      std::memcpy(&f, &u, 4);
      return std::snprintf(pszOut, uSize, "%.9g", static_cast<double>(f));
    }
    default: {
      const uint64_t u = KFbxLoad64(p, false);
      double d;
      std::memcpy(&d, &u, 8);
      return std::snprintf(pszOut, uSize, "%.17g", d);
    }
  }
}

class Ascii7Sink : public KFbxFieldSink {
 public:
  explicit Ascii7Sink(KFbxByteOut& xOut) : m_xOut(xOut) {}

  void Begin(const std::string& xName) override {
    if (Failed()) return;
    for (char c : xName)
      if (!NameCharacter(c)) return Fail("field name not writable in ASCII: " + xName);
    if (xName.empty()) return Fail("an empty field name");
    if (!m_xOpen.empty()) OpenBlock();
    Indent(m_xOpen.size());
    m_xOut.Append(xName);
    m_xOut.Append(": ", 2);
    m_xOpen.push_back(Field());
  }

  void Value(const KFbxWriteValue& xValue) override {
    if (Failed()) return;
    if (m_xOpen.empty() || !m_xOpen.back().m_bHead) return Fail("value outside a field's head");
    Field& xField = m_xOpen.back();
    if (xField.m_bArray || (xValue.IsArray() && xField.m_uValues > 0))
      return Fail("an array is the only value of its field in ASCII files");
    if (xField.m_uValues++ > 0) m_xOut.Append(",", 1);
    if (xValue.IsArray()) {
      xField.m_bArray = true;
      return PutArray(xValue);
    }
    PutScalar(xValue);
  }

  void Block() override {
    if (!Failed() && !m_xOpen.empty()) OpenBlock();
  }

  void End() override {
    if (Failed() || m_xOpen.empty()) return;
    const Field xField = m_xOpen.back();
    m_xOpen.pop_back();
    if (!xField.m_bHead) {
      Indent(m_xOpen.size());
      m_xOut.Append("}", 1);
    }
    m_xOut.Append("\n", 1);
  }

 private:
  struct Field {
    size_t m_uValues = 0;
    bool m_bHead = true;  // on the field's own line: no block opened yet
    bool m_bArray = false;
  };

  void Indent(size_t uDepth) {
    static const std::string s_xTabs(64, '\t');
    for (; uDepth > s_xTabs.size(); uDepth -= s_xTabs.size()) m_xOut.Append(s_xTabs);
    m_xOut.Append(s_xTabs.data(), uDepth);
  }

  void OpenBlock() {
    Field& xField = m_xOpen.back();
    if (!xField.m_bHead) return;
    if (xField.m_bArray) return Fail("a field with an array has no block in ASCII files");
    xField.m_bHead = false;
    m_xOut.Append(" {\n", 3);
  }

  void PutScalar(const KFbxWriteValue& xValue) {
    char acText[40];
    int iLength = 0;
    switch (xValue.m_cType) {
      case 'C': {
        const char c = static_cast<char>(xValue.m_llInt);
        if (!NameCharacter(c)) return Fail("character not writable in ASCII");
        return m_xOut.Append(&c, 1);
      }
      case 'Y':
      case 'I':
      case 'L':
        iLength = std::snprintf(acText, sizeof acText, "%" PRId64, xValue.m_llInt);
        break;
      case 'F':
      case 'D':
        iLength = std::snprintf(acText, sizeof acText, "%.17g", xValue.m_dReal);
        break;
      default:
        if (xValue.m_xBytes.find('"') != std::string::npos) return Fail("quote inside an ASCII string");
        m_xOut.Append("\"", 1);
        m_xOut.Append(xValue.m_xBytes);
        return m_xOut.Append("\"", 1);
    }
    m_xOut.Append(acText, static_cast<size_t>(iLength));
  }

  void PutArray(const KFbxWriteValue& xValue) {
    const size_t uElement = KFbxWriteValue::ArrayElementSize(xValue.m_cType);
    const size_t uCount = xValue.m_xBytes.size() / uElement;
    char acText[48];
    std::snprintf(acText, sizeof acText, "*%zu {\n", uCount);
    m_xOut.Append(acText);
    const size_t uDepth = m_xOpen.size();
    Indent(uDepth);
    m_xOut.Append("a: ", 3);
    const uint8_t* p = reinterpret_cast<const uint8_t*>(xValue.m_xBytes.data());
    size_t uLine = 0;
    for (size_t i = 0; i < uCount; ++i, p += uElement) {
      if (i > 0) {
        m_xOut.Append(",", 1);
        if (uLine > kElementLineBytes) {
          m_xOut.Append("\n", 1);
          Indent(uDepth);
          uLine = 0;
        }
      }
      const int iLength = ElementText(xValue.m_cType, p, acText, sizeof acText);
      m_xOut.Append(acText, static_cast<size_t>(iLength));
      uLine += static_cast<size_t>(iLength) + 1;
    }
    m_xOut.Append("\n", 1);
    Indent(uDepth - 1);
    m_xOut.Append("}", 1);
  }

  KFbxByteOut& m_xOut;
  std::vector<Field> m_xOpen;
};

}  // namespace

std::unique_ptr<KFbxFieldSink> KFbxMakeAscii7Sink(KFbxByteOut& xOut) { return std::make_unique<Ascii7Sink>(xOut); }

void KFbxPutAscii7Header(KFbxByteOut& xOut, int iVersion) {
  KFbxWriteOptions xHeader;
  xHeader.m_iHeaderVersion = iVersion;
  KFbxPutAsciiHeader(xOut, xHeader);
}
