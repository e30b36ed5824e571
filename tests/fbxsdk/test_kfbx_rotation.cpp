#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "fbxsdk/scene/kfbx_rotation.h"
#include "node_test_util.h"

namespace {

// Elementary rotations in the row-vector convention, built independently of
// the library's formula.
Matrix44 AxisRotation(int iAxis, double dDegrees) { return AxisRotationRow(iAxis, dDegrees); }

void ExpectSame3x3(const Matrix44& xA, const Matrix44& xB, double dTolerance = 1e-12) {
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) EXPECT_NEAR(xA[r][c], xB[r][c], dTolerance) << "[" << r << "][" << c << "]";
}

struct OrderCase {
  int m_iCode;
  int m_aiAxes[3];  // first applied first
};
constexpr OrderCase kOrders[] = {
    {0, {0, 1, 2}}, {2, {0, 2, 1}}, {4, {1, 2, 0}}, {6, {1, 0, 2}}, {8, {2, 0, 1}}, {10, {2, 1, 0}},
};

const KgeTVector kAngleSets[] = {
    {10, 20, 30}, {-45, 60, 170}, {90, 0, 0}, {0, -80, 15}, {123, 45, -67}, {0, 0, 0},
};

}  // namespace

TEST(KFbxRotation, EulerXYZFormula) {
  const KgeTVector xAngles(10, 20, 30);
  const Matrix44 xM = EulerToMatrix(xAngles, 0);
  const double cX = std::cos(10 * kDegreesToRadians), sX = std::sin(10 * kDegreesToRadians);
  const double cY = std::cos(20 * kDegreesToRadians), sY = std::sin(20 * kDegreesToRadians);
  const double cZ = std::cos(30 * kDegreesToRadians), sZ = std::sin(30 * kDegreesToRadians);
  EXPECT_NEAR(xM[0][0], cY * cZ, 1e-15);
  EXPECT_NEAR(xM[0][2], -sY, 1e-15);
  EXPECT_NEAR(xM[1][0], sX * sY * cZ - cX * sZ, 1e-15);
  EXPECT_NEAR(xM[2][1], cX * sY * sZ - sX * cZ, 1e-15);
  EXPECT_NEAR(xM[2][2], cX * cY, 1e-15);
}

// Every order is the product of its axis rotations, the first axis applied
// first, and decomposes back to the same angles.
TEST(KFbxRotation, EveryEulerOrder) {
  for (const OrderCase& o : kOrders) {
    for (const KgeTVector& xAngles : kAngleSets) {
      SCOPED_TRACE(o.m_iCode);
      const Matrix44 xExpected = AxisRotation(o.m_aiAxes[0], xAngles[o.m_aiAxes[0]]) *
                                 AxisRotation(o.m_aiAxes[1], xAngles[o.m_aiAxes[1]]) *
                                 AxisRotation(o.m_aiAxes[2], xAngles[o.m_aiAxes[2]]);
      const Matrix44 xM = EulerToMatrix(xAngles, o.m_iCode);
      ExpectSame3x3(xM, xExpected);
      EXPECT_EQ(xM[3][3], 1.0);
      // Back to angles: the same rotation (angles may differ by the
      // decomposition's range), and the same angles while the middle one
      // stays inside (-90, 90).
      const KgeTVector xBack = MatrixToEuler(xM, o.m_iCode);
      ExpectSame3x3(EulerToMatrix(xBack, o.m_iCode), xM, 1e-9);
      if (std::fabs(xAngles[o.m_aiAxes[1]]) < 89 && std::fabs(xAngles[o.m_aiAxes[0]]) <= 180) {
        for (int i = 0; i < 3; ++i) EXPECT_NEAR(xBack[i], xAngles[i], 1e-9) << "axis " << i;
      }
    }
  }
}

TEST(KFbxRotation, GimbalLockedMatricesStillDecompose) {
  for (const OrderCase& o : kOrders) {
    const int iMiddle = o.m_aiAxes[1];
    for (double dMiddle : {90.0, -90.0}) {
      KgeTVector xAngles(0, 0, 0);
      xAngles[o.m_aiAxes[0]] = 25;
      xAngles[iMiddle] = dMiddle;
      xAngles[o.m_aiAxes[2]] = 0;
      const Matrix44 xM = EulerToMatrix(xAngles, o.m_iCode);
      ExpectSame3x3(EulerToMatrix(MatrixToEuler(xM, o.m_iCode), o.m_iCode), xM, 1e-6);
    }
  }
  // Exactly 0.999999 in M[0][2] takes the locked branch of the XYZ form.
  Matrix44 xM;
  xM[0][2] = 0.999999;
  const KgeTVector xAngles = MatrixToEuler(xM, 0);
  EXPECT_EQ(xAngles[1], -90.0);
  EXPECT_EQ(xAngles[2], 0.0);
}

TEST(KFbxRotation, SphericXYZ) {
  // Without twist the X axis swings towards (y, z); with it the result is
  // still a rotation, and decomposing gives the angles back.
  const KgeTVector axAngles[] = {{0, 0, 40}, {0, 30, 0}, {25, 30, 40}, {-60, -20, 10}, {0, 0, 0}};
  for (const KgeTVector& xAngles : axAngles) {
    const Matrix44 xM = EulerToMatrix(xAngles, eROTATION_CODE_SPHERIC_XYZ);
    const Matrix44 xProduct = xM * xM.Transposed();
    for (int r = 0; r < 3; ++r)
      for (int c = 0; c < 3; ++c) EXPECT_NEAR(xProduct[r][c], r == c ? 1.0 : 0.0, 1e-12);
    const KgeTVector xBack = MatrixToEuler(xM, eROTATION_CODE_SPHERIC_XYZ);
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(xBack[i], xAngles[i], 1e-9) << i;
  }
  // A pure Z angle is the ordinary Z rotation.
  ExpectSame3x3(EulerToMatrix(KgeTVector(0, 0, 40), eROTATION_CODE_SPHERIC_XYZ), AxisRotation(2, 40));
  // X mapped onto -X has no swing axis.
  const KgeTVector xFlip = MatrixToEuler(AxisRotation(2, 180), eROTATION_CODE_SPHERIC_XYZ);
  EXPECT_EQ(xFlip[0], 180.0);
  EXPECT_EQ(xFlip[1], 180.0);
  EXPECT_EQ(xFlip[2], 180.0);
}

TEST(KFbxRotation, Quaternions) {
  const Matrix44 xM = EulerToMatrix(KgeTVector(30, -50, 110), 0);
  const KFbxQuaternion xQ = MatrixToQuaternion(xM);
  Matrix44 xBack;
  QuaternionToMatrix(xBack, xQ);
  ExpectSame3x3(xBack, xM);
  // Each large diagonal element selects its own branch.
  for (int iAxis = 0; iAxis < 3; ++iAxis) {
    const Matrix44 xHalfTurn = AxisRotation(iAxis, 179);
    QuaternionToMatrix(xBack, MatrixToQuaternion(xHalfTurn));
    ExpectSame3x3(xBack, xHalfTurn);
  }
  // The product applies its right-hand factor first: row-vector M(b)*M(a).
  const KFbxQuaternion xA = MatrixToQuaternion(AxisRotation(0, 40));
  const KFbxQuaternion xB = MatrixToQuaternion(AxisRotation(1, 70));
  QuaternionToMatrix(xBack, QuaternionMultiply(xA, xB));
  ExpectSame3x3(xBack, AxisRotation(1, 70) * AxisRotation(0, 40));
  // Halfway along the arc; a zero quaternion gives the identity.
  QuaternionToMatrix(
      xBack, QuaternionSlerp(MatrixToQuaternion(AxisRotation(2, 10)), MatrixToQuaternion(AxisRotation(2, 110)), 0.5));
  ExpectSame3x3(xBack, AxisRotation(2, 60));
  KFbxQuaternion xZero;
  xZero.m_dW = 0;
  QuaternionToMatrix(xBack, xZero);
  ExpectSame3x3(xBack, Matrix44::Identity());
}

// A few hundred random triples per order, inside the decomposition's ranges
// (first and third angle in (-180, 180), the middle one in (-90, 90)):
// decomposing and rebuilding gives the same matrix.
TEST(KFbxRotation, RandomAnglesRoundTripEveryOrder) {
  std::mt19937 xRandom(7);
  std::uniform_real_distribution<double> xOuter(-179.9, 179.9);
  std::uniform_real_distribution<double> xMiddle(-89.9, 89.9);
  for (const OrderCase& o : kOrders) {
    SCOPED_TRACE(o.m_iCode);
    for (int n = 0; n < 300; ++n) {
      KgeTVector xAngles;
      xAngles[o.m_aiAxes[0]] = xOuter(xRandom);
      xAngles[o.m_aiAxes[1]] = xMiddle(xRandom);
      xAngles[o.m_aiAxes[2]] = xOuter(xRandom);
      const Matrix44 xM = EulerToMatrix(xAngles, o.m_iCode);
      ExpectSame3x3(EulerToMatrix(MatrixToEuler(xM, o.m_iCode), o.m_iCode), xM, 1e-9);
      if (HasFailure()) return;
    }
  }
}
