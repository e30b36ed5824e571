#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "fbxsdk/scene/kfbx_sdk_manager.h"
#include "node_test_util.h"

namespace {

class NodeEval : public ::testing::Test {
 protected:
  KFbxNode* Node(const char* pszName, KFbxNode* pxParent = nullptr) {
    KFbxNode* pxNode = m_xManager.CreateNode(pszName);
    if (pxParent) pxParent->AddChild(pxNode);
    return pxNode;
  }
  static void SetProperty(KFbxNode& xNode, const char* pszName, double dX, double dY = 0, double dZ = 0) {
    KProperty* pxProperty = xNode.GetProperties().Find(pszName);
    ASSERT_NE(pxProperty, nullptr) << pszName;
    const double adValues[3] = {dX, dY, dZ};
    for (int i = 0; i < pxProperty->GetComponentCount() && i < 3; ++i) pxProperty->SetComponent(i, adValues[i]);
  }
  KFbxSdkManager m_xManager;
};

// Column-vector 4x4 algebra, kept apart from the library's row-vector code.
using Col = std::array<std::array<double, 4>, 4>;

Col ColIdentity() {
  Col m{};
  for (int i = 0; i < 4; ++i) m[i][i] = 1;
  return m;
}
Col operator*(const Col& a, const Col& b) {
  Col m{};
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c)
      for (int k = 0; k < 4; ++k) m[r][c] += a[r][k] * b[k][c];
  return m;
}
Col ColTranslate(double x, double y, double z) {
  Col m = ColIdentity();
  m[0][3] = x;
  m[1][3] = y;
  m[2][3] = z;
  return m;
}
Col ColScale(double x, double y, double z) {
  Col m = ColIdentity();
  m[0][0] = x;
  m[1][1] = y;
  m[2][2] = z;
  return m;
}
Col ColRotate(int iAxis, double dDegrees) {
  const double a = dDegrees * M_PI / 180.0;
  const int j = (iAxis + 1) % 3, k = (iAxis + 2) % 3;
  Col m = ColIdentity();
  m[j][j] = std::cos(a);
  m[j][k] = -std::sin(a);
  m[k][j] = std::sin(a);
  m[k][k] = std::cos(a);
  return m;
}
Col ColTransposed(const Col& a) {
  Col m{};
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) m[r][c] = a[c][r];
  return m;
}
// X applied first: in column form the X rotation is the rightmost factor.
Col ColEulerXYZ(double x, double y, double z) { return ColRotate(2, z) * ColRotate(1, y) * ColRotate(0, x); }

void ExpectColEqualsRow(const Col& xCol, const Matrix44& xRow, double dTolerance = 1e-9) {
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) EXPECT_NEAR(xRow[r][c], xCol[c][r], dTolerance) << "[" << r << "][" << c << "]";
}

bool AllFinite(const Matrix44& xM) {
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c)
      if (!std::isfinite(xM[r][c])) return false;
  return true;
}

const KTime kOneSecond = KTime(KTime::kOneSecond);

}  // namespace

TEST_F(NodeEval, RootWithDefaultsIsTranslationOnly) {
  KFbxNode* pxNode = Node("Hips");
  SetChannel(*pxNode, "T", 1, 2, 3);
  const Matrix44& xGlobal = pxNode->GlobalMatrixAt(kOneSecond);
  ExpectNear3x3(xGlobal, Matrix44::Identity(), 0.0);
  EXPECT_EQ(xGlobal[3][0], 1.0);
  EXPECT_EQ(xGlobal[3][1], 2.0);
  EXPECT_EQ(xGlobal[3][2], 3.0);
  EXPECT_EQ(xGlobal[3][3], 1.0);
}

TEST_F(NodeEval, LocalMatrixIsScaleThenXYZRotationThenTranslation) {
  KFbxNode* pxNode = Node("Arm");
  KFCurve* pxRotZ = AxisCurve(*pxNode, "R", 2);
  pxRotZ->KeyAppend(Sec(0), 0.0f);
  pxRotZ->KeyAppend(Sec(2), 60.0f);  // linear keys: 30 degrees at one second
  for (int i = 0; i < 2; ++i) pxRotZ->KeySetInterpolation(i, KFCURVE_INTERPOLATION_LINEAR);
  SetChannel(*pxNode, "S", 2, 3, 4);
  SetChannel(*pxNode, "T", 5, 6, 7);
  // Even with an order and a pre-rotation, the local matrix is plain XYZ.
  pxNode->GetProperties().SetRotationOrder(0, eEULER_ZYX);
  pxNode->GetProperties().SetPreRotation(0, KgeTVector(10, 0, 0));
  const Matrix44& xLocal = pxNode->LocalTransformAt(kOneSecond);
  Matrix44 xExpected = ScaleRow(2, 3, 4) * AxisRotationRow(2, 30);
  xExpected[3][0] = 5;
  xExpected[3][1] = 6;
  xExpected[3][2] = 7;
  ExpectNear4x4(xLocal, xExpected, 1e-6);
  const NodeEvaluationCache& xCache = pxNode->GetEvaluationCache(KFbxNode::eCURRENT_TAKE_CACHE);
  EXPECT_NEAR(xCache.m_adLocalR[2], 30.0, 1e-5);
  EXPECT_EQ(xCache.m_adLocalS[1], 3.0);
}

TEST_F(NodeEval, CachedResultsStayUntilTakeSelection) {
  KFbxNode* pxParent = Node("Parent");
  KFbxNode* pxChild = Node("Child", pxParent);
  SetChannel(*pxParent, "T", 1, 0, 0);
  SetChannel(*pxChild, "T", 0, 1, 0);
  const double dFirstX = pxChild->GlobalMatrixAt(kOneSecond)[3][0];
  EXPECT_EQ(dFirstX, 1.0);

  // Curves, properties and pivots change: the same time answers from cache.
  SetChannel(*pxParent, "T", 9, 0, 0);
  SetChannel(*pxChild, "T", 0, 9, 0);
  pxChild->GetProperties().SetRotationOffset(0, KgeTVector(100, 0, 0));
  pxChild->SetInheritType(eINHERIT_Rrs);
  EXPECT_EQ(pxChild->GlobalMatrixAt(kOneSecond)[3][0], 1.0);
  EXPECT_EQ(pxChild->GlobalMatrixAt(kOneSecond)[3][1], 1.0);
  EXPECT_EQ(pxChild->LocalTransformAt(kOneSecond)[3][1], 1.0);

  // Selecting a take on the child recomputes it; the parent keeps its cache.
  EXPECT_TRUE(pxChild->SetCurrentTakeNode(0));
  const Matrix44& xAfter = pxChild->GlobalMatrixAt(kOneSecond);
  EXPECT_EQ(xAfter[3][0], 101.0);
  EXPECT_EQ(xAfter[3][1], 9.0);
  // Another time is evaluated afresh everywhere.
  EXPECT_EQ(pxChild->GlobalMatrixAt(KTime(2 * KTime::kOneSecond))[3][0], 109.0);
  // A failed selection by name also resets the caches.
  SetChannel(*pxChild, "T", 0, 4, 0);
  EXPECT_FALSE(pxChild->SetCurrentTakeNode("No such take"));
  EXPECT_EQ(pxChild->GlobalMatrixAt(KTime(2 * KTime::kOneSecond))[3][1], 4.0);
}

TEST_F(NodeEval, RotationOrderAppliesOnlyWithRotationActive) {
  struct Case {
    bool m_bActive;
    int m_iOrder;
    int m_aiAxes[3];  // first applied first
  };
  const Case acCases[] = {
      {true, eEULER_ZYX, {2, 1, 0}}, {false, eEULER_ZYX, {0, 1, 2}}, {true, eEULER_YZX, {1, 2, 0}},
      {true, eEULER_XYZ, {0, 1, 2}}, {false, eEULER_ZXY, {0, 1, 2}},
  };
  const double adAngles[3] = {20, -35, 50};
  for (const Case& c : acCases) {
    SCOPED_TRACE(testing::Message() << "order " << c.m_iOrder << " active " << c.m_bActive);
    KFbxNode* pxNode = Node("Joint");
    SetChannel(*pxNode, "R", adAngles[0], adAngles[1], adAngles[2]);
    SetProperty(*pxNode, "RotationActive", c.m_bActive);
    SetProperty(*pxNode, "RotationOrder", c.m_iOrder);
    pxNode->GetProperties().SyncEvaluationState();
    const Matrix44 xExpected = AxisRotationRow(c.m_aiAxes[0], adAngles[c.m_aiAxes[0]]) *
                               AxisRotationRow(c.m_aiAxes[1], adAngles[c.m_aiAxes[1]]) *
                               AxisRotationRow(c.m_aiAxes[2], adAngles[c.m_aiAxes[2]]);
    ExpectNear3x3(pxNode->GlobalMatrixAt(kOneSecond), xExpected, 1e-6);
    m_xManager.DestroyNode(pxNode);
  }
}

TEST_F(NodeEval, PreRotationEntersAsIsAndPostRotationInverted) {
  struct Case {
    const char* m_pszProperty;
    bool m_bActive;
    double m_dExpectedZ;
  };
  const Case acCases[] = {
      {"PreRotation", true, 90},
      {"PostRotation", true, -90},
      {"PreRotation", false, 0},  // without RotationActive the rotation space is unused
  };
  for (const Case& c : acCases) {
    SCOPED_TRACE(c.m_pszProperty);
    KFbxNode* pxNode = Node("Joint");
    SetProperty(*pxNode, c.m_pszProperty, 0, 0, 90);
    SetProperty(*pxNode, "RotationActive", c.m_bActive);
    pxNode->GetProperties().SyncEvaluationState();
    ExpectNear3x3(pxNode->GlobalMatrixAt(kOneSecond), AxisRotationRow(2, c.m_dExpectedZ), 1e-12);
    m_xManager.DestroyNode(pxNode);
  }
}

TEST_F(NodeEval, LimitsClampTheLocalValues) {
  KFbxNode* pxNode = Node("Limited");
  SetProperty(*pxNode, "TranslationMinX", 1);
  SetProperty(*pxNode, "TranslationMaxX", 1);
  SetProperty(*pxNode, "TranslationMin", 5, 0, 0);
  SetProperty(*pxNode, "TranslationMax", 2, 0, 0);
  SetProperty(*pxNode, "ScalingMinY", 1);
  SetProperty(*pxNode, "ScalingMin", 1, 0.5, 1);
  SetProperty(*pxNode, "RotationMaxZ", 1);
  SetProperty(*pxNode, "RotationMax", 0, 0, 30);
  pxNode->GetProperties().SyncEvaluationState();
  const double adInputs[] = {-10, 3, 10};
  for (int i = 0; i < 3; ++i) {
    const KTime xTime(i + 1);
    SetChannel(*pxNode, "T", adInputs[i], 7, 0);
    SetChannel(*pxNode, "S", 1, 0.1, 1);
    SetChannel(*pxNode, "R", 0, 0, 80);
    const Matrix44& xLocal = pxNode->LocalTransformAt(xTime);
    EXPECT_EQ(xLocal[3][0], 2.0) << adInputs[i];  // min above max: max wins
    EXPECT_EQ(xLocal[3][1], 7.0);
    const NodeEvaluationCache& xCache = pxNode->GetEvaluationCache(0);
    EXPECT_EQ(xCache.m_adLocalS[1], 0.5);
    EXPECT_EQ(xCache.m_adLocalR[2], 30.0);  // limits apply without RotationActive
  }
}

TEST_F(NodeEval, LimitsInRotationSpace) {
  // With the limit-only flag, limits hold on the angles of the rotation
  // space (order, pre- and post-rotation), while the matrix stays XYZ.
  KFbxNode* pxNode = Node("Joint");
  SetProperty(*pxNode, "RotationActive", 1);
  SetProperty(*pxNode, "RotationSpaceForLimitOnly", 1);
  SetProperty(*pxNode, "PreRotation", 0, 0, 90);
  SetProperty(*pxNode, "RotationMinZ", 1);
  SetProperty(*pxNode, "RotationMin", 0, 0, -45);
  pxNode->GetProperties().SyncEvaluationState();
  // R = 0 is -90 about Z in the space (I * Pre^T); clamped to -45 there it
  // comes back as +45 in plain XYZ angles.
  pxNode->GlobalMatrixAt(kOneSecond);
  const NodeEvaluationCache& xCache = pxNode->GetEvaluationCache(0);
  EXPECT_NEAR(xCache.m_adLocalR[2], 45.0, 1e-9);
  ExpectNear3x3(xCache.m_xGlobal, AxisRotationRow(2, 45), 1e-12);

  // Without RotationActive the angles are only re-derived into the XYZ
  // decomposition's ranges.
  KFbxNode* pxPlain = Node("Plain");
  SetProperty(*pxPlain, "RotationSpaceForLimitOnly", 1);
  pxPlain->GetProperties().SyncEvaluationState();
  SetChannel(*pxPlain, "R", 0, 0, 270);
  ExpectNear3x3(pxPlain->LocalTransformAt(kOneSecond), AxisRotationRow(2, 270), 1e-12);
  EXPECT_NEAR(pxPlain->GetEvaluationCache(0).m_adLocalR[2], -90.0, 1e-9);
}

// Parent scaled (2, 1, 3) and turned 30 degrees about Z; child turned 45
// degrees about Z and scaled (1, 2, 1).
TEST_F(NodeEval, InheritTypes) {
  const Matrix44 xParentLinear = ScaleRow(2, 1, 3) * AxisRotationRow(2, 30);
  const Matrix44 xChildLinear = ScaleRow(1, 2, 1) * AxisRotationRow(2, 45);
  for (int iType : {eINHERIT_RrSs, eINHERIT_RSrs, eINHERIT_Rrs}) {
    SCOPED_TRACE(iType);
    KFbxNode* pxParent = Node("Parent");
    KFbxNode* pxChild = Node("Child", pxParent);
    SetChannel(*pxParent, "S", 2, 1, 3);
    SetChannel(*pxParent, "R", 0, 0, 30);
    SetChannel(*pxParent, "T", 10, 0, 0);
    SetChannel(*pxChild, "S", 1, 2, 1);
    SetChannel(*pxChild, "R", 0, 0, 45);
    SetChannel(*pxChild, "T", 1, 1, 0);
    pxChild->SetInheritType(iType);
    const Matrix44& xGlobal = pxChild->GlobalMatrixAt(kOneSecond);
    Matrix44 xExpected;
    if (iType == eINHERIT_RrSs) {
      // Rows of the 75-degree rotation scaled by (1*2, 2*1, 1*3): no shear.
      xExpected = ScaleRow(2, 2, 3) * AxisRotationRow(2, 75);
    } else if (iType == eINHERIT_RSrs) {
      xExpected = xChildLinear * xParentLinear;
    } else {
      // The parent's own scaling is dropped, only its rotation is kept.
      xExpected = xChildLinear * AxisRotationRow(2, 30);
    }
    ExpectNear3x3(xGlobal, xExpected, 1e-12);
    // Translation is the child's T carried by the parent's whole matrix.
    const double dX = 1 * xParentLinear[0][0] + 1 * xParentLinear[1][0] + 10;
    const double dY = 1 * xParentLinear[0][1] + 1 * xParentLinear[1][1];
    EXPECT_NEAR(xGlobal[3][0], dX, 1e-12);
    EXPECT_NEAR(xGlobal[3][1], dY, 1e-12);
    const double dRowDot = xGlobal[0][0] * xGlobal[1][0] + xGlobal[0][1] * xGlobal[1][1];
    if (iType == eINHERIT_RSrs)
      EXPECT_GT(std::fabs(dRowDot), 0.1);  // sheared axes
    else
      EXPECT_NEAR(dRowDot, 0.0, 1e-12);
  }
}

TEST_F(NodeEval, InheritType2KeepsTheScalingAboveTheParent) {
  KFbxNode* pxTop = Node("Top");
  KFbxNode* pxMiddle = Node("Middle", pxTop);
  KFbxNode* pxBottom = Node("Bottom", pxMiddle);
  SetChannel(*pxTop, "S", 1, 1, 4);
  SetChannel(*pxTop, "R", 10, 0, 0);
  pxMiddle->SetInheritType(eINHERIT_RSrs);
  SetChannel(*pxMiddle, "S", 3, 2, 1);
  SetChannel(*pxMiddle, "R", 0, 25, 0);
  pxBottom->SetInheritType(eINHERIT_Rrs);
  SetChannel(*pxBottom, "S", 1, 1, 2);
  SetChannel(*pxBottom, "R", 0, 0, 40);
  const Matrix44 xTop = ScaleRow(1, 1, 4) * AxisRotationRow(0, 10);
  const Matrix44 xExpected = ScaleRow(1, 1, 2) * AxisRotationRow(2, 40) * AxisRotationRow(1, 25) * xTop;
  ExpectNear3x3(pxBottom->GlobalMatrixAt(kOneSecond), xExpected, 1e-12);
}

TEST_F(NodeEval, InheritType2UnderAZeroScaledParentStaysFinite) {
  KFbxNode* pxParent = Node("Parent");
  KFbxNode* pxChild = Node("Child", pxParent);
  SetChannel(*pxParent, "S", 0, 1, 2);
  SetChannel(*pxChild, "R", 0, 0, 30);
  SetChannel(*pxChild, "T", 1, 1, 1);
  pxChild->SetInheritType(eINHERIT_Rrs);
  const Matrix44& xGlobal = pxChild->GlobalMatrixAt(kOneSecond);
  ASSERT_TRUE(AllFinite(xGlobal));
  // The zero axis contributes zero, the others cancel as usual: G*E*diag(0,1,1)*E^T*E.
  const Matrix44 xE = AxisRotationRow(2, 30);
  ExpectNear3x3(xGlobal, xE * ScaleRow(0, 1, 1), 1e-12);
  EXPECT_NEAR(xGlobal[3][0], 0.0, 1e-12);
  EXPECT_NEAR(xGlobal[3][1], 1.0, 1e-12);
  EXPECT_NEAR(xGlobal[3][2], 2.0, 1e-12);
}

// Three nodes with every pivot feature; each global matrix is the product of
// T*Roff*Rp*Pre*R*Post^-1*Rp^-1*Soff*Sp*S*Sp^-1 (column vectors) down the chain.
TEST_F(NodeEval, PivotChainMatchesTheColumnProduct) {
  struct Setup {
    double m_adT[3], m_adR[3], m_adS[3];
    double m_adRoff[3], m_adRp[3], m_adSoff[3], m_adSp[3], m_adPre[3], m_adPost[3];
    int m_iOrder;
  };
  const Setup axSetups[3] = {
      {{1, 2, 3},
       {10, 20, 30},
       {1, 2, 0.5},
       {0.5, 0, 0},
       {1, 1, 0},
       {0, 0.25, 0},
       {0.5, 0, 1},
       {0, 0, 15},
       {5, 0, 0},
       eEULER_XYZ},
      {{0, 4, 0},
       {-30, 5, 60},
       {2, 2, 1},
       {0, 1, 0},
       {0, 2, 1},
       {0.5, 0, 0},
       {1, 1, 1},
       {30, 0, 0},
       {0, 20, 10},
       eEULER_ZYX},
      {{2, 0, -1},
       {45, -10, 5},
       {1, 0.5, 3},
       {0, 0, 2},
       {-1, 0, 0},
       {0, 0, 0.5},
       {0, 2, 0},
       {0, -40, 0},
       {10, 10, 10},
       eEULER_YZX},
  };
  KFbxNode* apxNodes[3];
  Col xExpected = ColIdentity();
  for (int n = 0; n < 3; ++n) {
    const Setup& s = axSetups[n];
    KFbxNode* pxNode = apxNodes[n] = Node("Joint", n ? apxNodes[n - 1] : nullptr);
    SetChannel(*pxNode, "T", s.m_adT[0], s.m_adT[1], s.m_adT[2]);
    SetChannel(*pxNode, "R", s.m_adR[0], s.m_adR[1], s.m_adR[2]);
    SetChannel(*pxNode, "S", s.m_adS[0], s.m_adS[1], s.m_adS[2]);
    SetProperty(*pxNode, "RotationOffset", s.m_adRoff[0], s.m_adRoff[1], s.m_adRoff[2]);
    SetProperty(*pxNode, "RotationPivot", s.m_adRp[0], s.m_adRp[1], s.m_adRp[2]);
    SetProperty(*pxNode, "ScalingOffset", s.m_adSoff[0], s.m_adSoff[1], s.m_adSoff[2]);
    SetProperty(*pxNode, "ScalingPivot", s.m_adSp[0], s.m_adSp[1], s.m_adSp[2]);
    SetProperty(*pxNode, "PreRotation", s.m_adPre[0], s.m_adPre[1], s.m_adPre[2]);
    SetProperty(*pxNode, "PostRotation", s.m_adPost[0], s.m_adPost[1], s.m_adPost[2]);
    SetProperty(*pxNode, "RotationOrder", s.m_iOrder);
    SetProperty(*pxNode, "RotationActive", 1);
    SetProperty(*pxNode, "InheritType", eINHERIT_RSrs);
    pxNode->GetProperties().SyncEvaluationState();

    int aiAxes[3];
    RotationAxes(2 * s.m_iOrder, aiAxes[0], aiAxes[1], aiAxes[2]);
    const Col xR = ColRotate(aiAxes[2], s.m_adR[aiAxes[2]]) * ColRotate(aiAxes[1], s.m_adR[aiAxes[1]]) *
                   ColRotate(aiAxes[0], s.m_adR[aiAxes[0]]);
    const Col xPre = ColEulerXYZ(s.m_adPre[0], s.m_adPre[1], s.m_adPre[2]);
    const Col xPostInverse = ColTransposed(ColEulerXYZ(s.m_adPost[0], s.m_adPost[1], s.m_adPost[2]));
    const Col xLocal =
        ColTranslate(s.m_adT[0], s.m_adT[1], s.m_adT[2]) * ColTranslate(s.m_adRoff[0], s.m_adRoff[1], s.m_adRoff[2]) *
        ColTranslate(s.m_adRp[0], s.m_adRp[1], s.m_adRp[2]) * xPre * xR * xPostInverse *
        ColTranslate(-s.m_adRp[0], -s.m_adRp[1], -s.m_adRp[2]) *
        ColTranslate(s.m_adSoff[0], s.m_adSoff[1], s.m_adSoff[2]) *
        ColTranslate(s.m_adSp[0], s.m_adSp[1], s.m_adSp[2]) * ColScale(s.m_adS[0], s.m_adS[1], s.m_adS[2]) *
        ColTranslate(-s.m_adSp[0], -s.m_adSp[1], -s.m_adSp[2]);
    xExpected = xExpected * xLocal;
    SCOPED_TRACE(n);
    ExpectColEqualsRow(xExpected, pxNode->GlobalMatrixAt(kOneSecond), 1e-9);
  }
}

TEST_F(NodeEval, DefaultLocalTransformReadsTheDefaultTake) {
  KFbxNode* pxNode = Node("Joint");
  SetChannel(*pxNode, "T", 1, 2, 3);
  SetChannel(*pxNode, "S", 2, 2, 2);
  ASSERT_NE(pxNode->AddTakeNode("Walk"), nullptr);
  // The walk take moves the node; the default transform ignores that.
  KFCurve* pxX = AxisCurve(*pxNode, "T", 0, 1);
  pxX->KeyAppend(Sec(0), 50.0f);
  pxX->KeyAppend(Sec(1), 60.0f);
  ASSERT_TRUE(pxNode->SetCurrentTakeNode("Walk"));
  EXPECT_NEAR(pxNode->GlobalMatrixAt(kOneSecond)[3][0], 60.0, 1e-6);
  const Matrix44& xDefault = pxNode->DefaultLocalTransform();
  EXPECT_EQ(xDefault[3][0], 1.0);
  EXPECT_EQ(xDefault[0][0], 2.0);
  // Cached once: later default changes show only after a take selection.
  SetChannel(*pxNode, "T", 7, 2, 3);
  EXPECT_EQ(pxNode->DefaultLocalTransform()[3][0], 1.0);
  pxNode->SetCurrentTakeNode(0);
  EXPECT_EQ(pxNode->DefaultLocalTransform()[3][0], 7.0);
}

TEST_F(NodeEval, RemovingTheCurrentTakeNodeDropsItsCurves) {
  KFbxNode* pxNode = Node("Joint");
  ASSERT_NE(pxNode->AddTakeNode("Walk"), nullptr);
  SetChannel(*pxNode, "T", 4, 0, 0, 1);
  ASSERT_TRUE(pxNode->SetCurrentTakeNode(1));
  EXPECT_EQ(pxNode->LocalTransformAt(KTime(1))[3][0], 4.0);
  ASSERT_TRUE(pxNode->RemoveTakeNode(1));
  // Back on "Default" at a new time: read from the remaining tree (the
  // sanitizer build would catch a read of the removed one).
  EXPECT_EQ(pxNode->LocalTransformAt(KTime(2))[3][0], 0.0);
}

// Whatever the channel's shape, the local values are what its curve node
// evaluates to: plain X/Y/Z channels, a rotation with quaternion
// interpolation, a scaling with a multiplicative next layer.
TEST_F(NodeEval, ChannelsReadAsTheirCurveNodesEvaluate) {
  KFbxNode* pxNode = Node("Joint");
  const char* apszChannels[] = {"T", "R", "S"};
  for (int c = 0; c < 3; ++c)
    for (int iAxis = 0; iAxis < 3; ++iAxis) {
      KFCurve* pxCurve = AxisCurve(*pxNode, apszChannels[c], iAxis);
      for (int k = 0; k < 6; ++k)
        pxCurve->KeyAppend(Sec(0.5 * k), static_cast<float>(1 + 20 * std::sin(0.7 * k + iAxis + 3 * c)));
    }
  KFCurveNode* pxRoot = pxNode->GetTakeNode(0)->GetKFCurveNode();
  pxRoot->Find("R")->SetQuaternionInterpolation(true);
  auto pxLayer = std::make_unique<KFCurveNode>("S layer", nullptr, KFCL_MULT);
  for (const char* pszAxis : {"X", "Y", "Z"})
    pxLayer->Add(std::make_unique<KFCurveNode>(pszAxis))->FCurveCreate()->SetValue(2.0f);
  pxRoot->Find("S")->SetNextLayer(std::move(pxLayer));

  const NodeEvaluationCache& xCache = pxNode->GetEvaluationCache(0);
  for (double dSeconds : {-1.0, 0.0, 0.3, 0.75, 1.1, 2.4, 3.0}) {
    SCOPED_TRACE(dSeconds);
    pxNode->LocalTransformAt(Sec(dSeconds));
    const double* apdLocal[] = {xCache.m_adLocalT, xCache.m_adLocalR, xCache.m_adLocalS};
    for (int c = 0; c < 3; ++c) {
      double adExpected[3];
      pxRoot->Find(apszChannels[c])->Evaluate(adExpected, Sec(dSeconds));
      for (int i = 0; i < 3; ++i) EXPECT_DOUBLE_EQ(apdLocal[c][i], adExpected[i]) << apszChannels[c] << i;
    }
  }
  // The layer doubles the scaling: the general path was really taken.
  double adPlain[3];
  pxRoot->Find("S")->GetNextLayer()->Evaluate(adPlain, Sec(0));
  EXPECT_EQ(adPlain[0], 2.0);
}

namespace {

// A "T" channel whose X, Y, Z curves hold the given X and zeros.
std::unique_ptr<KFCurveNode> TranslationChannel(float fX) {
  auto pxT = std::make_unique<KFCurveNode>("T", &KDataTypeLclTranslation, KFCL_ADD);
  for (const char* pszAxis : {"X", "Y", "Z"})
    pxT->Add(std::make_unique<KFCurveNode>(pszAxis))->FCurveCreate()->SetValue(pszAxis[0] == 'X' ? fX : 0.0f);
  return pxT;
}

}  // namespace

// The current take's curve tree edited between two evaluations: the second,
// at another time, reads the tree as it is now (the sanitizer build reports
// any read of a node the edit freed).
TEST_F(NodeEval, EditsOfTheCurveTreeReachTheNextEvaluation) {
  struct Case {
    const char* m_pszWhat;
    void (*m_pfnEdit)(KFCurveNode& xRoot);
    double m_dX;
  };
  const Case acCases[] = {
      {"T removed: the property holds", [](KFCurveNode& xRoot) { xRoot.Find("Transform")->Remove(0); }, 0.0},
      {"T replaced",
       [](KFCurveNode& xRoot) {
         KFCurveNode* pxTransform = xRoot.Find("Transform");
         pxTransform->Remove(0);
         pxTransform->Add(TranslationChannel(9.0f));
       },
       9.0},
      {"whole transform subtree replaced",
       [](KFCurveNode& xRoot) {
         xRoot.Remove(0);
         xRoot.Add(std::make_unique<KFCurveNode>("Transform"))->Add(TranslationChannel(7.0f));
       },
       7.0},
  };
  for (const Case& c : acCases) {
    SCOPED_TRACE(c.m_pszWhat);
    KFbxNode* pxNode = Node("Joint");
    ASSERT_NE(pxNode->AddTakeNode("Walk"), nullptr);
    SetChannel(*pxNode, "T", 4, 0, 0, 1);
    ASSERT_TRUE(pxNode->SetCurrentTakeNode(1));
    ASSERT_EQ(pxNode->GlobalMatrixAt(KTime(1))[3][0], 4.0);
    ASSERT_STREQ(pxNode->GetTakeNode(1)->GetKFCurveNode()->Get(0)->GetName(), "Transform");
    c.m_pfnEdit(*pxNode->GetTakeNode(1)->GetKFCurveNode());
    EXPECT_EQ(pxNode->GlobalMatrixAt(KTime(2))[3][0], c.m_dX);
  }
}
