#include <gtest/gtest.h>

#include <string>

#include "fbxsdk/core/ktime.h"

namespace {

constexpr int64_t kFrame30 = 1539538600LL;

KTime TimeCode(int h, int m, int s, int f, int fields, int hundredths, int mode) {
  KTime xTime;
  EXPECT_TRUE(xTime.FromTimeCode(h, m, s, f, fields, hundredths, mode));
  return xTime;
}

}  // namespace

TEST(KTimeText, InfiniteTimes) {
  struct Case {
    int m_iStyle, m_iProtocol;
    const char* m_pszPlus;
    const char* m_pszMinus;
  };
  const Case acCases[] = {
      {5, 0, "---:--:--.--", "- ---:--:--.--"},
      {6, 0, "---:--:--.-- (--)", "- ---:--:--.-- (--)"},
      {1, 1, "---", "---"},
      {4, 1, "---", "---"},
      {5, 1, "  ---", "- ---"},
      {6, 1, "  --- (--)", "- --- (--)"},
  };
  for (const Case& c : acCases) {
    EXPECT_STREQ(KTime::Infinite().ToText(c.m_iStyle, 6, c.m_iProtocol), c.m_pszPlus);
    EXPECT_STREQ(KTime::MinusInfinite().ToText(c.m_iStyle, 6, c.m_iProtocol), c.m_pszMinus);
    EXPECT_STREQ(KTime(INT64_MIN).ToText(c.m_iStyle, 6, c.m_iProtocol), c.m_pszMinus);
  }
}

TEST(KTimeText, TimeCodeStyles) {
  const KTime xWhole = TimeCode(1, 2, 3, 4, 0, 0, 6);
  const KTime xField = TimeCode(1, 2, 3, 4, 1, 0, 6);
  const KTime xPart = TimeCode(1, 2, 3, 4, 0, 30, 6);
  struct Case {
    KTime m_xTime;
    int m_iStyle;
    const char* m_pszText;
  };
  const Case acCases[] = {
      {xWhole, 1, "001"},
      {xWhole, 2, "001:02"},
      {xWhole, 3, "001:02:03"},
      {xWhole, 4, "001:02:03.04"},
      {xWhole, 5, "001:02:03.04"},
      {xPart, 5, "001:02:03.04*"},
      {xField, 5, "001:02:03.04*"},  // half a frame is a sub-frame part
      {xField, 6, "001:02:03.04 (01)"},
      {xWhole, 7, ""},
      {xWhole, 0, ""},
      {KTime(-kFrame30), 4, "-01:59:59.29"},
      {KTime(-kFrame30 * 30 * 3600 * 12), 1, "-12"},
  };
  for (const Case& c : acCases) EXPECT_STREQ(c.m_xTime.ToText(c.m_iStyle, 6, 0), c.m_pszText) << c.m_iStyle;
  EXPECT_STREQ(xWhole.ToText(4, 14, 0), "");
}

TEST(KTimeText, FrameCountStyles) {
  const KTime x45(45 * kFrame30);
  const KTime xHalf(45 * kFrame30 + kFrame30 / 2);
  struct Case {
    KTime m_xTime;
    int m_iStyle;
    const char* m_pszText;
  };
  const Case acCases[] = {
      {x45, 1, "45"},
      {x45, 4, "45"},
      {x45, 5, "45"},
      {xHalf, 5, "45*"},
      {xHalf, 6, "45 (50)"},
      {x45, 6, "45 (00)"},
      {KTime(-x45.Get()), 1, "- 45"},
      {KTime(-x45.Get()), 5, "-45"},
      {KTime(-xHalf.Get()), 5, "- 45*"},
      {KTime(-xHalf.Get()), 6, "- 45 (50)"},
      // Less than a frame before zero: the count is 0, not negative.
      {KTime(-kFrame30 / 2), 1, "0"},
      {KTime(-kFrame30 / 2), 5, "0*"},
      {KTime(-kFrame30 / 2), 6, "0 (50)"},
      {KTime(-kFrame30 - kFrame30 / 2), 6, "- 1 (50)"},
      {x45, 7, ""},
  };
  for (const Case& c : acCases) EXPECT_STREQ(c.m_xTime.ToText(c.m_iStyle, 6, 1), c.m_pszText) << c.m_iStyle;
  EXPECT_STREQ(x45.ToText(1, 12, 1), "1500");  // 1.5 s at 1000 frames per second
}

TEST(KTimeText, DefaultProtocolIsFrameCount) {
  const KTime xTime(45 * kFrame30);
  EXPECT_STREQ(xTime.ToText(4), "45");
  KTime::SetGlobalTimeProtocol(KTime::eSMPTE);
  EXPECT_STREQ(xTime.ToText(4), "000:00:01.15");
  KTime xRead;
  EXPECT_TRUE(xRead.FromText("000:00:01.15"));
  EXPECT_EQ(xRead, xTime);
  KTime::SetGlobalTimeProtocol(KTime::eFRAME);
}

TEST(KTimeText, ReadTimeCode) {
  struct Case {
    const char* m_pszText;
    int64_t m_llTicks;
  };
  const Case acCases[] = {
      {"001:02:03.04", TimeCode(1, 2, 3, 4, 0, 0, 6).Get()},
      {"1;02;03.04", TimeCode(1, 2, 3, 4, 0, 0, 6).Get()},
      {"02:03", TimeCode(0, 2, 3, 0, 0, 0, 6).Get()},
      {"5", 5 * 46186158000LL},
      {"0:0:1.00.5", TimeCode(0, 0, 1, 0, 0, 50, 6).Get()},  // one digit counts as tens
      {"0:0:1.00.123", TimeCode(0, 0, 1, 0, 0, 12, 6).Get()},
      {"0:0:1.00 (25)", TimeCode(0, 0, 1, 0, 0, 25, 6).Get()},
      {"0:0:1.00.5 (25)", TimeCode(0, 0, 1, 0, 0, 75, 6).Get()},
      {"00:01:00:02", 1800 * kFrame30 * 0 + TimeCode(0, 1, 0, 2, 0, 0, 6).Get()},
      {"-01:59:59.29", -kFrame30},
  };
  for (const Case& c : acCases) {
    KTime xTime;
    EXPECT_TRUE(xTime.FromText(c.m_pszText, 6, 0)) << c.m_pszText;
    EXPECT_EQ(xTime.Get(), c.m_llTicks) << c.m_pszText;
  }
  KTime xDrop;
  ASSERT_TRUE(xDrop.FromText("00:01:00.02", 7, 0));
  EXPECT_EQ(xDrop.Get(), 1800 * kFrame30);
}

TEST(KTimeText, ReadFrameCount) {
  struct Case {
    const char* m_pszText;
    int64_t m_llTicks;
  };
  const Case acCases[] = {
      {"12", 12 * kFrame30},
      {"12.5", 12 * kFrame30 + kFrame30 / 2},
      {"12 (50)", 12 * kFrame30 + kFrame30 / 2},
      {"12*", 12 * kFrame30},
      {"+5", 5 * kFrame30},
      // The signed whole count, then the hundredths added to it.
      {"-12", -12 * kFrame30},
      {"-12.5", -12 * kFrame30 + kFrame30 / 2},
      {"-12 (50)", -12 * kFrame30 + kFrame30 / 2},
      {"-12.5*", -12 * kFrame30 + kFrame30 / 2},
      // Without a whole count the minus sign goes to the hundredths.
      {"-0", 0},
      {"-0.5", -(kFrame30 / 2)},
      {"-0 (25)", -(kFrame30 / 4)},
  };
  for (const Case& c : acCases) {
    KTime xTime;
    EXPECT_TRUE(xTime.FromText(c.m_pszText, 6, 1)) << c.m_pszText;
    EXPECT_EQ(xTime.Get(), c.m_llTicks) << c.m_pszText;
  }
}

TEST(KTimeText, RejectedTextsLeaveTheTimeUnchanged) {
  struct Case {
    const char* m_pszText;
    int m_iMode, m_iProtocol;
  };
  const Case acCases[] = {
      {"", 6, 0},
      {"0000000:00:00.0000", 6, 0},   // 18 characters: still read (see below)
      {"00000000:00:00.0000", 6, 0},  // 19 characters
      {"abc", 6, 0},
      {"1:2:3:4:5", 6, 0},
      {"1:2x", 6, 0},
      {"---:--:--.--", 6, 0},
      {"---", 6, 1},
      {"x12", 6, 1},
      {"12 (x)", 6, 1},
      {"12", 14, 1},
      {"12", 6, 3},
      {"- 12", 6, 1},  // the sign belongs to the number
      {"+-5", 6, 1},
      // Fields beyond 32 bits, and hundredths that overflow once the
      // fraction is added, are refused rather than wrapped.
      {"4294967297:00:00", 6, 0},
      {"0:4294967296:00", 6, 0},
      {"0:0:4294967296", 6, 0},
      {"0:0:0.4294967296", 6, 0},
      {"0:0:0 (4294967297)", 6, 0},
      {"0.0.99(2147483647)", 6, 0},
      {"0:0:0(-2147483649)", 6, 0},
      {"1 (4294967297)", 6, 1},
      {"0.99 (2147483647)", 6, 1},
  };
  for (const Case& c : acCases) {
    KTime xTime(777);
    const bool bRead = xTime.FromText(c.m_pszText, c.m_iMode, c.m_iProtocol);
    if (std::string(c.m_pszText) == "0000000:00:00.0000") {
      EXPECT_TRUE(bRead);
      EXPECT_EQ(xTime.Get(), 0);
      continue;
    }
    EXPECT_FALSE(bRead) << c.m_pszText;
    EXPECT_EQ(xTime.Get(), 777) << c.m_pszText;
  }
  KTime xTime(777);
  EXPECT_FALSE(xTime.FromText(nullptr));
}

// The whole-frame styles read back to the same time in every mode, for
// positive and negative times (negative frame counts only in the one style
// that writes them as a number); the frame-count style with hundredths too.
TEST(KTimeText, RoundTripInEveryMode) {
  for (int iMode = 1; iMode <= 13; ++iMode) {
    const int64_t llFrame = KTime::GetOneFrameValue(iMode);
    for (int64_t llFrames : {0LL, 1LL, 29LL, 1799LL, 1800LL, 17983LL, 107893LL, -1LL, -1801LL}) {
      const KTime xTime(llFrames * llFrame);
      for (int iStyle : {4, 5}) {
        const KString xText = xTime.ToText(iStyle, iMode, 0);
        KTime xBack(12345);
        EXPECT_TRUE(xBack.FromText(xText, iMode, 0)) << xText.Buffer();
        EXPECT_EQ(xBack, xTime) << "mode " << iMode << " text " << xText.Buffer();
      }
      for (int iStyle = 1; iStyle <= 6; ++iStyle) {
        const KString xText = xTime.ToText(iStyle, iMode, 1);
        KTime xBack(12345);
        // The display forms "- n" of negative counts are not number texts.
        const bool bDisplayOnly = std::string(xText.Buffer()).rfind("- ", 0) == 0;
        EXPECT_EQ(xBack.FromText(xText, iMode, 1), !bDisplayOnly) << xText.Buffer();
        EXPECT_EQ(xBack, bDisplayOnly ? KTime(12345) : xTime) << "mode " << iMode << " text " << xText.Buffer();
      }
      if (llFrames < 0) continue;
      for (int h : {1, 50, 99}) {
        KTime xPart;
        ASSERT_TRUE(xPart.FromTimeCode(0, 0, 0, 0, 0, h, iMode));
        const KTime xTimePart(xTime.Get() + xPart.Get());
        const KString xText = xTimePart.ToText(6, iMode, 1);
        KTime xBack;
        EXPECT_TRUE(xBack.FromText(xText, iMode, 1));
        EXPECT_EQ(xBack, xTimePart) << "mode " << iMode << " text " << xText.Buffer();
      }
    }
  }
}
