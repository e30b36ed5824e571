// Local and global transform evaluation of a node, with its time caches.
#include <vector>

#include "fbxsdk/scene/kfbx_node.h"
#include "fbxsdk/scene/kfbx_rotation.h"

namespace {

constexpr const char* kTransformChannelNames[3] = {"T", "R", "S"};

// Copies the first three of the iCount values a curve node writes into
// pdOut; components it does not write keep their value.
template <class Fill>
void ReadTriple(int iCount, double* pdOut, Fill xFill) {
  if (iCount <= 0) return;
  constexpr int kSmall = 16;
  double adSmall[kSmall];
  std::vector<double> xLarge;
  double* pdValues = adSmall;
  if (iCount > kSmall) {
    xLarge.resize(static_cast<size_t>(iCount));
    pdValues = xLarge.data();
  }
  xFill(pdValues);
  for (int i = 0; i < 3 && i < iCount; ++i) pdOut[i] = pdValues[i];
}

// A channel of the usual shape: three children "X", "Y", "Z" that each hold
// just a curve, with no own curve, time warp, next layer or quaternion
// handling on the way. Its values are the three curves' values, read
// directly instead of walking the curve-node tree. Fills the three curves
// and returns true for that shape; false for any other, which the curve
// node then evaluates itself. Every property looked at here moves the
// curve-node shape generation when it changes.
bool PlainChannelCurves(KFCurveNode& xNode, KFCurve** ppxCurves) {
  if (xNode.GetCount() != 3 || xNode.FCurveGet() || xNode.GetTimeWarp() || xNode.GetNextLayer() ||
      xNode.GetLayerType() == KFCL_QUAT ||
      (xNode.GetLayerType() == KFCL_EULER_XYZ && xNode.GetQuaternionInterpolation()))
    return false;
  for (int i = 0; i < 3; ++i) {
    KFCurveNode* pxChild = xNode.Get(i);
    ppxCurves[i] = pxChild->FCurveGet();
    if (!ppxCurves[i] || pxChild->GetCount() != 0 || pxChild->GetTimeWarp() || pxChild->GetNextLayer() ||
        pxChild->GetLayerType() == KFCL_QUAT)
      return false;
  }
  return true;
}

void PropertyTriple(const KPropertyTemplate<KgeTVector>& xProperty, double* pdOut) {
  const KgeTVector& xValue = xProperty.Get();
  for (int i = 0; i < 3; ++i) pdOut[i] = xValue[i];
}

// Reciprocal that leaves a zero scale at zero instead of dividing by it.
double SafeReciprocal(double dValue) { return dValue != 0.0 ? 1.0 / dValue : 0.0; }

Matrix44 Diagonal(const double* pdValues) {
  Matrix44 xM;
  for (int i = 0; i < 3; ++i) xM[i][i] = pdValues[i];
  return xM;
}

// diag(pdScale) * M on the 3x3.
Matrix44 ScaleRows(const double* pdScale, const Matrix44& xM) {
  Matrix44 xOut;
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) xOut[r][c] = pdScale[r] * xM[r][c];
  return xOut;
}

}  // namespace

const KFbxNode::TransformCurves& KFbxNode::CurrentTransformCurves(TakeNode* pxTakeNode) {
  const uint64_t uGeneration = KFCurveNode::ShapeGeneration();
  if (m_xLookup.m_pxTakeNode != pxTakeNode || m_xLookup.m_uGeneration != uGeneration) {
    m_xLookup = TransformCurves();
    m_xLookup.m_pxTakeNode = pxTakeNode;
    m_xLookup.m_uGeneration = uGeneration;
    KFCurveNode* pxRoot = pxTakeNode ? pxTakeNode->GetKFCurveNode() : nullptr;
    for (int i = 0; i < 3 && pxRoot; ++i) {
      KFCurveNode* pxNode = pxRoot->Find(kTransformChannelNames[i]);
      m_xLookup.m_apxNodes[i] = pxNode;
      KFCurve* apxCurves[3];
      if (pxNode && PlainChannelCurves(*pxNode, apxCurves))
        for (int a = 0; a < 3; ++a) m_xLookup.m_apxPlain[i][a] = apxCurves[a];
    }
  }
  return m_xLookup;
}

void KFbxNode::ClampRotation(double* pdR) const {
  const RotationSpace& xSpace = m_xProperties.GetRotationSpace();
  const TransformLimits& xLimits = xSpace.m_xLimits;
  if (!m_xProperties.GetRotationSpaceForLimitOnly(0)) {
    xLimits.Clamp(pdR);
    return;
  }
  // The limits hold in the rotation space: go there, clamp, come back. The
  // angles come out in the decomposition's ranges.
  const bool bActive = xLimits.IsActive();
  const bool bSpace = bActive && !m_xProperties.GetLimitOnlyFlag();
  KgeTVector xR(pdR[0], pdR[1], pdR[2]);
  Matrix44 xM = bSpace ? xSpace.ToMatrix(xR) : EulerToMatrix(xR, eROTATION_CODE_XYZ);
  xR = bActive ? xSpace.ToEuler(xM) : MatrixToEuler(xM, eROTATION_CODE_XYZ);
  xLimits.Clamp(xR.m_adData);
  xM = bActive ? xSpace.ToMatrix(xR) : EulerToMatrix(xR, eROTATION_CODE_XYZ);
  xR = bSpace ? xSpace.ToEuler(xM) : MatrixToEuler(xM, eROTATION_CODE_XYZ);
  for (int i = 0; i < 3; ++i) pdR[i] = xR[i];
}

void KFbxNode::BuildLocal(NodeEvaluationCache& xCache, double* pdT, double* pdR, double* pdS) {
  m_xProperties.TranslationLimits().Clamp(pdT);
  ClampRotation(pdR);
  m_xProperties.ScalingLimits().Clamp(pdS);
  for (int i = 0; i < 3; ++i) {
    xCache.m_adLocalT[i] = pdT[i];
    xCache.m_adLocalR[i] = pdR[i];
    xCache.m_adLocalS[i] = pdS[i];
  }
  xCache.m_xLocalSines = EulerSines(KgeTVector(pdR[0], pdR[1], pdR[2]));
  EulerToMatrix(xCache.m_xLocalRotation, xCache.m_xLocalSines, eROTATION_CODE_XYZ);
  Matrix44& xLocal = xCache.m_xLocal;
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 3; ++c) xLocal[r][c] = pdS[r] * xCache.m_xLocalRotation[r][c];
    xLocal[r][3] = 0.0;
    xLocal[3][r] = pdT[r];
  }
  xLocal[3][3] = 1.0;
}

const Matrix44& KFbxNode::LocalTransformAt(KTime xTime) {
  NodeEvaluationCache& xCache = m_axCache[eCURRENT_TAKE_CACHE];
  if (xCache.m_bLocalValid && xCache.m_xLocalTime == xTime) return xCache.m_xLocal;
  double adT[3], adR[3], adS[3];
  double* apdTriples[3] = {adT, adR, adS};
  const KPropertyTemplate<KgeTVector>* apxProperties[3] = {&m_xProperties.LclTranslation(),
                                                           &m_xProperties.LclRotation(), &m_xProperties.LclScaling()};
  // The curve nodes' own value caches are bypassed: this cache already
  // answers repeated times, and a recompute after a take selection must see
  // the curves as they are now.
  const TransformCurves& xCurves = CurrentTransformCurves(GetCurrentTakeNode());
  for (int i = 0; i < 3; ++i) {
    KFCurveNode* pxNode = xCurves.m_apxNodes[i];
    int* piKeyIndex = &xCache.m_aiKeyIndex[i];
    if (KFCurve* const* ppxPlain = xCurves.m_apxPlain[i]; ppxPlain[0]) {
      for (int a = 0; a < 3; ++a) apdTriples[i][a] = ppxPlain[a]->EvaluateUncached(xTime, piKeyIndex);
      continue;
    }
    const int iCount = pxNode ? pxNode->GetValueCount() : 0;
    // Components without a curve keep the property value.
    if (iCount < 3) PropertyTriple(*apxProperties[i], apdTriples[i]);
    ReadTriple(iCount, apdTriples[i], [&](double* pdValues) { pxNode->Evaluate(pdValues, xTime, piKeyIndex, false); });
  }
  BuildLocal(xCache, adT, adR, adS);
  xCache.m_xLocalTime = xTime;
  xCache.m_bLocalValid = true;
  return xCache.m_xLocal;
}

const Matrix44& KFbxNode::DefaultLocalTransform() {
  NodeEvaluationCache& xCache = m_axCache[eDEFAULT_TAKE_CACHE];
  if (xCache.m_bLocalValid) return xCache.m_xLocal;
  double adT[3], adR[3], adS[3];
  PropertyTriple(m_xProperties.LclTranslation(), adT);
  PropertyTriple(m_xProperties.LclRotation(), adR);
  PropertyTriple(m_xProperties.LclScaling(), adS);
  double* apdTriples[3] = {adT, adR, adS};
  TakeNode* pxDefault = GetTakeNode(0);
  KFCurveNode* pxRoot = pxDefault ? pxDefault->GetKFCurveNode() : nullptr;
  for (int i = 0; i < 3 && pxRoot; ++i) {
    const KFCurveNode* pxNode = pxRoot->Find(kTransformChannelNames[i]);
    ReadTriple(pxNode ? pxNode->GetValueCount() : 0, apdTriples[i],
               [&](double* pdValues) { pxNode->GetDefaultValues(pdValues); });
  }
  BuildLocal(xCache, adT, adR, adS);
  xCache.m_bLocalValid = true;
  return xCache.m_xLocal;
}

bool KFbxNode::GlobalCached(KTime xTime) const {
  const NodeEvaluationCache& xCache = m_axCache[eCURRENT_TAKE_CACHE];
  return xCache.m_bGlobalValid && xCache.m_xGlobalTime == xTime;
}

const Matrix44& KFbxNode::GlobalMatrixAt(KTime xTime) {
  // Ancestors whose matrix is not cached are computed first, top down, so
  // that each node finds its parent's matrix ready: chains of any depth
  // never become call depth.
  if (!GlobalCached(xTime) && m_pxParent && !m_pxParent->GlobalCached(xTime)) {
    std::vector<KFbxNode*> xPending;
    for (KFbxNode* pxUp = m_pxParent; pxUp && !pxUp->GlobalCached(xTime); pxUp = pxUp->m_pxParent)
      xPending.push_back(pxUp);
    for (auto it = xPending.rbegin(); it != xPending.rend(); ++it) (*it)->ComputeGlobal(xTime);
  }
  if (!GlobalCached(xTime)) ComputeGlobal(xTime);
  return m_axCache[eCURRENT_TAKE_CACHE].m_xGlobal;
}

void KFbxNode::ComputeGlobal(KTime xTime) {
  NodeEvaluationCache& xCache = m_axCache[eCURRENT_TAKE_CACHE];
  LocalTransformAt(xTime);

  const RotationSpace& xSpace = m_xProperties.GetRotationSpace();
  const bool bSpace = xSpace.m_xLimits.IsActive() && !m_xProperties.GetLimitOnlyFlag();
  const double* pdS = xCache.m_adLocalS;
  const Matrix44 xE =
      bSpace ? xSpace.ToMatrix(KgeTVector(xCache.m_adLocalR[0], xCache.m_adLocalR[1], xCache.m_adLocalR[2]),
                               xCache.m_xLocalSines)
             : xCache.m_xLocalRotation;
  const Matrix44 xG = Diagonal(pdS);
  const TransformPivots& xPivots = m_xProperties.GetTransformPivots();
  const KgeTVector xOffset = PivotOffset(xPivots, xE, xG);
  double adT[3];
  for (int i = 0; i < 3; ++i) adT[i] = xCache.m_adLocalT[i] + xOffset[i];

  const int iInherit = xPivots.m_iInheritType;
  if (!m_pxParent) {
    xCache.m_xGlobalRotation = xE;
    xCache.m_xGlobalScaleShear = xG;
    for (int i = 0; i < 3; ++i) xCache.m_adGlobalT[i] = adT[i];
  } else {
    const Matrix44& xParentGlobal = m_pxParent->GlobalMatrixAt(xTime);
    const NodeEvaluationCache& xParent = m_pxParent->m_axCache[eCURRENT_TAKE_CACHE];
    xCache.m_xGlobalRotation = Multiply3x3(xE, xParent.m_xGlobalRotation);
    if (iInherit == eINHERIT_RrSs) {
      // Scale axis by axis; the parent's scale is neither rotated nor sheared.
      Matrix44 xSg;
      for (int i = 0; i < 3; ++i) xSg[i][i] = pdS[i] * xParent.m_xGlobalScaleShear[i][i];
      xCache.m_xGlobalScaleShear = xSg;
    } else {
      Matrix44 xParentScale = xParent.m_xGlobalScaleShear;
      if (iInherit == eINHERIT_Rrs) {
        // Leave out the parent's own local scaling. A parent scaled to zero
        // on an axis keeps that axis at zero rather than dividing by it.
        m_pxParent->LocalTransformAt(xTime);
        const double* pdParentS = xParent.m_adLocalS;
        double adInverse[3];
        for (int i = 0; i < 3; ++i) adInverse[i] = SafeReciprocal(pdParentS[i]);
        xParentScale = ScaleRows(adInverse, xParentScale);
      }
      // G * E * Sg(P) * E^T
      xCache.m_xGlobalScaleShear = MultiplyTransposed3x3(Multiply3x3(ScaleRows(pdS, xE), xParentScale), xE);
    }
    for (int c = 0; c < 3; ++c)
      xCache.m_adGlobalT[c] = adT[0] * xParentGlobal[0][c] + adT[1] * xParentGlobal[1][c] +
                              adT[2] * xParentGlobal[2][c] + xParentGlobal[3][c];
  }

  Matrix44& xGlobal = xCache.m_xGlobal;
  if (iInherit == eINHERIT_RrSs) {
    for (int r = 0; r < 3; ++r)
      for (int c = 0; c < 3; ++c) xGlobal[r][c] = xCache.m_xGlobalScaleShear[r][r] * xCache.m_xGlobalRotation[r][c];
  } else {
    const Matrix44 xLinear = Multiply3x3(xCache.m_xGlobalScaleShear, xCache.m_xGlobalRotation);
    for (int r = 0; r < 3; ++r)
      for (int c = 0; c < 3; ++c) xGlobal[r][c] = xLinear[r][c];
  }
  for (int i = 0; i < 3; ++i) {
    xGlobal[i][3] = 0.0;
    xGlobal[3][i] = xCache.m_adGlobalT[i];
  }
  xGlobal[3][3] = 1.0;
  xCache.m_xGlobalTime = xTime;
  xCache.m_bGlobalValid = true;
}
