#pragma once

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "fbxsdk/scene/kfbx_property.h"
#include "fbxsdk/scene/kfbx_transform_state.h"

// The transform properties of a node, in their fixed order, followed by any
// dynamic properties added later, and the evaluation state derived from
// them. Properties are plain stored values; SyncEvaluationState (or the
// pivot-set setters) carry them into the state that evaluation reads.
class KFbxNodeProperties {
 public:
  // Vector fields of a pivot set, in field order.
  enum EPivotVector {
    eROTATION_OFFSET,
    eROTATION_PIVOT,
    eROTATION_PIVOT_UPDATE_OFFSET,
    ePRE_ROTATION,
    ePOST_ROTATION,
    eSCALING_OFFSET,
    eSCALING_PIVOT,
    eSCALING_PIVOT_UPDATE_OFFSET,
    eGEOMETRIC_TRANSLATION,
    eGEOMETRIC_ROTATION,
    eGEOMETRIC_SCALING,
    ePIVOT_VECTOR_COUNT
  };
  static constexpr int kPivotSetCount = 2;

  KFbxNodeProperties();
  ~KFbxNodeProperties();
  KFbxNodeProperties(const KFbxNodeProperties&) = delete;
  KFbxNodeProperties& operator=(const KFbxNodeProperties&) = delete;

  // Properties in creation order; Find compares names exactly.
  int GetCount() const { return static_cast<int>(m_xProperties.size()); }
  KProperty* Get(int iIndex);
  KProperty* Find(const char* pszName);
  const KProperty* Find(const char* pszName) const;
  template <class T>
  KPropertyTemplate<T>* FindTyped(const char* pszName) {
    return dynamic_cast<KPropertyTemplate<T>*>(Find(pszName));
  }
  // Appends a property of a type code; null when the name is taken.
  KProperty* AddDynamicProperty(const char* pszName, int iType, const KFbxDataType* pxDataType = nullptr,
                                int iFlags = 0);

  KPropertyTemplate<KgeTVector>& LclTranslation() { return *m_pxLclTranslation; }
  KPropertyTemplate<KgeTVector>& LclRotation() { return *m_pxLclRotation; }
  KPropertyTemplate<KgeTVector>& LclScaling() { return *m_pxLclScaling; }
  KPropertyTemplate<double>& Visibility() { return *m_pxVisibility; }

  // Pivot sets. Writing set 0 also refreshes the mirrors evaluation reads;
  // writing set 1 stores the value only. Other indices are refused.
  const PivotSet& GetPivotSet(int iSet) const { return m_axPivotSets[iSet == 1 ? 1 : 0]; }
  bool SetPivotVector(int iSet, EPivotVector eField, const KgeTVector& xValue);
  bool SetRotationOffset(int iSet, const KgeTVector& xV) { return SetPivotVector(iSet, eROTATION_OFFSET, xV); }
  bool SetRotationPivot(int iSet, const KgeTVector& xV) { return SetPivotVector(iSet, eROTATION_PIVOT, xV); }
  bool SetRotationPivotUpdateOffset(int iSet, const KgeTVector& xV) {
    return SetPivotVector(iSet, eROTATION_PIVOT_UPDATE_OFFSET, xV);
  }
  bool SetPreRotation(int iSet, const KgeTVector& xV) { return SetPivotVector(iSet, ePRE_ROTATION, xV); }
  bool SetPostRotation(int iSet, const KgeTVector& xV) { return SetPivotVector(iSet, ePOST_ROTATION, xV); }
  bool SetScalingOffset(int iSet, const KgeTVector& xV) { return SetPivotVector(iSet, eSCALING_OFFSET, xV); }
  bool SetScalingPivot(int iSet, const KgeTVector& xV) { return SetPivotVector(iSet, eSCALING_PIVOT, xV); }
  bool SetScalingPivotUpdateOffset(int iSet, const KgeTVector& xV) {
    return SetPivotVector(iSet, eSCALING_PIVOT_UPDATE_OFFSET, xV);
  }
  bool SetGeometricTranslation(int iSet, const KgeTVector& xV) {
    return SetPivotVector(iSet, eGEOMETRIC_TRANSLATION, xV);
  }
  bool SetGeometricRotation(int iSet, const KgeTVector& xV) { return SetPivotVector(iSet, eGEOMETRIC_ROTATION, xV); }
  bool SetGeometricScaling(int iSet, const KgeTVector& xV) { return SetPivotVector(iSet, eGEOMETRIC_SCALING, xV); }
  bool SetRotationOrder(int iSet, int iOrder);
  bool SetRotationSpaceForLimitOnly(int iSet, bool bLimitOnly);
  bool SetUseQuaternionInterpolation(int iSet, bool bOn);
  bool SetPivotState(int iSet, int iState);
  bool GetRotationSpaceForLimitOnly(int iSet) const;

  // Stored in the "InheritType" property and in the pivots mirror, which is
  // what evaluation reads; the getter reads the property.
  void SetInheritType(int iType);
  int GetInheritType() const;

  // Copies the property values into the evaluation state.
  void SyncEvaluationState();

  // Evaluation state.
  const TransformPivots& GetTransformPivots() const { return m_xPivots; }
  bool GetLimitOnlyFlag() const { return m_bLimitOnly; }
  const RotationSpace& GetRotationSpace() const { return m_xRotationSpace; }
  TransformLimits& TranslationLimits() { return m_xTranslationLimits; }
  TransformLimits& RotationLimits() { return m_xRotationSpace.m_xLimits; }
  TransformLimits& ScalingLimits() { return m_xScalingLimits; }
  const TransformLimits& TranslationLimits() const { return m_xTranslationLimits; }
  const TransformLimits& RotationLimits() const { return m_xRotationSpace.m_xLimits; }
  const TransformLimits& ScalingLimits() const { return m_xScalingLimits; }

 private:
  void SyncLimits(int iKind, TransformLimits& xLimits);
  bool ReadBool(const char* pszName) const;
  KgeTVector ReadVector(const char* pszName) const;

  std::vector<std::unique_ptr<KProperty>> m_xProperties;
  // Positions in m_xProperties of the properties added after the built-in
  // ones (the built-in names share one index, since every node has them at
  // the same positions): readers look names up once per stored property.
  std::unordered_map<std::string, size_t> m_xDynamicIndex;
  KPropertyTemplate<KgeTVector>* m_pxLclTranslation = nullptr;
  KPropertyTemplate<KgeTVector>* m_pxLclRotation = nullptr;
  KPropertyTemplate<KgeTVector>* m_pxLclScaling = nullptr;
  KPropertyTemplate<double>* m_pxVisibility = nullptr;
  KProperty* m_pxInheritType = nullptr;

  PivotSet m_axPivotSets[kPivotSetCount];
  TransformPivots m_xPivots;
  bool m_bLimitOnly = false;
  RotationSpace m_xRotationSpace;
  TransformLimits m_xTranslationLimits;
  TransformLimits m_xScalingLimits;
};
