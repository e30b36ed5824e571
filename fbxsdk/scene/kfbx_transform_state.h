#pragma once

#include <cstdint>

#include "fbxsdk/core/ktime.h"
#include "fbxsdk/scene/kfbx_matrix.h"
#include "fbxsdk/scene/kfbx_rotation.h"

// Transform state of a node as evaluation reads it: pivot sets, their
// mirrors, rotation space, limits and the evaluation caches. Angles are in
// degrees; matrices are row-vector, 3x3 helpers leave row and column 3 alone.

enum ERotationOrder {
  eEULER_XYZ = 0,
  eEULER_XZY = 1,
  eEULER_YZX = 2,
  eEULER_YXZ = 3,
  eEULER_ZXY = 4,
  eEULER_ZYX = 5,
  eSPHERIC_XYZ = 6
};

enum ETransformInheritType {
  eINHERIT_RrSs = 0,  // parent scale taken axis by axis, never rotated or sheared
  eINHERIT_RSrs = 1,  // the parent's whole linear transform is inherited
  eINHERIT_Rrs = 2    // as 1, without the parent's own local scaling
};

// Display names; null for values without one.
const char* RotationOrderName(int iOrder);
const char* InheritTypeName(int iType);

// 3x3 helpers: the upper-left 3x3 of the result is computed, the rest of
// the result is the identity's.
inline Matrix44 Multiply3x3(const Matrix44& xA, const Matrix44& xB) {
  Matrix44 xOut;
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) xOut[r][c] = xA[r][0] * xB[0][c] + xA[r][1] * xB[1][c] + xA[r][2] * xB[2][c];
  return xOut;
}
// A * B^T, without forming the transpose.
inline Matrix44 MultiplyTransposed3x3(const Matrix44& xA, const Matrix44& xB) {
  Matrix44 xOut;
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) xOut[r][c] = xA[r][0] * xB[c][0] + xA[r][1] * xB[c][1] + xA[r][2] * xB[c][2];
  return xOut;
}
Matrix44 Transpose3x3(const Matrix44& xM);
// A triple transformed by the 3x3 (v * M).
KgeTVector Rotate3x3(const KgeTVector& xV, const Matrix44& xM);

// Set or clear one flag bit from whether x, y or z of a vector is non-zero.
uint32_t UpdatePresenceBit(uint32_t uFlags, uint32_t uBit, const KgeTVector& xValue);

// One of a node's two pivot sets. Only set 0 drives evaluation.
struct PivotSet {
  KgeTVector m_xRotationOffset{0, 0, 0};
  KgeTVector m_xRotationPivot{0, 0, 0};
  KgeTVector m_xRotationPivotUpdateOffset{0, 0, 0};
  KgeTVector m_xPreRotation{0, 0, 0};
  KgeTVector m_xPostRotation{0, 0, 0};
  KgeTVector m_xScalingOffset{0, 0, 0};
  KgeTVector m_xScalingPivot{0, 0, 0};
  KgeTVector m_xScalingPivotUpdateOffset{0, 0, 0};
  KgeTVector m_xGeometricTranslation{0, 0, 0};
  KgeTVector m_xGeometricRotation{0, 0, 0};
  KgeTVector m_xGeometricScaling{1, 1, 1, 1};
  int32_t m_iRotationOrder = eEULER_XYZ;
  bool m_bRotationSpaceForLimitOnly = false;
  bool m_bUseQuaternionInterpolation = false;
  int32_t m_iState = 1;  // kept for callers; evaluation does not read it
};

// Mirror of pivot set 0's offsets and pivots, with presence bits.
struct TransformPivots {
  enum : uint32_t {
    eROTATION_OFFSET = 1u << 0,
    eROTATION_PIVOT = 1u << 1,
    eSCALING_OFFSET = 1u << 2,
    eSCALING_PIVOT = 1u << 3
  };
  uint32_t m_uFlags = 0;
  int32_t m_iInheritType = eINHERIT_RrSs;
  KgeTVector m_xRotationOffset{0, 0, 0};
  KgeTVector m_xRotationPivot{0, 0, 0};
  KgeTVector m_xScalingOffset{0, 0, 0};
  KgeTVector m_xScalingPivot{0, 0, 0};
};

// Per-axis limits of translation, rotation or scaling.
struct TransformLimits {
  enum : uint32_t {
    eACTIVE = 1u << 0,
    eMIN_X = 1u << 1,
    eMIN_Y = 1u << 2,
    eMIN_Z = 1u << 3,
    eMAX_X = 1u << 4,
    eMAX_Y = 1u << 5,
    eMAX_Z = 1u << 6,
    eAXIS_BITS = 0x7E
  };
  uint32_t m_uFlags = 0;
  KgeTVector m_xMin{0, 0, 0};
  KgeTVector m_xMax{0, 0, 0};

  bool IsActive() const { return (m_uFlags & eACTIVE) != 0; }
  void SetFlag(uint32_t uBit, bool bOn) { m_uFlags = bOn ? (m_uFlags | uBit) : (m_uFlags & ~uBit); }
  // Per axis: up to min where the min bit is set, then down to max where the
  // max bit is set, so min above max yields max. The active bit is ignored.
  void Clamp(double* pdValues) const;
};

// Rotation with its order and pre- and post-rotation: Post^T * R * Pre in
// row-vector terms.
struct RotationSpace {
  enum : uint32_t { ePRE_ROTATION = 1u << 0, ePOST_ROTATION = 1u << 1 };
  uint32_t m_uFlags = 0;
  Matrix44 m_xPre;
  Matrix44 m_xPost;
  int32_t m_iOrderCode = 0;  // twice the rotation order
  TransformLimits m_xLimits;

  Matrix44 ToMatrix(const KgeTVector& xAngles) const;
  // The same, reusing the sines of the angles already computed.
  Matrix44 ToMatrix(const KgeTVector& xAngles, const KFbxEulerSines& xSines) const;
  // The angles in this space's order whose ToMatrix gives xMatrix.
  KgeTVector ToEuler(const Matrix44& xMatrix) const;
};

// Cached results of one node: local and global transform at one time each.
// Results are handed out by reference and stay valid until the node is
// evaluated again.
struct NodeEvaluationCache {
  enum { eT = 0, eR = 1, eS = 2 };
  int32_t m_aiKeyIndex[3] = {0, 0, 0};  // where the "T", "R", "S" key searches start
  KTime m_xLocalTime;
  bool m_bLocalValid = false;
  KTime m_xGlobalTime;
  bool m_bGlobalValid = false;
  double m_adLocalT[3] = {0, 0, 0};
  double m_adLocalR[3] = {0, 0, 0};
  double m_adLocalS[3] = {1, 1, 1};
  KFbxEulerSines m_xLocalSines;  // of the cached R
  Matrix44 m_xLocalRotation;     // EulerToMatrix(R, XYZ) of the cached R
  Matrix44 m_xLocal;
  double m_adGlobalT[3] = {0, 0, 0};
  Matrix44 m_xGlobalRotation;
  Matrix44 m_xGlobalScaleShear;
  Matrix44 m_xGlobal;

  void Reset() {
    m_aiKeyIndex[0] = m_aiKeyIndex[1] = m_aiKeyIndex[2] = 0;
    m_bLocalValid = false;
    m_bGlobalValid = false;
  }
};

// Translation that the pivots and offsets add for the local rotation E and
// the local scale G (diagonal): with T it is the translation of
// Roff*Rp*R*Rp^-1*Soff*Sp*S*Sp^-1 read in column-vector order.
KgeTVector PivotOffset(const TransformPivots& xPivots, const Matrix44& xE, const Matrix44& xG);
