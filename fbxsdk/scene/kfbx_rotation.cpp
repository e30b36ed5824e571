#include "fbxsdk/scene/kfbx_rotation.h"

#include <cmath>

namespace {

struct AxisTriple {
  int m_iFirst, m_iSecond, m_iThird;
};

// Indexed by order code / 2: the first axis is applied first.
constexpr AxisTriple kEulerAxes[] = {
    {0, 1, 2},  // XYZ
    {0, 2, 1},  // XZY
    {1, 2, 0},  // YZX
    {1, 0, 2},  // YXZ
    {2, 0, 1},  // ZXY
    {2, 1, 0},  // ZYX
};

bool IsEulerCode(int iOrderCode) { return iOrderCode >= 0 && iOrderCode <= 10 && iOrderCode % 2 == 0; }

// Codes 2, 6 and 10 relabel the axes with an odd permutation, which mirrors
// the frame: the same formula then holds with the angles negated.
bool IsOddPermutation(int iOrderCode) { return (iOrderCode & 2) != 0; }

void SphericToMatrix(Matrix44& xMatrix, const KgeTVector& xAngles) {
  constexpr double kHalfDegree = 0.008726646259971648;
  const double hX = xAngles[0] * kHalfDegree, hY = xAngles[1] * kHalfDegree, hZ = xAngles[2] * kHalfDegree;
  const double cX = std::cos(hX), sX = std::sin(hX);
  const double cY = std::cos(hY), sY = std::sin(hY);
  const double cZ = std::cos(hZ), sZ = std::sin(hZ);
  // A swing that carries X towards (y, z), after a twist of x about X.
  KFbxQuaternion xQ;
  xQ.m_dX = cZ * cY * sX;
  xQ.m_dY = sX * sZ + sY * cX;
  xQ.m_dZ = sZ * cX - sX * sY;
  xQ.m_dW = cZ * cY * cX;
  QuaternionToMatrix(xMatrix, xQ);
}

KgeTVector MatrixToSpheric(const Matrix44& xM) {
  constexpr double kTwiceDegrees = 114.59155902616465;
  if (!(xM[0][0] > -0.9999999999)) return KgeTVector(180.0, 180.0, 180.0);
  // Shortest arc carrying X onto the image of X.
  KFbxQuaternion xSwing;
  xSwing.m_dX = 0.0;
  xSwing.m_dY = -xM[0][2];
  xSwing.m_dZ = xM[0][1];
  xSwing.m_dW = xM[0][0] + 1.0;
  const double dNorm = std::sqrt(xSwing.m_dY * xSwing.m_dY + xSwing.m_dZ * xSwing.m_dZ + xSwing.m_dW * xSwing.m_dW);
  xSwing.m_dY /= dNorm;
  xSwing.m_dZ /= dNorm;
  xSwing.m_dW /= dNorm;
  // The swing quaternion of the forward formula is (0, sin hy, sin hz,
  // cos hy cos hz) before normalisation; s undoes that normalisation.
  const double e = xSwing.m_dY * xSwing.m_dY * xSwing.m_dZ * xSwing.m_dZ;
  const double s = e <= 1e-10 ? 1.0 : std::sqrt((1.0 - std::sqrt(1.0 - 4.0 * e)) * 0.5 / e);
  KgeTVector xAngles;
  xAngles[2] = std::asin(s * xSwing.m_dZ) * kTwiceDegrees;
  xAngles[1] = std::asin(s * xSwing.m_dY) * kTwiceDegrees;
  // What remains once the swing is undone is the twist about X.
  Matrix44 xSwingMatrix;
  QuaternionToMatrix(xSwingMatrix, xSwing);
  const Matrix44 xTwist = xM * xSwingMatrix.Transposed();
  xAngles[0] = std::atan2(xTwist[1][2], xTwist[1][1]) * kRadiansToDegrees;
  return xAngles;
}

KgeTVector MatrixToEulerXYZ(const Matrix44& xM) {
  KgeTVector xAngles;
  if (xM[0][2] >= 0.999999) {
    xAngles[0] = std::atan2(-xM[2][1], -xM[2][0]) * kRadiansToDegrees;
    xAngles[1] = -90.0;
    xAngles[2] = 0.0;
  } else if (xM[0][2] > -0.999999) {
    xAngles[0] = std::atan2(xM[1][2], xM[2][2]) * kRadiansToDegrees;
    xAngles[1] = -std::asin(xM[0][2]) * kRadiansToDegrees;
    xAngles[2] = std::atan2(xM[0][1], xM[0][0]) * kRadiansToDegrees;
  } else {
    xAngles[0] = std::atan2(xM[1][0], xM[1][1]) * kRadiansToDegrees;
    xAngles[1] = 90.0;
    xAngles[2] = 0.0;
  }
  return xAngles;
}

}  // namespace

void RotationAxes(int iOrderCode, int& iFirst, int& iSecond, int& iThird) {
  const AxisTriple& xT = kEulerAxes[IsEulerCode(iOrderCode) ? iOrderCode / 2 : 0];
  iFirst = xT.m_iFirst;
  iSecond = xT.m_iSecond;
  iThird = xT.m_iThird;
}

KFbxEulerSines EulerSines(const KgeTVector& xAngles) {
  KFbxEulerSines xSines;
  for (int i = 0; i < 3; ++i) {
    const double a = xAngles[i] * kDegreesToRadians;
    xSines.m_adSin[i] = std::sin(a);
    xSines.m_adCos[i] = std::cos(a);
  }
  return xSines;
}

void EulerToMatrix(Matrix44& xM, const KFbxEulerSines& xSines, int iOrderCode) {
  int i, j, k;
  RotationAxes(iOrderCode, i, j, k);
  // Negated angles: sines change sign, cosines do not.
  const double dSign = IsEulerCode(iOrderCode) && IsOddPermutation(iOrderCode) ? -1.0 : 1.0;
  const double ci = xSines.m_adCos[i], si = dSign * xSines.m_adSin[i];
  const double cj = xSines.m_adCos[j], sj = dSign * xSines.m_adSin[j];
  const double ck = xSines.m_adCos[k], sk = dSign * xSines.m_adSin[k];
  xM[i][i] = cj * ck;
  xM[i][j] = cj * sk;
  xM[i][k] = -sj;
  xM[j][i] = si * sj * ck - ci * sk;
  xM[j][j] = si * sj * sk + ci * ck;
  xM[j][k] = si * cj;
  xM[k][i] = ci * sj * ck + si * sk;
  xM[k][j] = ci * sj * sk - si * ck;
  xM[k][k] = ci * cj;
}

void EulerToMatrix(Matrix44& xM, const KgeTVector& xAngles, int iOrderCode) {
  if (iOrderCode == eROTATION_CODE_SPHERIC_XYZ) {
    SphericToMatrix(xM, xAngles);
    return;
  }
  EulerToMatrix(xM, EulerSines(xAngles), iOrderCode);
}

Matrix44 EulerToMatrix(const KgeTVector& xAngles, int iOrderCode) {
  Matrix44 xM;
  EulerToMatrix(xM, xAngles, iOrderCode);
  return xM;
}

KgeTVector MatrixToEuler(const Matrix44& xM, int iOrderCode) {
  if (iOrderCode == eROTATION_CODE_SPHERIC_XYZ) return MatrixToSpheric(xM);
  if (!IsEulerCode(iOrderCode) || iOrderCode == eROTATION_CODE_XYZ) return MatrixToEulerXYZ(xM);
  int i, j, k;
  RotationAxes(iOrderCode, i, j, k);
  const double c = std::sqrt(xM[i][i] * xM[i][i] + xM[i][j] * xM[i][j]);
  double dFirst, dSecond, dThird;
  if (c > 1.6e-9) {
    dFirst = std::atan2(xM[j][k], xM[k][k]);
    dSecond = std::atan2(-xM[i][k], c);
    dThird = std::atan2(xM[i][j], xM[i][i]);
  } else {
    dFirst = std::atan2(-xM[k][j], xM[j][j]);
    dSecond = std::atan2(-xM[i][k], c);
    dThird = 0.0;
  }
  const double dSign = IsOddPermutation(iOrderCode) ? -kRadiansToDegrees : kRadiansToDegrees;
  KgeTVector xAngles;
  xAngles[i] = dFirst * dSign;
  xAngles[j] = dSecond * dSign;
  xAngles[k] = dThird * dSign;
  return xAngles;
}

void QuaternionToMatrix(Matrix44& xM, const KFbxQuaternion& xQ) {
  const double qx = xQ.m_dX, qy = xQ.m_dY, qz = xQ.m_dZ, qw = xQ.m_dW;
  const double n = qx * qx + qy * qy + qz * qz + qw * qw;
  const double k = n > 0.0 ? 2.0 / n : 0.0;
  xM[0][0] = 1.0 - k * (qy * qy + qz * qz);
  xM[0][1] = k * (qx * qy + qz * qw);
  xM[0][2] = k * (qx * qz - qy * qw);
  xM[1][0] = k * (qx * qy - qz * qw);
  xM[1][1] = 1.0 - k * (qx * qx + qz * qz);
  xM[1][2] = k * (qy * qz + qx * qw);
  xM[2][0] = k * (qx * qz + qy * qw);
  xM[2][1] = k * (qy * qz - qx * qw);
  xM[2][2] = 1.0 - k * (qx * qx + qy * qy);
}

KFbxQuaternion MatrixToQuaternion(const Matrix44& xM) {
  KFbxQuaternion xQ;
  const double dTrace = xM[0][0] + xM[1][1] + xM[2][2];
  if (dTrace > 0.0) {
    const double s = std::sqrt(dTrace + 1.0) * 2.0;
    xQ.m_dW = 0.25 * s;
    xQ.m_dX = (xM[1][2] - xM[2][1]) / s;
    xQ.m_dY = (xM[2][0] - xM[0][2]) / s;
    xQ.m_dZ = (xM[0][1] - xM[1][0]) / s;
  } else if (xM[0][0] > xM[1][1] && xM[0][0] > xM[2][2]) {
    const double s = std::sqrt(1.0 + xM[0][0] - xM[1][1] - xM[2][2]) * 2.0;
    xQ.m_dX = 0.25 * s;
    xQ.m_dW = (xM[1][2] - xM[2][1]) / s;
    xQ.m_dY = (xM[0][1] + xM[1][0]) / s;
    xQ.m_dZ = (xM[2][0] + xM[0][2]) / s;
  } else if (xM[1][1] > xM[2][2]) {
    const double s = std::sqrt(1.0 + xM[1][1] - xM[0][0] - xM[2][2]) * 2.0;
    xQ.m_dY = 0.25 * s;
    xQ.m_dW = (xM[2][0] - xM[0][2]) / s;
    xQ.m_dX = (xM[0][1] + xM[1][0]) / s;
    xQ.m_dZ = (xM[1][2] + xM[2][1]) / s;
  } else {
    const double s = std::sqrt(1.0 + xM[2][2] - xM[0][0] - xM[1][1]) * 2.0;
    xQ.m_dZ = 0.25 * s;
    xQ.m_dW = (xM[0][1] - xM[1][0]) / s;
    xQ.m_dX = (xM[2][0] + xM[0][2]) / s;
    xQ.m_dY = (xM[1][2] + xM[2][1]) / s;
  }
  return xQ;
}

KFbxQuaternion QuaternionMultiply(const KFbxQuaternion& a, const KFbxQuaternion& b) {
  KFbxQuaternion xQ;
  xQ.m_dW = a.m_dW * b.m_dW - a.m_dX * b.m_dX - a.m_dY * b.m_dY - a.m_dZ * b.m_dZ;
  xQ.m_dX = a.m_dW * b.m_dX + a.m_dX * b.m_dW + a.m_dY * b.m_dZ - a.m_dZ * b.m_dY;
  xQ.m_dY = a.m_dW * b.m_dY - a.m_dX * b.m_dZ + a.m_dY * b.m_dW + a.m_dZ * b.m_dX;
  xQ.m_dZ = a.m_dW * b.m_dZ + a.m_dX * b.m_dY - a.m_dY * b.m_dX + a.m_dZ * b.m_dW;
  return xQ;
}

KFbxQuaternion QuaternionSlerp(const KFbxQuaternion& xA, const KFbxQuaternion& xB, double dU) {
  double dDot = xA.m_dX * xB.m_dX + xA.m_dY * xB.m_dY + xA.m_dZ * xB.m_dZ + xA.m_dW * xB.m_dW;
  const double dSide = dDot < 0.0 ? -1.0 : 1.0;  // take the short way round
  dDot *= dSide;
  double dWa = 1.0 - dU, dWb = dU;
  if (dDot < 0.9995) {
    const double dTheta = std::acos(dDot);
    const double dSin = std::sin(dTheta);
    dWa = std::sin((1.0 - dU) * dTheta) / dSin;
    dWb = std::sin(dU * dTheta) / dSin;
  }
  dWb *= dSide;
  KFbxQuaternion xQ;
  xQ.m_dX = dWa * xA.m_dX + dWb * xB.m_dX;
  xQ.m_dY = dWa * xA.m_dY + dWb * xB.m_dY;
  xQ.m_dZ = dWa * xA.m_dZ + dWb * xB.m_dZ;
  xQ.m_dW = dWa * xA.m_dW + dWb * xB.m_dW;
  const double dNorm = std::sqrt(xQ.m_dX * xQ.m_dX + xQ.m_dY * xQ.m_dY + xQ.m_dZ * xQ.m_dZ + xQ.m_dW * xQ.m_dW);
  if (dNorm > 0.0) {
    xQ.m_dX /= dNorm;
    xQ.m_dY /= dNorm;
    xQ.m_dZ /= dNorm;
    xQ.m_dW /= dNorm;
  }
  return xQ;
}
