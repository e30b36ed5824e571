#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <random>

#include "fbxsdk/scene/kfbx_node_properties.h"
#include "fbxsdk/scene/kfbx_rotation.h"
#include "node_test_util.h"

TEST(TransformState, DisplayNames) {
  const struct {
    int m_iValue;
    const char* m_pszOrder;
    const char* m_pszInherit;
  } acCases[] = {
      {-1, nullptr, nullptr},    {0, "Euler XYZ", "RrSs"},    {1, "Euler XZY", "RrSs"},
      {2, "Euler YZX", "Rrs"},   {3, "Euler YXZ", nullptr},   {4, "Euler ZXY", nullptr},
      {5, "Euler ZYX", nullptr}, {6, "Spheric XYZ", nullptr}, {7, nullptr, nullptr},
  };
  for (const auto& c : acCases) {
    SCOPED_TRACE(c.m_iValue);
    const char* pszOrder = RotationOrderName(c.m_iValue);
    const char* pszInherit = InheritTypeName(c.m_iValue);
    if (c.m_pszOrder)
      ASSERT_STREQ(pszOrder, c.m_pszOrder);
    else
      EXPECT_EQ(pszOrder, nullptr);
    if (c.m_pszInherit)
      ASSERT_STREQ(pszInherit, c.m_pszInherit);
    else
      EXPECT_EQ(pszInherit, nullptr);
  }
}

TEST(TransformState, LimitsClampPerAxis) {
  using L = TransformLimits;
  const struct {
    uint32_t m_uFlags;
    double m_dMin, m_dMax, m_dIn, m_dOut;
  } acCases[] = {
      {L::eMIN_X, 5, 2, 1, 5},              // below min
      {L::eMIN_X, 5, 2, 9, 9},              // no max bit: nothing above
      {L::eMAX_X, 5, 2, 9, 2},              // above max
      {L::eMIN_X | L::eMAX_X, 5, 2, 3, 2},  // min above max: max wins
      {L::eMIN_X | L::eMAX_X, 0, 10, 4, 4},
      {L::eACTIVE, 5, 2, 9, 9},             // the active bit alone clamps nothing
      {L::eMIN_Y | L::eMAX_Z, 5, 2, 9, 9},  // other axes' bits
  };
  for (const auto& c : acCases) {
    L xLimits;
    xLimits.m_uFlags = c.m_uFlags;
    xLimits.m_xMin = KgeTVector(c.m_dMin, c.m_dMin, c.m_dMin);
    xLimits.m_xMax = KgeTVector(c.m_dMax, c.m_dMax, c.m_dMax);
    double adValues[3] = {c.m_dIn, 0, 0};
    xLimits.Clamp(adValues);
    EXPECT_EQ(adValues[0], c.m_dOut) << "flags " << c.m_uFlags << " in " << c.m_dIn;
  }
  // A NaN is not "less than or equal to max" and becomes max.
  L xLimits;
  xLimits.m_uFlags = L::eMAX_Z;
  xLimits.m_xMax = KgeTVector(0, 0, 7);
  double adNaN[3] = {0, 0, std::nan("")};
  xLimits.Clamp(adNaN);
  EXPECT_EQ(adNaN[2], 7.0);
}

TEST(TransformState, PivotOffsetBranches) {
  const Matrix44 xE = AxisRotationRow(2, 90);
  const Matrix44 xG = ScaleRow(2, 2, 2);
  const struct {
    uint32_t m_uFlags;
    double m_adExpected[3];
  } acCases[] = {
      {0, {0, 0, 0}},
      {TransformPivots::eSCALING_PIVOT, {0, -1, 0}},   // (1 - 2) * Sp, rotated
      {TransformPivots::eSCALING_OFFSET, {-1, 0, 0}},  // Soff rotated
      {TransformPivots::eROTATION_PIVOT, {1, -1, 0}},  // -Rp rotated, + Rp
      {TransformPivots::eROTATION_OFFSET, {0, 0, 3}},
  };
  TransformPivots xPivots;
  xPivots.m_xScalingPivot = KgeTVector(1, 0, 0);
  xPivots.m_xScalingOffset = KgeTVector(0, 1, 0);
  xPivots.m_xRotationPivot = KgeTVector(1, 0, 0);
  xPivots.m_xRotationOffset = KgeTVector(0, 0, 3);
  for (const auto& c : acCases) {
    xPivots.m_uFlags = c.m_uFlags;
    const KgeTVector xV = PivotOffset(xPivots, xE, xG);
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(xV[i], c.m_adExpected[i], 1e-12) << "flags " << c.m_uFlags;
  }
}

TEST(TransformState, PivotSetZeroRefreshesTheMirrors) {
  KFbxNodeProperties xProperties;
  EXPECT_FALSE(xProperties.SetRotationPivot(2, KgeTVector(1, 0, 0)));

  // Set 1 stores only.
  xProperties.SetRotationPivot(1, KgeTVector(1, 2, 3));
  xProperties.SetPreRotation(1, KgeTVector(0, 0, 90));
  xProperties.SetRotationOrder(1, eEULER_ZYX);
  xProperties.SetRotationSpaceForLimitOnly(1, true);
  EXPECT_EQ(xProperties.GetPivotSet(1).m_xRotationPivot[2], 3.0);
  EXPECT_TRUE(xProperties.GetRotationSpaceForLimitOnly(1));
  EXPECT_FALSE(xProperties.GetRotationSpaceForLimitOnly(0));
  EXPECT_EQ(xProperties.GetTransformPivots().m_uFlags, 0u);
  EXPECT_EQ(xProperties.GetRotationSpace().m_uFlags, 0u);
  EXPECT_EQ(xProperties.GetRotationSpace().m_iOrderCode, 0);
  EXPECT_FALSE(xProperties.GetLimitOnlyFlag());

  // Set 0 mirrors, with presence bits set by any non-zero component.
  xProperties.SetRotationOffset(0, KgeTVector(0, 0, 1));
  xProperties.SetRotationPivot(0, KgeTVector(0, 2, 0));
  xProperties.SetScalingOffset(0, KgeTVector(3, 0, 0));
  xProperties.SetScalingPivot(0, KgeTVector(0, 0, 4));
  xProperties.SetPreRotation(0, KgeTVector(0, 0, 90));
  xProperties.SetPostRotation(0, KgeTVector(90, 0, 0));
  xProperties.SetRotationOrder(0, eSPHERIC_XYZ);
  xProperties.SetRotationSpaceForLimitOnly(0, true);
  const TransformPivots& xPivots = xProperties.GetTransformPivots();
  EXPECT_EQ(xPivots.m_uFlags, 0xFu);
  EXPECT_EQ(xPivots.m_xScalingPivot[2], 4.0);
  const RotationSpace& xSpace = xProperties.GetRotationSpace();
  EXPECT_EQ(xSpace.m_uFlags, 3u);
  EXPECT_EQ(xSpace.m_iOrderCode, 12);
  ExpectNear3x3(xSpace.m_xPre, AxisRotationRow(2, 90), 1e-15);
  ExpectNear3x3(xSpace.m_xPost, AxisRotationRow(0, 90), 1e-15);
  EXPECT_TRUE(xProperties.GetLimitOnlyFlag());
  EXPECT_TRUE(xProperties.GetRotationSpaceForLimitOnly(0));

  // Writing zeros clears the bits again; update offsets have no mirror.
  xProperties.SetRotationPivot(0, KgeTVector(0, 0, 0, 5));
  xProperties.SetPostRotation(0, KgeTVector(0, 0, 0));
  xProperties.SetRotationPivotUpdateOffset(0, KgeTVector(9, 9, 9));
  EXPECT_EQ(xPivots.m_uFlags, 0xFu & ~TransformPivots::eROTATION_PIVOT);
  EXPECT_EQ(xSpace.m_uFlags, static_cast<uint32_t>(RotationSpace::ePRE_ROTATION));
  EXPECT_EQ(xProperties.GetPivotSet(0).m_xRotationPivotUpdateOffset[0], 9.0);
}

// Only the orders 0 to 6 exist; any other value, set directly or stored in
// the "RotationOrder" property, counts as order 0 ("Euler XYZ").
TEST(TransformState, RotationOrderOutOfRangeIsEulerXYZ) {
  const struct {
    int m_iValue;
    int m_iOrder;
  } acCases[] = {{0, 0}, {5, 5}, {6, 6}, {7, 0}, {-1, 0}, {INT_MAX, 0}, {INT_MIN, 0}};
  for (const auto& c : acCases) {
    SCOPED_TRACE(c.m_iValue);
    KFbxNodeProperties xProperties;
    xProperties.SetRotationOrder(0, eEULER_ZYX);
    ASSERT_TRUE(xProperties.Find("RotationOrder")->SetComponent(0, c.m_iValue));
    xProperties.SyncEvaluationState();
    EXPECT_EQ(xProperties.GetPivotSet(0).m_iRotationOrder, c.m_iOrder);
    EXPECT_EQ(xProperties.GetRotationSpace().m_iOrderCode, 2 * c.m_iOrder);
    xProperties.SetRotationOrder(0, eEULER_ZYX);
    EXPECT_TRUE(xProperties.SetRotationOrder(0, c.m_iValue));
    EXPECT_EQ(xProperties.GetPivotSet(0).m_iRotationOrder, c.m_iOrder);
    EXPECT_EQ(xProperties.GetRotationSpace().m_iOrderCode, 2 * c.m_iOrder);
  }
  // An integer property refuses a number it cannot hold and keeps its value.
  KFbxNodeProperties xProperties;
  KProperty* pxOrder = xProperties.Find("RotationOrder");
  pxOrder->SetComponent(0, 4);
  for (double dValue : {1e12, -3e9, 2147483648.0, std::nan("")}) {
    EXPECT_FALSE(pxOrder->SetComponent(0, dValue)) << dValue;
    EXPECT_EQ(pxOrder->GetComponent(0), 4.0);
  }
}

TEST(TransformState, PropertiesStartAtTheirDefaults) {
  KFbxNodeProperties xProperties;
  EXPECT_STREQ(xProperties.Get(0)->GetName(), "QuaternionInterpolate");
  EXPECT_STREQ(xProperties.Get(xProperties.GetCount() - 1)->GetName(), "Visibility");
  const struct {
    const char* m_pszName;
    int m_iType;
    double m_adValue[3];
  } acCases[] = {
      {"RotationPivot", eKPROP_VECTOR3D, {0, 0, 0}},
      {"RotationOrder", eKPROP_ENUM, {0}},
      {"InheritType", eKPROP_ENUM, {0}},
      {"Show", eKPROP_BOOL, {1}},
      {"NegativePercentShapeSupport", eKPROP_BOOL, {1}},
      {"RotationActive", eKPROP_BOOL, {0}},
      {"Lcl Scaling", eKPROP_VECTOR3D, {1, 1, 1}},
      {"Lcl Translation", eKPROP_VECTOR3D, {0, 0, 0}},
      {"Visibility", eKPROP_DOUBLE, {1}},
      {"GeometricScaling", eKPROP_VECTOR3D, {1, 1, 1}},
      {"LookAtProperty", eKPROP_OBJECT, {0}},
  };
  for (const auto& c : acCases) {
    SCOPED_TRACE(c.m_pszName);
    const KProperty* pxProperty = xProperties.Find(c.m_pszName);
    ASSERT_NE(pxProperty, nullptr);
    EXPECT_EQ(pxProperty->GetType(), c.m_iType);
    for (int i = 0; i < pxProperty->GetComponentCount(); ++i) EXPECT_EQ(pxProperty->GetComponent(i), c.m_adValue[i]);
  }
  EXPECT_EQ(xProperties.LclRotation().GetDataType(), &KDataTypeLclRotation);
  EXPECT_TRUE(xProperties.Visibility().IsAnimatable());
  EXPECT_FALSE(xProperties.Find("RotationPivot")->IsAnimatable());
  EXPECT_EQ(xProperties.Find("lcl translation"), nullptr);  // exact names
  // Evaluation state defaults: scaling limits start at one.
  EXPECT_EQ(xProperties.ScalingLimits().m_xMin[0], 1.0);
  EXPECT_EQ(xProperties.ScalingLimits().m_xMax[2], 1.0);
  EXPECT_EQ(xProperties.GetPivotSet(0).m_xGeometricScaling[1], 1.0);
  EXPECT_EQ(xProperties.GetPivotSet(0).m_iState, 1);
}

TEST(TransformState, DynamicPropertiesAndTypeNames) {
  KFbxNodeProperties xProperties;
  const int iCount = xProperties.GetCount();
  EXPECT_EQ(xProperties.AddDynamicProperty("Show", eKPROP_BOOL), nullptr);  // taken
  EXPECT_EQ(xProperties.AddDynamicProperty("", eKPROP_BOOL), nullptr);
  KProperty* pxColor = xProperties.AddDynamicProperty("Tint", KPropertyTypeFromName("ColorRGBA"));
  ASSERT_NE(pxColor, nullptr);
  EXPECT_EQ(xProperties.GetCount(), iCount + 1);
  EXPECT_EQ(pxColor->GetComponentCount(), 4);
  EXPECT_TRUE(pxColor->SetComponent(3, 0.5));
  EXPECT_FALSE(pxColor->SetComponent(4, 0.5));
  EXPECT_TRUE(pxColor->GetFlags() & KProperty::eDYNAMIC);

  KProperty* pxText = xProperties.AddDynamicProperty("Note", KPropertyTypeFromName("KString"));
  EXPECT_TRUE(pxText->SetString("left foot"));
  EXPECT_STREQ(xProperties.FindTyped<KString>("Note")->Get().Buffer(), "left foot");
  EXPECT_FALSE(pxText->SetComponent(0, 1.0));
  KProperty* pxTime = xProperties.AddDynamicProperty("Start", KPropertyTypeFromName("KTime"));
  EXPECT_TRUE(pxTime->SetTime(KTime(42)));
  EXPECT_FALSE(pxTime->SetString("x"));
  EXPECT_EQ(xProperties.FindTyped<KTime>("Start")->Get(), KTime(42));
  KProperty* pxFlag = xProperties.AddDynamicProperty("Armed", KPropertyTypeFromName("Action"));
  pxFlag->SetComponent(0, 3);
  EXPECT_TRUE(xProperties.FindTyped<bool>("Armed")->Get());

  const struct {
    const char* m_pszName;
    int m_iCode;
  } acNames[] = {{"unknown", 0},    {"int", 1},      {"enum", 6}, {"Vector3D", 13},
                 {"Reference", 17}, {"vector3d", 0}, {"", 0},     {nullptr, 0}};
  for (const auto& c : acNames) EXPECT_EQ(KPropertyTypeFromName(c.m_pszName), c.m_iCode);
  EXPECT_STREQ(KPropertyTypeName(14), "ColorRGB");
  EXPECT_STREQ(KPropertyTypeName(18), "");
}

TEST(TransformState, SyncCopiesPropertiesIntoTheState) {
  KFbxNodeProperties xProperties;
  auto Set = [&](const char* pszName, double dX, double dY = 0, double dZ = 0) {
    KProperty* pxProperty = xProperties.Find(pszName);
    ASSERT_NE(pxProperty, nullptr) << pszName;
    const double adValues[3] = {dX, dY, dZ};
    for (int i = 0; i < pxProperty->GetComponentCount(); ++i) pxProperty->SetComponent(i, adValues[i]);
  };
  Set("RotationOrder", eEULER_YXZ);
  Set("RotationPivot", 1, 2, 3);
  Set("ScalingOffset", 0, 0, 4);
  Set("PostRotation", 0, 30, 0);
  Set("GeometricScaling", 2, 2, 2);
  Set("RotationSpaceForLimitOnly", 1);
  Set("QuaternionInterpolate", 1);
  Set("InheritType", eINHERIT_Rrs);
  Set("TranslationActive", 1);
  Set("TranslationMaxY", 1);
  Set("TranslationMax", 0, 8, 0);
  Set("RotationActive", 1);
  Set("RotationMinX", 1);
  Set("RotationMaxZ", 1);
  Set("RotationMin", -10, 0, 0);
  Set("ScalingMinZ", 1);
  Set("ScalingMin", 0, 0, 0.25);
  // Nothing reaches the state before the sync.
  EXPECT_EQ(xProperties.GetTransformPivots().m_uFlags, 0u);
  xProperties.SyncEvaluationState();

  const PivotSet& xSet = xProperties.GetPivotSet(0);
  EXPECT_EQ(xSet.m_iRotationOrder, eEULER_YXZ);
  EXPECT_EQ(xSet.m_xRotationPivot[1], 2.0);
  EXPECT_EQ(xSet.m_xGeometricScaling[0], 2.0);
  EXPECT_TRUE(xSet.m_bUseQuaternionInterpolation);
  EXPECT_EQ(xProperties.GetRotationSpace().m_iOrderCode, 6);
  EXPECT_EQ(xProperties.GetTransformPivots().m_uFlags,
            static_cast<uint32_t>(TransformPivots::eROTATION_PIVOT | TransformPivots::eSCALING_OFFSET));
  EXPECT_EQ(xProperties.GetRotationSpace().m_uFlags, static_cast<uint32_t>(RotationSpace::ePOST_ROTATION));
  EXPECT_TRUE(xProperties.GetLimitOnlyFlag());
  EXPECT_EQ(xProperties.GetTransformPivots().m_iInheritType, eINHERIT_Rrs);
  EXPECT_EQ(xProperties.TranslationLimits().m_uFlags, TransformLimits::eACTIVE | TransformLimits::eMAX_Y);
  EXPECT_EQ(xProperties.TranslationLimits().m_xMax[1], 8.0);
  EXPECT_EQ(xProperties.RotationLimits().m_uFlags,
            TransformLimits::eACTIVE | TransformLimits::eMIN_X | TransformLimits::eMAX_Z);
  EXPECT_EQ(xProperties.RotationLimits().m_xMin[0], -10.0);
  EXPECT_EQ(xProperties.ScalingLimits().m_uFlags, static_cast<uint32_t>(TransformLimits::eMIN_Z));
  EXPECT_EQ(xProperties.ScalingLimits().m_xMin[2], 0.25);

  // The inherit-type setter writes the property and the mirror at once.
  xProperties.SetInheritType(eINHERIT_RSrs);
  EXPECT_EQ(xProperties.GetInheritType(), eINHERIT_RSrs);
  EXPECT_EQ(xProperties.GetTransformPivots().m_iInheritType, eINHERIT_RSrs);
}

// RotationSpace::ToEuler inverts ToMatrix for "Spheric XYZ", with and
// without pre- and post-rotation: compared as matrices.
TEST(TransformState, SphericRotationSpaceRoundTrip) {
  std::mt19937 xRandom(20240607);
  std::uniform_real_distribution<double> xTwist(-179.0, 179.0);
  std::uniform_real_distribution<double> xSwing(-150.0, 150.0);
  const KgeTVector axPrePost[][2] = {
      {{0, 0, 0}, {0, 0, 0}},
      {{0, 0, 90}, {0, 0, 0}},
      {{10, -20, 35}, {-50, 5, 60}},
  };
  KFbxNodeProperties xProperties;
  xProperties.SetRotationOrder(0, eSPHERIC_XYZ);
  for (const auto& xPair : axPrePost) {
    xProperties.SetPreRotation(0, xPair[0]);
    xProperties.SetPostRotation(0, xPair[1]);
    const RotationSpace& xSpace = xProperties.GetRotationSpace();
    for (int n = 0; n < 300; ++n) {
      const KgeTVector xAngles(xTwist(xRandom), xSwing(xRandom), xSwing(xRandom));
      const Matrix44 xM = xSpace.ToMatrix(xAngles);
      const KgeTVector xBack = xSpace.ToEuler(xM);
      SCOPED_TRACE(testing::Message() << xAngles[0] << " " << xAngles[1] << " " << xAngles[2]);
      ExpectNear3x3(xSpace.ToMatrix(xBack), xM, 1e-9);
      if (HasFailure()) return;
    }
  }
}
