#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "fbxsdk/scene/kfbx_rotation.h"
#include "fbxsdk/scene/kfcurve_node.h"
#include "kfcurve_test_util.h"

namespace {

// A "T", "R" or "S" style node with X, Y, Z children, each with a linear
// curve from a at 0 s to b at 1 s.
std::unique_ptr<KFCurveNode> Triple(const char* pszName, const KFbxDataType* pxType, int iLayer, const double (&a)[3],
                                    const double (&b)[3]) {
  auto pxNode = std::make_unique<KFCurveNode>(pszName, pxType, iLayer);
  const char* apszAxes[] = {"X", "Y", "Z"};
  for (int i = 0; i < 3; ++i) {
    KFCurveNode* pxChild = pxNode->Add(std::make_unique<KFCurveNode>(apszAxes[i]));
    *pxChild->FCurveCreate() = MakeCurve({{0, static_cast<float>(a[i])}, {1, static_cast<float>(b[i])}});
    pxChild->FCurveGet()->SetValue(static_cast<float>(a[i]) - 1);
  }
  return pxNode;
}

std::unique_ptr<KFCurveNode> TransformTree() {
  auto pxRoot = std::make_unique<KFCurveNode>("Default");
  KFCurveNode* pxTransform = pxRoot->Add(std::make_unique<KFCurveNode>("Transform"));
  pxTransform->Add(Triple("T", &KDataTypeLclTranslation, KFCL_ADD, {0, 0, 0}, {10, 20, 30}));
  pxTransform->Add(Triple("R", &KDataTypeLclRotation, KFCL_EULER_XYZ, {0, 0, 0}, {0, 0, 90}));
  pxTransform->Add(Triple("S", &KDataTypeLclScaling, KFCL_MULT, {1, 1, 1}, {3, 3, 3}));
  auto pxVisibility = std::make_unique<KFCurveNode>("Visibility", &KDataTypeVisibility);
  pxVisibility->FCurveCreate()->SetValue(1.0f);
  pxRoot->Add(std::move(pxVisibility));
  return pxRoot;
}

}  // namespace

TEST(KFCurveNode, FindByPath) {
  auto pxRoot = TransformTree();
  KFCurveNode* pxT = pxRoot->Find("Transform/T");
  ASSERT_NE(pxT, nullptr);
  EXPECT_STREQ(pxT->GetName(), "T");
  EXPECT_EQ(pxRoot->Find("T"), pxT);  // found in a child's subtree
  EXPECT_EQ(pxRoot->Find("transform/t"), pxT);
  EXPECT_EQ(pxRoot->Find("/Transform//T/"), pxT);
  EXPECT_STREQ(pxRoot->Find("S/Z")->GetName(), "Z");
  EXPECT_EQ(pxRoot->Find("X"), pxT->Get(0));  // first hit, depth first
  EXPECT_EQ(pxRoot->Find("Transform/Q"), nullptr);
  EXPECT_EQ(pxRoot->Find(""), nullptr);
  EXPECT_EQ(pxRoot->Find(nullptr), nullptr);
  // The transform parts also match by data type.
  pxT->SetName("Lcl Translation");
  EXPECT_EQ(pxRoot->Find("T"), pxT);
  EXPECT_EQ(pxRoot->Find("Transform/t"), nullptr);  // the type alias is "T" only
  pxT->SetDataType(nullptr);
  EXPECT_EQ(pxRoot->Find("T"), nullptr);
}

TEST(KFCurveNode, EvaluateWritesDepthFirstAndSharesTheKeyIndexCache) {
  auto pxRoot = TransformTree();
  ASSERT_EQ(pxRoot->GetValueCount(), 10);
  double adValues[10];
  int iCache = 0;
  EXPECT_EQ(pxRoot->Evaluate(adValues, Sec(0.5), &iCache), adValues + 10);
  const double adExpected[10] = {5, 10, 15, 0, 0, 45, 2, 2, 2, 1};
  for (int i = 0; i < 10; ++i) EXPECT_NEAR(adValues[i], adExpected[i], 1e-5) << i;
  EXPECT_EQ(iCache, 1);  // every curve left it on the segment's second key

  EXPECT_EQ(pxRoot->GetDefaultValues(adValues), adValues + 10);
  const double adDefaults[10] = {-1, -1, -1, -1, -1, -1, 0, 0, 0, 1};
  for (int i = 0; i < 10; ++i) EXPECT_EQ(adValues[i], adDefaults[i]) << i;
}

TEST(KFCurveNode, ValueCacheAnswersTheSameTime) {
  auto pxT = Triple("T", &KDataTypeLclTranslation, KFCL_ADD, {0, 0, 0}, {10, 20, 30});
  double adValues[3];
  pxT->Evaluate(adValues, Sec(0.5), nullptr, true);
  pxT->Get(0)->FCurveGet()->KeySetValue(1, 100.0f);
  pxT->Evaluate(adValues, Sec(0.5), nullptr, true);
  EXPECT_NEAR(adValues[0], 5, 1e-5) << "cached until another time";
  pxT->Evaluate(adValues, Sec(0.5), nullptr, false);
  EXPECT_NEAR(adValues[0], 50, 1e-4) << "without the cache";
  pxT->Evaluate(adValues, Sec(0.25), nullptr, true);
  EXPECT_NEAR(adValues[0], 25, 1e-4);
  pxT->SetCacheState(KFCurveNode::kCacheValid | KFCurveNode::kCacheValidAlways);
  pxT->Evaluate(adValues, Sec(0.75), nullptr, true);
  EXPECT_NEAR(adValues[0], 25, 1e-4) << "valid for every time";
}

TEST(KFCurveNode, NextLayersCombineByLayerType) {
  struct Case {
    int m_iLayer;
    double m_adExpected[3];
  };
  // This layer at 0.5 s: (1, 2, 3); the next layer: (4, 5, 6).
  const Case acCases[] = {
      {KFCL_NOLAYER, {5, 7, 9}},
      {KFCL_ADD, {5, 7, 9}},
      {KFCL_MULT, {4, 10, 18}},
  };
  for (const Case& c : acCases) {
    auto pxNode = Triple("N", nullptr, c.m_iLayer, {1, 2, 3}, {1, 2, 3});
    pxNode->SetNextLayer(Triple("Next", nullptr, KFCL_ADD, {4, 5, 6}, {4, 5, 6}));
    double adValues[3];
    pxNode->Evaluate(adValues, Sec(0.5));
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(adValues[i], c.m_adExpected[i], 1e-5) << c.m_iLayer;
  }
  // With a curve of its own an unknown layer type keeps its own value.
  KFCurveNode xOwn("Own", nullptr, KFCL_EULER_XYZ);
  xOwn.FCurveCreate()->SetValue(2.0f);
  auto pxNext = std::make_unique<KFCurveNode>("Next");
  pxNext->FCurveCreate()->SetValue(3.0f);
  xOwn.SetNextLayer(std::move(pxNext));
  double dValue;
  xOwn.Evaluate(&dValue, Sec(0));
  EXPECT_EQ(dValue, 2.0);
  xOwn.SetLayerType(KFCL_MULT);
  xOwn.Evaluate(&dValue, Sec(0));
  EXPECT_EQ(dValue, 6.0);
}

TEST(KFCurveNode, RotationLayersCompose) {
  for (int iOrder : {eROTATION_CODE_XYZ, eROTATION_CODE_ZYX, eROTATION_CODE_SPHERIC_XYZ}) {
    auto pxR = Triple("R", &KDataTypeLclRotation, KFCL_EULER_XYZ, {30, 0, 0}, {30, 0, 0});
    pxR->SetRotationOrder(iOrder);
    pxR->SetNextLayer(Triple("R2", &KDataTypeLclRotation, KFCL_EULER_XYZ, {0, 40, 10}, {0, 40, 10}));
    pxR->GetNextLayer()->SetRotationOrder(iOrder);
    double adValues[3];
    pxR->Evaluate(adValues, Sec(0));
    // The next layer's rotation applies first.
    const Matrix44 xExpected =
        EulerToMatrix(KgeTVector(0, 40, 10), iOrder) * EulerToMatrix(KgeTVector(30, 0, 0), iOrder);
    const Matrix44 xGot = EulerToMatrix(KgeTVector(adValues[0], adValues[1], adValues[2]), iOrder);
    for (int r = 0; r < 3; ++r)
      for (int c = 0; c < 3; ++c) EXPECT_NEAR(xGot[r][c], xExpected[r][c], 1e-5) << iOrder;
  }
}

TEST(KFCurveNode, QuaternionLayerWritesEulerXYZ) {
  KFCurveNode xQ("Q", nullptr, KFCL_QUAT);
  const double s = std::sin(45 * kDegreesToRadians), c = std::cos(45 * kDegreesToRadians);
  const double adQ[4] = {0, 0, s, c};  // 90 degrees about Z
  for (double d : adQ) xQ.Add(std::make_unique<KFCurveNode>("q"))->FCurveCreate()->SetValue(static_cast<float>(d));
  EXPECT_EQ(xQ.GetValueCount(), 3);
  double adValues[3];
  EXPECT_EQ(xQ.Evaluate(adValues, Sec(0)), adValues + 3);
  EXPECT_NEAR(adValues[0], 0, 1e-4);
  EXPECT_NEAR(adValues[1], 0, 1e-4);
  EXPECT_NEAR(adValues[2], 90, 1e-4);
  EXPECT_EQ(xQ.GetDefaultValues(adValues), adValues + 3);
  EXPECT_NEAR(adValues[2], 90, 1e-4);
  // A second quaternion layer of 90 degrees about Z makes 180.
  auto pxNext = std::make_unique<KFCurveNode>("Q2", nullptr, KFCL_QUAT);
  for (double d : adQ) pxNext->Add(std::make_unique<KFCurveNode>("q"))->FCurveCreate()->SetValue(static_cast<float>(d));
  xQ.SetNextLayer(std::move(pxNext));
  xQ.Evaluate(adValues, Sec(0));
  EXPECT_NEAR(std::fabs(adValues[2]), 180, 1e-3);
}

TEST(KFCurveNode, TimeWarpReplacesTheTime) {
  auto pxT = Triple("T", &KDataTypeLclTranslation, KFCL_ADD, {0, 0, 0}, {10, 20, 30});
  auto pxWarp = std::make_unique<KFCurveNode>("Warp");
  *pxWarp->FCurveCreate() = MakeCurve({{0, 0}, {1, 0.5f}});  // half speed
  pxT->SetTimeWarp(std::move(pxWarp));
  double adValues[3];
  pxT->Evaluate(adValues, Sec(0.5));
  EXPECT_NEAR(adValues[0], 2.5, 1e-4);
  EXPECT_NEAR(adValues[2], 7.5, 1e-4);
}

TEST(KFCurveNode, QuaternionInterpolationTakesTheShortArc) {
  auto pxR = Triple("R", &KDataTypeLclRotation, KFCL_EULER_XYZ, {0, 0, 0}, {90, 90, 0});
  double adPlain[3], adSlerp[3];
  pxR->Evaluate(adPlain, Sec(0.5));
  EXPECT_NEAR(adPlain[0], 45, 1e-4);
  EXPECT_NEAR(adPlain[1], 45, 1e-4);
  pxR->SetQuaternionInterpolation(true);
  pxR->Evaluate(adSlerp, Sec(0.5));
  // Halfway along the arc from identity: half the rotation angle of the end.
  auto fAngle = [](const Matrix44& xM) { return std::acos((xM[0][0] + xM[1][1] + xM[2][2] - 1) / 2); };
  const Matrix44 xEnd = EulerToMatrix(KgeTVector(90, 90, 0), 0);
  const Matrix44 xMid = EulerToMatrix(KgeTVector(adSlerp[0], adSlerp[1], adSlerp[2]), 0);
  EXPECT_NEAR(fAngle(xMid), fAngle(xEnd) / 2, 1e-6);
  const Matrix44 xRest = xMid.Transposed() * xEnd;  // from the middle to the end
  EXPECT_NEAR(fAngle(xRest), fAngle(xEnd) / 2, 1e-6);
  EXPECT_GT(std::fabs(adSlerp[0] - adPlain[0]) + std::fabs(adSlerp[2] - adPlain[2]), 1.0);
  // On a key the curves are read as they are.
  pxR->Evaluate(adSlerp, Sec(1));
  EXPECT_NEAR(adSlerp[0], 90, 1e-4);
}

TEST(KFCurveNode, KeyRangeAndDeepCopy) {
  auto pxRoot = TransformTree();
  KFCurve* pxZ = pxRoot->Find("S/Z")->FCurveGet();
  pxZ->KeyAppend(Sec(4), 1.0f);
  KTime xStart = KTime::Infinite(), xStop = KTime::MinusInfinite();
  EXPECT_TRUE(pxRoot->KeyGetRange(xStart, xStop));
  EXPECT_EQ(xStart, Sec(0));
  EXPECT_EQ(xStop, Sec(4));
  KFCurveNode xEmpty("Empty");
  EXPECT_FALSE(xEmpty.KeyGetRange(xStart, xStop));

  auto pxCopy = pxRoot->Clone();
  pxCopy->Find("S/Z")->FCurveGet()->KeyClear();
  EXPECT_EQ(pxZ->KeyGetCount(), 3);
  EXPECT_EQ(pxCopy->Find("T")->GetDataType(), &KDataTypeLclTranslation);
  EXPECT_EQ(pxCopy->Find("R")->GetLayerType(), KFCL_EULER_XYZ);
  EXPECT_TRUE(pxCopy->Remove(1));
  EXPECT_FALSE(pxCopy->Remove(1));
  EXPECT_EQ(pxRoot->GetCount(), 2);
}

// A quaternion layer over a layer of another kind: that layer's own curve is
// not one of its angles, and however many curves it has, only its first
// triple is read (the sanitizer build reports any write past the temporary).
TEST(KFCurveNode, QuaternionLayerOverAnEulerLayer) {
  struct Case {
    bool m_bOwnCurve;
    int m_iExtraCurves;
  };
  const Case acCases[] = {{false, 0}, {true, 0}, {false, 17}, {true, 17}};
  const double s = std::sin(45 * kDegreesToRadians), c = std::cos(45 * kDegreesToRadians);
  for (const Case& xCase : acCases) {
    SCOPED_TRACE(testing::Message() << "own curve " << xCase.m_bOwnCurve << ", extra " << xCase.m_iExtraCurves);
    KFCurveNode xQ("Q", nullptr, KFCL_QUAT);
    for (double d : {0.0, 0.0, s, c})  // 90 degrees about Z
      xQ.Add(std::make_unique<KFCurveNode>("q"))->FCurveCreate()->SetValue(static_cast<float>(d));
    auto pxNext = Triple("R", &KDataTypeLclRotation, KFCL_EULER_XYZ, {0, 0, 90}, {0, 0, 90});
    if (xCase.m_bOwnCurve) pxNext->FCurveCreate()->SetValue(45.0f);
    for (int i = 0; i < xCase.m_iExtraCurves; ++i)
      pxNext->Add(std::make_unique<KFCurveNode>("extra"))->FCurveCreate()->SetValue(1000.0f);
    ASSERT_EQ(pxNext->GetValueCount(), 3 + xCase.m_bOwnCurve + xCase.m_iExtraCurves);
    xQ.SetNextLayer(std::move(pxNext));
    double adValues[3];
    EXPECT_EQ(xQ.Evaluate(adValues, Sec(0.5)), adValues + 3);
    EXPECT_NEAR(adValues[0], 0, 1e-3);
    EXPECT_NEAR(adValues[1], 0, 1e-3);
    EXPECT_NEAR(std::fabs(adValues[2]), 180, 1e-3);
  }
}
