#pragma once

#include <memory>
#include <vector>

#include "fbxsdk/core/kstring.h"
#include "fbxsdk/scene/kfbx_object.h"
#include "fbxsdk/scene/kfbx_scene_info.h"
#include "fbxsdk/scene/kfbx_take_record.h"

// Options handed to a reader's read. Each format has its own kind; the
// importer asks the reader for defaults when the caller gives none.
class KStreamOptions : public KFbxObject {
 public:
  explicit KStreamOptions(const char* pszName = "StreamOptions") : KFbxObject(pszName, eKFBX_KIND_NONE) {}
  // True for the FBX read options (KStreamOptionsFbx).
  virtual bool IsFbx() const { return false; }
};

// Read options of FBX files: one record per take of the file (a take is
// read when its record's import flag is set), the take to make current
// after reading, the password of an encrypted file, twelve content flags
// and the file's scene information.
class KStreamOptionsFbx : public KStreamOptions {
 public:
  // What to read; the reader keeps them but reads every kind the scene
  // road needs whatever they say.
  enum EFlag {
    eMODEL,
    eTEXTURE,
    eMATERIAL,
    eMEDIA,
    eLINK,
    eSHAPE,
    eGOBO,
    eANIMATION,
    eCHARACTER,
    eSETTINGS,
    eCONSTRAINT,
    eMERGE_TAKES,
    eFLAG_COUNT
  };

  KStreamOptionsFbx() : KStreamOptions("StreamOptionsFbx") { ResetFlags(); }
  bool IsFbx() const override { return true; }

  void ResetFlags() {
    for (bool& bFlag : m_abFlags) bFlag = true;
  }
  bool GetFlag(int iFlag) const { return iFlag >= 0 && iFlag < eFLAG_COUNT && m_abFlags[iFlag]; }
  void SetFlag(int iFlag, bool bOn) {
    if (iFlag >= 0 && iFlag < eFLAG_COUNT) m_abFlags[iFlag] = bOn;
  }

  // Take records, found by exact name.
  int GetTakeInfoCount() const { return static_cast<int>(m_xTakeInfos.size()); }
  KFbxTakeRecord* GetTakeInfo(int iIndex) {
    return iIndex >= 0 && iIndex < GetTakeInfoCount() ? &m_xTakeInfos[iIndex] : nullptr;
  }
  KFbxTakeRecord* FindTakeInfo(const char* pszName) {
    for (KFbxTakeRecord& xRecord : m_xTakeInfos)
      if (xRecord.m_xName == pszName) return &xRecord;
    return nullptr;
  }

  // A private copy, not a scene object; null when the file had none.
  KFbxSceneInfo* GetSceneInfo() const { return m_pxSceneInfo.get(); }
  void SetSceneInfo(const KFbxSceneInfo* pxInfo) {
    m_pxSceneInfo.reset();
    if (!pxInfo) return;
    m_pxSceneInfo = std::make_unique<KFbxSceneInfo>(pxInfo->Name());
    m_pxSceneInfo->CopyFrom(*pxInfo);
  }

  std::vector<KFbxTakeRecord> m_xTakeInfos;
  KString m_xCurrentTakeName;
  KString m_xPassword;  // empty unless the caller knows the file's

 private:
  bool m_abFlags[eFLAG_COUNT];
  std::unique_ptr<KFbxSceneInfo> m_pxSceneInfo;
};
