#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "kfcurve_test_util.h"

TEST(KFCurve, WithoutKeysTheDefaultWithOneKeyItsValue) {
  KFCurve xCurve;
  xCurve.SetValue(4.5f);
  for (double t : {-100.0, 0.0, 3.0}) EXPECT_EQ(xCurve.Evaluate(Sec(t)), 4.5f);
  EXPECT_EQ(xCurve.FindKeyIndex(Sec(1)), -1.0);
  xCurve.KeyAppend(Sec(1), 7.0f);
  for (double t : {-100.0, 1.0, 3.0}) EXPECT_EQ(xCurve.Evaluate(Sec(t)), 7.0f);
  EXPECT_EQ(xCurve.RightDerivative(0), 0.0f);
  EXPECT_EQ(xCurve.LeftDerivative(0), 0.0f);
}

TEST(KFCurve, ConstantAndLinearSegments) {
  KFCurve xLinear = MakeCurve({{0, 0}, {2, 10}});
  EXPECT_FLOAT_EQ(xLinear.Evaluate(Sec(0.5)), 2.5f);
  EXPECT_FLOAT_EQ(xLinear.Evaluate(Sec(2)), 10.0f);

  KFCurve xConstant = MakeCurve({{0, 1}, {1, 5}, {2, 9}}, KFCURVE_INTERPOLATION_CONSTANT, KFCURVE_CONSTANT_STANDARD);
  KFCurve xNext = MakeCurve({{0, 1}, {1, 5}, {2, 9}}, KFCURVE_INTERPOLATION_CONSTANT, KFCURVE_CONSTANT_NEXT);
  for (double t : {0.0, 0.01, 0.5, 0.99}) {
    EXPECT_EQ(xConstant.Evaluate(Sec(t)), 1.0f) << t;
    EXPECT_EQ(xNext.Evaluate(Sec(t)), t == 0.0 ? 1.0f : 5.0f) << t;
  }
  EXPECT_EQ(xNext.Evaluate(Sec(1.5)), 9.0f);
  EXPECT_EQ(xNext.LeftDerivative(1), 0.0f);
}

// The ease curve: user slopes 0 at both ends.
TEST(KFCurve, CubicWithFlatUserSlopesIsTheEaseCurve) {
  KFCurve xCurve = MakeCurve({{1, -3}, {3.5, 8}}, KFCURVE_INTERPOLATION_CUBIC, KFCURVE_TANGEANT_USER);
  const float vi = -3, vj = 8;
  for (int k = 0; k < 100; ++k) {
    const double u = k / 99.0;
    const float fExpected = static_cast<float>(vi + (vj - vi) * (3 * u * u - 2 * u * u * u));
    EXPECT_NEAR(xCurve.Evaluate(Sec(1 + 2.5 * u)), fExpected, 4 * 1.2e-7 * 8) << u;
  }
}

TEST(KFCurve, CubicSlopesByTangentMode) {
  struct Case {
    const char* m_pszName;
    uint32_t m_uTangent;
    float m_fD0, m_fD1;       // data of the middle key
    float m_fPreviousD1;      // next-left data of the first key
    float m_fLeft, m_fRight;  // slopes at the middle key
  };
  // Keys (0 s, 0), (1 s, 1), (2 s, 0): segment slopes +1 then -1.
  const Case acCases[] = {
      {"user", KFCURVE_TANGEANT_USER, 2.0f, 0.0f, 2.0f, 2.0f, 2.0f},
      {"user broken", KFCURVE_TANGEANT_BREAK, 3.0f, 0.0f, -1.5f, -1.5f, 3.0f},
      {"auto flat", KFCURVE_TANGEANT_AUTO, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f},
      {"auto +100", KFCURVE_TANGEANT_AUTO, 100.0f, 0.0f, 100.0f, 1.0f, -1.0f},
      {"auto -100", KFCURVE_TANGEANT_AUTO, -100.0f, 0.0f, -100.0f, -1.0f, 1.0f},
      {"auto 50", KFCURVE_TANGEANT_AUTO_BREAK, 50.0f, 0.0f, -50.0f, -0.5f, -0.5f},
      {"auto +600", KFCURVE_TANGEANT_AUTO, 600.0f, 0.0f, 600.0f, 46.0f, -46.0f},
      {"auto -600", KFCURVE_TANGEANT_AUTO, -600.0f, 0.0f, -600.0f, -46.0f, 46.0f},
  };
  for (const Case& c : acCases) {
    SCOPED_TRACE(c.m_pszName);
    KFCurve xCurve = MakeCurve({{0, 0}, {1, 1}, {2, 0}}, KFCURVE_INTERPOLATION_CUBIC, KFCURVE_TANGEANT_AUTO);
    xCurve.KeySetTangentMode(1, c.m_uTangent);
    xCurve.KeySetDataFloat(1, 0, c.m_fD0);
    xCurve.KeySetDataFloat(1, 1, c.m_fD1);
    xCurve.KeySetDataFloat(0, 1, c.m_fPreviousD1);
    EXPECT_NEAR(xCurve.LeftDerivative(1), c.m_fLeft, 1e-4);
    EXPECT_NEAR(xCurve.RightDerivative(1), c.m_fRight, 1e-4);
  }
}

TEST(KFCurve, AutoSlopesAtTheEnds) {
  // At the first key the arriving slope is the leaving one and vice versa.
  KFCurve xCurve = MakeCurve({{0, 0}, {1, 2}, {3, 2}}, KFCURVE_INTERPOLATION_CUBIC, KFCURVE_TANGEANT_AUTO);
  EXPECT_FLOAT_EQ(xCurve.RightDerivative(0), 2.0f);
  EXPECT_FLOAT_EQ(xCurve.LeftDerivative(0), 2.0f);
  EXPECT_FLOAT_EQ(xCurve.LeftDerivative(2), 0.0f);
  EXPECT_FLOAT_EQ(xCurve.RightDerivative(2), 0.0f);  // last key: its arriving slope
  EXPECT_FLOAT_EQ(xCurve.RightDerivative(1), 1.0f);  // mean of 2 and 0
}

TEST(KFCurve, TcbSlopes) {
  // Keys (0, 0), (1, 1), (2, 3): segment slopes 1 and 2.
  struct Case {
    float T, C, B;
    float m_fLeft, m_fRight;
  };
  const Case acCases[] = {
      {0, 0, 0, 1.5f, 1.5f},       // Catmull-Rom
      {1, 0, 0, 0.0f, 0.0f},       // full tension
      {0, 0.5f, 0, 1.75f, 1.25f},  // continuity breaks the tangent
      {0, 0, 1, 1.0f, 1.0f},       // bias towards the arriving segment
      {0.5f, 0, -1, 1.0f, 1.0f},
  };
  for (const Case& c : acCases) {
    KFCurve xCurve = MakeCurve({{0, 0}, {1, 1}, {2, 3}}, KFCURVE_INTERPOLATION_CUBIC, KFCURVE_TANGEANT_USER);
    xCurve.KeySetTCB(1, c.T, c.C, c.B);
    EXPECT_NEAR(xCurve.LeftDerivative(1), c.m_fLeft, 1e-6) << c.T << " " << c.C << " " << c.B;
    EXPECT_NEAR(xCurve.RightDerivative(1), c.m_fRight, 1e-6) << c.T << " " << c.C << " " << c.B;
  }
  // First and last TCB keys use their one segment.
  KFCurve xEnds = MakeCurve({{0, 0}, {2, 4}});
  xEnds.KeySetInterpolation(0, KFCURVE_INTERPOLATION_CUBIC);
  xEnds.KeySetTCB(0, 0.5f, 0, 0);
  xEnds.KeySetInterpolation(1, KFCURVE_INTERPOLATION_CUBIC);
  xEnds.KeySetTCB(1, 0, 0.5f, 0);
  EXPECT_FLOAT_EQ(xEnds.RightDerivative(0), 2.0f * 0.5f);
  EXPECT_FLOAT_EQ(xEnds.LeftDerivative(1), 2.0f * 0.5f);
}

TEST(KFCurve, ArrivingSlopeAfterOtherKinds) {
  // Previous key linear: the segment's slope, whatever the key.
  KFCurve xCurve = MakeCurve({{0, 0}, {2, 4}, {3, 0}});
  xCurve.KeySetInterpolation(1, KFCURVE_INTERPOLATION_CUBIC);
  EXPECT_FLOAT_EQ(xCurve.LeftDerivative(1), 2.0f);
  // Previous key constant: flat.
  xCurve.KeySetInterpolation(0, KFCURVE_INTERPOLATION_CONSTANT);
  EXPECT_FLOAT_EQ(xCurve.LeftDerivative(1), 0.0f);
  // Previous key cubic user, this key linear: the previous key's next-left slope.
  xCurve.KeySetInterpolation(0, KFCURVE_INTERPOLATION_CUBIC);
  xCurve.KeySetTangentMode(0, KFCURVE_TANGEANT_USER);
  xCurve.KeySetDataFloat(0, 1, 7.0f);
  xCurve.KeySetInterpolation(1, KFCURVE_INTERPOLATION_LINEAR);
  EXPECT_FLOAT_EQ(xCurve.LeftDerivative(1), 7.0f);
  // Previous key TCB, this key linear: this key's leaving slope.
  xCurve.KeySetTCB(0, 0, 0, 0);
  EXPECT_FLOAT_EQ(xCurve.LeftDerivative(1), -4.0f);
  // ... and a user key after a TCB key takes its own right slope.
  xCurve.KeySetInterpolation(1, KFCURVE_INTERPOLATION_CUBIC);
  xCurve.KeySetTangentMode(1, KFCURVE_TANGEANT_USER);
  xCurve.KeySetDataFloat(1, 0, 5.0f);
  EXPECT_FLOAT_EQ(xCurve.LeftDerivative(1), 5.0f);
  // A user broken key after a TCB key: the TCB arriving formula with the
  // previous key's parameters (all 0 here: mean of 2 and -4).
  xCurve.KeySetTangentMode(1, KFCURVE_TANGEANT_BREAK);
  EXPECT_FLOAT_EQ(xCurve.LeftDerivative(1), -1.0f);
}

// Bezier with the given handles, independent of the library.
static float Bezier(float p0, float p1, float p2, float p3, double s) {
  const double v = 1 - s;
  return static_cast<float>(v * v * v * p0 + 3 * v * v * s * p1 + 3 * v * s * s * p2 + s * s * s * p3);
}

TEST(KFCurve, WeightedSegments) {
  // Default weights give the unweighted curve.
  KFCurve xPlain = MakeCurve({{0, 0}, {2, 4}}, KFCURVE_INTERPOLATION_CUBIC, KFCURVE_TANGEANT_USER);
  xPlain.KeySetDataFloat(0, 0, 6.0f);
  xPlain.KeySetDataFloat(0, 1, -1.0f);
  KFCurve xWeighted = xPlain;
  xWeighted.KeySetTangentWeightMode(0, KFCURVE_WEIGHTED_RIGHT | KFCURVE_WEIGHTED_NEXT_LEFT);
  for (double t = 0; t <= 2; t += 0.125) EXPECT_NEAR(xWeighted.Evaluate(Sec(t)), xPlain.Evaluate(Sec(t)), 2e-4) << t;

  // Long right handle, short left one: the abscissa is solved first.
  xWeighted.KeySetRightTangentWeight(0, 0.9f);
  xWeighted.KeySetNextLeftTangentWeight(0, 0.1f);
  const float wR = xWeighted.KeyGet(0).GetRightTangentWeight();
  const float wL = xWeighted.KeyGet(0).GetNextLeftTangentWeight();
  EXPECT_NEAR(wR, 0.9f, 2e-4);
  for (double u : {0.1, 0.3, 0.5, 0.8}) {
    double lo = 0, hi = 1;  // bisection on the abscissa
    for (int i = 0; i < 60; ++i) {
      const double mid = (lo + hi) / 2;
      (Bezier(0, wR, 1 - wL, 1, mid) < u ? lo : hi) = mid;
    }
    const float fExpected = Bezier(0, 0 + wR * 6.0f * 2, 4 - wL * -1.0f * 2, 4, lo);
    EXPECT_NEAR(xWeighted.Evaluate(Sec(2 * u)), fExpected, 1e-3) << u;
  }
  // Only the right side weighted: the other handle keeps a third.
  KFCurve xRightOnly = xPlain;
  xRightOnly.KeySetTangentWeightMode(0, KFCURVE_WEIGHTED_RIGHT);
  xRightOnly.KeySetRightTangentWeight(0, 0.33333334f);
  xRightOnly.KeySetNextLeftTangentWeight(0, 0.9f);  // not read
  EXPECT_NEAR(xRightOnly.Evaluate(Sec(0.7)), xPlain.Evaluate(Sec(0.7)), 2e-4);
}

TEST(KFCurve, TcbKeysHaveNoWeights) {
  KFCurve xCurve = MakeCurve({{0, 0}, {1, 1}, {2, 3}}, KFCURVE_INTERPOLATION_CUBIC);
  xCurve.KeySetTCB(0, 0.2f, 0.1f, 0.7f);
  KFCurve xWeighted = xCurve;
  xWeighted.KeySetTangentWeightMode(0, KFCURVE_WEIGHTED_RIGHT | KFCURVE_WEIGHTED_NEXT_LEFT);
  EXPECT_FLOAT_EQ(xWeighted.KeyGet(0).GetDataFloat(KFCURVEKEY_TCB_BIAS), 0.7f);
  for (double t : {0.2, 0.5, 0.9}) EXPECT_NEAR(xWeighted.Evaluate(Sec(t)), xCurve.Evaluate(Sec(t)), 2e-4);

  // Both weights of a segment live on its first key: a TCB key after it does
  // not keep that key's next-left weight from counting.
  KFCurve xBefore = MakeCurve({{0, 0}, {1, 1}, {2, 3}}, KFCURVE_INTERPOLATION_CUBIC, KFCURVE_TANGEANT_USER);
  xBefore.KeySetTCB(1, 0.2f, 0.1f, 0.7f);
  KFCurve xShortLeft = xBefore;
  xShortLeft.KeySetTangentWeightMode(0, KFCURVE_WEIGHTED_NEXT_LEFT);
  xShortLeft.KeySetNextLeftTangentWeight(0, 0.05f);
  EXPECT_GT(std::fabs(xShortLeft.Evaluate(Sec(0.8)) - xBefore.Evaluate(Sec(0.8))), 1e-3);
}

TEST(KFCurve, KeyStorageWeightsAndFlags) {
  KFCurveKey xKey;
  EXPECT_EQ(xKey.GetInterpolation(), KFCURVE_INTERPOLATION_CUBIC);
  EXPECT_NEAR(xKey.GetRightTangentWeight(), 0.33333334f, 1e-6);
  xKey.SetRightTangentWeight(2.0f);
  EXPECT_NEAR(xKey.GetRightTangentWeight(), 9899 * 0.00010001f, 1e-7);
  xKey.SetNextLeftTangentWeight(0.0f);
  EXPECT_NEAR(xKey.GetNextLeftTangentWeight(), 0.00010001f, 1e-9);
  xKey.SetRightVelocity(0.5f);
  EXPECT_NEAR(xKey.GetRightVelocity(), 4999 * 0.00010001f, 1e-7);
  xKey.SetRightVelocity(100.0f);  // beyond 16 bits: held at the largest value
  EXPECT_NEAR(xKey.GetRightVelocity(), 32767 * 0.00010001f, 1e-3);

  // Becoming cubic resets weights, velocities and their bits.
  xKey.Set(KTime(0), 1.0f, KFCURVE_INTERPOLATION_LINEAR);
  xKey.SetTangentWeightMode(KFCURVE_WEIGHTED_RIGHT);
  xKey.SetTangentVelocityMode(KFCURVE_VELOCITY_RIGHT);
  xKey.SetRightTangentWeight(0.8f);
  xKey.SetInterpolation(KFCURVE_INTERPOLATION_CUBIC);
  EXPECT_EQ(xKey.GetTangentWeightMode(), KFCURVE_WEIGHTED_NONE);
  EXPECT_EQ(xKey.GetTangentVelocityMode(), KFCURVE_VELOCITY_NONE);
  EXPECT_NEAR(xKey.GetRightTangentWeight(), 0.33333334f, 1e-6);
  EXPECT_EQ(xKey.GetRightVelocity(), 0.0f);
  EXPECT_EQ(xKey.GetTangentMode(), KFCURVE_TANGEANT_AUTO);

  // An auto key turned constant does not become a next-key constant.
  xKey.SetInterpolation(KFCURVE_INTERPOLATION_CONSTANT);
  EXPECT_EQ(xKey.GetConstantMode(), KFCURVE_CONSTANT_STANDARD);
  xKey.SetConstantMode(KFCURVE_CONSTANT_NEXT);
  EXPECT_EQ(xKey.GetFlags(), KFCURVE_INTERPOLATION_CONSTANT | KFCURVE_CONSTANT_NEXT);
}

TEST(KFCurve, KeysStayOrderedAcrossBlocks) {
  KFCurve xCurve;
  // Out of order, across several blocks of 25.
  for (int i = 0; i < 60; ++i) xCurve.KeyAdd(Sec((i * 37) % 60));
  ASSERT_EQ(xCurve.KeyGetCount(), 60);
  for (int i = 0; i < 60; ++i) EXPECT_EQ(xCurve.KeyGet(i).GetTime(), Sec(i));
  EXPECT_EQ(xCurve.KeyAdd(Sec(30)), 30);  // already there
  EXPECT_EQ(xCurve.KeyGetCount(), 60);
  EXPECT_EQ(xCurve.KeyAppend(Sec(10), 1.0f), -1);  // not after the last
  EXPECT_EQ(xCurve.KeyAppend(Sec(60), 1.0f), 60);

  ASSERT_TRUE(xCurve.KeySetValue(24, 99.0f));
  ASSERT_TRUE(xCurve.KeyRemove(0));  // shifts key 24 across the block border... to 23
  EXPECT_EQ(xCurve.KeyGet(23).GetValue(), 99.0f);
  EXPECT_EQ(xCurve.KeyGetCount(), 60);
  EXPECT_FALSE(xCurve.KeyRemove(60));
  EXPECT_FALSE(xCurve.KeySetValue(-1, 0.0f));

  // Moving a key in time keeps the order; a taken time is refused.
  EXPECT_EQ(xCurve.KeySetTime(23, Sec(100)), 59);
  EXPECT_EQ(xCurve.KeyGet(59).GetValue(), 99.0f);
  EXPECT_EQ(xCurve.KeySetTime(0, Sec(5)), -1);
  KFCurveKey xKey = xCurve.KeyGet(3);
  xKey.SetTime(Sec(1000));
  EXPECT_FALSE(xCurve.KeySet(3, xKey));
  while (xCurve.KeyGetCount() > 0) xCurve.KeyRemove(xCurve.KeyGetCount() - 1);
  EXPECT_EQ(xCurve.Evaluate(Sec(3)), 0.0f);
}

TEST(KFCurve, KeyAddTakesTheCurvesValue) {
  KFCurve xCurve = MakeCurve({{0, 0}, {2, 10}});
  const int iIndex = xCurve.KeyAdd(Sec(1));
  EXPECT_EQ(iIndex, 1);
  EXPECT_FLOAT_EQ(xCurve.KeyGet(1).GetValue(), 5.0f);
}

// (time, fractional index, cache after) along a walk forwards and backwards.
TEST(KFCurve, KeyIndexCacheFollowsTheWalk) {
  KFCurve xCurve;
  for (int i = 0; i < 10; ++i) xCurve.KeyAppend(Sec(i), static_cast<float>(i));
  struct Step {
    double m_dTime;
    double m_dIndex;
    int m_iCache;
  };
  const Step axSteps[] = {
      {0.5, 0.5, 1}, {1.5, 1.5, 2}, {2.0, 2.0, 2},   {2.25, 2.25, 3}, {7.5, 7.5, 8}, {7.25, 7.25, 7},
      {3.5, 3.5, 3}, {3.0, 3.0, 3}, {-1.0, -0.5, 0}, {12.0, 9.5, 10}, {8.5, 8.5, 8}, {9.0, 9.0, 9},
  };
  int iCache = 0;
  for (const Step& s : axSteps) {
    EXPECT_DOUBLE_EQ(xCurve.FindKeyIndex(Sec(s.m_dTime), &iCache), s.m_dIndex) << s.m_dTime;
    EXPECT_EQ(iCache, s.m_iCache) << s.m_dTime;
  }
  // A cache out of range is clamped first.
  iCache = 500;
  EXPECT_DOUBLE_EQ(xCurve.FindKeyIndex(Sec(4.5), &iCache), 4.5);
  iCache = -7;
  EXPECT_DOUBLE_EQ(xCurve.FindKeyIndex(Sec(4.5), &iCache), 4.5);
  // Without a cache argument the curve's own one is used.
  EXPECT_DOUBLE_EQ(xCurve.FindKeyIndex(Sec(6.5)), 6.5);
  EXPECT_DOUBLE_EQ(xCurve.FindKeyIndex(Sec(6.75)), 6.75);
}

TEST(KFCurve, OneEntryValueCache) {
  KFCurve xCurve = MakeCurve({{0, 0}, {2, 10}});
  int iCache = 0;
  EXPECT_FLOAT_EQ(xCurve.Evaluate(Sec(1), &iCache), 5.0f);
  iCache = 42;
  // Same time: the remembered value, no key search.
  EXPECT_FLOAT_EQ(xCurve.Evaluate(Sec(1), &iCache), 5.0f);
  EXPECT_EQ(iCache, 42);
  // Any change resets the cache.
  xCurve.KeySetValue(1, 20.0f);
  EXPECT_FLOAT_EQ(xCurve.Evaluate(Sec(1), &iCache), 10.0f);
  xCurve.SetPostExtrapolation(KFCURVE_EXTRAPOLATION_KEEP_SLOPE);
  EXPECT_FLOAT_EQ(xCurve.Evaluate(Sec(1), &iCache), 10.0f);
  // The infinite marker is never taken for a cached time.
  KFCurve xEmpty;
  xEmpty.SetValue(3.0f);
  EXPECT_EQ(xEmpty.Evaluate(KTime::Infinite()), 3.0f);
}

TEST(KFCurve, DefaultValueNotifiesAndCopiesDoNot) {
  struct Listener : KFCurveListener {
    int m_iCalls = 0;
    void CurveDefaultValueChanged(const KFCurve& xCurve) override {
      ++m_iCalls;
      EXPECT_EQ(xCurve.GetValue(), 2.0f);
    }
  } xListener;
  KFCurve xCurve;
  xCurve.SetListener(&xListener);
  xCurve.SetValue(2.0f);
  EXPECT_EQ(xListener.m_iCalls, 1);
  KFCurve xCopy = xCurve;
  xCopy.SetValue(5.0f);
  EXPECT_EQ(xListener.m_iCalls, 1);
  xCurve.SetColor(1, 0, 0);
  EXPECT_EQ(xCurve.GetColor()[1], 0.0f);
  EXPECT_EQ(KFCurve().GetColor()[1], 1.0f);
}

TEST(KFCurve, EvaluateIndexBounds) {
  KFCurve xCurve = MakeCurve({{0, 1}, {1, 2}, {2, 3}});
  EXPECT_EQ(xCurve.EvaluateIndex(-0.5), 1.0f);
  EXPECT_EQ(xCurve.EvaluateIndex(2.5), 3.0f);  // count - 0.5 reads the last key
  EXPECT_EQ(xCurve.EvaluateIndex(1.0), 2.0f);
  EXPECT_FLOAT_EQ(xCurve.EvaluateIndex(1.25), 2.25f);
  EXPECT_EQ(xCurve.EvaluateIndex(std::nan("")), 1.0f);
  // An unknown interpolation yields 0.
  KFCurveKey xKey = xCurve.KeyGet(0);
  xKey.SetInterpolation(0);
  xCurve.KeySet(0, xKey);
  EXPECT_EQ(xCurve.EvaluateIndex(0.5), 0.0f);
}
