#pragma once

#include "fbxsdk/core/kerror.h"
#include "fbxsdk/core/kstring.h"

// Kinds of library object; the kind decides the type prefix of the name.
enum EKFbxObjectKind {
  eKFBX_KIND_NONE = 0,
  eKFBX_KIND_MODEL = 1,
  eKFBX_KIND_TEXTURE = 2,
  eKFBX_KIND_MATERIAL = 3,
  eKFBX_KIND_VIDEO = 4,
  eKFBX_KIND_VIDEO_CLIP = 5,
  eKFBX_KIND_CONSTRAINT = 6,
  eKFBX_KIND_MARKER_SET = 7,
  eKFBX_KIND_CONSTRAINT_CHAIN = 8,
  eKFBX_KIND_POSE = 9,
  eKFBX_KIND_UNPREFIXED = 10,
  eKFBX_KIND_CHARACTER_POSE = 11,
  eKFBX_KIND_CONTROL_SET_PLUG = 12,
  eKFBX_KIND_CONSTRAINT_OTHER = 13
};

// Type prefix of a kind ("Model::" for kind 1); "" for kinds without one.
const char* KFbxObjectKindPrefix(int iKind);

// A name with its own prefix removed: everything up to and including the
// first "::" goes, and an empty remainder reads "Name".
KString KFbxStripNamePrefix(const char* pszName);

// Base of every object the manager creates: a kind, a current full name
// (type prefix included), the name it was created with, and an error state.
// Objects are created and destroyed through KFbxSdkManager only.
class KFbxObject {
 public:
  explicit KFbxObject(const char* pszName = "", int iKind = eKFBX_KIND_NONE);
  virtual ~KFbxObject();
  KFbxObject(const KFbxObject&) = delete;
  KFbxObject& operator=(const KFbxObject&) = delete;

  int GetKind() const { return m_iKind; }
  // Current full name, type prefix included.
  const char* Name() const { return m_xName.Buffer(); }
  // The full name given at construction; renaming leaves it alone.
  const char* InitialName() const { return m_xInitialName.Buffer(); }
  // Stores the kind's prefix followed by the name without its own prefix.
  void SetName(const char* pszName);

  KErrorState& GetError() { return m_xError; }
  const KErrorState& GetError() const { return m_xError; }

 protected:
  // Objects with their own error table install it at construction.
  void SetErrorTable(const char* const* ppszTable, int iCount) { m_xError = KErrorState(ppszTable, iCount); }

 private:
  int m_iKind;
  KString m_xName;
  KString m_xInitialName;
  KErrorState m_xError;
};
