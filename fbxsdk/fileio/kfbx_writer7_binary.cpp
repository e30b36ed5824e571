// The 7.x binary encoding: records whose three header words are patched
// once known (32-bit words before 7500, 64-bit from 7500), typed arrays
// with a 12-byte header and their elements raw or deflated, and the file's
// header and end.
#include <zlib.h>

#include <cstring>
#include <vector>

#include "fbxsdk/fileio/kfbx_bytes.h"
#include "fbxsdk/fileio/kfbx_write_stream.h"
#include "fbxsdk/fileio/kfbx_writer7.h"

namespace {

constexpr size_t kMaxNameLength = 255;
// Narrow headers store the record's end as a 32-bit offset.
constexpr uint64_t kMaxNarrowFileBytes = 0xFFFFFFFFull;
// A deflated array must be smaller than its raw bytes by at least this part.
constexpr size_t kMinSavedPart = 8;

class Binary7Sink : public KFbxFieldSink {
 public:
  Binary7Sink(KFbxByteOut& xOut, const KFbx7WriteOptions& xOptions)
      : m_xOut(xOut),
        m_bWide(xOptions.m_iVersion >= kFbx7WideHeaderVersion),
        m_uCompressFrom(xOptions.m_uCompressFrom),
        m_bAlwaysDeflate(xOptions.m_bAlwaysDeflate) {}

  void Begin(const std::string& xName) override {
    if (Failed()) return;
    if (xName.size() > kMaxNameLength) return Fail("field name too long: " + xName);
    if (!m_xOpen.empty()) EndValues(m_xOpen.back(), true);
    Record xRecord;
    xRecord.m_ullStart = m_xOut.Size();
    m_xOut.Zeros(HeaderSize() - 1);
    const char cLength = static_cast<char>(xName.size());
    m_xOut.Append(&cLength, 1);
    m_xOut.Append(xName);
    xRecord.m_ullValues = m_xOut.Size();
    m_xOpen.push_back(xRecord);
  }

  void Value(const KFbxWriteValue& xValue) override {
    if (Failed()) return;
    if (m_xOpen.empty() || m_xOpen.back().m_bValuesDone) return Fail("value outside a field's head");
    ++m_xOpen.back().m_ullCount;
    PutValue(xValue);
  }

  void Block() override {
    if (!Failed() && !m_xOpen.empty()) EndValues(m_xOpen.back(), true);
  }

  void End() override {
    if (Failed() || m_xOpen.empty()) return;
    Record& xRecord = m_xOpen.back();
    EndValues(xRecord, false);
    // A nested list ends with a null record.
    if (xRecord.m_bNested) m_xOut.Zeros(HeaderSize());
    if (!m_bWide && m_xOut.Size() > kMaxNarrowFileBytes)
      return Fail("the file would pass 4 GiB, where the record offsets of versions before 7500 end");
    PatchWord(xRecord.m_ullStart, 0, m_xOut.Size());
    m_xOpen.pop_back();
  }

 private:
  struct Record {
    uint64_t m_ullStart = 0;   // the header
    uint64_t m_ullValues = 0;  // the value list
    uint64_t m_ullCount = 0;
    bool m_bValuesDone = false;
    bool m_bNested = false;
  };

  size_t HeaderSize() const { return m_bWide ? kFbx7WideRecordHeader : kFbx7NarrowRecordHeader; }

  // Header word iWord (0 end offset, 1 value count, 2 value list length).
  void PatchWord(uint64_t ullRecord, int iWord, uint64_t ullValue) {
    const uint64_t ullAt = ullRecord + static_cast<uint64_t>(iWord) * (m_bWide ? 8 : 4);
    uint8_t au[4];
    KFbxStore32(au, static_cast<uint32_t>(ullValue), false);
    m_xOut.Patch(ullAt, au);
    if (!m_bWide) return;
    KFbxStore32(au, static_cast<uint32_t>(ullValue >> 32), false);
    m_xOut.Patch(ullAt + 4, au);
  }

  void EndValues(Record& xRecord, bool bNested) {
    xRecord.m_bNested = xRecord.m_bNested || bNested;
    if (xRecord.m_bValuesDone) return;
    xRecord.m_bValuesDone = true;
    const uint64_t ullLength = m_xOut.Size() - xRecord.m_ullValues;
    if (!m_bWide && (ullLength > kMaxNarrowFileBytes || xRecord.m_ullCount > kMaxNarrowFileBytes))
      return Fail("a value list passes what 32-bit header words hold");
    PatchWord(xRecord.m_ullStart, 1, xRecord.m_ullCount);
    PatchWord(xRecord.m_ullStart, 2, ullLength);
  }

  void Put32(uint32_t u) {
    uint8_t a[4];
    KFbxStore32(a, u, false);
    m_xOut.Append(reinterpret_cast<const char*>(a), 4);
  }

  void PutNumber(const KFbxWriteValue& xValue) {
    uint8_t a[8];
    size_t uSize = 8;
    switch (xValue.m_cType) {
      case 'C':
      case 'Y':
        uSize = xValue.m_cType == 'C' ? 1 : 2;
        a[0] = static_cast<uint8_t>(xValue.m_llInt);
        a[1] = static_cast<uint8_t>(xValue.m_llInt >> 8);
        break;
      case 'I':
        uSize = 4;
        KFbxStore32(a, static_cast<uint32_t>(xValue.m_llInt), false);
        break;
      case 'F': {
        const float f = static_cast<float>(xValue.m_dReal);
        uint32_t u;
        std::memcpy(&u, &f, 4);
        uSize = 4;
        KFbxStore32(a, u, false);
        break;
      }
      case 'D': {
        uint64_t u;
        std::memcpy(&u, &xValue.m_dReal, 8);
        KFbxStore64(a, u, false);
        break;
      }
      default:  // 'L'
        KFbxStore64(a, static_cast<uint64_t>(xValue.m_llInt), false);
        break;
    }
    m_xOut.Append(reinterpret_cast<const char*>(a), uSize);
  }

  void PutArray(const KFbxWriteValue& xValue) {
    const std::string& xRaw = xValue.m_xBytes;
    if (static_cast<uint64_t>(xValue.m_llInt) > 0xFFFFFFFFull || xRaw.size() > 0xFFFFFFFFull)
      return Fail("an array holds more than 32-bit counts reach");
    std::vector<Bytef> xPacked;
    if (xRaw.size() >= m_uCompressFrom) {
      uLongf uPacked = compressBound(static_cast<uLong>(xRaw.size()));
      xPacked.resize(uPacked);
      if (compress2(xPacked.data(), &uPacked, reinterpret_cast<const Bytef*>(xRaw.data()),
                    static_cast<uLong>(xRaw.size()), Z_DEFAULT_COMPRESSION) != Z_OK)
        return Fail("an array could not be deflated");
      xPacked.resize(uPacked);
    }
    // Deflated only where that saves an eighth of the bytes: noisy floats
    // (most key values) barely shrink and would cost an inflation on every
    // read.
    const bool bPacked = xRaw.size() >= m_uCompressFrom &&
                         (m_bAlwaysDeflate || xPacked.size() <= xRaw.size() - xRaw.size() / kMinSavedPart);
    Put32(static_cast<uint32_t>(xValue.m_llInt));
    Put32(bPacked ? kFbx7ArrayDeflated : kFbx7ArrayRaw);
    Put32(static_cast<uint32_t>(bPacked ? xPacked.size() : xRaw.size()));
    if (bPacked)
      m_xOut.Append(reinterpret_cast<const char*>(xPacked.data()), xPacked.size());
    else
      m_xOut.Append(xRaw);
  }

  void PutValue(const KFbxWriteValue& xValue) {
    m_xOut.Append(&xValue.m_cType, 1);
    if (xValue.IsArray()) return PutArray(xValue);
    if (xValue.m_cType != 'S' && xValue.m_cType != 'R') return PutNumber(xValue);
    const std::string& xBytes = xValue.m_xBytes;
    if (xBytes.size() > 0xFFFFFFFFull) return Fail("a string passes 4 GiB");
    Put32(static_cast<uint32_t>(xBytes.size()));
    const size_t uSplit = xBytes.find("::");
    if (!xValue.m_bObjectName || uSplit == std::string::npos) return m_xOut.Append(xBytes);
    // "Class::Name" is stored name, 0, 1, class: two bytes for the "::".
    m_xOut.Append(xBytes.data() + uSplit + 2, xBytes.size() - uSplit - 2);
    m_xOut.Append("\0\1", 2);
    m_xOut.Append(xBytes.data(), uSplit);
  }

  KFbxByteOut& m_xOut;
  bool m_bWide;
  size_t m_uCompressFrom;
  bool m_bAlwaysDeflate;
  std::vector<Record> m_xOpen;
};

}  // namespace

std::unique_ptr<KFbxFieldSink> KFbxMakeBinary7Sink(KFbxByteOut& xOut, const KFbx7WriteOptions& xOptions) {
  return std::make_unique<Binary7Sink>(xOut, xOptions);
}

void KFbxPutBinary7Header(KFbxByteOut& xOut, int iVersion) {
  KFbxWriteOptions xHeader;
  xHeader.m_iHeaderVersion = iVersion;
  KFbxPutBinaryHeader(xOut, xHeader);
}

void KFbxPutBinary7End(KFbxByteOut& xOut, int iVersion, uint64_t ullStart) {
  // The 6.x section end writes a 13-byte null record; a wide one is longer.
  xOut.Zeros(KFbx7RecordHeaderSize(iVersion) - kFbx7NarrowRecordHeader);
  KFbxWriteOptions xFooter;
  xFooter.m_iHeaderVersion = iVersion;
  xFooter.m_iFirstFooterVersion = iVersion;
  KFbxPutSectionEnd(xOut, xFooter, 0, ullStart);
}
