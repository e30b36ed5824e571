// Byte destinations of the writer and the file written field by field.
#include "fbxsdk/fileio/kfbx_write_stream.h"

#include <algorithm>
#include <cstring>

#include "fbxsdk/fileio/kfile.h"

namespace {

bool SeekTo(std::FILE* pxFile, uint64_t ullAt) {
#ifdef _WIN32
  return _fseeki64(pxFile, static_cast<int64_t>(ullAt), SEEK_SET) == 0;
#else
  return fseeko(pxFile, static_cast<off_t>(ullAt), SEEK_SET) == 0;
#endif
}

constexpr char kZeros[64] = {};

}  // namespace

void KFbxByteOut::Zeros(size_t uCount) {
  for (; uCount > sizeof kZeros; uCount -= sizeof kZeros) Append(kZeros, sizeof kZeros);
  Append(kZeros, uCount);
}

void KFbxStringOut::Patch(uint64_t uAt, const uint8_t (&auBytes)[4]) {
  std::memcpy(&m_xOut[static_cast<size_t>(uAt)], auBytes, 4);
}

KFbxFileOut::~KFbxFileOut() {
  if (m_pxFile) std::fclose(m_pxFile);
}

void KFbxFileOut::Append(const char* pBytes, size_t uCount) {
  m_xBuffer.append(pBytes, uCount);
  if (m_xBuffer.size() >= kStreamBufferBytes) Flush();
}

void KFbxFileOut::Flush() {
  if (m_xBuffer.empty()) return;
  if (m_xError.empty() && std::fwrite(m_xBuffer.data(), 1, m_xBuffer.size(), m_pxFile) != m_xBuffer.size())
    m_xError = "a write failed";
  m_ullFlushed += m_xBuffer.size();
  m_xBuffer.clear();
}

void KFbxFileOut::Patch(uint64_t uAt, const uint8_t (&auBytes)[4]) {
  // The bytes may lie in the file, in the buffer, or (a flush between
  // them) partly in each.
  const size_t uInFile = uAt < m_ullFlushed ? static_cast<size_t>(std::min<uint64_t>(4, m_ullFlushed - uAt)) : 0;
  if (uInFile < 4)
    std::memcpy(&m_xBuffer[static_cast<size_t>(uAt + uInFile - m_ullFlushed)], auBytes + uInFile, 4 - uInFile);
  if (uInFile == 0) return;
  // The stream writes at its position: go back, write, return to the end.
  if (m_xError.empty() && !(SeekTo(m_pxFile, uAt) && std::fwrite(auBytes, 1, uInFile, m_pxFile) == uInFile &&
                            SeekTo(m_pxFile, m_ullFlushed)))
    m_xError = "a positioned write failed";
}

bool KFbxFileOut::Close() {
  Flush();
  if (m_pxFile && std::fclose(m_pxFile) != 0 && m_xError.empty()) m_xError = "closing the file failed";
  m_pxFile = nullptr;
  return m_xError.empty();
}

void KFbxFieldSink::Leaf(const std::string& xName, std::initializer_list<KFbxWriteValue> xValues) {
  Begin(xName);
  for (const KFbxWriteValue& xValue : xValues) Value(xValue);
  End();
}

void KFbxTreeSink::Begin(const std::string& xName) {
  std::vector<KFbxWriteField>& xList = m_xOpen.empty() ? m_xTop : m_xOpen.back()->m_xChildren;
  if (!m_xOpen.empty()) m_xOpen.back()->m_bBlock = true;
  xList.emplace_back(xName);
  m_xOpen.push_back(&xList.back());
}

void KFbxTreeSink::Value(const KFbxWriteValue& xValue) {
  if (m_xOpen.empty()) return Fail("value outside a field");
  m_xOpen.back()->m_xValues.push_back(xValue);
}

void KFbxTreeSink::Block() {
  if (!m_xOpen.empty()) m_xOpen.back()->m_bBlock = true;
}

void KFbxTreeSink::End() {
  if (!m_xOpen.empty()) m_xOpen.pop_back();
}

void KFbxEmitFields(const KFbxWriteField* pxFields, size_t uCount, KFbxFieldSink& xSink) {
  struct Open {
    const KFbxWriteField* m_pxField;
    size_t m_uNext;
  };
  std::vector<Open> xStack;
  auto Begin = [&](const KFbxWriteField& xField) {
    xSink.Begin(xField.m_xName);
    for (const KFbxWriteValue& xValue : xField.m_xValues) xSink.Value(xValue);
    if (xField.m_bBlock || !xField.m_xChildren.empty()) xSink.Block();
    xStack.push_back({&xField, 0});
  };
  for (size_t i = 0; i < uCount; ++i) {
    Begin(pxFields[i]);
    while (!xStack.empty() && !xSink.Failed()) {
      Open& xOpen = xStack.back();
      if (xOpen.m_uNext < xOpen.m_pxField->m_xChildren.size()) {
        Begin(xOpen.m_pxField->m_xChildren[xOpen.m_uNext++]);
        continue;
      }
      xSink.End();
      xStack.pop_back();
    }
    if (xSink.Failed()) return;
  }
}

struct KFbxFileWriter::Impl {
  KFbxWriteOptions m_xOptions;
  std::unique_ptr<KFbxFileOut> m_pxOut;
  std::unique_ptr<KFbxFieldSink> m_pxSink;
  uint64_t m_ullSectionStart = 0;
};

std::unique_ptr<KFbxFileOut> KFbxCreateFileOut(const char* pszPath, const std::string& xRefusal, std::string* pxError) {
  std::FILE* pxFile = xRefusal.empty() ? KFileOpenUtf8(pszPath, "wb") : nullptr;
  if (pxError)
    *pxError = !xRefusal.empty() ? xRefusal : pxFile ? "" : std::string("cannot create ") + (pszPath ? pszPath : "");
  return pxFile ? std::make_unique<KFbxFileOut>(pxFile) : nullptr;
}

KFbxFileWriter::KFbxFileWriter() : m_pxImpl(std::make_unique<Impl>()) {}
KFbxFileWriter::~KFbxFileWriter() = default;

bool KFbxFileWriter::Open(const char* pszPath, const KFbxWriteOptions& xOptions, std::string* pxError) {
  std::unique_ptr<KFbxFileOut> pxOut = KFbxCreateFileOut(
      pszPath, xOptions.m_bEncrypted ? "an encrypted file is written whole, by KFbxWriteFile" : "", pxError);
  if (!pxOut) return false;
  Impl& x = *m_pxImpl;
  x.m_xOptions = xOptions;
  x.m_pxOut = std::move(pxOut);
  if (xOptions.m_bBinary) {
    KFbxPutBinaryHeader(*x.m_pxOut, xOptions);
    x.m_ullSectionStart = x.m_pxOut->Size();
    x.m_pxSink = KFbxMakeBinarySink(*x.m_pxOut, xOptions.m_bBigEndian);
  } else {
    KFbxPutAsciiHeader(*x.m_pxOut, xOptions);
    x.m_pxSink = KFbxMakeAsciiSink(*x.m_pxOut);
  }
  return true;
}

KFbxFieldSink& KFbxFileWriter::Fields() { return *m_pxImpl->m_pxSink; }

uint64_t KFbxFileWriter::Size() const { return m_pxImpl->m_pxOut ? m_pxImpl->m_pxOut->Size() : 0; }

bool KFbxFileWriter::Close(std::string* pxError) {
  Impl& x = *m_pxImpl;
  std::string xError = x.m_pxSink ? x.m_pxSink->Error() : "the file was never opened";
  if (x.m_pxOut) {
    if (x.m_xOptions.m_bBinary && xError.empty()) KFbxPutSectionEnd(*x.m_pxOut, x.m_xOptions, 0, x.m_ullSectionStart);
    if (!x.m_pxOut->Close() && xError.empty()) xError = x.m_pxOut->Error();
  }
  x.m_pxSink.reset();
  x.m_pxOut.reset();
  if (pxError) *pxError = xError;
  return xError.empty();
}
