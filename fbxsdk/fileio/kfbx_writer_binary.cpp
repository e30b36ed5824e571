// The writer's binary encoding: records whose header words (end offset,
// value count, value list length) are patched once known, the file header
// and each section's end and footer.
#include <cstring>
#include <vector>

#include "fbxsdk/fileio/kfbx_bytes.h"
#include "fbxsdk/fileio/kfbx_write_stream.h"

namespace {

constexpr char kBinaryMagic[] = "Quorvex FBX Binary  ";  // 20 characters; the zero byte follows
constexpr uint8_t kFooterMagic[16] = {0xF8, 0x5A, 0x8C, 0x6A, 0xDE, 0xF5, 0xD9, 0x7E,
                                      0xEC, 0xE9, 0x0C, 0xE3, 0x75, 0x8F, 0x29, 0x0B};
constexpr size_t kFooterSize = 128;  // distance, version, zeros; the magic follows
constexpr size_t kMaxNameLength = 255;
// Record end offsets are 32-bit: a binary file of these versions ends
// before 4 GiB.
constexpr uint64_t kMaxBinaryFileBytes = 0xFFFFFFFFull;

class BinarySink : public KFbxFieldSink {
 public:
  BinarySink(KFbxByteOut& xOut, bool bBigEndian) : m_xOut(xOut), m_bBigEndian(bBigEndian) {}

  void Begin(const std::string& xName) override {
    if (Failed()) return;
    if (xName.size() > kMaxNameLength) return Fail("field name too long: " + xName);
    if (!m_xOpen.empty()) CloseHead(m_xOpen.back(), true);
    m_xOpen.push_back({m_xOut.Size(), 0, 0, false, false});
    m_xOut.Zeros(12);
    const char cLength = static_cast<char>(xName.size());
    m_xOut.Append(&cLength, 1);
    m_xOut.Append(xName);
    m_xOpen.back().m_ullValues = m_xOut.Size();
  }

  void Value(const KFbxWriteValue& xValue) override {
    if (Failed() || m_xOpen.empty() || m_xOpen.back().m_bHeadClosed) return Fail("value outside a field's head");
    if (xValue.IsArray() || xValue.m_cType == 'Y') return Fail("arrays and 16-bit values belong to 7.x files");
    ++m_xOpen.back().m_uCount;
    PutValue(xValue);
  }

  void Block() override {
    if (!Failed() && !m_xOpen.empty()) CloseHead(m_xOpen.back(), true);
  }

  void End() override {
    if (Failed() || m_xOpen.empty()) return;
    Open& xOpen = m_xOpen.back();
    CloseHead(xOpen, false);
    if (xOpen.m_bBlock) m_xOut.Zeros(kFbxRecordHeaderSize);
    if (m_xOut.Size() > kMaxBinaryFileBytes) return Fail("the file would pass 4 GiB, where binary offsets end");
    Patch(xOpen.m_ullStart, static_cast<uint32_t>(m_xOut.Size()));
    m_xOpen.pop_back();
  }

 private:
  struct Open {
    uint64_t m_ullStart;   // the record's header
    uint64_t m_ullValues;  // its value list
    uint32_t m_uCount;
    bool m_bHeadClosed;
    bool m_bBlock;
  };

  void Patch(uint64_t ullAt, uint32_t uValue) {
    uint8_t au[4];
    KFbxStore32(au, uValue, m_bBigEndian);
    m_xOut.Patch(ullAt, au);
  }

  // The value list is complete: its count and length go into the header.
  void CloseHead(Open& xOpen, bool bBlock) {
    xOpen.m_bBlock = xOpen.m_bBlock || bBlock;
    if (xOpen.m_bHeadClosed) return;
    xOpen.m_bHeadClosed = true;
    const uint64_t ullLength = m_xOut.Size() - xOpen.m_ullValues;
    if (ullLength > kMaxBinaryFileBytes) return Fail("a value list passes 4 GiB");
    Patch(xOpen.m_ullStart + 4, xOpen.m_uCount);
    Patch(xOpen.m_ullStart + 8, static_cast<uint32_t>(ullLength));
  }

  void Put32(uint32_t u) {
    uint8_t a[4];
    KFbxStore32(a, u, m_bBigEndian);
    m_xOut.Append(reinterpret_cast<const char*>(a), 4);
  }
  void Put64(uint64_t u) {
    uint8_t a[8];
    KFbxStore64(a, u, m_bBigEndian);
    m_xOut.Append(reinterpret_cast<const char*>(a), 8);
  }

  void PutValue(const KFbxWriteValue& xValue) {
    m_xOut.Append(&xValue.m_cType, 1);
    switch (xValue.m_cType) {
      case 'C': {
        const char c = static_cast<char>(xValue.m_llInt);
        m_xOut.Append(&c, 1);
        return;
      }
      case 'I':
        Put32(static_cast<uint32_t>(xValue.m_llInt));
        return;
      case 'L':
        Put64(static_cast<uint64_t>(xValue.m_llInt));
        return;
      case 'F': {
        const float fValue = static_cast<float>(xValue.m_dReal);
        uint32_t u;
        std::memcpy(&u, &fValue, 4);
        Put32(u);
        return;
      }
      case 'D': {
        uint64_t u;
        std::memcpy(&u, &xValue.m_dReal, 8);
        Put64(u);
        return;
      }
      default: {
        const std::string& xBytes = xValue.m_xBytes;
        const size_t uSplit = xBytes.find("::");
        if (xValue.m_bObjectName && uSplit != std::string::npos) {
          // name, 0, 1, class
          Put32(static_cast<uint32_t>(xBytes.size()));
          m_xOut.Append(xBytes.data() + uSplit + 2, xBytes.size() - uSplit - 2);
          m_xOut.Append("\0\1", 2);
          m_xOut.Append(xBytes.data(), uSplit);
          return;
        }
        Put32(static_cast<uint32_t>(xBytes.size()));
        m_xOut.Append(xBytes);
      }
    }
  }

  KFbxByteOut& m_xOut;
  bool m_bBigEndian;
  std::vector<Open> m_xOpen;
};

}  // namespace

std::unique_ptr<KFbxFieldSink> KFbxMakeBinarySink(KFbxByteOut& xOut, bool bBigEndian) {
  return std::make_unique<BinarySink>(xOut, bBigEndian);
}

void KFbxPutBinaryHeader(KFbxByteOut& xOut, const KFbxWriteOptions& xOptions) {
  xOut.Append(kBinaryMagic, sizeof kBinaryMagic);  // the magic and its zero byte
  const char acOrder[2] = {'\x1A', xOptions.m_bBigEndian ? '\1' : '\0'};
  xOut.Append(acOrder, 2);
  uint8_t au[4];
  KFbxStore32(au, static_cast<uint32_t>(xOptions.m_iHeaderVersion), xOptions.m_bBigEndian);
  xOut.Append(reinterpret_cast<const char*>(au), 4);
}

// Pads to a 16-byte boundary, then the footer and its magic, which so ends
// on a 16-byte boundary: the reader finds the footer 144 bytes before the
// section's end rounded down to 16, whatever up to 15 bytes follow it.
void KFbxPutSectionEnd(KFbxByteOut& xOut, const KFbxWriteOptions& xOptions, size_t uSection, uint64_t ullStart) {
  xOut.Zeros(kFbxRecordHeaderSize);
  const uint64_t ullFooter = (xOut.Size() + 15) / 16 * 16;
  const int iFooterVersion = uSection == 0                    ? xOptions.m_iFirstFooterVersion
                             : xOptions.m_iFooterVersion >= 0 ? xOptions.m_iFooterVersion
                                                              : xOptions.m_iHeaderVersion;
  xOut.Zeros(static_cast<size_t>(ullFooter - xOut.Size()));
  uint8_t au[8];
  KFbxStore32(au, uSection == 0 ? 0u : static_cast<uint32_t>(ullFooter - ullStart), xOptions.m_bBigEndian);
  KFbxStore32(au + 4, static_cast<uint32_t>(iFooterVersion), xOptions.m_bBigEndian);
  xOut.Append(reinterpret_cast<const char*>(au), 8);
  xOut.Zeros(kFooterSize - 8);
  xOut.Append(reinterpret_cast<const char*>(kFooterMagic), sizeof kFooterMagic);
  xOut.Zeros(xOptions.m_uFooterTrailingBytes);
}
