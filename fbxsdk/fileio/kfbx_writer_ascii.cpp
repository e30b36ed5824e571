// The writer's ASCII encoding: a header line, then one field per line with
// its values and, in braces, its nested block.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <vector>

#include "fbxsdk/fileio/kfbx_write_stream.h"

namespace {

// Characters that end or start a bare token, or make it a name.
constexpr char kNotBare[] = ",\"{}:";
// A value list whose line has grown this long goes on on the next line:
// readers refuse lines of 16 MiB, and a curve of hours of keys would
// otherwise make one.
constexpr uint64_t kAsciiWrapLength = 1u << 20;

bool BareCharacter(char c) {
  return std::isgraph(static_cast<unsigned char>(c)) && std::strchr(kNotBare, c) == nullptr;
}

class AsciiSink : public KFbxFieldSink {
 public:
  explicit AsciiSink(KFbxByteOut& xOut) : m_xOut(xOut) {}

  void Begin(const std::string& xName) override {
    if (Failed()) return;
    if (xName.empty() || !std::all_of(xName.begin(), xName.end(), BareCharacter))
      return Fail("field name not writable in ASCII: " + xName);
    if (!m_xOpen.empty()) OpenBlock(m_xOpen.back());
    m_xLine.assign(m_xOpen.size(), '\t');
    m_xLine += xName;
    m_xLine += ": ";
    m_xOpen.push_back({0, true});
    m_uLineStart = m_xOut.Size();
    m_xOut.Append(m_xLine);
  }

  void Value(const KFbxWriteValue& xValue) override {
    if (Failed()) return;
    if (m_xOpen.empty() || !m_xOpen.back().m_bHead) return Fail("value outside a field's head");
    if (xValue.IsArray() || xValue.m_cType == 'Y') return Fail("arrays and 16-bit values belong to 7.x files");
    Open& xOpen = m_xOpen.back();
    if (xOpen.m_uValues++ > 0) {
      if (m_xOut.Size() - m_uLineStart > kAsciiWrapLength) {
        m_xLine.assign(",\n");
        m_xLine.append(m_xOpen.size(), '\t');
        m_uLineStart = m_xOut.Size() + 2;
        m_xOut.Append(m_xLine);
      } else {
        m_xOut.Append(",", 1);
      }
    }
    PutValue(xValue);
  }

  void Block() override {
    if (!Failed() && !m_xOpen.empty()) OpenBlock(m_xOpen.back());
  }

  void End() override {
    if (Failed() || m_xOpen.empty()) return;
    const Open xOpen = m_xOpen.back();
    m_xOpen.pop_back();
    if (xOpen.m_bHead) {
      m_xOut.Append("\n", 1);
      return;
    }
    m_xLine.assign(m_xOpen.size(), '\t');
    m_xLine += "}\n";
    m_xOut.Append(m_xLine);
  }

 private:
  struct Open {
    uint32_t m_uValues;
    bool m_bHead;  // still on the field's own line: no " {" yet
  };

  void OpenBlock(Open& xOpen) {
    if (!xOpen.m_bHead) return;
    xOpen.m_bHead = false;
    m_xOut.Append(" {\n", 3);
  }

  void PutValue(const KFbxWriteValue& xValue) {
    char acNumber[40];
    int iLength = 0;
    switch (xValue.m_cType) {
      case 'C': {
        const char c = static_cast<char>(xValue.m_llInt);
        if (!BareCharacter(c)) return Fail("character not writable in ASCII");
        m_xOut.Append(&c, 1);
        return;
      }
      case 'I':
      case 'L':
        iLength = std::snprintf(acNumber, sizeof acNumber, "%lld", static_cast<long long>(xValue.m_llInt));
        break;
      case 'F':
      case 'D':
        // Enough digits that the double reads back exactly.
        iLength = std::snprintf(acNumber, sizeof acNumber, "%.17g", xValue.m_dReal);
        break;
      default:
        if (xValue.m_xBytes.find('"') != std::string::npos) return Fail("quote inside an ASCII string");
        m_xOut.Append("\"", 1);
        m_xOut.Append(xValue.m_xBytes);
        m_xOut.Append("\"", 1);
        return;
    }
    m_xOut.Append(acNumber, static_cast<size_t>(iLength));
  }

  KFbxByteOut& m_xOut;
  std::vector<Open> m_xOpen;
  std::string m_xLine;
  uint64_t m_uLineStart = 0;
};

}  // namespace

std::unique_ptr<KFbxFieldSink> KFbxMakeAsciiSink(KFbxByteOut& xOut) { return std::make_unique<AsciiSink>(xOut); }

void KFbxPutAsciiHeader(KFbxByteOut& xOut, const KFbxWriteOptions& xOptions) {
  const int iVersion = xOptions.m_iHeaderVersion;
  char acHeader[128];
  std::snprintf(acHeader, sizeof acHeader, "; %s %d.%d.%d project file\n", xOptions.m_xAsciiProduct.c_str(),
                iVersion / 1000, iVersion % 1000 / 100, iVersion % 100);
  xOut.Append(acHeader);
  xOut.Append("; written by boneplay\n\n");
}
