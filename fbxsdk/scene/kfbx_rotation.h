#pragma once

#include "fbxsdk/scene/kfbx_matrix.h"

// Rotation conversions shared by curve-node layers and node evaluation.
// Angles are in degrees; matrices follow the row-vector convention and only
// their upper-left 3x3 is read or written.

// Rotation order codes: twice the rotation order value.
enum ERotationOrderCode {
  eROTATION_CODE_XYZ = 0,
  eROTATION_CODE_XZY = 2,
  eROTATION_CODE_YZX = 4,
  eROTATION_CODE_YXZ = 6,
  eROTATION_CODE_ZXY = 8,
  eROTATION_CODE_ZYX = 10,
  eROTATION_CODE_SPHERIC_XYZ = 12
};

constexpr double kDegreesToRadians = 0.017453292519943295;
constexpr double kRadiansToDegrees = 57.29577951308232;

// Unit quaternion (x, y, z, w); q1*q2 rotates by q2 first, then q1.
struct KFbxQuaternion {
  double m_dX = 0.0, m_dY = 0.0, m_dZ = 0.0, m_dW = 1.0;
};

// The first, second and third rotation axes of an Euler code: the first is
// applied first. Codes outside the table read as XYZ.
void RotationAxes(int iOrderCode, int& iFirst, int& iSecond, int& iThird);

// Sines and cosines of three angles (indexed by axis), so that several
// Euler orders of the same angles share one set of trigonometric calls.
struct KFbxEulerSines {
  double m_adSin[3] = {0.0, 0.0, 0.0};
  double m_adCos[3] = {1.0, 1.0, 1.0};
};
KFbxEulerSines EulerSines(const KgeTVector& xAngles);
// The Euler-code matrix (codes 0 to 10) of the angles whose sines are given.
void EulerToMatrix(Matrix44& xMatrix, const KFbxEulerSines& xSines, int iOrderCode);

// Sets the 3x3 of xMatrix to R_first*R_second*R_third for the angles of
// xAngles (indexed by axis), or to the "Spheric XYZ" rotation for code 12.
// Row 3 and column 3 are left as they are.
void EulerToMatrix(Matrix44& xMatrix, const KgeTVector& xAngles, int iOrderCode);
Matrix44 EulerToMatrix(const KgeTVector& xAngles, int iOrderCode);

// Angles (indexed by axis) whose EulerToMatrix for the same code gives the
// 3x3 of xMatrix. The w component of the result is 1.
KgeTVector MatrixToEuler(const Matrix44& xMatrix, int iOrderCode);

// Quaternion conversions (the matrix formula normalises its input).
void QuaternionToMatrix(Matrix44& xMatrix, const KFbxQuaternion& xQ);
KFbxQuaternion MatrixToQuaternion(const Matrix44& xMatrix);
KFbxQuaternion QuaternionMultiply(const KFbxQuaternion& xA, const KFbxQuaternion& xB);
// Shortest-path spherical interpolation, dU in [0, 1].
KFbxQuaternion QuaternionSlerp(const KFbxQuaternion& xA, const KFbxQuaternion& xB, double dU);
