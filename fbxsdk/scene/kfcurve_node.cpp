#include "fbxsdk/scene/kfcurve_node.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include "fbxsdk/scene/kfbx_rotation.h"

namespace {

// Temporary values for layers and quaternions: on the stack for the usual
// small counts, so that evaluation does not allocate.
class ScratchValues {
 public:
  explicit ScratchValues(int iCount) {
    if (iCount > kLocal) m_xHeap.resize(iCount);
    m_pData = iCount > kLocal ? m_xHeap.data() : m_adLocal;
    std::fill(m_pData, m_pData + std::max(iCount, 0), 0.0);
  }
  double* Data() { return m_pData; }

 private:
  static constexpr int kLocal = 16;
  double m_adLocal[kLocal];
  std::vector<double> m_xHeap;
  double* m_pData;
};

KFbxQuaternion QuaternionOf(const double* pValues, int iCount) {
  KFbxQuaternion xQ;
  xQ.m_dX = iCount > 0 ? pValues[0] : 0.0;
  xQ.m_dY = iCount > 1 ? pValues[1] : 0.0;
  xQ.m_dZ = iCount > 2 ? pValues[2] : 0.0;
  xQ.m_dW = iCount > 3 ? pValues[3] : 1.0;
  return xQ;
}

double* WriteEulerXYZ(double* pValues, const KFbxQuaternion& xQ) {
  Matrix44 xM;
  QuaternionToMatrix(xM, xQ);
  const KgeTVector xAngles = MatrixToEuler(xM, eROTATION_CODE_XYZ);
  for (int i = 0; i < 3; ++i) *pValues++ = xAngles[i];
  return pValues;
}

KFbxQuaternion EulerToQuaternion(const double* pAngles, int iOrderCode) {
  return MatrixToQuaternion(EulerToMatrix(KgeTVector(pAngles[0], pAngles[1], pAngles[2]), iOrderCode));
}

}  // namespace

std::atomic<uint64_t> KFCurveNode::s_uShapeGeneration{0};

KFCurveNode::KFCurveNode(const char* pszName, const KFbxDataType* pxDataType, int iLayerType)
    : m_xName(pszName), m_pxDataType(pxDataType), m_iLayerType(iLayerType) {}

// Whoever kept a pointer to this node learns of its end through the
// generation.
KFCurveNode::~KFCurveNode() { ShapeChanged(); }

std::unique_ptr<KFCurveNode> KFCurveNode::Clone() const {
  auto pxCopy = std::make_unique<KFCurveNode>(m_xName.Buffer(), m_pxDataType, m_iLayerType);
  pxCopy->m_iRotationOrder = m_iRotationOrder;
  pxCopy->m_bQuaternionInterpolation = m_bQuaternionInterpolation;
  if (m_pxCurve) pxCopy->m_pxCurve = std::make_unique<KFCurve>(*m_pxCurve);
  for (const auto& pxChild : m_xChildren) pxCopy->m_xChildren.push_back(pxChild->Clone());
  if (m_pxTimeWarp) pxCopy->m_pxTimeWarp = m_pxTimeWarp->Clone();
  if (m_pxNextLayer) pxCopy->m_pxNextLayer = m_pxNextLayer->Clone();
  return pxCopy;
}

void KFCurveNode::SetLayerType(int iLayerType) {
  m_iLayerType = iLayerType;
  InvalidateCache();
  ShapeChanged();  // how evaluation reads the node changes
}

void KFCurveNode::SetRotationOrder(int iOrderCode) {
  m_iRotationOrder = iOrderCode;
  InvalidateCache();
}

void KFCurveNode::SetQuaternionInterpolation(bool bOn) {
  m_bQuaternionInterpolation = bOn;
  InvalidateCache();
  ShapeChanged();  // how evaluation reads the node changes
}

KFCurve* KFCurveNode::FCurveCreate() {
  if (!m_pxCurve) {
    m_pxCurve = std::make_unique<KFCurve>();
    InvalidateCache();
    ShapeChanged();
  }
  return m_pxCurve.get();
}

KFCurveNode* KFCurveNode::Get(int iIndex) {
  return iIndex >= 0 && iIndex < GetCount() ? m_xChildren[iIndex].get() : nullptr;
}

const KFCurveNode* KFCurveNode::Get(int iIndex) const {
  return iIndex >= 0 && iIndex < GetCount() ? m_xChildren[iIndex].get() : nullptr;
}

KFCurveNode* KFCurveNode::Add(std::unique_ptr<KFCurveNode> pxChild) {
  if (!pxChild) return nullptr;
  m_xChildren.push_back(std::move(pxChild));
  InvalidateCache();
  ShapeChanged();
  return m_xChildren.back().get();
}

bool KFCurveNode::Remove(int iIndex) {
  if (iIndex < 0 || iIndex >= GetCount()) return false;
  m_xChildren.erase(m_xChildren.begin() + iIndex);
  InvalidateCache();
  ShapeChanged();
  return true;
}

void KFCurveNode::SetTimeWarp(std::unique_ptr<KFCurveNode> pxTimeWarp) {
  m_pxTimeWarp = std::move(pxTimeWarp);
  InvalidateCache();
  ShapeChanged();
}

void KFCurveNode::SetNextLayer(std::unique_ptr<KFCurveNode> pxNextLayer) {
  m_pxNextLayer = std::move(pxNextLayer);
  InvalidateCache();
  ShapeChanged();
}

// "T", "R" and "S" also find the transform nodes by their data type, whatever
// their names.
bool KFCurveNode::MatchesPart(const char* pszPart) const {
  if (m_xName.CompareNoCase(pszPart) == 0) return true;
  if (!m_pxDataType) return false;
  return (std::strcmp(pszPart, "T") == 0 && m_pxDataType == &KDataTypeLclTranslation) ||
         (std::strcmp(pszPart, "R") == 0 && m_pxDataType == &KDataTypeLclRotation) ||
         (std::strcmp(pszPart, "S") == 0 && m_pxDataType == &KDataTypeLclScaling);
}

// A direct child first; otherwise the first hit of a depth-first search of
// each child's subtree, in order.
KFCurveNode* KFCurveNode::FindPart(const char* pszPart) {
  for (auto& pxChild : m_xChildren)
    if (pxChild->MatchesPart(pszPart)) return pxChild.get();
  for (auto& pxChild : m_xChildren)
    if (KFCurveNode* pxHit = pxChild->FindPart(pszPart)) return pxHit;
  return nullptr;
}

KFCurveNode* KFCurveNode::Find(const char* pszPath) {
  if (!pszPath) return nullptr;
  KFCurveNode* pxNode = this;
  const std::string xPath(pszPath);
  size_t uStart = 0;
  bool bAnyPart = false;
  while (uStart <= xPath.size()) {
    size_t uEnd = xPath.find('/', uStart);
    if (uEnd == std::string::npos) uEnd = xPath.size();
    if (uEnd > uStart) {
      pxNode = pxNode->FindPart(xPath.substr(uStart, uEnd - uStart).c_str());
      if (!pxNode) return nullptr;
      bAnyPart = true;
    }
    uStart = uEnd + 1;
  }
  return bAnyPart ? pxNode : nullptr;
}

int KFCurveNode::ChildValueCount() const {
  int iCount = 0;
  for (const auto& pxChild : m_xChildren) iCount += pxChild->GetValueCount();
  return iCount;
}

int KFCurveNode::GetValueCount() const { return OwnCurveCount() + (m_iLayerType == KFCL_QUAT ? 3 : ChildValueCount()); }

double* KFCurveNode::Evaluate(double* pValues, KTime xTime, int* piKeyIndexCache, bool bUseCache) {
  return EvaluateNode(pValues, xTime, piKeyIndexCache, bUseCache, false);
}

double* KFCurveNode::EvaluateChildren(double* pValues, KTime xTime, int* piKeyIndexCache, bool bUseCache) {
  for (auto& pxChild : m_xChildren) pValues = pxChild->EvaluateNode(pValues, xTime, piKeyIndexCache, bUseCache, false);
  return pValues;
}

// bKeepQuaternion: a quaternion layer writes its quaternion (four values)
// instead of Euler angles, for the layer it is combined into. Such results
// are never cached, the cache holding the Euler form.
double* KFCurveNode::EvaluateNode(double* pValues, KTime xTime, int* piKeyIndexCache, bool bUseCache,
                                  bool bKeepQuaternion) {
  if (m_pxTimeWarp) {
    ScratchValues xWarp(m_pxTimeWarp->GetValueCount());
    const double* pEnd = m_pxTimeWarp->EvaluateNode(xWarp.Data(), xTime, nullptr, bUseCache, false);
    if (pEnd != xWarp.Data()) xTime = KTime::FromSeconds(xWarp.Data()[0]);
  }
  int iLocalCache = 0;
  if (!piKeyIndexCache) piKeyIndexCache = &iLocalCache;

  const bool bCacheable = bUseCache && !bKeepQuaternion;
  // The count check guards against a subtree that changed shape since.
  if (bCacheable && (m_iCacheState & kCacheValid) && (m_xCacheTime == xTime || (m_iCacheState & kCacheValidAlways)) &&
      static_cast<int>(m_xCacheValues.size()) == GetValueCount()) {
    std::copy(m_xCacheValues.begin(), m_xCacheValues.end(), pValues);
    return pValues + m_xCacheValues.size();
  }

  double* pOut = pValues;
  if (m_pxCurve && m_xChildren.empty() && !m_pxNextLayer && m_iLayerType != KFCL_QUAT) {
    // A leaf: one curve, one value (the "X", "Y", "Z" of a transform node).
    *pOut =
        bUseCache ? m_pxCurve->Evaluate(xTime, piKeyIndexCache) : m_pxCurve->EvaluateUncached(xTime, piKeyIndexCache);
    if (bCacheable) StoreCache(pValues, 1, xTime);
    return pOut + 1;
  }
  if (m_pxCurve)
    *pOut++ =
        bUseCache ? m_pxCurve->Evaluate(xTime, piKeyIndexCache) : m_pxCurve->EvaluateUncached(xTime, piKeyIndexCache);

  if (m_iLayerType == KFCL_QUAT) {
    const int iChildCount = ChildValueCount();
    ScratchValues xChildren(iChildCount);
    EvaluateChildren(xChildren.Data(), xTime, piKeyIndexCache, bUseCache);
    KFbxQuaternion xQ = QuaternionOf(xChildren.Data(), iChildCount);
    if (m_pxNextLayer && !m_pxCurve) {
      // A quaternion next layer writes its own curve and four values; any
      // other writes its value count, of which the angles follow its own
      // curve. Room for at least three angles after it: missing ones read 0.
      const int iSkip = m_pxNextLayer->OwnCurveCount();
      ScratchValues xNext(std::max(m_pxNextLayer->GetValueCount(), iSkip + 4));
      const int iNextCount = static_cast<int>(
          m_pxNextLayer->EvaluateNode(xNext.Data(), xTime, piKeyIndexCache, bUseCache, true) - xNext.Data());
      const KFbxQuaternion xNextQ = m_pxNextLayer->m_iLayerType == KFCL_QUAT
                                        ? QuaternionOf(xNext.Data() + iSkip, iNextCount - iSkip)
                                        : EulerToQuaternion(xNext.Data() + iSkip, eROTATION_CODE_XYZ);
      // The next layer's rotation is applied first.
      xQ = QuaternionMultiply(xQ, xNextQ);
    }
    if (bKeepQuaternion) {
      *pOut++ = xQ.m_dX;
      *pOut++ = xQ.m_dY;
      *pOut++ = xQ.m_dZ;
      *pOut++ = xQ.m_dW;
      return pOut;
    }
    pOut = WriteEulerXYZ(pOut, xQ);
  } else {
    if (!(m_iLayerType == KFCL_EULER_XYZ && InterpolateRotation(pOut, xTime, piKeyIndexCache)))
      pOut = EvaluateChildren(pOut, xTime, piKeyIndexCache, bUseCache);
    else
      pOut += 3;
    CombineNextLayer(pValues, static_cast<int>(pOut - pValues), xTime, piKeyIndexCache, bUseCache);
  }

  if (bCacheable) StoreCache(pValues, static_cast<int>(pOut - pValues), xTime);
  return pOut;
}

void KFCurveNode::StoreCache(const double* pValues, int iCount, KTime xTime) {
  if (static_cast<int>(m_xCacheValues.size()) != iCount) m_xCacheValues.resize(iCount);
  for (int i = 0; i < iCount; ++i) m_xCacheValues[i] = pValues[i];
  m_xCacheTime = xTime;
  m_iCacheState |= kCacheValid;
}

// Rotation nodes with quaternion interpolation on: between two keys of the
// first child's curve, the rotation goes along the shortest arc between the
// orientations at the two keys, at the time fraction of the segment.
bool KFCurveNode::InterpolateRotation(double* pValues, KTime xTime, int* piKeyIndexCache) {
  if (!m_bQuaternionInterpolation || GetCount() != 3) return false;
  const KFCurve* pxFirst = m_xChildren[0]->FCurveGet();
  if (!pxFirst || pxFirst->KeyGetCount() < 2) return false;
  for (const auto& pxChild : m_xChildren)
    if (pxChild->GetValueCount() != 1) return false;
  const double dIndex = pxFirst->FindKeyIndex(xTime, piKeyIndexCache);
  const int iLast = pxFirst->KeyGetCount() - 1;
  if (!(dIndex > 0.0) || dIndex >= iLast || dIndex == std::floor(dIndex)) return false;
  const int i = static_cast<int>(std::floor(dIndex));
  double adA[3], adB[3];
  const KTime xTimeA = pxFirst->KeyGet(i).GetTime();
  const KTime xTimeB = pxFirst->KeyGet(i + 1).GetTime();
  for (int c = 0; c < 3; ++c) {
    m_xChildren[c]->EvaluateNode(&adA[c], xTimeA, piKeyIndexCache, false, false);
    m_xChildren[c]->EvaluateNode(&adB[c], xTimeB, piKeyIndexCache, false, false);
  }
  const KFbxQuaternion xQ =
      QuaternionSlerp(EulerToQuaternion(adA, m_iRotationOrder), EulerToQuaternion(adB, m_iRotationOrder), dIndex - i);
  Matrix44 xM;
  QuaternionToMatrix(xM, xQ);
  const KgeTVector xAngles = MatrixToEuler(xM, m_iRotationOrder);
  for (int c = 0; c < 3; ++c) pValues[c] = xAngles[c];
  return true;
}

void KFCurveNode::CombineNextLayer(double* pValues, int iCount, KTime xTime, int* piKeyIndexCache, bool bUseCache) {
  if (!m_pxNextLayer) return;
  ScratchValues xNext(m_pxNextLayer->GetValueCount());
  const int iNextCount = static_cast<int>(
      m_pxNextLayer->EvaluateNode(xNext.Data(), xTime, piKeyIndexCache, bUseCache, false) - xNext.Data());
  const int n = std::min(iCount, iNextCount);
  const double* pNext = xNext.Data();
  if (m_pxCurve) {
    for (int i = 0; i < n; ++i) {
      if (m_iLayerType == KFCL_NOLAYER || m_iLayerType == KFCL_ADD) pValues[i] += pNext[i];
      if (m_iLayerType == KFCL_MULT) pValues[i] *= pNext[i];
    }
    return;
  }
  switch (m_iLayerType) {
    case KFCL_EULER_XYZ:
      // Each triple: the next layer's rotation applied first, then this one.
      for (int i = 0; i + 3 <= n; i += 3) {
        const Matrix44 xThis = EulerToMatrix(KgeTVector(pValues[i], pValues[i + 1], pValues[i + 2]), m_iRotationOrder);
        const Matrix44 xNextM = EulerToMatrix(KgeTVector(pNext[i], pNext[i + 1], pNext[i + 2]), m_iRotationOrder);
        const KgeTVector xAngles = MatrixToEuler(xNextM * xThis, m_iRotationOrder);
        for (int c = 0; c < 3; ++c) pValues[i + c] = xAngles[c];
      }
      break;
    case KFCL_MULT:
      for (int i = 0; i < n; ++i) pValues[i] *= pNext[i];
      break;
    case KFCL_NOLAYER:
    case KFCL_ADD:
      for (int i = 0; i < n; ++i) pValues[i] += pNext[i];
      break;
    default:
      break;
  }
}

double* KFCurveNode::GetDefaultValues(double* pValues) const {
  if (m_pxCurve) *pValues++ = m_pxCurve->GetValue();
  if (m_iLayerType != KFCL_QUAT) {
    for (const auto& pxChild : m_xChildren) pValues = pxChild->GetDefaultValues(pValues);
    return pValues;
  }
  const int iChildCount = ChildValueCount();
  ScratchValues xChildren(iChildCount);
  double* pEnd = xChildren.Data();
  for (const auto& pxChild : m_xChildren) pEnd = pxChild->GetDefaultValues(pEnd);
  return WriteEulerXYZ(pValues, QuaternionOf(xChildren.Data(), iChildCount));
}

bool KFCurveNode::KeyGetRange(KTime& xStart, KTime& xStop) const {
  bool bFound = false;
  KTime xFirst, xLast;
  if (m_pxCurve && m_pxCurve->KeyGetTimeRange(xFirst, xLast)) {
    xStart = std::min(xStart, xFirst);
    xStop = std::max(xStop, xLast);
    bFound = true;
  }
  for (const auto& pxChild : m_xChildren) bFound = pxChild->KeyGetRange(xStart, xStop) || bFound;
  return bFound;
}
