#include <gtest/gtest.h>

#include <vector>

#include "fbxsdk/scene/kfcurve_stored.h"

namespace {

using V = KFCurveStoredValue;
constexpr int64_t kSecond = 46186158000LL;

V I(int64_t llValue) { return V::Integer(llValue); }
V R(double dValue) { return V::Real(dValue); }
V T(const char* pszText) { return V::Text(pszText); }

// Values of a whole list: key after key, each given as its tokens.
std::vector<V> Join(std::initializer_list<std::vector<V>> xKeys) {
  std::vector<V> xValues;
  for (const std::vector<V>& xKey : xKeys) xValues.insert(xValues.end(), xKey.begin(), xKey.end());
  return xValues;
}

}  // namespace

TEST(KFCurveStored, KeyKinds) {
  const std::vector<V> xValues = {
      I(0 * kSecond), R(1.5),         T("C"), T("n"),                                   // next-key constant
      I(1 * kSecond), I(2),           T("L"),                                           // linear, integer value
      I(2 * kSecond), R(3),           T("U"), T("s"), R(0.5), R(-0.5), T("r"), R(0.6),  // user, right weighted
      I(3 * kSecond), R(4),           T("U"), T("T"), R(0.1), R(0.2),  R(0.3),          // TCB, upper case letter
      I(4 * kSecond), R(5),           T("U"), T("b"), R(1),   R(2),    T("a"), R(0.2),
      R(0.7),         I(5 * kSecond), R(6),   T("Z"), T("x"),  // standard constant
  };
  KFCurve xCurve;
  const KFCurveStoredResult xResult = KFCurveReadStoredKeys(xCurve, 4005, xValues);
  EXPECT_EQ(xResult.m_iKeysRead, 6);
  ASSERT_EQ(xResult.m_iKeysKept, 6);
  ASSERT_EQ(xCurve.KeyGetCount(), 6);
  EXPECT_EQ(xCurve.KeyGet(0).GetFlags(), KFCURVE_INTERPOLATION_CONSTANT | KFCURVE_CONSTANT_NEXT);
  EXPECT_EQ(xCurve.KeyGet(0).GetValue(), 1.5f);
  EXPECT_EQ(xCurve.KeyGet(1).GetInterpolation(), KFCURVE_INTERPOLATION_LINEAR);
  EXPECT_EQ(xCurve.KeyGet(1).GetValue(), 2.0f);
  const KFCurveKey& xUser = xCurve.KeyGet(2);
  EXPECT_EQ(xUser.GetTangentMode(), KFCURVE_TANGEANT_USER);
  EXPECT_EQ(xUser.GetDataFloat(1), -0.5f);
  EXPECT_EQ(xUser.GetTangentWeightMode(), KFCURVE_WEIGHTED_RIGHT);
  EXPECT_NEAR(xUser.GetRightTangentWeight(), 0.6f, 2e-4);
  EXPECT_TRUE(xCurve.KeyGet(3).IsTCB());
  EXPECT_FLOAT_EQ(xCurve.KeyGet(3).GetDataFloat(KFCURVEKEY_TCB_BIAS), 0.3f);
  const KFCurveKey& xBroken = xCurve.KeyGet(4);
  EXPECT_EQ(xBroken.GetTangentMode(), KFCURVE_TANGEANT_BREAK);
  EXPECT_EQ(xBroken.GetTangentWeightMode(), KFCURVE_WEIGHTED_RIGHT | KFCURVE_WEIGHTED_NEXT_LEFT);
  EXPECT_NEAR(xBroken.GetNextLeftTangentWeight(), 0.7f, 2e-4);
  EXPECT_EQ(xCurve.KeyGet(5).GetFlags(), KFCURVE_INTERPOLATION_CONSTANT);
}

TEST(KFCurveStored, AutoTangentLettersByVersion) {
  struct Case {
    const char* m_pszName;
    int m_iVersion;
    std::vector<V> m_xSecondKey;  // after time and value
    uint32_t m_uTangent;
    float m_fD0, m_fD1;
    bool m_bPreviousNextLeftWeighted;  // after reading
  };
  const Case acCases[] = {
      {"a at 4000 reads the next-left parameter", 4000, {T("U"), T("a"), R(30)}, KFCURVE_TANGEANT_AUTO, 0, 30, true},
      {"a at 4001", 4001, {T("U"), T("a")}, KFCURVE_TANGEANT_AUTO, 0, 0, true},
      {"a at 4002 unweights the previous key", 4002, {T("U"), T("a")}, KFCURVE_TANGEANT_AUTO, 0, 0, false},
      {"d before 4002 has no weight letter", 4001, {T("U"), T("d"), R(12)}, KFCURVE_TANGEANT_AUTO, 0, 12, true},
      {"d at 4002", 4002, {T("U"), T("d"), R(12), T("n")}, KFCURVE_TANGEANT_AUTO, 0, 12, false},
      {"p with opposite parameters stays auto",
       4004,
       {T("U"), T("p"), R(-20), R(5), T("n")},
       KFCURVE_TANGEANT_AUTO,
       -20,
       5,
       true},
      {"p with others breaks", 4004, {T("U"), T("p"), R(-19), R(5), T("n")}, KFCURVE_TANGEANT_AUTO_BREAK, -19, 5, true},
      {"q", 4004, {T("U"), T("Q"), R(1), R(2), T("n")}, KFCURVE_TANGEANT_AUTO_BREAK, 1, 2, true},
      {"s before 4002", 4001, {T("U"), T("s"), R(1), R(2)}, KFCURVE_TANGEANT_USER, 1, 2, true},
  };
  for (const Case& c : acCases) {
    SCOPED_TRACE(c.m_pszName);
    // First key: user with next-left slope 20 and both sides weighted.
    std::vector<V> xValues = {I(0), R(0), T("U"), T("s"), R(0), R(20)};
    if (c.m_iVersion >= 4002) {
      xValues.insert(xValues.end(), {T("a"), R(0.5), R(0.5)});
    }
    xValues.insert(xValues.end(), {I(kSecond), R(1)});
    xValues.insert(xValues.end(), c.m_xSecondKey.begin(), c.m_xSecondKey.end());
    xValues.insert(xValues.end(), {I(2 * kSecond), R(2), T("L")});
    KFCurve xCurve;
    const KFCurveStoredResult xResult = KFCurveReadStoredKeys(xCurve, c.m_iVersion, xValues);
    ASSERT_EQ(xResult.m_iKeysKept, 3);
    if (c.m_iVersion < 4002) {
      xCurve.KeySetTangentWeightMode(0, KFCURVE_WEIGHTED_NEXT_LEFT);  // so the flag can be observed
    }
    const KFCurveKey& xKey = xCurve.KeyGet(1);
    EXPECT_EQ(xKey.GetTangentMode(), c.m_uTangent);
    EXPECT_EQ(xKey.GetDataFloat(0), c.m_fD0);
    EXPECT_EQ(xKey.GetDataFloat(1), c.m_fD1);
    EXPECT_EQ((xCurve.KeyGet(0).GetTangentWeightMode() & KFCURVE_WEIGHTED_NEXT_LEFT) != 0,
              c.m_bPreviousNextLeftWeighted);
    EXPECT_EQ(xCurve.KeyGet(2).GetInterpolation(), KFCURVE_INTERPOLATION_LINEAR);
  }
}

TEST(KFCurveStored, ConstantModeLetterOnlyFrom4004) {
  const std::vector<V> xValues = {I(0), R(1), T("C"), I(kSecond), R(2), T("A")};
  KFCurve xCurve;
  EXPECT_EQ(KFCurveReadStoredKeys(xCurve, 4003, xValues).m_iKeysKept, 2);
  KFCurve xLater;
  // At 4004 the next time would be taken as the mode letter: a type mismatch.
  const KFCurveStoredResult xResult = KFCurveReadStoredKeys(xLater, 4004, xValues);
  EXPECT_EQ(xResult.m_iKeysKept, 0);
}

TEST(KFCurveStored, BadKeysAreDropped) {
  const std::vector<V> xValues = {
      I(kSecond),     R(1),   T("L"),  I(kSecond), R(2), T("L"),  // same time as the previous key
      I(INT64_MIN),   R(3),   T("L"),                             // the smallest time
      I(3 * kSecond), T("x"), T("L"),                             // value is not a number
      I(4 * kSecond), R(5),   T("LL"),                            // not a single letter
      I(5 * kSecond), R(6),   T("L"),
  };
  KFCurve xCurve;
  xCurve.KeyAppend(KTime(-5), 9.0f);  // replaced
  const KFCurveStoredResult xResult = KFCurveReadStoredKeys(xCurve, 4005, xValues);
  EXPECT_EQ(xResult.m_iKeysRead, 6);
  ASSERT_EQ(xResult.m_iKeysKept, 2);
  EXPECT_EQ(xCurve.KeyGet(0).GetValue(), 1.0f);
  EXPECT_EQ(xCurve.KeyGet(1).GetValue(), 6.0f);

  // A bad key does not shift the ones after it; a truncated key is dropped.
  const std::vector<V> xShort = {I(kSecond), T("oops"), T("L"), I(2 * kSecond), R(2), T("L"), I(3 * kSecond)};
  const KFCurveStoredResult xShortResult = KFCurveReadStoredKeys(xCurve, 4005, xShort);
  ASSERT_EQ(xShortResult.m_iKeysKept, 1);
  EXPECT_EQ(xCurve.KeyGet(0).GetTime(), KTime(2 * kSecond));
}

// An unknown interpolation letter ends its key after the letter, an unknown
// tangent letter after the tangent letter; the key is dropped and reading
// goes on with the next one.
TEST(KFCurveStored, UnknownLettersMarkTheirKeyBad) {
  struct Case {
    const char* m_pszName;
    std::vector<V> m_xBadKey;  // at 1 s, between kept keys at 0 s and 2 s
  };
  const Case acCases[] = {
      {"interpolation", {I(kSecond), R(1), T("X")}},
      {"interpolation of another case", {I(kSecond), R(1), T("u")}},
      {"tangent", {I(kSecond), R(1), T("U"), T("k")}},
      {"tangent, not a letter", {I(kSecond), R(1), T("U"), R(3)}},
  };
  for (const Case& c : acCases) {
    SCOPED_TRACE(c.m_pszName);
    KFCurve xCurve;
    const KFCurveStoredResult xResult = KFCurveReadStoredKeys(
        xCurve, 4005, Join({{I(0), R(0), T("L")}, c.m_xBadKey, {I(2 * kSecond), R(2), T("C"), T("n")}}));
    EXPECT_EQ(xResult.m_iKeysRead, 3);
    ASSERT_EQ(xResult.m_iKeysKept, 2);
    EXPECT_EQ(xCurve.KeyGet(1).GetTime(), KTime(2 * kSecond));
    EXPECT_EQ(xCurve.KeyGet(1).GetFlags(), KFCURVE_INTERPOLATION_CONSTANT | KFCURVE_CONSTANT_NEXT);
  }
}

// Weight letters are lower case only; any other letter, upper case
// included, weights nothing and is followed by no weight.
TEST(KFCurveStored, WeightLetters) {
  struct Case {
    const char* m_pszLetter;
    std::vector<V> m_xWeights;
    uint32_t m_uMode;
  };
  const Case acCases[] = {
      {"a", {R(0.25), R(0.75)}, KFCURVE_WEIGHTED_RIGHT | KFCURVE_WEIGHTED_NEXT_LEFT},
      {"r", {R(0.25)}, KFCURVE_WEIGHTED_RIGHT},
      {"l", {R(0.75)}, KFCURVE_WEIGHTED_NEXT_LEFT},
      {"A", {}, KFCURVE_WEIGHTED_NONE},
      {"R", {}, KFCURVE_WEIGHTED_NONE},
      {"L", {}, KFCURVE_WEIGHTED_NONE},
      {"n", {}, KFCURVE_WEIGHTED_NONE},
  };
  // Weight letters follow "s" keys, and, as some exporters write them,
  // "a" keys too (after the number that version 4000 reads for "a").
  struct Tangent {
    const char* m_pszName;
    int m_iVersion;
    std::vector<V> m_xLetterAndData;
  };
  const Tangent axTangents[] = {
      {"s", 4005, {T("s"), R(1), R(2)}}, {"a", 4005, {T("a")}}, {"a of version 4000", 4000, {T("a"), R(5)}}};
  for (const Tangent& t : axTangents)
    for (const Case& c : acCases) {
      SCOPED_TRACE(std::string(t.m_pszName) + " " + c.m_pszLetter);
      std::vector<V> xFirst = {I(0), R(0), T("U")};
      xFirst.insert(xFirst.end(), t.m_xLetterAndData.begin(), t.m_xLetterAndData.end());
      xFirst.push_back(T(c.m_pszLetter));
      xFirst.insert(xFirst.end(), c.m_xWeights.begin(), c.m_xWeights.end());
      KFCurve xCurve;
      ASSERT_EQ(KFCurveReadStoredKeys(xCurve, t.m_iVersion, Join({xFirst, {I(kSecond), R(1), T("L")}})).m_iKeysKept, 2);
      const KFCurveKey& xKey = xCurve.KeyGet(0);
      EXPECT_EQ(xKey.GetTangentWeightMode(), c.m_uMode);
      EXPECT_NEAR(xKey.GetRightTangentWeight(), (c.m_uMode & KFCURVE_WEIGHTED_RIGHT) ? 0.25 : kDefaultTangentWeight,
                  2e-4);
      EXPECT_NEAR(xKey.GetNextLeftTangentWeight(),
                  (c.m_uMode & KFCURVE_WEIGHTED_NEXT_LEFT) ? 0.75 : kDefaultTangentWeight, 2e-4);
    }
}

// The key before a "p", "a" or "d" key is the last key kept, not a dropped
// one read in between; a dropped key changes no other key.
TEST(KFCurveStored, PreviousKeyIsTheLastKeptKey) {
  // Kept first key: user, next-left slope 20, both sides weighted. Dropped
  // key: same time, next-left parameter 7, nothing weighted.
  const std::vector<V> xFirst = {I(0), R(0), T("U"), T("s"), R(0), R(20), T("a"), R(0.5), R(0.5)};
  const std::vector<V> xDropped = {I(0), R(5), T("U"), T("s"), R(0), R(7), T("n")};
  struct Case {
    const char* m_pszName;
    std::vector<V> m_xValues;
    uint32_t m_uTangent;         // of the key at 1 s
    bool m_bFirstStaysWeighted;  // next-left side of the key at 0 s
  };
  const Case acCases[] = {
      {"p agrees with the kept key", Join({xFirst, xDropped, {I(kSecond), R(1), T("U"), T("p"), R(-20), R(0), T("n")}}),
       KFCURVE_TANGEANT_AUTO, true},
      {"p disagrees with the kept key",
       Join({xFirst, xDropped, {I(kSecond), R(1), T("U"), T("p"), R(-7), R(0), T("n")}}), KFCURVE_TANGEANT_AUTO_BREAK,
       true},
      {"a unweights the kept key", Join({xFirst, xDropped, {I(kSecond), R(1), T("U"), T("a")}}), KFCURVE_TANGEANT_AUTO,
       false},
      {"d unweights the kept key", Join({xFirst, xDropped, {I(kSecond), R(1), T("U"), T("d"), R(0), T("n")}}),
       KFCURVE_TANGEANT_AUTO, false},
      {"a dropped key unweights nothing",
       Join({xFirst, {I(0), R(5), T("U"), T("a")}, {I(kSecond), R(1), T("U"), T("s"), R(0), R(0), T("n")}}),
       KFCURVE_TANGEANT_USER, true},
  };
  for (const Case& c : acCases) {
    SCOPED_TRACE(c.m_pszName);
    KFCurve xCurve;
    ASSERT_EQ(KFCurveReadStoredKeys(xCurve, 4005, c.m_xValues).m_iKeysKept, 2);
    EXPECT_EQ(xCurve.KeyGet(0).GetValue(), 0.0f);
    EXPECT_EQ(xCurve.KeyGet(1).GetTangentMode(), c.m_uTangent);
    EXPECT_EQ((xCurve.KeyGet(0).GetTangentWeightMode() & KFCURVE_WEIGHTED_NEXT_LEFT) != 0, c.m_bFirstStaysWeighted);
  }
}

TEST(KFCurveStored, ExtrapolationLetters) {
  struct Case {
    const char* m_pszLetter;
    int m_iMode;
  };
  const Case acCases[] = {{"C", 1}, {"R", 2}, {"M", 3}, {"K", 4}, {"k", 0}, {"X", 0}, {"CC", 0}, {"", 0}, {nullptr, 0}};
  for (const Case& c : acCases) EXPECT_EQ(KFCurveExtrapolationFromLetter(c.m_pszLetter), c.m_iMode);
}

TEST(KFCurveStored, LegacyInterpolationLetters) {
  struct Case {
    const char* m_pszLetter;
    std::vector<V> m_xNumbers;
    uint32_t m_uFlags;
    float m_fD0, m_fD1, m_fBias;
    // Slopes and value of the segment from (0 s, 0) to (1 s, 1) it starts.
    float m_fLeaving, m_fArrivingAtNext, m_fMiddle;
  };
  const Case acCases[] = {
      {"H", {}, KFCURVE_INTERPOLATION_CONSTANT, 0, 0, 0, 0, 0, 0},
      {"R", {}, KFCURVE_INTERPOLATION_LINEAR, 0, 0, 0, 1, 1, 0.5f},
      {"T",
       {R(0.25), R(0.5), R(-0.75)},
       KFCURVE_INTERPOLATION_CUBIC | KFCURVE_TANGEANT_TCB,
       0.25f,
       0.5f,
       -0.75f,
       1.75f * 0.5f * 0.75f,
       0,
       0.5f + 0.125f * 1.75f * 0.5f * 0.75f},
      {"B", {}, KFCURVE_INTERPOLATION_CUBIC | KFCURVE_TANGEANT_USER, 0, 0, 0, 0, 0, 0.5f},
      {"O", {R(2)}, KFCURVE_INTERPOLATION_CUBIC | KFCURVE_TANGEANT_USER, 0, 2, 0, 0, 2, 0.25f},
      {"I", {R(2)}, KFCURVE_INTERPOLATION_CUBIC | KFCURVE_TANGEANT_USER, 2, 0, 0, 2, 0, 0.75f},
  };
  for (const Case& c : acCases) {
    SCOPED_TRACE(c.m_pszLetter);
    std::vector<V> xFirst = {I(0), R(0), T(c.m_pszLetter)};
    xFirst.insert(xFirst.end(), c.m_xNumbers.begin(), c.m_xNumbers.end());
    const std::vector<V> xValues = Join({xFirst, {I(kSecond), R(1), T("L")}});

    KFCurve xCurve;
    ASSERT_EQ(KFCurveReadStoredKeys(xCurve, 4003, xValues).m_iKeysKept, 2);  // the letter's numbers were all consumed
    const KFCurveKey& xKey = xCurve.KeyGet(0);
    EXPECT_EQ(xKey.GetFlags(), c.m_uFlags);
    EXPECT_EQ(xKey.GetDataFloat(KFCURVEKEY_RIGHT_SLOPE), c.m_fD0);
    EXPECT_EQ(xKey.GetDataFloat(KFCURVEKEY_NEXT_LEFT_SLOPE), c.m_fD1);
    if (xKey.IsTCB()) {
      EXPECT_EQ(xKey.GetDataFloat(KFCURVEKEY_TCB_BIAS), c.m_fBias);
    }
    EXPECT_FLOAT_EQ(xCurve.RightDerivative(0), c.m_fLeaving);
    EXPECT_FLOAT_EQ(xCurve.LeftDerivative(1), c.m_fArrivingAtNext);
    EXPECT_FLOAT_EQ(xCurve.Evaluate(KTime(kSecond / 2)), c.m_fMiddle);
    EXPECT_EQ(xCurve.KeyGet(1).GetInterpolation(), KFCURVE_INTERPOLATION_LINEAR);

    // From 4004 on the letter is unknown: its key is dropped.
    KFCurve xModern;
    KFCurveReadStoredKeys(xModern, 4004, xValues);
    for (int i = 0; i < xModern.KeyGetCount(); ++i) EXPECT_NE(xModern.KeyGet(i).GetTime(), KTime(0));
  }
}

TEST(KFCurveStored, LegacyAutoKeysContinueLines) {
  // The auto key is at 1 s with value 1 after a key at 0 s with value 0; the
  // key after it at 2 s has value 3, so a line arrives with slope 1 and the
  // segment after it has slope 2.
  const std::vector<V> xAuto = {I(kSecond), R(1), T("U"), T("a")};
  const std::vector<V> xAfter = {I(2 * kSecond), R(3), T("L")};
  struct Case {
    const char* m_pszName;
    int m_iVersion;
    std::vector<V> m_xValues;
    float m_fRightAuto;  // of the key at 1 s
  };
  const Case acCases[] = {
      {"after linear", 4003, Join({{I(0), R(0), T("L")}, xAuto, xAfter}), -100},
      {"after a legacy ramp", 3999, Join({{I(0), R(0), T("R")}, xAuto, xAfter}), -100},
      {"d after linear", 4001, Join({{I(0), R(0), T("L")}, {I(kSecond), R(1), T("U"), T("d"), R(12)}, xAfter}), -100},
      {"from 4004 on", 4004, Join({{I(0), R(0), T("L")}, xAuto, xAfter}), 0},
      {"after constant", 4003, Join({{I(0), R(0), T("C")}, xAuto, xAfter}), 0},
      {"after cubic", 4003, Join({{I(0), R(0), T("U"), T("s"), R(0), R(0), T("n")}, xAuto, xAfter}), 0},
      {"explicit parameter kept", 4003,
       Join({{I(0), R(0), T("L")}, {I(kSecond), R(1), T("U"), T("p"), R(30), R(0), T("n")}, xAfter}), 30},
      // The linear key is dropped (same time as the cubic one): on the curve
      // the auto key follows a cubic key.
      {"dropped linear neighbour", 4003,
       Join({{I(0), R(0), T("U"), T("s"), R(0), R(0), T("n")}, {I(0), R(0), T("L")}, xAuto, xAfter}), 0},
  };
  for (const Case& c : acCases) {
    SCOPED_TRACE(c.m_pszName);
    KFCurve xCurve;
    ASSERT_EQ(KFCurveReadStoredKeys(xCurve, c.m_iVersion, c.m_xValues).m_iKeysKept, 3);
    ASSERT_EQ(xCurve.KeyGet(1).GetTime(), KTime(kSecond));
    EXPECT_EQ(xCurve.KeyGet(1).GetDataFloat(KFCURVEKEY_RIGHT_AUTO), c.m_fRightAuto);
    if (c.m_fRightAuto == -100) {
      // The curve leaves the key along the line it arrived on.
      EXPECT_FLOAT_EQ(xCurve.LeftDerivative(1), 1.0f);
      EXPECT_FLOAT_EQ(xCurve.RightDerivative(1), 1.0f);
    }
  }
}

TEST(KFCurveStored, OldestVersionsMarkDisagreeingTangentsBroken) {
  // Keys at 0 s and 1 s with the given tangents, then a linear key.
  struct Case {
    const char* m_pszName;
    int m_iVersion;
    std::vector<V> m_xFirst;   // after "U" (or the whole letter list after the value for "L")
    std::vector<V> m_xSecond;  // after "U"
    uint32_t m_uSecondTangent;
  };
  const Case acCases[] = {
      {"user sides agree", 3999, {T("U"), T("s"), R(0), R(5)}, {T("s"), R(5), R(0)}, KFCURVE_TANGEANT_USER},
      {"user sides within tolerance",
       3999,
       {T("U"), T("s"), R(0), R(5)},
       {T("s"), R(5.0005), R(0)},
       KFCURVE_TANGEANT_USER},
      {"user sides differ", 3999, {T("U"), T("s"), R(0), R(5)}, {T("s"), R(4), R(0)}, KFCURVE_TANGEANT_BREAK},
      {"user sides differ at 4000", 4000, {T("U"), T("s"), R(0), R(5)}, {T("s"), R(4), R(0)}, KFCURVE_TANGEANT_USER},
      {"broken stays broken", 3999, {T("U"), T("s"), R(0), R(5)}, {T("b"), R(5), R(0)}, KFCURVE_TANGEANT_BREAK},
      {"auto parameters opposite",
       3999,
       {T("U"), T("s"), R(0), R(20)},
       {T("p"), R(-20), R(0), T("n")},
       KFCURVE_TANGEANT_AUTO},
      {"auto parameters not opposite",
       3999,
       {T("U"), T("s"), R(0), R(20)},
       {T("d"), R(7)},
       KFCURVE_TANGEANT_AUTO_BREAK},
      {"auto parameters not opposite at 4000",
       4000,
       {T("U"), T("s"), R(0), R(20)},
       {T("d"), R(7)},
       KFCURVE_TANGEANT_AUTO},
      {"after TCB", 3999, {T("U"), T("t"), R(0.5), R(0.5), R(0)}, {T("s"), R(3), R(0)}, KFCURVE_TANGEANT_USER},
      {"after linear", 3999, {T("L")}, {T("s"), R(3), R(0)}, KFCURVE_TANGEANT_USER},
  };
  for (const Case& c : acCases) {
    SCOPED_TRACE(c.m_pszName);
    std::vector<V> xFirst = {I(0), R(0)};
    xFirst.insert(xFirst.end(), c.m_xFirst.begin(), c.m_xFirst.end());
    std::vector<V> xSecond = {I(kSecond), R(1), T("U")};
    xSecond.insert(xSecond.end(), c.m_xSecond.begin(), c.m_xSecond.end());
    KFCurve xCurve;
    ASSERT_EQ(KFCurveReadStoredKeys(xCurve, c.m_iVersion, Join({xFirst, xSecond, {I(2 * kSecond), R(2), T("L")}}))
                  .m_iKeysKept,
              3);
    EXPECT_EQ(xCurve.KeyGet(1).GetTangentMode(), c.m_uSecondTangent);
  }
}
