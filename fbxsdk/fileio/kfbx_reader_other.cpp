#include "fbxsdk/fileio/kfbx_reader_other.h"

#include <sys/stat.h>

KFbxReaderOtherFormat::KFbxReaderOtherFormat(KFbxSdkManager& xManager, int iFileFormat)
    : KFbxReader(xManager, iFileFormat) {}

bool KFbxReaderOtherFormat::FileOpen(const char* pszFileName) {
  m_bOpen = false;
  m_xFileName = pszFileName ? pszFileName : "";
  struct stat xInfo;
  if (m_xFileName.IsEmpty() || stat(m_xFileName.Buffer(), &xInfo) != 0 || !S_ISREG(xInfo.st_mode))
    return Fail(eFILE_NOT_OPENED, KString("Unable to open file ") + m_xFileName);
  m_bOpen = true;
  return true;
}

bool KFbxReaderOtherFormat::FileClose() {
  const bool bWasOpen = m_bOpen;
  m_bOpen = false;
  return bWasOpen;
}

KString KFbxReaderOtherFormat::NotSupported() const {
  return KString("Reading ") + KFbxFileFormatDescription(GetFileFormat()) + " files is not supported: " + m_xFileName;
}

KStreamOptions* KFbxReaderOtherFormat::GetReadOptions(bool bReportFailure) {
  if (bReportFailure) Fail(eSTREAM_OPTIONS_NOT_SET, NotSupported());
  return nullptr;
}

bool KFbxReaderOtherFormat::Read(KFbxSceneGraph& /*xScene*/, KStreamOptions* /*pxOptions*/) {
  return Fail(eUNIDENTIFIED_ERROR, NotSupported());
}
