#pragma once

#include <memory>
#include <vector>

#include "fbxsdk/core/kerror.h"
#include "fbxsdk/core/kstring.h"
#include "fbxsdk/fileio/kstream_options_fbx.h"
#include "fbxsdk/scene/kfbx_object.h"
#include "fbxsdk/scene/kfbx_take_record.h"

class KFbxReader;
class KFbxSceneGraph;
class KFbxSceneInfo;
class KFbxSdkManager;

// Common part of importers and exporters: the file name, the manager, the
// options in use during one call, a progress text and the error state.
class KFbxIO : public KFbxObject {
 public:
  enum EError {
    eFILE_CORRUPTED = 0,
    eFILE_VERSION_NOT_SUPPORTED_YET = 1,
    eFILE_VERSION_NOT_SUPPORTED_ANYMORE = 2,
    eFILE_NOT_OPENED = 3,
    eFILE_NOT_CREATED = 4,
    eOUT_OF_DISK_SPACE = 5,
    eUNINITIALIZED_FILENAME = 6,
    eUNIDENTIFIED_ERROR = 7,
    eINDEX_OUT_OF_RANGE = 8,
    ePASSWORD_ERROR = 9,
    eSTREAM_OPTIONS_NOT_SET = 10,
    eERROR_COUNT
  };

  explicit KFbxIO(KFbxSdkManager& xManager, const char* pszName = "IO");

  const char* GetFileName() const { return m_xFileName.Buffer(); }
  KFbxSdkManager& GetManager() { return m_xManager; }
  // The options of the import in progress, null outside one.
  KStreamOptions* GetCurrentOptions() const { return m_pxCurrentOptions; }
  const char* GetProgressText() const { return m_xProgress.Buffer(); }
  void SetProgressText(const char* pszText) { m_xProgress = pszText; }

 protected:
  KFbxSdkManager& m_xManager;
  KString m_xFileName;
  KStreamOptions* m_pxCurrentOptions = nullptr;
  KString m_xProgress;
};

// Reads a file of one of the seventeen formats into a scene: Initialize
// names the file (and opens FBX files at once), SelectFormat picks the
// reader for other files, Import reads. Every failure returns false with a
// code of KFbxIO's table and a message naming the file and the fault.
class KFbxImporter : public KFbxIO {
 public:
  explicit KFbxImporter(KFbxSdkManager& xManager);
  ~KFbxImporter() override;

  // Forgets any earlier file, stores the name and, when its extension
  // contains "fbx", opens the FBX reader now (the result is that open's).
  bool Initialize(const char* pszFileName);
  // Only stores the code; a reader already open keeps its format.
  void SelectFormat(int iFormat) { m_iFileFormat = iFormat; }
  int GetFileFormat() const { return m_iFileFormat; }

  // Reads the file into the scene with the given options or, without
  // options, with the reader's defaults (kept for the next import).
  bool Import(KFbxSceneGraph* pxScene, KStreamOptions* pxOptions = nullptr);

  // FBX files: the version after a successful open.
  void GetFileVersion(int& iMajor, int& iMinor, int& iRevision) const;
  // The current camera resolution stored in an FBX file's header.
  bool IsFileInfoAvailable() const { return m_bFileInfo; }
  const char* GetCameraName() const { return m_xCameraName.Buffer(); }
  const char* GetResolutionMode() const { return m_xResolutionMode.Buffer(); }
  double GetResolutionWidth() const { return m_dResolutionW; }
  double GetResolutionHeight() const { return m_dResolutionH; }

  // What the importer kept from the reader's default options.
  bool HasKeptOptions() const { return m_bOptionsKept; }
  const std::vector<KFbxTakeRecord>& GetKeptTakeInfos() const { return m_xKeptTakes; }
  const char* GetKeptCurrentTakeName() const { return m_xKeptCurrentTake.Buffer(); }
  const char* GetKeptPassword() const { return m_xKeptPassword.Buffer(); }

 private:
  void Reset();
  void DeleteReader();
  bool OpenReader();
  void ReadFileDescription();
  void SplitVersion(int iVersion);
  KStreamOptions* ChooseOptions(KStreamOptions* pxOptions, KStreamOptions*& pxReleaseLater);
  void KeepOptions(const KStreamOptionsFbx& xOptions);
  KStreamOptionsFbx* OptionsFromKept();
  void ReleaseOptions(KStreamOptions* pxOptions);
  void FailFromReader(int iCode);

  int m_iFileFormat = 0;
  std::unique_ptr<KFbxReader> m_pxReader;
  bool m_bOptionsKept = false;
  std::vector<KFbxTakeRecord> m_xKeptTakes;
  KString m_xKeptCurrentTake;
  KString m_xKeptPassword;
  bool m_abKeptFlags[KStreamOptionsFbx::eFLAG_COUNT];
  KFbxSceneInfo* m_pxKeptSceneInfo = nullptr;  // made through the manager
  int m_iMajor = 0, m_iMinor = 0, m_iRevision = 0;
  bool m_bFileInfo = false;
  KString m_xCameraName, m_xResolutionMode;
  double m_dResolutionW = 0.0, m_dResolutionH = 0.0;
};
