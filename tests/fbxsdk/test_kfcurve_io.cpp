// A curve's stored form through the container, in every encoding.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "fbxsdk/fileio/kfcurve_io.h"
#include "fbxsdk/scene/kfcurve_stored.h"
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

// A key list read in bulk reads as its values read one by one and handed to
// the key reader as they are typed: integers, numbers, and texts that are a
// letter when one character long as a C string. Each list, in every
// encoding, holds the value forms at the edges of that typing.
TEST(KFCurveIo, KeyListsReadInBulkAsValueByValue) {
  const std::string xNul("\0", 1);
  struct Case {
    const char* m_pszName;
    std::vector<V> m_xKey;
    bool m_bBinaryOnly;
  } const kCases[] = {
      {"every interpolation",
       {V::Int64(0),   V::Double(1),          V::Char('C'),    V::Char('n'),          V::Int64(kSecond), V::Double(2),
        V::Char('L'),  V::Int64(2 * kSecond), V::Double(3),    V::Char('U'),          V::Char('s'),      V::Double(0.5),
        V::Double(-1), V::Char('r'),          V::Double(0.25), V::Int64(3 * kSecond), V::Double(4),      V::Char('U'),
        V::Char('t'),  V::Double(0.1),        V::Double(0.2),  V::Double(0.3)},
       false},
      {"narrow integers and floats",
       {V::Int(0), V::Float(1.25f), V::Char('L'), V::Int(7), V::Int(-3), V::Char('L'), V::Int64(1LL << 40),
        V::Float(1e-30f), V::Char('L')},
       false},
      {"letters as strings",
       {V::Int64(0), V::Double(1), V::String("L"), V::Int64(kSecond), V::Double(2), V::String("U"), V::String("p"),
        V::Double(3), V::Double(-3), V::String("a"), V::Double(0.5), V::Double(0.5)},
       false},
      {"letters followed by zeros, or empty",
       {V::Int64(0), V::Double(1), V::String("L" + xNul + "x"), V::Int64(kSecond), V::Double(2), V::String(xNul + "L"),
        V::Int64(2 * kSecond), V::Double(3), V::String(""), V::Int64(3 * kSecond), V::Double(4), V::String("LL")},
       false},
      {"object names",
       {V::Int64(0), V::Double(1), V::String("n" + xNul + "\1L" + xNul), V::Int64(kSecond), V::Double(2),
        V::ObjectName("L", "x"), V::Int64(2 * kSecond), V::Double(3), V::String(xNul + "\1L")},
       true},
      {"numbers where letters go, letters where numbers go",
       {V::Int64(0), V::Double(1), V::Double(76), V::Int64(kSecond), V::String("2"), V::Char('L'),
        V::Int64(2 * kSecond), V::Double(3), V::String("5"), V::Double(4), V::Int64(5), V::Char('L')},
       false},
      {"zero character and raw bytes",
       {V::Int64(0), V::Double(1), V::Char('\0'), V::Int64(kSecond), V::Double(2), V::Raw("L"), V::Int64(2 * kSecond),
        V::Double(3), V::Char('L')},
       true},
      {"tiny and huge numbers",
       {V::Int64(0), V::Double(1e-320), V::Char('L'), V::Int64(kSecond), V::Double(-1e300), V::Char('L'),
        V::Int64(2 * kSecond), V::Double(-0.0), V::Char('L')},
       false},
  };
  for (const Case& xCase : kCases) {
    for (const Encoding& xEncoding : AllEncodings()) {
      if (xCase.m_bBinaryOnly && !xEncoding.m_xOptions.m_bBinary) continue;
      SCOPED_TRACE(std::string(xCase.m_pszName) + ", " + xEncoding.m_pszName);
      KFbxWriteField xChannel("Channel", {V::String("X")});
      xChannel.Child("Default", {V::Double(0)});
      xChannel.Child("KeyVer", {V::Int(4005)});
      xChannel.Child("Key", xCase.m_xKey);
      std::string xError;
      const std::string xBytes = KFbxWriteBytes({{HeaderExtension(6100), xChannel}}, xEncoding.m_xOptions, &xError);
      ASSERT_EQ(xError, "");
      KFbx xSingle, xBulk;
      ASSERT_TRUE(OpenBytes(xSingle, xBytes, xEncoding.m_xOptions));
      ASSERT_TRUE(OpenBytes(xBulk, xBytes, xEncoding.m_xOptions));
      ASSERT_TRUE(xSingle.BeginField("Channel") && xSingle.EnterBlock() && xSingle.BeginField("Key"));
      std::vector<KFCurveStoredValue> xValues;
      while (xSingle.GetRemainingValueCount() > 0) {
        const char cClass = xSingle.GetValueClass();
        if (cClass == 'I' || cClass == 'L') {
          xValues.push_back(KFCurveStoredValue::Integer(xSingle.NextInt64()));
        } else if (cClass == 'F' || cClass == 'D') {
          xValues.push_back(KFCurveStoredValue::Real(xSingle.NextDouble()));
        } else {
          const KString xText = xSingle.NextString();
          xValues.push_back(KFCurveStoredValue::Text(cClass == 'R' ? "" : xText.Buffer()));
        }
      }
      KFCurve xExpected, xRead;
      KFCurveReadStoredKeys(xExpected, 4005, xValues);
      ASSERT_TRUE(xBulk.BeginField("Channel"));
      ASSERT_TRUE(KFCurveRetrieve(xBulk, xRead));
      ASSERT_EQ(xRead.KeyGetCount(), xExpected.KeyGetCount());
      for (int i = 0; i < xRead.KeyGetCount(); ++i)
        EXPECT_EQ(std::memcmp(&xRead.KeyGet(i), &xExpected.KeyGet(i), sizeof(KFCurveKey)), 0) << "key " << i;
    }
  }
}
