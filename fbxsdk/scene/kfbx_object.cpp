#include "fbxsdk/scene/kfbx_object.h"

namespace {

// Indexed by kind; kinds outside the table carry no prefix.
constexpr const char* kKindPrefixes[] = {
    "",                  // 0
    "Model::",           // 1
    "Texture::",         // 2
    "Material::",        // 3
    "Video::",           // 4
    "Video::",           // 5
    "Constraint::",      // 6
    "MarkerSet::",       // 7
    "Constraint::",      // 8
    "Pose::",            // 9
    "",                  // 10
    "Pose::",            // 11
    "ControlSetPlug::",  // 12
    "Constraint::",      // 13
};
constexpr int kKindCount = static_cast<int>(sizeof(kKindPrefixes) / sizeof(kKindPrefixes[0]));

}  // namespace

const char* KFbxObjectKindPrefix(int iKind) { return iKind > 0 && iKind < kKindCount ? kKindPrefixes[iKind] : ""; }

KString KFbxStripNamePrefix(const char* pszName) {
  KString xName(pszName ? pszName : "");
  const int iSeparator = xName.Find("::");
  if (iSeparator != KString::kNotFound) xName = xName.Mid(static_cast<size_t>(iSeparator) + 2);
  return xName.IsEmpty() ? KString("Name") : xName;
}

KFbxObject::KFbxObject(const char* pszName, int iKind) : m_iKind(iKind) {
  SetName(pszName);
  m_xInitialName = m_xName;
}

KFbxObject::~KFbxObject() = default;

void KFbxObject::SetName(const char* pszName) {
  m_xName = KString(KFbxObjectKindPrefix(m_iKind)) + KFbxStripNamePrefix(pszName);
}
