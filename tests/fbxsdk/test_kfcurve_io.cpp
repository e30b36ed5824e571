// A curve's stored form through the container, in every encoding.
#include <gtest/gtest.h>

#include "fbxsdk/fileio/kfcurve_io.h"
#include "fileio_test_util.h"

using namespace fileio_test;
using V = KFbxWriteValue;

namespace {

constexpr int64_t kSecond = 46186158000LL;

KFCurve SampleCurve() {
  KFCurve xCurve;
  xCurve.SetValue(4.25f);
  KFCurveKey xKey;
  xKey.Set(KTime(0), 1.0f, KFCURVE_INTERPOLATION_CONSTANT, KFCURVE_CONSTANT_NEXT);
  xCurve.KeyInsert(xKey);
  xKey.Set(KTime(kSecond), 2.0f, KFCURVE_INTERPOLATION_LINEAR);
  xCurve.KeyInsert(xKey);
  xKey.Set(KTime(2 * kSecond), 3.5f, KFCURVE_INTERPOLATION_CUBIC, KFCURVE_TANGEANT_USER, 0.5f, -0.25f);
  xKey.SetTangentWeightMode(KFCURVE_WEIGHTED_RIGHT);
  xKey.SetRightTangentWeight(0.5f);
  xCurve.KeyInsert(xKey);
  xKey = KFCurveKey();
  xKey.SetTCB(KTime(3 * kSecond), -1.0f, 0.1f, 0.2f, 0.3f);
  xCurve.KeyInsert(xKey);
  xKey = KFCurveKey();
  xKey.Set(KTime(4 * kSecond), 0.0f, KFCURVE_INTERPOLATION_CUBIC, KFCURVE_TANGEANT_AUTO_BREAK, 10.0f, -20.0f);
  xCurve.KeyInsert(xKey);
  xCurve.SetPreExtrapolation(KFCURVE_EXTRAPOLATION_REPETITION);
  xCurve.SetPreExtrapolationCount(3);
  xCurve.SetPostExtrapolation(KFCURVE_EXTRAPOLATION_KEEP_SLOPE);
  xCurve.SetPostExtrapolationCount(-1);
  xCurve.SetColor(0.25f, 0.5f, 1.0f);
  return xCurve;
}

}  // namespace

TEST(KFCurveIo, StoredFormRoundTrip) {
  const KFCurve xWritten = SampleCurve();
  const KFbxWriteSection xSection = {HeaderExtension(6100), KFCurveStoredField(xWritten, "Channel", 4005, true)};
  for (const Encoding& xEncoding : AllEncodings()) {
    SCOPED_TRACE(xEncoding.m_pszName);
    KFbx xFbx;
    ASSERT_TRUE(OpenBytes(xFbx, KFbxWriteBytes({xSection}, xEncoding.m_xOptions), xEncoding.m_xOptions));
    ASSERT_TRUE(xFbx.BeginField("Channel"));
    KFCurve xRead;
    ASSERT_TRUE(KFCurveRetrieve(xFbx, xRead, true));
    EXPECT_EQ(xRead.GetValue(), 4.25f);
    ASSERT_EQ(xRead.KeyGetCount(), xWritten.KeyGetCount());
    for (int i = 0; i < xRead.KeyGetCount(); ++i) {
      SCOPED_TRACE(i);
      const KFCurveKey& xA = xWritten.KeyGet(i);
      const KFCurveKey& xB = xRead.KeyGet(i);
      EXPECT_EQ(xB.GetTime(), xA.GetTime());
      EXPECT_EQ(xB.GetValue(), xA.GetValue());
      EXPECT_EQ(xB.GetFlags(), xA.GetFlags());
      for (int d = 0; d < 3; ++d) EXPECT_EQ(xB.GetDataFloat(d), xA.GetDataFloat(d)) << d;
      EXPECT_EQ(xB.GetRightTangentWeight(), xA.GetRightTangentWeight());
    }
    EXPECT_EQ(xRead.GetPreExtrapolation(), KFCURVE_EXTRAPOLATION_REPETITION);
    EXPECT_EQ(xRead.GetPreExtrapolationCount(), 3);
    EXPECT_EQ(xRead.GetPostExtrapolation(), KFCURVE_EXTRAPOLATION_KEEP_SLOPE);
    EXPECT_EQ(xRead.GetPostExtrapolationCount(), -1);
    EXPECT_EQ(xRead.GetColor()[1], 0.5f);
    for (double dTime : {-2.5, 0.5, 2.5, 3.7, 9.0}) {
      const KTime xTime(static_cast<int64_t>(dTime * kSecond));
      EXPECT_EQ(xRead.EvaluateUncached(xTime), xWritten.EvaluateUncached(xTime)) << dTime;
    }
  }
}

// Key version 4005 exporters write a weight letter after "a"; files without
// one read as before. Written by hand in both encodings: binary letters are
// character properties, ASCII letters single-letter tokens.
TEST(KFCurveIo, WeightLetterAfterAutoTangent) {
  struct Case {
    const char* m_pszName;
    std::vector<V> m_xKey;
    int m_iKeys;
    uint32_t m_uWeights;
  } const kCases[] = {
      {"no weight letter",
       {V::Int64(0), V::Double(1), V::Char('U'), V::Char('a'), V::Int64(kSecond), V::Double(2), V::Char('L')},
       2,
       KFCURVE_WEIGHTED_NONE},
      {"weight letter n",
       {V::Int64(0), V::Double(1), V::Char('U'), V::Char('a'), V::Char('n'), V::Int64(kSecond), V::Double(2),
        V::Char('L')},
       2,
       KFCURVE_WEIGHTED_NONE},
      {"weight letter r with its weight",
       {V::Int64(0), V::Double(1), V::Char('U'), V::Char('a'), V::Char('r'), V::Double(0.25), V::Int64(kSecond),
        V::Double(2), V::Char('L')},
       2,
       KFCURVE_WEIGHTED_RIGHT},
  };
  for (const Case& xCase : kCases) {
    for (bool bBinary : {true, false}) {
      SCOPED_TRACE(std::string(xCase.m_pszName) + (bBinary ? " binary" : " ASCII"));
      KFbxWriteField xChannel("Channel", {V::String("X")});
      xChannel.Child("Default", {V::Double(0)});
      xChannel.Child("KeyVer", {V::Int(4005)});
      xChannel.Child("Key", xCase.m_xKey);
      KFbxWriteOptions xOptions;
      xOptions.m_bBinary = bBinary;
      KFbx xFbx;
      ASSERT_TRUE(OpenBytes(xFbx, KFbxWriteBytes({{xChannel}}, xOptions), xOptions));
      ASSERT_TRUE(xFbx.BeginField("Channel"));
      KFCurve xCurve;
      ASSERT_TRUE(KFCurveRetrieve(xFbx, xCurve));
      ASSERT_EQ(xCurve.KeyGetCount(), xCase.m_iKeys);
      EXPECT_EQ(xCurve.KeyGet(0).GetTangentMode(), KFCURVE_TANGEANT_AUTO);
      EXPECT_EQ(xCurve.KeyGet(0).GetTangentWeightMode(), xCase.m_uWeights);
      if (xCase.m_uWeights) {
        EXPECT_NEAR(xCurve.KeyGet(0).GetRightTangentWeight(), 0.25, 2e-4);
      }
    }
  }
}

TEST(KFCurveIo, ChannelWithoutCurveLeavesItUntouched) {
  KFbxWriteField xNoDefault("Channel", {V::String("Y")});
  xNoDefault.Child("KeyVer", {V::Int(4005)});
  xNoDefault.Child("Key", {V::Int64(0), V::Double(5), V::Char('L')});
  const std::vector<KFbxWriteField> xFields = {KFbxWriteField("Channel", {V::String("X")}), xNoDefault};
  KFbx xFbx;
  ASSERT_TRUE(OpenBytes(xFbx, KFbxWriteBytes({xFields}, {}), {}));
  for (int i = 0; i < 2; ++i) {
    SCOPED_TRACE(i);
    ASSERT_TRUE(xFbx.BeginField("Channel"));
    KFCurve xCurve;
    xCurve.SetValue(3.0f);
    EXPECT_FALSE(KFCurveRetrieve(xFbx, xCurve));
    EXPECT_EQ(xCurve.GetValue(), 3.0f);
    EXPECT_EQ(xCurve.KeyGetCount(), 0);
    xFbx.EndField();
  }
}
