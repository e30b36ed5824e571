#pragma once

#include <gtest/gtest.h>

#include <cmath>

#include "fbxsdk/scene/kfbx_node.h"
#include "fbxsdk/scene/kfbx_rotation.h"
#include "kfcurve_test_util.h"

// The X, Y or Z curve of a node's "T", "R" or "S" channel in one take node.
inline KFCurve* AxisCurve(KFbxNode& xNode, const char* pszChannel, int iAxis, int iTake = 0) {
  KFCurveNode* pxChannel = xNode.GetTakeNode(iTake)->GetKFCurveNode()->Find(pszChannel);
  return pxChannel ? pxChannel->Get(iAxis)->FCurveGet() : nullptr;
}

// Holds a channel at a constant value: the curves' default values.
inline void SetChannel(KFbxNode& xNode, const char* pszChannel, double dX, double dY, double dZ, int iTake = 0) {
  const double adValues[3] = {dX, dY, dZ};
  for (int i = 0; i < 3; ++i) AxisCurve(xNode, pszChannel, i, iTake)->SetValue(static_cast<float>(adValues[i]));
}

inline void ExpectNear3x3(const Matrix44& xA, const Matrix44& xB, double dTolerance = 1e-9) {
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) EXPECT_NEAR(xA[r][c], xB[r][c], dTolerance) << "[" << r << "][" << c << "]";
}

inline void ExpectNear4x4(const Matrix44& xA, const Matrix44& xB, double dTolerance = 1e-9) {
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) EXPECT_NEAR(xA[r][c], xB[r][c], dTolerance) << "[" << r << "][" << c << "]";
}

// Rotation about one axis in the row-vector convention, built by hand.
inline Matrix44 AxisRotationRow(int iAxis, double dDegrees) {
  const double a = dDegrees * kDegreesToRadians;
  const double c = std::cos(a), s = std::sin(a);
  const int j = (iAxis + 1) % 3, k = (iAxis + 2) % 3;
  Matrix44 xM;
  xM[j][j] = c;
  xM[j][k] = s;
  xM[k][j] = -s;
  xM[k][k] = c;
  return xM;
}

inline Matrix44 ScaleRow(double dX, double dY, double dZ) {
  Matrix44 xM;
  xM[0][0] = dX;
  xM[1][1] = dY;
  xM[2][2] = dZ;
  return xM;
}
