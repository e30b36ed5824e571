#include "fbxsdk/scene/kfbx_node_properties.h"

#include <cstring>
#include <string_view>

#include "fbxsdk/scene/kfbx_rotation.h"

namespace {

struct PropertyDefinition {
  const char* m_pszName;
  int m_iType;
  const KFbxDataType* m_pxDataType;  // animatable properties only
  double m_adDefault[3];
};

constexpr const KFbxDataType* kNoDataType = nullptr;

// The node's own properties, in creation order, with their defaults.
constexpr PropertyDefinition kNodeProperties[] = {
    {"QuaternionInterpolate", eKPROP_BOOL, kNoDataType, {0}},
    {"RotationOffset", eKPROP_VECTOR3D, kNoDataType, {0, 0, 0}},
    {"RotationPivot", eKPROP_VECTOR3D, kNoDataType, {0, 0, 0}},
    {"RotationPivotUpdateOffset", eKPROP_VECTOR3D, kNoDataType, {0, 0, 0}},
    {"ScalingOffset", eKPROP_VECTOR3D, kNoDataType, {0, 0, 0}},
    {"ScalingPivot", eKPROP_VECTOR3D, kNoDataType, {0, 0, 0}},
    {"ScalingPivotUpdateOffset", eKPROP_VECTOR3D, kNoDataType, {0, 0, 0}},
    {"TranslationActive", eKPROP_BOOL, kNoDataType, {0}},
    {"TranslationMin", eKPROP_VECTOR3D, kNoDataType, {0, 0, 0}},
    {"TranslationMax", eKPROP_VECTOR3D, kNoDataType, {0, 0, 0}},
    {"TranslationMinX", eKPROP_BOOL, kNoDataType, {0}},
    {"TranslationMinY", eKPROP_BOOL, kNoDataType, {0}},
    {"TranslationMinZ", eKPROP_BOOL, kNoDataType, {0}},
    {"TranslationMaxX", eKPROP_BOOL, kNoDataType, {0}},
    {"TranslationMaxY", eKPROP_BOOL, kNoDataType, {0}},
    {"TranslationMaxZ", eKPROP_BOOL, kNoDataType, {0}},
    {"RotationOrder", eKPROP_ENUM, kNoDataType, {eEULER_XYZ}},
    {"RotationSpaceForLimitOnly", eKPROP_BOOL, kNoDataType, {0}},
    {"RotationStiffnessX", eKPROP_DOUBLE, kNoDataType, {0}},
    {"RotationStiffnessY", eKPROP_DOUBLE, kNoDataType, {0}},
    {"RotationStiffnessZ", eKPROP_DOUBLE, kNoDataType, {0}},
    {"AxisLen", eKPROP_DOUBLE, kNoDataType, {10}},
    {"PreRotation", eKPROP_VECTOR3D, kNoDataType, {0, 0, 0}},
    {"PostRotation", eKPROP_VECTOR3D, kNoDataType, {0, 0, 0}},
    {"RotationActive", eKPROP_BOOL, kNoDataType, {0}},
    {"RotationMin", eKPROP_VECTOR3D, kNoDataType, {0, 0, 0}},
    {"RotationMax", eKPROP_VECTOR3D, kNoDataType, {0, 0, 0}},
    {"RotationMinX", eKPROP_BOOL, kNoDataType, {0}},
    {"RotationMinY", eKPROP_BOOL, kNoDataType, {0}},
    {"RotationMinZ", eKPROP_BOOL, kNoDataType, {0}},
    {"RotationMaxX", eKPROP_BOOL, kNoDataType, {0}},
    {"RotationMaxY", eKPROP_BOOL, kNoDataType, {0}},
    {"RotationMaxZ", eKPROP_BOOL, kNoDataType, {0}},
    {"InheritType", eKPROP_ENUM, kNoDataType, {eINHERIT_RrSs}},
    {"ScalingActive", eKPROP_BOOL, kNoDataType, {0}},
    {"ScalingMin", eKPROP_VECTOR3D, kNoDataType, {1, 1, 1}},
    {"ScalingMax", eKPROP_VECTOR3D, kNoDataType, {1, 1, 1}},
    {"ScalingMinX", eKPROP_BOOL, kNoDataType, {0}},
    {"ScalingMinY", eKPROP_BOOL, kNoDataType, {0}},
    {"ScalingMinZ", eKPROP_BOOL, kNoDataType, {0}},
    {"ScalingMaxX", eKPROP_BOOL, kNoDataType, {0}},
    {"ScalingMaxY", eKPROP_BOOL, kNoDataType, {0}},
    {"ScalingMaxZ", eKPROP_BOOL, kNoDataType, {0}},
    {"GeometricTranslation", eKPROP_VECTOR3D, kNoDataType, {0, 0, 0}},
    {"GeometricRotation", eKPROP_VECTOR3D, kNoDataType, {0, 0, 0}},
    {"GeometricScaling", eKPROP_VECTOR3D, kNoDataType, {1, 1, 1}},
    {"MinDampRangeX", eKPROP_DOUBLE, kNoDataType, {0}},
    {"MinDampRangeY", eKPROP_DOUBLE, kNoDataType, {0}},
    {"MinDampRangeZ", eKPROP_DOUBLE, kNoDataType, {0}},
    {"MaxDampRangeX", eKPROP_DOUBLE, kNoDataType, {0}},
    {"MaxDampRangeY", eKPROP_DOUBLE, kNoDataType, {0}},
    {"MaxDampRangeZ", eKPROP_DOUBLE, kNoDataType, {0}},
    {"MinDampStrengthX", eKPROP_DOUBLE, kNoDataType, {0}},
    {"MinDampStrengthY", eKPROP_DOUBLE, kNoDataType, {0}},
    {"MinDampStrengthZ", eKPROP_DOUBLE, kNoDataType, {0}},
    {"MaxDampStrengthX", eKPROP_DOUBLE, kNoDataType, {0}},
    {"MaxDampStrengthY", eKPROP_DOUBLE, kNoDataType, {0}},
    {"MaxDampStrengthZ", eKPROP_DOUBLE, kNoDataType, {0}},
    {"PreferedAngleX", eKPROP_DOUBLE, kNoDataType, {0}},
    {"PreferedAngleY", eKPROP_DOUBLE, kNoDataType, {0}},
    {"PreferedAngleZ", eKPROP_DOUBLE, kNoDataType, {0}},
    {"LookAtProperty", eKPROP_OBJECT, kNoDataType, {0}},
    {"UpVectorProperty", eKPROP_OBJECT, kNoDataType, {0}},
    {"Show", eKPROP_BOOL, kNoDataType, {1}},
    {"NegativePercentShapeSupport", eKPROP_BOOL, kNoDataType, {1}},
    {"Lcl Translation", eKPROP_VECTOR3D, &KDataTypeLclTranslation, {0, 0, 0}},
    {"Lcl Rotation", eKPROP_VECTOR3D, &KDataTypeLclRotation, {0, 0, 0}},
    {"Lcl Scaling", eKPROP_VECTOR3D, &KDataTypeLclScaling, {1, 1, 1}},
    {"Visibility", eKPROP_DOUBLE, &KDataTypeVisibility, {1}},
};

// The properties SyncEvaluationState copies into pivot set 0, by field.
constexpr const char* kPivotVectorProperties[] = {
    "RotationOffset",   "RotationPivot", "RotationPivotUpdateOffset", "PreRotation",          "PostRotation",
    "ScalingOffset",    "ScalingPivot",  "ScalingPivotUpdateOffset",  "GeometricTranslation", "GeometricRotation",
    "GeometricScaling",
};
static_assert(sizeof(kPivotVectorProperties) / sizeof(kPivotVectorProperties[0]) ==
                  KFbxNodeProperties::ePIVOT_VECTOR_COUNT,
              "one property per pivot vector");

constexpr KgeTVector PivotSet::*kPivotVectorFields[] = {
    &PivotSet::m_xRotationOffset,
    &PivotSet::m_xRotationPivot,
    &PivotSet::m_xRotationPivotUpdateOffset,
    &PivotSet::m_xPreRotation,
    &PivotSet::m_xPostRotation,
    &PivotSet::m_xScalingOffset,
    &PivotSet::m_xScalingPivot,
    &PivotSet::m_xScalingPivotUpdateOffset,
    &PivotSet::m_xGeometricTranslation,
    &PivotSet::m_xGeometricRotation,
    &PivotSet::m_xGeometricScaling,
};
static_assert(sizeof(kPivotVectorFields) / sizeof(kPivotVectorFields[0]) == KFbxNodeProperties::ePIVOT_VECTOR_COUNT,
              "one field per pivot vector");

// Limit properties: kind prefix, then the active flag, the six per-axis
// flags (in the order of their limit bits) and the min and max vectors.
constexpr const char* kLimitKinds[] = {"Translation", "Rotation", "Scaling"};
constexpr const char* kLimitAxisFlags[] = {"MinX", "MinY", "MinZ", "MaxX", "MaxY", "MaxZ"};

constexpr size_t kBuiltInCount = sizeof(kNodeProperties) / sizeof(kNodeProperties[0]);

// Position of each built-in name in every node's property list. Shared by
// all nodes: a scene holds thousands of nodes, and building one index per
// node cost more than the rest of its construction.
const std::unordered_map<std::string_view, size_t>& BuiltInIndex() {
  static const std::unordered_map<std::string_view, size_t> s_xIndex = [] {
    std::unordered_map<std::string_view, size_t> xIndex;
    for (size_t i = 0; i < kBuiltInCount; ++i) xIndex.emplace(kNodeProperties[i].m_pszName, i);
    return xIndex;
  }();
  return s_xIndex;
}

bool ValidSet(int iSet) { return iSet >= 0 && iSet < KFbxNodeProperties::kPivotSetCount; }

}  // namespace

KFbxNodeProperties::KFbxNodeProperties() {
  m_xScalingLimits.m_xMin = KgeTVector(1, 1, 1);
  m_xScalingLimits.m_xMax = KgeTVector(1, 1, 1);
  m_xProperties.reserve(kBuiltInCount);
  for (const PropertyDefinition& xDef : kNodeProperties) {
    const int iFlags = xDef.m_pxDataType ? KProperty::eANIMATABLE : 0;
    auto pxProperty = KProperty::Create(xDef.m_pszName, xDef.m_iType, xDef.m_pxDataType, iFlags);
    for (int i = 0; i < pxProperty->GetComponentCount() && i < 3; ++i) pxProperty->SetComponent(i, xDef.m_adDefault[i]);
    m_xProperties.push_back(std::move(pxProperty));
  }
  m_pxLclTranslation = FindTyped<KgeTVector>("Lcl Translation");
  m_pxLclRotation = FindTyped<KgeTVector>("Lcl Rotation");
  m_pxLclScaling = FindTyped<KgeTVector>("Lcl Scaling");
  m_pxVisibility = FindTyped<double>("Visibility");
  m_pxInheritType = Find("InheritType");
}

KFbxNodeProperties::~KFbxNodeProperties() = default;

KProperty* KFbxNodeProperties::Get(int iIndex) {
  return iIndex >= 0 && iIndex < GetCount() ? m_xProperties[iIndex].get() : nullptr;
}

const KProperty* KFbxNodeProperties::Find(const char* pszName) const {
  if (!pszName) return nullptr;
  const auto& xBuiltIn = BuiltInIndex();
  const auto itBuiltIn = xBuiltIn.find(std::string_view(pszName));
  if (itBuiltIn != xBuiltIn.end()) return m_xProperties[itBuiltIn->second].get();
  if (m_xDynamicIndex.empty()) return nullptr;
  const auto it = m_xDynamicIndex.find(pszName);
  return it == m_xDynamicIndex.end() ? nullptr : m_xProperties[it->second].get();
}

KProperty* KFbxNodeProperties::Find(const char* pszName) {
  return const_cast<KProperty*>(static_cast<const KFbxNodeProperties*>(this)->Find(pszName));
}

KProperty* KFbxNodeProperties::AddDynamicProperty(const char* pszName, int iType, const KFbxDataType* pxDataType,
                                                  int iFlags) {
  if (!pszName || !*pszName || Find(pszName)) return nullptr;
  m_xProperties.push_back(KProperty::Create(pszName, iType, pxDataType, iFlags | KProperty::eDYNAMIC));
  m_xDynamicIndex.emplace(pszName, m_xProperties.size() - 1);
  return m_xProperties.back().get();
}

bool KFbxNodeProperties::SetPivotVector(int iSet, EPivotVector eField, const KgeTVector& xValue) {
  if (!ValidSet(iSet) || eField < 0 || eField >= ePIVOT_VECTOR_COUNT) return false;
  m_axPivotSets[iSet].*kPivotVectorFields[eField] = xValue;
  if (iSet != 0) return true;
  switch (eField) {
    case eROTATION_OFFSET:
      m_xPivots.m_xRotationOffset = xValue;
      m_xPivots.m_uFlags = UpdatePresenceBit(m_xPivots.m_uFlags, TransformPivots::eROTATION_OFFSET, xValue);
      break;
    case eROTATION_PIVOT:
      m_xPivots.m_xRotationPivot = xValue;
      m_xPivots.m_uFlags = UpdatePresenceBit(m_xPivots.m_uFlags, TransformPivots::eROTATION_PIVOT, xValue);
      break;
    case eSCALING_OFFSET:
      m_xPivots.m_xScalingOffset = xValue;
      m_xPivots.m_uFlags = UpdatePresenceBit(m_xPivots.m_uFlags, TransformPivots::eSCALING_OFFSET, xValue);
      break;
    case eSCALING_PIVOT:
      m_xPivots.m_xScalingPivot = xValue;
      m_xPivots.m_uFlags = UpdatePresenceBit(m_xPivots.m_uFlags, TransformPivots::eSCALING_PIVOT, xValue);
      break;
    case ePRE_ROTATION:
      // Pre- and post-rotation are always Euler XYZ, whatever the order.
      m_xRotationSpace.m_xPre = EulerToMatrix(xValue, eROTATION_CODE_XYZ);
      m_xRotationSpace.m_uFlags = UpdatePresenceBit(m_xRotationSpace.m_uFlags, RotationSpace::ePRE_ROTATION, xValue);
      break;
    case ePOST_ROTATION:
      m_xRotationSpace.m_xPost = EulerToMatrix(xValue, eROTATION_CODE_XYZ);
      m_xRotationSpace.m_uFlags = UpdatePresenceBit(m_xRotationSpace.m_uFlags, RotationSpace::ePOST_ROTATION, xValue);
      break;
    default:  // update offsets and geometric transforms have no mirror
      break;
  }
  return true;
}

bool KFbxNodeProperties::SetRotationOrder(int iSet, int iOrder) {
  if (!ValidSet(iSet)) return false;
  // A value outside the known orders (such as one read from a file) has no
  // rotation of its own: it evaluates as "Euler XYZ", and doubling it for
  // the order code must not overflow.
  if (iOrder < eEULER_XYZ || iOrder > eSPHERIC_XYZ) iOrder = eEULER_XYZ;
  m_axPivotSets[iSet].m_iRotationOrder = iOrder;
  if (iSet == 0) m_xRotationSpace.m_iOrderCode = 2 * iOrder;
  return true;
}

bool KFbxNodeProperties::SetRotationSpaceForLimitOnly(int iSet, bool bLimitOnly) {
  if (!ValidSet(iSet)) return false;
  m_axPivotSets[iSet].m_bRotationSpaceForLimitOnly = bLimitOnly;
  if (iSet == 0) m_bLimitOnly = bLimitOnly;
  return true;
}

bool KFbxNodeProperties::SetUseQuaternionInterpolation(int iSet, bool bOn) {
  if (!ValidSet(iSet)) return false;
  m_axPivotSets[iSet].m_bUseQuaternionInterpolation = bOn;
  return true;
}

bool KFbxNodeProperties::SetPivotState(int iSet, int iState) {
  if (!ValidSet(iSet)) return false;
  m_axPivotSets[iSet].m_iState = iState;
  return true;
}

bool KFbxNodeProperties::GetRotationSpaceForLimitOnly(int iSet) const {
  return ValidSet(iSet) && m_axPivotSets[iSet].m_bRotationSpaceForLimitOnly;
}

void KFbxNodeProperties::SetInheritType(int iType) {
  m_pxInheritType->SetComponent(0, iType);
  m_xPivots.m_iInheritType = iType;
}

int KFbxNodeProperties::GetInheritType() const { return static_cast<int>(m_pxInheritType->GetComponent(0)); }

bool KFbxNodeProperties::ReadBool(const char* pszName) const {
  const KProperty* pxProperty = Find(pszName);
  return pxProperty && pxProperty->GetComponent(0) != 0.0;
}

KgeTVector KFbxNodeProperties::ReadVector(const char* pszName) const {
  KgeTVector xValue(0, 0, 0);
  if (const KProperty* pxProperty = Find(pszName))
    for (int i = 0; i < 3; ++i) xValue[i] = pxProperty->GetComponent(i);
  return xValue;
}

void KFbxNodeProperties::SyncLimits(int iKind, TransformLimits& xLimits) {
  const KString xPrefix(kLimitKinds[iKind]);
  xLimits.SetFlag(TransformLimits::eACTIVE, ReadBool(xPrefix + "Active"));
  for (int i = 0; i < 6; ++i) xLimits.SetFlag(TransformLimits::eMIN_X << i, ReadBool(xPrefix + kLimitAxisFlags[i]));
  xLimits.m_xMin = ReadVector(xPrefix + "Min");
  xLimits.m_xMax = ReadVector(xPrefix + "Max");
}

void KFbxNodeProperties::SyncEvaluationState() {
  SetRotationOrder(0, static_cast<int>(Find("RotationOrder")->GetComponent(0)));
  for (int i = 0; i < ePIVOT_VECTOR_COUNT; ++i)
    SetPivotVector(0, static_cast<EPivotVector>(i), ReadVector(kPivotVectorProperties[i]));
  SetRotationSpaceForLimitOnly(0, ReadBool("RotationSpaceForLimitOnly"));
  SetUseQuaternionInterpolation(0, ReadBool("QuaternionInterpolate"));
  SyncLimits(0, m_xTranslationLimits);
  SyncLimits(1, m_xRotationSpace.m_xLimits);
  SyncLimits(2, m_xScalingLimits);
  // The stored inherit type reaches evaluation too; otherwise a value read
  // from a file would sit in the property while evaluation kept type 0.
  m_xPivots.m_iInheritType = GetInheritType();
}
