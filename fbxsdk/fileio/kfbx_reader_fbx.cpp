#include "fbxsdk/fileio/kfbx_reader_fbx.h"

#ifdef _WIN32
#include <direct.h>
#define getcwd _getcwd
#else
#include <unistd.h>
#endif

#include <new>
#include <vector>

#include "fbxsdk/fileio/kfbx_file_format.h"
#include "fbxsdk/fileio/kfbx_importer.h"
#include "fbxsdk/fileio/kfbx_scene_walk.h"
#include "fbxsdk/fileio/kstream_options_fbx.h"
#include "fbxsdk/scene/kfbx_sdk_manager.h"

namespace {

// Folds "." and ".." components and doubled "/" of a path.
KString FoldPath(const KString& xPath) {
  std::vector<KString> xParts;
  size_t uStart = 0;
  while (uStart <= xPath.GetLen()) {
    int iSlash = xPath.Find('/', uStart);
    const size_t uEnd = iSlash < 0 ? xPath.GetLen() : static_cast<size_t>(iSlash);
    const KString xPart = xPath.Mid(uStart, uEnd - uStart);
    if (xPart == ".." && !xParts.empty() && xParts.back() != "..")
      xParts.pop_back();
    else if (!xPart.IsEmpty() && xPart != "." && !(xPart == ".." && xPath[0] == '/'))
      xParts.push_back(xPart);
    uStart = uEnd + 1;
  }
  KString xOut = xPath[0] == '/' ? "/" : "";
  for (size_t i = 0; i < xParts.size(); ++i) xOut += (i ? "/" : "") + std::string(xParts[i].Buffer());
  return xOut;
}

}  // namespace

KFbxReaderFbx::KFbxReaderFbx(KFbxSdkManager& xManager, KFbxImporter* pxImporter)
    : KFbxReader(xManager, eKFBX_FORMAT_FBX_BINARY), m_pxImporter(pxImporter) {}

KFbxReaderFbx::~KFbxReaderFbx() { FileClose(); }

KString KFbxReaderFbx::ResolveFileName(const char* pszFileName) {
  const KString xName(pszFileName ? pszFileName : "");
  if (xName.Find(':') != KString::kNotFound || xName.Left(2) == "\\\\" || xName[0] == '/') return xName;
  std::vector<char> xDirectory(4096);
  if (!getcwd(xDirectory.data(), xDirectory.size())) return xName;
  KString xPath(xDirectory.data());
  const char cLast = xPath.IsEmpty() ? '\0' : xPath[xPath.GetLen() - 1];
  if (cLast != '/' && cLast != '\\') xPath += '/';
  return FoldPath(xPath + xName);
}

bool KFbxReaderFbx::Opened(bool bOpened) {
  m_bOpen = bOpened;
  if (bOpened) return true;
  const int iCode = m_pxFbx->GetError().GetLastErrorID();
  const int iOwn = iCode >= KFbx::eFILE_CORRUPTED && iCode <= KFbx::eFILE_NOT_CREATED ? iCode : eUNIDENTIFIED_ERROR;
  return Fail(iOwn, m_pxFbx->GetError().GetLastErrorString());
}

bool KFbxReaderFbx::FileOpen(const char* pszFileName) {
  FileClose();
  try {
    if (!m_pxFbx) m_pxFbx = std::make_unique<KFbx>();
    m_xHeader = KFbxHeaderInfo();
    return Opened(m_pxFbx->ProjectOpen(ResolveFileName(pszFileName), false, false, &m_xHeader));
  } catch (const std::bad_alloc&) {
    return Fail(eUNIDENTIFIED_ERROR, KString("Out of memory opening ") + pszFileName);
  }
}

bool KFbxReaderFbx::FileOpenMemory(const void* pData, size_t uSize) {
  FileClose();
  try {
    if (!m_pxFbx) m_pxFbx = std::make_unique<KFbx>();
    m_xHeader = KFbxHeaderInfo();
    return Opened(m_pxFbx->ProjectOpenMemory(pData, uSize, false, false, &m_xHeader));
  } catch (const std::bad_alloc&) {
    return Fail(eUNIDENTIFIED_ERROR, "Out of memory opening a file in memory");
  }
}

bool KFbxReaderFbx::FileClose() {
  const bool bWasOpen = m_bOpen;
  if (m_pxFbx) m_pxFbx->ProjectClose();
  m_bOpen = false;
  return bWasOpen;
}

bool KFbxReaderFbx::IsFileOpen() const { return m_bOpen; }

int KFbxReaderFbx::GetFileEncoding() const {
  if (!m_pxFbx) return eKFBX_FORMAT_FBX_BINARY;
  if (m_pxFbx->IsEncrypted()) return eKFBX_FORMAT_FBX_ENCRYPTED;
  return m_pxFbx->IsBinary() ? eKFBX_FORMAT_FBX_BINARY : eKFBX_FORMAT_FBX_ASCII;
}

int KFbxReaderFbx::GetFileVersion() const { return m_pxFbx ? m_pxFbx->GetFileVersionNumber() : 0; }

bool KFbxReaderFbx::GetCameraResolution(KString& xCamera, KString& xMode, double& dWidth, double& dHeight) const {
  xCamera = m_xHeader.m_xCameraName;
  xMode = m_xHeader.m_xResolutionMode;
  dWidth = m_xHeader.m_dResolutionW;
  dHeight = m_xHeader.m_dResolutionH;
  return m_xHeader.m_bResolutionAvailable && !xMode.IsEmpty() && dWidth != 0.0 && dHeight != 0.0;
}

// "Current" and one record per "Take". The "Takes" field is left unread so
// that the read itself finds it again.
bool KFbxReaderFbx::ReadDefaultTakes(KStreamOptionsFbx& xOptions) {
  KFbx& xFbx = *m_pxFbx;
  if (!xFbx.BeginField("Takes") || !xFbx.EnterBlock()) return true;
  xOptions.m_xCurrentTakeName = xFbx.FieldString("Current");
  while (xFbx.BeginField("Take")) {
    KFbxTakeRecord xRecord(xFbx.NextString());
    if (xFbx.EnterBlock()) {
      const KString xFileName = xFbx.FieldString("FileName");
      KFbx xTakeFile;
      if (xFileName.IsEmpty())
        KFbxReadTakeRecordFields(xFbx, xRecord);
      else if (KFbxOpenTakeFile(xFbx, xTakeFile, xFileName, xOptions.m_xPassword))
        KFbxReadTakeRecordFields(xTakeFile, xRecord);
      else if (xFbx.IsNewFormat())
        KFbxReadTakeRecordFields(xFbx, xRecord);
      xFbx.LeaveBlock();
    }
    xFbx.EndField();
    if (static_cast<int>(xOptions.m_xTakeInfos.size()) < kKFbxMaxTakes) xOptions.m_xTakeInfos.push_back(xRecord);
  }
  xFbx.LeaveBlock();
  if (xOptions.FindTakeInfo(xOptions.m_xCurrentTakeName) == nullptr && xOptions.m_xCurrentTakeName.IsEmpty())
    xOptions.m_xCurrentTakeName = xOptions.m_xTakeInfos.empty() ? KString() : xOptions.m_xTakeInfos[0].m_xName;
  return true;
}

KStreamOptions* KFbxReaderFbx::GetReadOptions(bool bReportFailure) {
  if (!m_bOpen) {
    if (bReportFailure) Fail(eFILE_NOT_OPENED, "No FBX file is open to take read options from");
    return nullptr;
  }
  auto* pxOptions = Manager().CreateObject<KStreamOptionsFbx>(KFbxSdkManager::eLIST_STREAM_OPTIONS);
  if (!pxOptions) {
    if (bReportFailure)
      Fail(eUNIDENTIFIED_ERROR, KString("Out of memory for the read options of ") + m_pxFbx->GetPath());
    return nullptr;
  }
  try {
    // The takes of an encrypted file are hidden until the read gives the password.
    if (!m_pxFbx->IsEncrypted()) ReadDefaultTakes(*pxOptions);
  } catch (const std::bad_alloc&) {
    Manager().DestroyObject(KFbxSdkManager::eLIST_STREAM_OPTIONS, pxOptions);
    if (bReportFailure)
      Fail(eUNIDENTIFIED_ERROR, KString("Out of memory for the read options of ") + m_pxFbx->GetPath());
    return nullptr;
  }
  return pxOptions;
}

bool KFbxReaderFbx::Read(KFbxSceneGraph& xScene, KStreamOptions* pxOptions) {
  if (!m_bOpen) return Fail(eFILE_NOT_OPENED, "No FBX file is open to read");
  if (!pxOptions || !pxOptions->IsFbx())
    return Fail(eSTREAM_OPTIONS_NOT_SET, KString("No FBX read options for ") + m_pxFbx->GetPath());
  auto& xOptions = static_cast<KStreamOptionsFbx&>(*pxOptions);
  if (m_pxFbx->IsEncrypted() && !m_pxFbx->IsPasswordSet() && !m_pxFbx->SetPassword(xOptions.m_xPassword))
    return Fail(eWRONG_PASSWORD, KString("Wrong password for ") + m_pxFbx->GetPath());
  KFbxSceneWalk xWalk(*m_pxFbx, Manager(), m_pxImporter, xScene, xOptions);
  if (!xWalk.Run()) return Fail(xWalk.GetFailureCode(), xWalk.GetFailure());
  SetStatus("");
  return true;
}
