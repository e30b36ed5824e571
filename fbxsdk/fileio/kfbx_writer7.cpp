// 7.x files written whole or field by field.
#include "fbxsdk/fileio/kfbx_writer7.h"

#include "fbxsdk/fileio/kfbx_write_stream.h"
#include "fbxsdk/fileio/kfile.h"

namespace {

bool VersionWritable(int iVersion, std::string& xError) {
  if (iVersion >= kFbx7FirstVersion && iVersion <= kFbx7LastVersion) return true;
  xError = "version " + std::to_string(iVersion) + " is not a 7.x version (7100 to 7700)";
  return false;
}

// The header, then a sink for the top level; the end follows Close.
std::unique_ptr<KFbxFieldSink> Start(KFbxByteOut& xOut, const KFbx7WriteOptions& xOptions, uint64_t& ullStart) {
  if (xOptions.m_bBinary) {
    KFbxPutBinary7Header(xOut, xOptions.m_iVersion);
    ullStart = xOut.Size();
    return KFbxMakeBinary7Sink(xOut, xOptions);
  }
  KFbxPutAscii7Header(xOut, xOptions.m_iVersion);
  return KFbxMakeAscii7Sink(xOut);
}

}  // namespace

struct KFbx7FileWriter::Impl {
  KFbx7WriteOptions m_xOptions;
  std::unique_ptr<KFbxFileOut> m_pxOut;
  std::unique_ptr<KFbxFieldSink> m_pxSink;
  uint64_t m_ullStart = 0;
};

KFbx7FileWriter::KFbx7FileWriter() : m_pxImpl(std::make_unique<Impl>()) {}
KFbx7FileWriter::~KFbx7FileWriter() = default;

bool KFbx7FileWriter::Open(const char* pszPath, const KFbx7WriteOptions& xOptions, std::string* pxError) {
  std::string xRefusal;
  VersionWritable(xOptions.m_iVersion, xRefusal);
  std::unique_ptr<KFbxFileOut> pxOut = KFbxCreateFileOut(pszPath, xRefusal, pxError);
  if (!pxOut) return false;
  Impl& x = *m_pxImpl;
  x.m_xOptions = xOptions;
  x.m_pxOut = std::move(pxOut);
  x.m_pxSink = Start(*x.m_pxOut, xOptions, x.m_ullStart);
  return true;
}

KFbxFieldSink& KFbx7FileWriter::Fields() { return *m_pxImpl->m_pxSink; }

bool KFbx7FileWriter::Close(std::string* pxError) {
  Impl& x = *m_pxImpl;
  std::string xError = x.m_pxSink ? x.m_pxSink->Error() : "the file was never opened";
  if (x.m_pxOut) {
    if (x.m_xOptions.m_bBinary && xError.empty()) KFbxPutBinary7End(*x.m_pxOut, x.m_xOptions.m_iVersion, x.m_ullStart);
    if (!x.m_pxOut->Close() && xError.empty()) xError = x.m_pxOut->Error();
  }
  x.m_pxSink.reset();
  x.m_pxOut.reset();
  if (pxError) *pxError = xError;
  return xError.empty();
}

std::string KFbx7WriteBytes(const std::vector<KFbxWriteField>& xTop, const KFbx7WriteOptions& xOptions,
                            std::string* pxError) {
  std::string xError, xBytes;
  if (VersionWritable(xOptions.m_iVersion, xError)) {
    KFbxStringOut xOut(xBytes);
    uint64_t ullStart = 0;
    std::unique_ptr<KFbxFieldSink> pxSink = Start(xOut, xOptions, ullStart);
    KFbxEmitFields(xTop, *pxSink);
    xError = pxSink->Error();
    if (xError.empty() && xOptions.m_bBinary) KFbxPutBinary7End(xOut, xOptions.m_iVersion, ullStart);
  }
  if (pxError) *pxError = xError;
  if (!xError.empty()) xBytes.clear();
  return xBytes;
}
