#pragma once

#include "fbxsdk/core/kstring.h"
#include "fbxsdk/scene/kfbx_object.h"

// Descriptive texts of a scene. Made through the manager; a scene refers to
// at most one.
class KFbxSceneInfo : public KFbxObject {
 public:
  explicit KFbxSceneInfo(const char* pszName = "SceneInfo") : KFbxObject(pszName, eKFBX_KIND_NONE) {}

  void CopyFrom(const KFbxSceneInfo& xOther) {
    m_xTitle = xOther.m_xTitle;
    m_xSubject = xOther.m_xSubject;
    m_xAuthor = xOther.m_xAuthor;
    m_xKeywords = xOther.m_xKeywords;
    m_xRevision = xOther.m_xRevision;
    m_xComment = xOther.m_xComment;
  }

  KString m_xTitle;
  KString m_xSubject;
  KString m_xAuthor;
  KString m_xKeywords;
  KString m_xRevision;
  KString m_xComment;
};
