#include <gtest/gtest.h>

#include <cmath>

#include "fbxsdk/core/ktime.h"

namespace {

constexpr int64_t kSecond = 46186158000LL;

// Restores the library-wide defaults changed by a test.
class KTimeGlobals : public ::testing::Test {
 protected:
  void TearDown() override {
    KTime::SetGlobalTimeMode(KTime::eFRAMES30);
    KTime::SetGlobalTimeProtocol(KTime::eFRAME);
  }
};

}  // namespace

TEST(KTime, SecondsBecomeTicksTruncatedTowardZero) {
  struct Case {
    double m_dSeconds;
    int64_t m_llTicks;
  };
  const Case acCases[] = {
      {1.0, kSecond},
      {-0.5, -23093079000LL},
      {0.5 / kSecond, 0},   // half a tick
      {-0.5 / kSecond, 0},  // toward zero, not down
      {1.75 / kSecond, 1},
      {-1.75 / kSecond, -1},
      {1e30, KTime::kInfinite},  // saturates
      {-1e30, KTime::kMinusInfinite},
  };
  for (const Case& c : acCases) {
    KTime xTime;
    xTime.SetSeconds(c.m_dSeconds);
    EXPECT_EQ(xTime.Get(), c.m_llTicks) << c.m_dSeconds;
  }
  EXPECT_DOUBLE_EQ(KTime(-23093079000LL).GetSeconds(), -0.5);
  EXPECT_EQ(KTime::kOneSecond, 0xAC0E8D7B0LL);
}

TEST(KTime, SpecialValues) {
  EXPECT_EQ(KTime::Infinite().Get(), 0x7FFFFFFFFFFFFFFFLL);
  EXPECT_EQ(static_cast<uint64_t>(KTime::MinusInfinite().Get()), 0x8000000000000001ULL);
  EXPECT_TRUE(KTime(INT64_MIN).IsMinusInfinite());
  EXPECT_TRUE(KTime::MinusInfinite().IsMinusInfinite());
  EXPECT_FALSE(KTime(0).IsMinusInfinite());
  EXPECT_TRUE(KTime::Infinite().IsInfinite());
}

TEST(KTime, ModeTable) {
  struct Row {
    int m_iMode;
    double m_dRate;
    const char* m_pszShort;
    const char* m_pszLong;
    int m_iExternal;
    int64_t m_llPerFrame;
    int64_t m_llPerField;
  };
  const Row axRows[] = {
      {1, 120, "120", "120 fps", 8, 384884650LL, 0},
      {2, 100, "100", "100 fps", 7, 461861580LL, 0},
      {3, 60, "60", "60 fps", 6, 769769300LL, 0},
      {4, 50, "50", "50 fps", 5, 923723160LL, 0},
      {5, 48, "48", "48 fps", 3, 962211625LL, 0},
      {6, 30, "30", "30 fps", 3, 1539538600LL, 769769300LL},
      {7, 30, "30 Drop", "30 Drop", 10, 1539538600LL, 769769300LL},
      {8, 29.97002617, "29.97 drop", "NTSC Drop", 4, 1541078334LL, 770539167LL},
      {9, 29.97002617, "29.97 full", "NTSC Full", 9, 1541078334LL, 770539167LL},
      {10, 25, "25", "PAL", 2, 1847446320LL, 923723160LL},
      {11, 24, "24", "24 fps", 1, 1924423250LL, 0},
      {12, 30, "", "", -1, 46186158LL, 0},  // no row: rate 30, no names
      {13, 23.976, "23.976", "23.976 fps", 10, 1926349600LL, 963174800LL},
  };
  for (const Row& r : axRows) {
    SCOPED_TRACE(r.m_iMode);
    EXPECT_DOUBLE_EQ(KTime::GetFrameRate(r.m_iMode), r.m_dRate);
    EXPECT_STREQ(KTime::GetTimeModeShortName(r.m_iMode), r.m_pszShort);
    EXPECT_STREQ(KTime::GetTimeModeLongName(r.m_iMode), r.m_pszLong);
    EXPECT_EQ(KTime::GetTimeModeExternalCode(r.m_iMode), r.m_iExternal);
    EXPECT_EQ(KTime::GetOneFrameValue(r.m_iMode), r.m_llPerFrame);
    EXPECT_EQ(KTime::GetOneFieldValue(r.m_iMode), r.m_llPerField);
    if (r.m_iMode != 12 && r.m_iMode != 13) {
      EXPECT_NEAR(r.m_dRate * static_cast<double>(r.m_llPerFrame), static_cast<double>(kSecond), 1.0);
    }
  }
  EXPECT_EQ(KTime::GetOneFrameValue(14), 0);
  EXPECT_EQ(KTime::GetOneFrameValue(-1), 0);
  EXPECT_DOUBLE_EQ(46186158000.0 / 1541078334.0, 29.97002617) << "the NTSC rate is the tick ratio";
}

TEST(KTime, ModeOfRate) {
  struct Case {
    double m_dRate, m_dTolerance;
    int m_iMode;
  };
  const Case acCases[] = {
      {29.97, 0.01, 8},                                        // the first NTSC row
      {1000.0, 0.5, 0},                                        // mode 12 reads as 30
      {30.0, 0.0, 6},                                          // bounds inclusive
      {24.0, 0.0, 11},  {23.976, 0.0001, 13}, {48.5, 0.5, 5},  // exactly at the bound
      {48.5, 0.49, 0},
  };
  for (const Case& c : acCases)
    EXPECT_EQ(KTime::ConvertFrameRateToTimeMode(c.m_dRate, c.m_dTolerance), c.m_iMode) << c.m_dRate;
}

TEST(KTime, ModeOfNameAndOfExternalCode) {
  EXPECT_EQ(KTime::GetTimeModeFromName("PAL"), 10);
  EXPECT_EQ(KTime::GetTimeModeFromName("25"), 10);
  EXPECT_EQ(KTime::GetTimeModeFromName("NTSC Drop"), 8);
  EXPECT_EQ(KTime::GetTimeModeFromName("29.97 full"), 9);
  EXPECT_EQ(KTime::GetTimeModeFromName("30 Drop"), 7);
  EXPECT_EQ(KTime::GetTimeModeFromName("23.976 fps"), 13);
  EXPECT_EQ(KTime::GetTimeModeFromName("pal"), 6);  // exact comparison
  EXPECT_EQ(KTime::GetTimeModeFromName("1000"), 6);
  EXPECT_EQ(KTime::GetTimeModeFromName(nullptr), 6);

  EXPECT_EQ(KTime::GetTimeModeFromExternalCode(3), 6);   // the 48 row cannot be found by code
  EXPECT_EQ(KTime::GetTimeModeFromExternalCode(10), 7);  // nor the 23.976 row
  EXPECT_EQ(KTime::GetTimeModeFromExternalCode(4), 8);
  EXPECT_EQ(KTime::GetTimeModeFromExternalCode(1), 11);
  EXPECT_EQ(KTime::GetTimeModeFromExternalCode(42), 6);
}

TEST_F(KTimeGlobals, ModeZeroIsTheDefaultMode) {
  const KTime xTime(kSecond * 3 + 1539538600LL * 7);
  KTimeCode xZero, xSix;
  ASSERT_TRUE(xTime.ToTimeCode(xZero, 0));
  ASSERT_TRUE(xTime.ToTimeCode(xSix, 6));
  EXPECT_EQ(xZero.m_iSeconds, xSix.m_iSeconds);
  EXPECT_EQ(xZero.m_iFrames, 7);
  EXPECT_EQ(xTime.GetFrame(0), xTime.GetFrame(6));
  EXPECT_DOUBLE_EQ(KTime::GetFrameRate(0), 30.0);
  EXPECT_STREQ(xTime.ToText(4, 0, 0), xTime.ToText(4, 6, 0));

  KTime::SetGlobalTimeMode(KTime::ePAL);
  EXPECT_DOUBLE_EQ(KTime::GetFrameRate(0), 25.0);
  EXPECT_EQ(KTime(kSecond).GetFrame(0), 25);
  KTime::SetGlobalTimeMode(0);  // a zero default leaves the rate look-up without a row
  EXPECT_DOUBLE_EQ(KTime::GetFrameRate(0), 30.0);
  EXPECT_EQ(KTime(kSecond).GetFrame(0), 0);
}

TEST(KTime, FrameCounts) {
  struct Case {
    int64_t m_llTicks;
    int m_iMode;
    int64_t m_llFrames;
  };
  const Case acCases[] = {
      {kSecond, 6, 30},          {kSecond, 8, 29},  // 1541078334 does not divide a second
      {kSecond, 9, 29},          {kSecond, 12, 1000}, {kSecond, 13, 23}, {-1539538600LL - 1, 6, -1},  // toward zero
      {-1539538600LL + 1, 6, 0}, {kSecond, 14, 0},
  };
  for (const Case& c : acCases) EXPECT_EQ(KTime(c.m_llTicks).GetFrame(c.m_iMode), c.m_llFrames) << c.m_iMode;
  // Not cumulative: the frame field of the time code.
  EXPECT_EQ(KTime(kSecond * 61 + 1539538600LL * 4).GetFrame(6, false), 4);
}

TEST(KTime, FromTimeCode) {
  struct Case {
    int h, m, s, f, fields, hundredths, mode;
    int64_t m_llTicks;
  };
  const Case acCases[] = {
      {0, 0, 1, 0, 0, 0, 6, kSecond},
      {1, 0, 0, 0, 0, 0, 6, kSecond * 3600},
      {0, 0, 0, 3, 1, 0, 6, 3 * 1539538600LL + 769769300LL},
      {0, 0, 0, 3, 1, 0, 1, 3 * 384884650LL},  // fields ignored without fields
      {0, 0, 2, 5, 0, 0, 12, 2005 * 46186158LL},
      {0, 0, 0, 0, 1, 0, 10, 923723160LL},
      // Drop frame: 00:01:00 frame 2 is the first frame number of minute 1.
      {0, 1, 0, 2, 0, 0, 7, 1800 * 1539538600LL},
      {0, 1, 0, 0, 0, 0, 7, 1800 * 1539538600LL},  // dropped numbers land on frame 2
      {0, 1, 0, 1, 0, 0, 7, 1800 * 1539538600LL},
      {0, 1, 1, 0, 0, 0, 7, (1800 + 28) * 1539538600LL},
      {0, 10, 0, 0, 0, 0, 7, 17982 * 1539538600LL},
      {1, 0, 0, 0, 0, 0, 8, 6 * 17982 * 1541078334LL},
      {0, 2, 0, 2, 1, 0, 8, (1800 + 1798) * 1541078334LL + 770539167LL},
      {0, 1, 0, 2, 0, 0, 13, 1440 * 1926349600LL},
      {0, 10, 0, 0, 0, 0, 13, 14382 * 1926349600LL},
      // Hundredths: a fraction of a frame rounded up to the next tick.
      {0, 0, 0, 0, 0, 50, 6, 769769300LL},
      {0, 0, 0, 0, 0, 1, 8, 15410784LL},
      {0, 0, 1, 0, 0, 25, 10, kSecond + 461861580LL},
  };
  for (const Case& c : acCases) {
    KTime xTime;
    ASSERT_TRUE(xTime.FromTimeCode(c.h, c.m, c.s, c.f, c.fields, c.hundredths, c.mode));
    EXPECT_EQ(xTime.Get(), c.m_llTicks) << c.h << ":" << c.m << ":" << c.s << "." << c.f << " mode " << c.mode;
  }
}

TEST(KTime, FromTimeCodeRefusesUnknownModesAndOverflow) {
  KTime xTime(123);
  EXPECT_FALSE(xTime.FromTimeCode(0, 0, 1, 0, 0, 0, 14));
  EXPECT_FALSE(xTime.FromTimeCode(0, 0, 1, 0, 0, 0, -3));
  EXPECT_FALSE(xTime.FromTimeCode(2000000000, 0, 0, 0, 0, 0, 6));  // beyond the tick range
  EXPECT_EQ(xTime.Get(), 123);
  KTimeCode xCode;
  EXPECT_FALSE(xTime.ToTimeCode(xCode, 14));
}

TEST(KTime, ToTimeCodeDecomposes) {
  KTimeCode xC;
  ASSERT_TRUE(KTime(kSecond * 3723 + 1539538600LL * 4 + 769769300LL).ToTimeCode(xC, 6));
  EXPECT_EQ(xC.m_iHours, 1);
  EXPECT_EQ(xC.m_iMinutes, 2);
  EXPECT_EQ(xC.m_iSeconds, 3);
  EXPECT_EQ(xC.m_iFrames, 4);
  EXPECT_EQ(xC.m_iFields, 1);
  EXPECT_EQ(xC.m_iHundredths, 0);

  // A negative time has negative hours and a non-negative rest.
  ASSERT_TRUE(KTime(-1539538600LL).ToTimeCode(xC, 6));
  EXPECT_EQ(xC.m_iHours, -1);
  EXPECT_EQ(xC.m_iMinutes, 59);
  EXPECT_EQ(xC.m_iSeconds, 59);
  EXPECT_EQ(xC.m_iFrames, 29);

  ASSERT_TRUE(KTime(384884650LL * 2 + 96221163LL).ToTimeCode(xC, 1));  // a quarter frame, rounded up
  EXPECT_EQ(xC.m_iFrames, 2);
  EXPECT_EQ(xC.m_iHundredths, 25);
  ASSERT_TRUE(KTime::Infinite().ToTimeCode(xC, 12));
  EXPECT_GT(xC.m_iHours, 0);
  ASSERT_TRUE(KTime::MinusInfinite().ToTimeCode(xC, 12));
  EXPECT_LT(xC.m_iHours, 0);
}

// Every frame and field of twenty minutes (and some negative ones) decomposes
// into a time code that builds the same time again; drop-frame modes never
// produce the skipped frame numbers.
TEST(KTime, TimeCodeInvertsInEveryMode) {
  for (int iMode = 1; iMode <= 13; ++iMode) {
    SCOPED_TRACE(iMode);
    const int64_t llStep =
        KTime::GetOneFieldValue(iMode) ? KTime::GetOneFieldValue(iMode) : KTime::GetOneFrameValue(iMode);
    const int64_t llSteps = 20 * 60 * static_cast<int64_t>(std::ceil(KTime::GetFrameRate(iMode))) * 2;
    const bool bDrop = iMode == 7 || iMode == 8 || iMode == 13;
    int iFailures = 0;
    for (int64_t n = -3000; n < llSteps && iFailures < 5; n += (n > 0 && iMode == 12 ? 37 : 1)) {
      const KTime xTime(n * llStep);
      KTimeCode xC;
      ASSERT_TRUE(xTime.ToTimeCode(xC, iMode));
      KTime xBack;
      ASSERT_TRUE(xBack.FromTimeCode(xC.m_iHours, xC.m_iMinutes, xC.m_iSeconds, xC.m_iFrames, xC.m_iFields,
                                     xC.m_iHundredths, iMode));
      if (xBack != xTime) {
        ++iFailures;
        ADD_FAILURE() << "ticks " << xTime.Get() << " came back as " << xBack.Get();
      }
      if (bDrop && xC.m_iMinutes % 10 != 0 && xC.m_iSeconds == 0 && xC.m_iFrames < 2) {
        ++iFailures;
        ADD_FAILURE() << "skipped frame number produced at " << xTime.Get();
      }
    }
  }
}

// Hundredths come back as given; in the modes that count fields the half
// frame of a second field is shown as that field.
TEST(KTime, HundredthsInvert) {
  for (int iMode : {1, 6, 8, 10, 12, 13}) {
    const bool bFields = KTime::GetOneFieldValue(iMode) != 0;
    for (int h = 1; h < 100; h += 7) {
      KTime xTime;
      ASSERT_TRUE(xTime.FromTimeCode(0, 3, 4, 5, 0, h, iMode));
      KTimeCode xC;
      ASSERT_TRUE(xTime.ToTimeCode(xC, iMode));
      EXPECT_EQ(xC.m_iFrames, 5);
      EXPECT_EQ(xC.m_iFields, bFields && h >= 50 ? 1 : 0);
      EXPECT_EQ(xC.m_iHundredths + 50 * xC.m_iFields, h) << "mode " << iMode;
      KTime xBack;
      ASSERT_TRUE(xBack.FromTimeCode(xC.m_iHours, xC.m_iMinutes, xC.m_iSeconds, xC.m_iFrames, xC.m_iFields,
                                     xC.m_iHundredths, iMode));
      EXPECT_EQ(xBack, xTime) << "mode " << iMode << " h " << h;
    }
  }
}
