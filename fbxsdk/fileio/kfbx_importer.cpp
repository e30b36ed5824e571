#include "fbxsdk/fileio/kfbx_importer.h"

#include <new>

#include "fbxsdk/fileio/kfbx_file_format.h"
#include "fbxsdk/fileio/kfbx_reader.h"
#include "fbxsdk/fileio/kfbx_reader_fbx.h"
#include "fbxsdk/scene/kfbx_scene_graph.h"
#include "fbxsdk/scene/kfbx_sdk_manager.h"

namespace {

constexpr const char* kIOErrorTexts[] = {
    "File is corrupted",
    "File version is not supported yet",
    "File version is not supported anymore",
    "File not opened",
    "File not created",
    "Out of disk space",
    "Uninitialized filename, use method Initialize(char* pFilename) first",
    "Unidentified error",
    "Index out of range",
    "Password error",
    "Stream options not set",
};
static_assert(sizeof(kIOErrorTexts) / sizeof(kIOErrorTexts[0]) == KFbxIO::eERROR_COUNT, "one text per IO error");

constexpr const char* kWrongPasswordText = "File is password protected and the provided password is wrong.";

// The extension of a file name: the text after its last ".", when that "."
// stands after every "/" and "\"; lower case.
KString LowerExtension(const KString& xName) {
  const int iDot = xName.ReverseFind('.');
  if (iDot < 0 || iDot < xName.ReverseFind('/') || iDot < xName.ReverseFind('\\')) return KString();
  return xName.Mid(static_cast<size_t>(iDot) + 1).Lower();
}

}  // namespace

KFbxIO::KFbxIO(KFbxSdkManager& xManager, const char* pszName) : KFbxObject(pszName), m_xManager(xManager) {
  SetErrorTable(kIOErrorTexts, eERROR_COUNT);
}

KFbxImporter::KFbxImporter(KFbxSdkManager& xManager) : KFbxIO(xManager, "Importer") {
  for (bool& bFlag : m_abKeptFlags) bFlag = true;
}

KFbxImporter::~KFbxImporter() { Reset(); }

void KFbxImporter::DeleteReader() {
  m_pxReader.reset();
  m_bOptionsKept = false;
}

void KFbxImporter::Reset() {
  DeleteReader();
  m_xKeptTakes.clear();
  if (m_pxKeptSceneInfo) m_xManager.DestroySceneInfo(m_pxKeptSceneInfo);
  m_pxKeptSceneInfo = nullptr;
  m_xKeptCurrentTake = "";
  m_xKeptPassword = "";
  m_xProgress = "";
  m_xCameraName = "";
  m_xResolutionMode = "";
  for (bool& bFlag : m_abKeptFlags) bFlag = true;
  m_iMajor = m_iMinor = m_iRevision = 0;
  m_bFileInfo = false;
  m_dResolutionW = m_dResolutionH = 0.0;
}

bool KFbxImporter::Initialize(const char* pszFileName) {
  Reset();
  m_xFileName = pszFileName ? pszFileName : "";
  if (LowerExtension(m_xFileName).Find(KFbxFileFormatExtension(eKFBX_FORMAT_FBX_BINARY)) != KString::kNotFound)
    return OpenReader();
  return true;
}

void KFbxImporter::SplitVersion(int iVersion) {
  m_iMajor = iVersion / 1000;
  m_iMinor = (iVersion % 1000) / 100;
  m_iRevision = iVersion % 100;
}

void KFbxImporter::GetFileVersion(int& iMajor, int& iMinor, int& iRevision) const {
  iMajor = m_iMajor;
  iMinor = m_iMinor;
  iRevision = m_iRevision;
}

// Code, version and camera resolution of the FBX file the reader opened.
void KFbxImporter::ReadFileDescription() {
  auto* pxFbx = dynamic_cast<KFbxReaderFbx*>(m_pxReader.get());
  if (!pxFbx) return;
  m_iFileFormat = pxFbx->GetFileEncoding();
  SplitVersion(pxFbx->GetFileVersion());
  m_bFileInfo = pxFbx->GetCameraResolution(m_xCameraName, m_xResolutionMode, m_dResolutionW, m_dResolutionH);
}

void KFbxImporter::FailFromReader(int iCode) {
  const KErrorState& xReaderError = m_pxReader->GetError();
  GetError().SetLastError(iCode, xReaderError.GetLastErrorString());
}

bool KFbxImporter::OpenReader() {
  if (m_xFileName.IsEmpty()) {
    GetError().SetLastErrorID(eUNINITIALIZED_FILENAME);
    return false;
  }
  DeleteReader();
  m_pxReader = KFbxCreateReader(m_iFileFormat, m_xManager, this);
  if (!m_pxReader) {
    GetError().SetLastError(eUNIDENTIFIED_ERROR, KString("No reader for format code of file ") + m_xFileName);
    return false;
  }
  if (m_pxReader->FileOpen(m_xFileName)) {
    if (KFbxIsFbxFormat(m_iFileFormat)) ReadFileDescription();
    return true;
  }
  const int iReaderCode = m_pxReader->GetError().GetLastErrorID();
  FailFromReader(iReaderCode >= KFbxReader::eFILE_CORRUPTED && iReaderCode <= KFbxReader::eFILE_NOT_OPENED
                     ? iReaderCode
                     : eUNIDENTIFIED_ERROR);
  // A version the library does not read is still worth reporting.
  if ((iReaderCode == KFbxReader::eFILE_VERSION_NOT_SUPPORTED_YET ||
       iReaderCode == KFbxReader::eFILE_VERSION_NOT_SUPPORTED_ANYMORE) &&
      KFbxIsFbxFormat(m_iFileFormat))
    if (auto* pxFbx = dynamic_cast<KFbxReaderFbx*>(m_pxReader.get())) SplitVersion(pxFbx->GetFileVersion());
  DeleteReader();
  return false;
}

void KFbxImporter::KeepOptions(const KStreamOptionsFbx& xOptions) {
  m_xKeptTakes = xOptions.m_xTakeInfos;
  m_xKeptCurrentTake = xOptions.m_xCurrentTakeName;
  m_xKeptPassword = xOptions.m_xPassword;
  for (int i = 0; i < KStreamOptionsFbx::eFLAG_COUNT; ++i) m_abKeptFlags[i] = xOptions.GetFlag(i);
  if (m_pxKeptSceneInfo) m_xManager.DestroySceneInfo(m_pxKeptSceneInfo);
  m_pxKeptSceneInfo = nullptr;
  if (const KFbxSceneInfo* pxInfo = xOptions.GetSceneInfo()) {
    m_pxKeptSceneInfo = m_xManager.CreateSceneInfo(pxInfo->Name());
    if (m_pxKeptSceneInfo) m_pxKeptSceneInfo->CopyFrom(*pxInfo);
  }
  m_bOptionsKept = true;
}

KStreamOptionsFbx* KFbxImporter::OptionsFromKept() {
  auto* pxOptions = m_xManager.CreateObject<KStreamOptionsFbx>(KFbxSdkManager::eLIST_STREAM_OPTIONS);
  if (!pxOptions) return nullptr;
  try {
    pxOptions->m_xTakeInfos = m_xKeptTakes;
    pxOptions->m_xCurrentTakeName = m_xKeptCurrentTake;
    pxOptions->m_xPassword = m_xKeptPassword;
    for (int i = 0; i < KStreamOptionsFbx::eFLAG_COUNT; ++i) pxOptions->SetFlag(i, m_abKeptFlags[i]);
    pxOptions->SetSceneInfo(m_pxKeptSceneInfo);
  } catch (const std::bad_alloc&) {
    ReleaseOptions(pxOptions);
    return nullptr;
  }
  return pxOptions;
}

void KFbxImporter::ReleaseOptions(KStreamOptions* pxOptions) {
  if (pxOptions) m_xManager.DestroyObject(KFbxSdkManager::eLIST_STREAM_OPTIONS, pxOptions);
}

// The options for this import: the caller's, fresh ones from the kept
// copies, or the reader's defaults (kept when they are FBX options). Options
// made here come back in pxReleaseLater.
KStreamOptions* KFbxImporter::ChooseOptions(KStreamOptions* pxOptions, KStreamOptions*& pxReleaseLater) {
  pxReleaseLater = nullptr;
  if (pxOptions) return pxOptions;
  if (KFbxIsFbxFormat(m_iFileFormat) && m_bOptionsKept) return pxReleaseLater = OptionsFromKept();
  KStreamOptions* pxDefaults = m_pxReader->GetReadOptions(true);
  if (!pxDefaults) {
    GetError().SetLastError(eSTREAM_OPTIONS_NOT_SET, m_pxReader->GetError().GetLastErrorString());
    m_xProgress = m_pxReader->GetStatusText();
    return nullptr;
  }
  if (pxDefaults->IsFbx()) KeepOptions(static_cast<const KStreamOptionsFbx&>(*pxDefaults));
  return pxReleaseLater = pxDefaults;
}

bool KFbxImporter::Import(KFbxSceneGraph* pxScene, KStreamOptions* pxOptions) {
  if (!m_pxReader && !OpenReader()) return false;
  if (!pxScene) {
    GetError().SetLastError(eUNIDENTIFIED_ERROR, KString("No scene to import ") + m_xFileName + " into");
    return false;
  }
  KStreamOptions* pxRelease = nullptr;
  KStreamOptions* pxUsed = ChooseOptions(pxOptions, pxRelease);
  if (!pxUsed) return false;

  m_pxCurrentOptions = pxUsed;
  const bool bRead = m_pxReader->Read(*pxScene, pxUsed);
  m_pxCurrentOptions = nullptr;

  if (bRead && m_pxKeptSceneInfo) {
    KFbxSceneInfo* pxInfo = pxScene->GetSceneInfo();
    if (!pxInfo && (pxInfo = m_xManager.CreateSceneInfo(m_pxKeptSceneInfo->Name()))) pxScene->SetSceneInfo(pxInfo);
    if (pxInfo) pxInfo->CopyFrom(*m_pxKeptSceneInfo);
  }
  m_xProgress = m_pxReader->GetStatusText();
  if (!bRead) {
    if (m_pxReader->GetError().GetLastErrorID() == KFbxReader::eWRONG_PASSWORD)
      GetError().SetLastError(ePASSWORD_ERROR, kWrongPasswordText);
    else
      FailFromReader(eUNIDENTIFIED_ERROR);
  }
  ReleaseOptions(pxRelease);
  return bRead;
}
