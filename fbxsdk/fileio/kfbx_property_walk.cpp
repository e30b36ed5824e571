#include <cstring>

#include "fbxsdk/fileio/kfbx_scene_walk.h"
#include "fbxsdk/scene/kfbx_node.h"

namespace {

// Number of values a type code reads; 0 leaves the property as it is.
int ValueCount(int iType) {
  switch (iType) {
    case eKPROP_INT:
    case eKPROP_ENUM:
    case eKPROP_BOOL:
    case eKPROP_ACTION:
    case eKPROP_DOUBLE:
    case eKPROP_CHARPTR:
    case eKPROP_KSTRING:
    case eKPROP_KTIME:
      return 1;
    case eKPROP_VECTOR3D:
    case eKPROP_COLORRGB:
      return 3;
    case eKPROP_COLORRGBA:
      return 4;
    default:
      return 0;
  }
}

// Data types of the properties the library knows, for dynamic ones.
const KFbxDataType* KnownDataType(const char* pszName) {
  for (const KFbxDataType* pxType :
       {&KDataTypeLclTranslation, &KDataTypeLclRotation, &KDataTypeLclScaling, &KDataTypeVisibility})
    if (std::strcmp(pxType->m_pszName, pszName) == 0) return pxType;
  return nullptr;
}

}  // namespace

void KFbxSceneWalk::ReadProperties60(KFbxNode& xNode) {
  int iDynamicCount = 0;
  while (m_xFbx.BeginField("Property")) {
    ReadProperty(xNode, iDynamicCount);
    m_xFbx.EndField();
  }
}

// The versioned form: each of the node's own properties has a field of
// its name holding its value.
void KFbxSceneWalk::ReadVersionedProperties(KFbxNode& xNode) {
  KFbxNodeProperties& xProperties = xNode.GetProperties();
  for (int i = 0; i < xProperties.GetCount(); ++i) {
    KProperty* pxProperty = xProperties.Get(i);
    if ((pxProperty->GetFlags() & KProperty::eDYNAMIC) || !m_xFbx.BeginField(pxProperty->GetName())) continue;
    ReadValue(*pxProperty, pxProperty->GetType());
    m_xFbx.EndField();
  }
}

// One "Property" field: name, type name, flag letters, value. A name the
// node lacks makes a dynamic property, up to the limit.
void KFbxSceneWalk::ReadProperty(KFbxNode& xNode, int& iDynamicCount) {
  if (m_xFbx.GetRemainingValueCount() < 3) return;
  const KString xName = m_xFbx.NextString();
  const KString xTypeName = m_xFbx.NextString();
  const KString xFlags = m_xFbx.NextString();
  const bool bAnimatable = xFlags.Find('A') != KString::kNotFound;
  const int iType = bAnimatable ? KFbxDataTypeBaseType(xTypeName) : KPropertyTypeFromName(xTypeName);
  KProperty* pxProperty = xNode.GetProperties().Find(xName);
  if (!pxProperty) {
    if (xName.IsEmpty() || iDynamicCount >= kKFbxMaxDynamicProperties) return;
    ++iDynamicCount;
    pxProperty = xNode.AddDynamicProperty(xName, iType, bAnimatable ? KnownDataType(xTypeName) : nullptr,
                                          bAnimatable ? KProperty::eANIMATABLE : 0);
    if (!pxProperty) return;
  }
  if (xFlags.Find('+') != KString::kNotFound) pxProperty->SetFlag(KProperty::eMARKED, true);
  if (xFlags.Find('U') != KString::kNotFound) pxProperty->SetFlag(KProperty::eUSER, true);
  ReadValue(*pxProperty, iType);
}

// The value by type code; a field with too few values leaves the property
// as it was.
void KFbxSceneWalk::ReadValue(KProperty& xProperty, int iType) {
  const int iCount = ValueCount(iType);
  if (iCount == 0 || m_xFbx.GetRemainingValueCount() < iCount) return;
  switch (iType) {
    case eKPROP_INT:
    case eKPROP_ENUM:
      xProperty.SetComponent(0, m_xFbx.NextInt());
      break;
    case eKPROP_BOOL:
    case eKPROP_ACTION:
      xProperty.SetComponent(0, m_xFbx.NextInt() != 0 ? 1.0 : 0.0);
      break;
    case eKPROP_CHARPTR:
    case eKPROP_KSTRING:
      xProperty.SetString(m_xFbx.NextString());
      break;
    case eKPROP_KTIME:
      xProperty.SetTime(KTime(m_xFbx.NextInt64()));
      break;
    default:  // one or more reals
      for (int i = 0; i < iCount; ++i) xProperty.SetComponent(i, m_xFbx.NextDouble());
      break;
  }
}
