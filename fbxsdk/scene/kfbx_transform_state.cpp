#include "fbxsdk/scene/kfbx_transform_state.h"

#include "fbxsdk/scene/kfbx_rotation.h"

namespace {

constexpr const char* kRotationOrderNames[] = {
    "Euler XYZ", "Euler XZY", "Euler YZX", "Euler YXZ", "Euler ZXY", "Euler ZYX", "Spheric XYZ",
};
constexpr const char* kInheritTypeNames[] = {"RrSs", "RrSs", "Rrs"};

template <size_t N>
const char* NameAt(const char* const (&apszNames)[N], int iIndex) {
  return iIndex >= 0 && iIndex < static_cast<int>(N) ? apszNames[iIndex] : nullptr;
}

}  // namespace

const char* RotationOrderName(int iOrder) { return NameAt(kRotationOrderNames, iOrder); }
const char* InheritTypeName(int iType) { return NameAt(kInheritTypeNames, iType); }

Matrix44 Transpose3x3(const Matrix44& xM) {
  Matrix44 xOut;
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) xOut[r][c] = xM[c][r];
  return xOut;
}

KgeTVector Rotate3x3(const KgeTVector& xV, const Matrix44& xM) {
  KgeTVector xOut;
  for (int c = 0; c < 3; ++c) xOut[c] = xV[0] * xM[0][c] + xV[1] * xM[1][c] + xV[2] * xM[2][c];
  return xOut;
}

uint32_t UpdatePresenceBit(uint32_t uFlags, uint32_t uBit, const KgeTVector& xValue) {
  const bool bPresent = xValue[0] != 0.0 || xValue[1] != 0.0 || xValue[2] != 0.0;
  return bPresent ? (uFlags | uBit) : (uFlags & ~uBit);
}

void TransformLimits::Clamp(double* pdValues) const {
  if ((m_uFlags & eAXIS_BITS) == 0) return;
  for (int i = 0; i < 3; ++i) {
    if ((m_uFlags & (eMIN_X << i)) && pdValues[i] < m_xMin[i]) pdValues[i] = m_xMin[i];
    if ((m_uFlags & (eMAX_X << i)) && !(pdValues[i] <= m_xMax[i])) pdValues[i] = m_xMax[i];
  }
}

Matrix44 RotationSpace::ToMatrix(const KgeTVector& xAngles) const {
  if (m_iOrderCode == eROTATION_CODE_SPHERIC_XYZ) return ToMatrix(xAngles, KFbxEulerSines());
  return ToMatrix(xAngles, EulerSines(xAngles));
}

Matrix44 RotationSpace::ToMatrix(const KgeTVector& xAngles, const KFbxEulerSines& xSines) const {
  Matrix44 xM;
  if (m_iOrderCode == eROTATION_CODE_SPHERIC_XYZ)
    EulerToMatrix(xM, xAngles, m_iOrderCode);
  else
    EulerToMatrix(xM, xSines, m_iOrderCode);
  if (m_uFlags & ePRE_ROTATION) xM = Multiply3x3(xM, m_xPre);
  if (m_uFlags & ePOST_ROTATION) xM = Multiply3x3(Transpose3x3(m_xPost), xM);
  return xM;
}

KgeTVector RotationSpace::ToEuler(const Matrix44& xMatrix) const {
  Matrix44 xM = xMatrix;
  if (m_uFlags & ePRE_ROTATION) xM = MultiplyTransposed3x3(xM, m_xPre);
  if (m_uFlags & ePOST_ROTATION) xM = Multiply3x3(m_xPost, xM);
  return MatrixToEuler(xM, m_iOrderCode);
}

KgeTVector PivotOffset(const TransformPivots& xPivots, const Matrix44& xE, const Matrix44& xG) {
  const uint32_t uFlags = xPivots.m_uFlags;
  KgeTVector xV(0, 0, 0);
  if (uFlags & TransformPivots::eSCALING_PIVOT) {
    for (int i = 0; i < 3; ++i) xV[i] = (1.0 - xG[i][i]) * xPivots.m_xScalingPivot[i];
  }
  if (uFlags & TransformPivots::eSCALING_OFFSET) {
    for (int i = 0; i < 3; ++i) xV[i] += xPivots.m_xScalingOffset[i];
  }
  if (uFlags & TransformPivots::eROTATION_PIVOT) {
    for (int i = 0; i < 3; ++i) xV[i] -= xPivots.m_xRotationPivot[i];
    xV = Rotate3x3(xV, xE);
    for (int i = 0; i < 3; ++i) xV[i] += xPivots.m_xRotationPivot[i];
  } else if (uFlags & (TransformPivots::eSCALING_OFFSET | TransformPivots::eSCALING_PIVOT)) {
    xV = Rotate3x3(xV, xE);
  }
  if (uFlags & TransformPivots::eROTATION_OFFSET) {
    for (int i = 0; i < 3; ++i) xV[i] += xPivots.m_xRotationOffset[i];
  }
  return xV;
}
