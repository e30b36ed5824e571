#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "fbxsdk/core/kstring.h"
#include "fbxsdk/core/ktime.h"
#include "fbxsdk/scene/kfbx_data_type.h"
#include "fbxsdk/scene/kfcurve.h"

// How a curve node combines with its next layer.
enum EKFCurveNodeLayerType {
  KFCL_NOLAYER = 0,  // combines additively
  KFCL_ADD = 1,
  KFCL_EULER_XYZ = 2,  // rotation: Euler triples composed as rotations
  KFCL_MULT = 3,
  KFCL_QUAT = 4  // children hold a quaternion; written out as Euler XYZ angles
};

// Node of a take's curve tree: an optional curve of its own, children, an
// optional time warp evaluated first and an optional next layer combined
// after. Evaluation writes one double per curve of the subtree, depth first.
class KFCurveNode {
 public:
  // Bits of the cache state word.
  enum : int { kCacheValid = 1, kCacheValidAlways = 2 };

  explicit KFCurveNode(const char* pszName, const KFbxDataType* pxDataType = nullptr, int iLayerType = KFCL_NOLAYER);
  ~KFCurveNode();
  KFCurveNode(const KFCurveNode&) = delete;
  KFCurveNode& operator=(const KFCurveNode&) = delete;

  // Deep copy of the subtree (curves, children, time warp, next layer), with
  // empty caches.
  std::unique_ptr<KFCurveNode> Clone() const;

  const char* GetName() const { return m_xName.Buffer(); }
  void SetName(const char* pszName) {
    m_xName = pszName;
    ShapeChanged();
  }
  const KFbxDataType* GetDataType() const { return m_pxDataType; }
  void SetDataType(const KFbxDataType* pxDataType) {
    m_pxDataType = pxDataType;
    ShapeChanged();
  }
  int GetLayerType() const { return m_iLayerType; }
  void SetLayerType(int iLayerType);
  int GetRotationOrder() const { return m_iRotationOrder; }
  void SetRotationOrder(int iOrderCode);
  bool GetQuaternionInterpolation() const { return m_bQuaternionInterpolation; }
  void SetQuaternionInterpolation(bool bOn);

  KFCurve* FCurveGet() { return m_pxCurve.get(); }
  const KFCurve* FCurveGet() const { return m_pxCurve.get(); }
  KFCurve* FCurveCreate();  // gives the node a curve of its own (or returns it)

  int GetCount() const { return static_cast<int>(m_xChildren.size()); }
  KFCurveNode* Get(int iIndex);
  const KFCurveNode* Get(int iIndex) const;
  KFCurveNode* Add(std::unique_ptr<KFCurveNode> pxChild);
  bool Remove(int iIndex);

  KFCurveNode* GetTimeWarp() { return m_pxTimeWarp.get(); }
  void SetTimeWarp(std::unique_ptr<KFCurveNode> pxTimeWarp);
  KFCurveNode* GetNextLayer() { return m_pxNextLayer.get(); }
  void SetNextLayer(std::unique_ptr<KFCurveNode> pxNextLayer);

  // Curve node at a "/"-separated path of names below this one (see .cpp).
  KFCurveNode* Find(const char* pszPath);

  // A number that changes whenever any curve node anywhere is added,
  // removed, destroyed, renamed or retyped, gets a curve of its own, another
  // layer type, quaternion setting, time warp or next layer: a pointer or a Find result kept from an earlier value may
  // no longer be valid. It never repeats a value.
  static uint64_t ShapeGeneration() { return s_uShapeGeneration.load(std::memory_order_relaxed); }

  // Number of doubles that Evaluate and GetDefaultValues write.
  int GetValueCount() const;
  // Writes the values at xTime and returns the position after the last one.
  double* Evaluate(double* pValues, KTime xTime, int* piKeyIndexCache = nullptr, bool bUseCache = false);
  double* GetDefaultValues(double* pValues) const;

  // Widens [xStart, xStop] by the first and last keys of every curve of the
  // subtree; false when the subtree holds no key.
  bool KeyGetRange(KTime& xStart, KTime& xStop) const;

  // Cache state word; kCacheValidAlways makes the cache answer every time.
  int GetCacheState() const { return m_iCacheState; }
  void SetCacheState(int iState) { m_iCacheState = iState; }

 private:
  KFCurveNode* FindPart(const char* pszPart);
  bool MatchesPart(const char* pszPart) const;
  int OwnCurveCount() const { return m_pxCurve ? 1 : 0; }
  int ChildValueCount() const;
  double* EvaluateNode(double* pValues, KTime xTime, int* piKeyIndexCache, bool bUseCache, bool bKeepQuaternion);
  double* EvaluateChildren(double* pValues, KTime xTime, int* piKeyIndexCache, bool bUseCache);
  bool InterpolateRotation(double* pValues, KTime xTime, int* piKeyIndexCache);
  void CombineNextLayer(double* pValues, int iCount, KTime xTime, int* piKeyIndexCache, bool bUseCache);
  void InvalidateCache() { m_iCacheState &= ~kCacheValid; }
  static void ShapeChanged() { s_uShapeGeneration.fetch_add(1, std::memory_order_relaxed); }

  static std::atomic<uint64_t> s_uShapeGeneration;
  void StoreCache(const double* pValues, int iCount, KTime xTime);

  KString m_xName;
  const KFbxDataType* m_pxDataType = nullptr;
  int m_iLayerType = KFCL_NOLAYER;
  int m_iRotationOrder = 0;
  bool m_bQuaternionInterpolation = false;
  std::unique_ptr<KFCurve> m_pxCurve;
  std::vector<std::unique_ptr<KFCurveNode>> m_xChildren;
  std::unique_ptr<KFCurveNode> m_pxTimeWarp;
  std::unique_ptr<KFCurveNode> m_pxNextLayer;
  KTime m_xCacheTime = KTime::Infinite();
  int m_iCacheState = 0;
  std::vector<double> m_xCacheValues;
};
