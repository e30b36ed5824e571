#include <cstring>
#include <string>

#include "fbxsdk/fileio/kfbx_scene_walk.h"
#include "fbxsdk/scene/kfbx_node.h"
#include "fbxsdk/scene/kfbx_sdk_manager.h"

namespace {

// Model types and the attribute each gives. Types whose attributes this
// library does not hold give none.
constexpr KFbxModelKind kModelKinds[] = {
    {"Null", KFbxNodeAttribute::eNULL, 0},
    {"Marker", KFbxNodeAttribute::eMARKER, KFbxMarker::eSTANDARD},
    {"OpticalMarker", KFbxNodeAttribute::eMARKER, KFbxMarker::eOPTICAL},
    {"IKEffector", KFbxNodeAttribute::eMARKER, KFbxMarker::eIK_EFFECTOR},
    {"FKEffector", KFbxNodeAttribute::eMARKER, KFbxMarker::eFK_EFFECTOR},
    {"Root", KFbxNodeAttribute::eSKELETON, KFbxSkeleton::eROOT},
    {"Limb", KFbxNodeAttribute::eSKELETON, KFbxSkeleton::eLIMB},
    {"LimbNode", KFbxNodeAttribute::eSKELETON, KFbxSkeleton::eLIMB_NODE},
    {"Effector", KFbxNodeAttribute::eSKELETON, KFbxSkeleton::eEFFECTOR},
    {"Mesh", KFbxNodeAttribute::eMESH, 0},
    {"Nurb", KFbxNodeAttribute::eUNIDENTIFIED, 0},
    {"Patch", KFbxNodeAttribute::eUNIDENTIFIED, 0},
    {"Light", KFbxNodeAttribute::eUNIDENTIFIED, 0},
    {"Camera", KFbxNodeAttribute::eUNIDENTIFIED, 0},
    {"CameraSwitcher", KFbxNodeAttribute::eUNIDENTIFIED, 0},
    {"Optical", KFbxNodeAttribute::eUNIDENTIFIED, 0},
};

struct DataTypeEntry {
  const char* m_pszName;
  int m_iBaseType;
  const KFbxDataType* m_pxDataType;
};
// Data type names of animatable properties and their base types.
constexpr DataTypeEntry kDataTypes[] = {
    {"Lcl Translation", eKPROP_VECTOR3D, &KDataTypeLclTranslation},
    {"Lcl Rotation", eKPROP_VECTOR3D, &KDataTypeLclRotation},
    {"Lcl Scaling", eKPROP_VECTOR3D, &KDataTypeLclScaling},
    {"Visibility", eKPROP_DOUBLE, &KDataTypeVisibility},
    {"Vector", eKPROP_VECTOR3D, nullptr},
    {"Number", eKPROP_DOUBLE, nullptr},
    {"Real", eKPROP_DOUBLE, nullptr},
    {"Color", eKPROP_COLORRGB, nullptr},
    {"ColorAndAlpha", eKPROP_COLORRGBA, nullptr},
};

const DataTypeEntry* FindDataType(const char* pszName) {
  for (const DataTypeEntry& xEntry : kDataTypes)
    if (std::strcmp(xEntry.m_pszName, pszName) == 0) return &xEntry;
  return nullptr;
}

// Old models predate the current inherit rules.
constexpr int kCurrentModelVersion = 232;
constexpr int kDefaultModelVersion = 100;
// Bare "Size" fields of older skeleton models are in hundredths.
constexpr double kBareSizeScale = 100.0;

}  // namespace

const KFbxModelKind* KFbxFindModelKind(const char* pszType) {
  for (const KFbxModelKind& xKind : kModelKinds)
    if (pszType && std::strcmp(xKind.m_pszType, pszType) == 0) return &xKind;
  return nullptr;
}

int KFbxDataTypeBaseType(const char* pszDataType) {
  if (!pszDataType) return eKPROP_UNKNOWN;
  const DataTypeEntry* pxEntry = FindDataType(pszDataType);
  return pxEntry ? pxEntry->m_iBaseType : KPropertyTypeFromName(pszDataType);
}

void KFbxSceneWalk::ReadModelBlock(Model& xModel, const KString& xSubtype, bool bBlock) {
  KFbxNode& xNode = *xModel.m_pxNode;
  if (!bBlock) {
    ReadAttribute(xNode, xSubtype, false);
    return;
  }
  xNode.SetOldModel(m_xFbx.FieldInt("Version", kDefaultModelVersion) < kCurrentModelVersion);
  // A "Type" field wins over the subtype of the object's name.
  KString xType = xSubtype;
  const bool bTyped = m_xFbx.BeginField("Type");
  if (bTyped) {
    xType = m_xFbx.NextString();
    m_xFbx.EndField();
  }
  bool bProperties = false;
  if (m_xFbx.BeginField("Properties60") && m_xFbx.EnterBlock()) {
    ReadProperties60(xNode);
    m_xFbx.LeaveBlock();
    bProperties = true;
  } else if (m_xFbx.BeginField("Properties") && m_xFbx.EnterBlock()) {
    if (m_xFbx.FieldInt("Version") > 99) ReadVersionedProperties(xNode);
    m_xFbx.LeaveBlock();
    bProperties = true;
  }
  xNode.GetProperties().SyncEvaluationState();
  SyncDefaultCurves(xNode);
  ReadAttribute(xNode, xType, bProperties);
  // Older files keep a model's own transform as a channel tree.
  if (TakeNode* pxDefault = xNode.GetTakeNode(0)) ReadChannels(m_xFbx, *pxDefault->GetKFCurveNode());
  if (m_xFbx.BeginField("Children")) {
    while (m_xFbx.GetRemainingValueCount() > 0) {
      const KString xChild = m_xFbx.NextString();
      if (xChild.IsEmpty()) break;
      xModel.m_xChildren.emplace_back(xChild.Buffer());
    }
    m_xFbx.EndField();
  }
}

// The "Default" take's transform curves start at the property values read.
void KFbxSceneWalk::SyncDefaultCurves(KFbxNode& xNode) {
  TakeNode* pxDefault = xNode.GetTakeNode(0);
  KFCurveNode* pxRoot = pxDefault ? pxDefault->GetKFCurveNode() : nullptr;
  if (!pxRoot) return;
  KFbxNodeProperties& xProperties = xNode.GetProperties();
  const struct {
    const char* m_pszNode;
    KProperty* m_pxProperty;
  } axChannels[] = {{"T", &xProperties.LclTranslation()},
                    {"R", &xProperties.LclRotation()},
                    {"S", &xProperties.LclScaling()},
                    {"Visibility", &xProperties.Visibility()}};
  for (const auto& xChannel : axChannels) {
    KFCurveNode* pxNode = pxRoot->Find(xChannel.m_pszNode);
    if (!pxNode) continue;
    if (KFCurve* pxCurve = pxNode->FCurveGet())
      pxCurve->SetValue(static_cast<float>(xChannel.m_pxProperty->GetComponent(0)));
    for (int i = 0; i < pxNode->GetCount() && i < 3; ++i)
      if (KFCurve* pxCurve = pxNode->Get(i)->FCurveGet())
        pxCurve->SetValue(static_cast<float>(xChannel.m_pxProperty->GetComponent(i)));
  }
}

void KFbxSceneWalk::ReadAttribute(KFbxNode& xNode, const KString& xType, bool bHasProperties) {
  const char* pszName = xNode.Name();
  KFbxNodeAttribute* pxAttribute = nullptr;
  const KFbxModelKind* pxKind = xType.IsEmpty() ? KFbxFindModelKind("Mesh") : KFbxFindModelKind(xType);
  if (!pxKind) return;
  switch (pxKind->m_iAttribute) {
    case KFbxNodeAttribute::eNULL:
      pxAttribute = m_xManager.CreateNull(pszName);
      break;
    case KFbxNodeAttribute::eMARKER:
      pxAttribute = m_xManager.CreateMarker(pszName, pxKind->m_iVariant);
      break;
    case KFbxNodeAttribute::eMESH:
      pxAttribute = m_xManager.CreateMesh(pszName);
      break;
    case KFbxNodeAttribute::eSKELETON:
      if (KFbxSkeleton* pxSkeleton = m_xManager.CreateSkeleton(pszName, pxKind->m_iVariant)) {
        ReadSkeletonSizes(xNode, *pxSkeleton, bHasProperties);
        pxAttribute = pxSkeleton;
      }
      break;
    default:
      return;
  }
  if (!pxAttribute) throw std::bad_alloc();
  xNode.SetAttribute(pxAttribute);
}

// Display sizes of a joint: from the properties read, or a bare "Size".
void KFbxSceneWalk::ReadSkeletonSizes(KFbxNode& xNode, KFbxSkeleton& xSkeleton, bool bHasProperties) {
  KFbxNodeProperties& xProperties = xNode.GetProperties();
  const int iKind = xSkeleton.GetSkeletonKind();
  if (iKind == KFbxSkeleton::eLIMB) xSkeleton.m_dLimbLength = m_xFbx.FieldDouble("LimbLength", 1.0);
  if (iKind == KFbxSkeleton::eEFFECTOR) return;
  if (bHasProperties) {
    if (const KProperty* pxSize = xProperties.Find("Size")) xSkeleton.m_dSize = pxSize->GetComponent(0);
    const KProperty* pxColor = xProperties.Find("Color");
    if (pxColor && iKind != KFbxSkeleton::eROOT && pxColor->GetComponentCount() >= 3)
      xSkeleton.m_xColor = KgeTVector(pxColor->GetComponent(0), pxColor->GetComponent(1), pxColor->GetComponent(2));
  } else if (iKind == KFbxSkeleton::eLIMB_NODE && m_xFbx.BeginField("Size")) {
    xSkeleton.m_dSize = m_xFbx.NextDouble() * kBareSizeScale;
    m_xFbx.EndField();
  }
}
