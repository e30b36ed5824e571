#include <gtest/gtest.h>

#include "kfcurve_test_util.h"

namespace {

struct Case {
  int m_iMode;
  int m_iCount;
  double m_dTime;
  float m_fValue;
};

// Keys (0 s, 0) and (1 s, 10), linear: the value is ten times the mapped time.
void Check(const Case& c, bool bPost) {
  KFCurve xCurve = MakeCurve({{0, 0}, {1, 10}});
  if (bPost) {
    xCurve.SetPostExtrapolation(c.m_iMode);
    xCurve.SetPostExtrapolationCount(c.m_iCount);
  } else {
    xCurve.SetPreExtrapolation(c.m_iMode);
    xCurve.SetPreExtrapolationCount(c.m_iCount);
  }
  EXPECT_NEAR(xCurve.Evaluate(Sec(c.m_dTime)), c.m_fValue, 1e-4)
      << "mode " << c.m_iMode << " count " << c.m_iCount << " time " << c.m_dTime;
}

}  // namespace

TEST(KFCurveExtrapolation, AfterTheLastKey) {
  const Case acCases[] = {
      // Constant: whatever the count.
      {1, 0, 5.0, 10},
      {1, 2, 5.0, 10},
      {1, -1, 5.0, 10},
      // Repetition: count 0 holds; count 2 repeats twice; -1 for ever.
      {2, 0, 1.5, 10},
      {2, 2, 1.25, 2.5},
      {2, 2, 2.5, 5},
      {2, 2, 3.5, 10},
      {2, -1, 3.5, 5},
      {2, -1, 100.25, 2.5},
      // Mirror: backwards just after the last key, forwards in the next cycle.
      {3, 0, 1.5, 10},
      {3, 2, 1.25, 7.5},
      {3, 2, 2.25, 2.5},
      {3, 2, 3.5, 10},
      {3, -1, 4.25, 2.5},
      {3, -1, 5.25, 7.5},
      // Keep slope (10 per second): for count key ranges, or without bound.
      {4, 0, 3.0, 10},
      {4, 2, 1.5, 15},
      {4, 2, 5.0, 30},
      {4, -1, 5.0, 50},
      // An unknown mode holds the last value.
      {0, 2, 1.5, 10},
  };
  for (const Case& c : acCases) Check(c, true);
}

TEST(KFCurveExtrapolation, BeforeTheFirstKey) {
  const Case acCases[] = {
      {1, 0, -5.0, 0},    {1, 2, -5.0, 0},     {1, -1, -5.0, 0},     {2, 0, -0.5, 0},   {2, 2, -0.25, 7.5},
      {2, 2, -1.75, 2.5}, {2, 2, -2.5, 0},     {2, -1, -10.25, 7.5}, {3, 0, -0.5, 0},   {3, 2, -0.25, 2.5},
      {3, 2, -1.25, 7.5}, {3, -1, -2.25, 2.5}, {4, 0, -3.0, 0},      {4, 2, -1.0, -10}, {4, 2, -5.0, -20},
      {4, -1, -5.0, -50}, {0, 2, -1.5, 0},
  };
  for (const Case& c : acCases) Check(c, false);
}

TEST(KFCurveExtrapolation, RepetitionOfACubicCurveMatchesTheFirstCycle) {
  KFCurve xCurve = MakeCurve({{0, 0}, {0.4, 3}, {1, -2}}, KFCURVE_INTERPOLATION_CUBIC);
  xCurve.SetPostExtrapolation(KFCURVE_EXTRAPOLATION_REPETITION);
  xCurve.SetPostExtrapolationCount(kKFCurveUnboundedCount);
  for (double t = 0.05; t < 1; t += 0.1) EXPECT_NEAR(xCurve.Evaluate(Sec(t + 3)), xCurve.Evaluate(Sec(t)), 1e-5);
  // A single key has no range to repeat.
  KFCurve xOne = MakeCurve({{2, 4}});
  xOne.SetPostExtrapolation(KFCURVE_EXTRAPOLATION_REPETITION);
  xOne.SetPostExtrapolationCount(kKFCurveUnboundedCount);
  EXPECT_EQ(xOne.Evaluate(Sec(9)), 4.0f);
  EXPECT_EQ(xOne.Evaluate(KTime::Infinite()), 4.0f);
}

TEST(KFCurveExtrapolation, ExtremeTimesStayInRange) {
  KFCurve xCurve = MakeCurve({{0, 0}, {1, 10}});
  for (int iMode = 1; iMode <= 4; ++iMode) {
    for (int iCount : {0, 2, -1}) {
      xCurve.SetPreExtrapolation(iMode);
      xCurve.SetPreExtrapolationCount(iCount);
      xCurve.SetPostExtrapolation(iMode);
      xCurve.SetPostExtrapolationCount(iCount);
      const float fAfter = xCurve.Evaluate(KTime::Infinite());
      const float fBefore = xCurve.Evaluate(KTime::MinusInfinite());
      if (iMode != KFCURVE_EXTRAPOLATION_KEEP_SLOPE) {
        EXPECT_GE(fAfter, 0.0f);
        EXPECT_LE(fAfter, 10.0f);
        EXPECT_GE(fBefore, 0.0f);
        EXPECT_LE(fBefore, 10.0f);
      }
    }
  }
}
