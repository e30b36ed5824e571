#pragma once

#include <cstdint>

#include "fbxsdk/core/kstring.h"

// Time code fields of a KTime in one time mode.
struct KTimeCode {
  int m_iHours = 0;
  int m_iMinutes = 0;
  int m_iSeconds = 0;
  int m_iFrames = 0;
  int m_iFields = 0;
  int m_iHundredths = 0;  // part of a frame below the frame (and field), in 1/100 frame
};

// A signed 64-bit count of ticks, 46186158000 to the second: every frame rate
// of the time-mode table is a whole number of ticks per frame.
class KTime {
 public:
  static constexpr int64_t kOneSecond = 46186158000LL;
  static constexpr int64_t kInfinite = INT64_MAX;
  static constexpr int64_t kMinusInfinite = INT64_MIN + 1;

  enum ETimeMode {
    eDEFAULT_MODE = 0,
    eFRAMES120 = 1,
    eFRAMES100 = 2,
    eFRAMES60 = 3,
    eFRAMES50 = 4,
    eFRAMES48 = 5,
    eFRAMES30 = 6,
    eFRAMES30_DROP = 7,
    eNTSC_DROP_FRAME = 8,
    eNTSC_FULL_FRAME = 9,
    ePAL = 10,
    eFRAMES24 = 11,
    eFRAMES1000 = 12,
    eFILM_FULL_FRAME = 13,
    eTIME_MODE_COUNT = 14
  };

  enum ETimeProtocol { eSMPTE = 0, eFRAME = 1, eDEFAULT_PROTOCOL = 2 };

  // Text styles: how much of the time code (or frame count) is shown.
  enum ETextStyle {
    eSTYLE_HOURS = 1,
    eSTYLE_MINUTES = 2,
    eSTYLE_SECONDS = 3,
    eSTYLE_FRAMES = 4,
    eSTYLE_FRAMES_MARKED = 5,  // frames, with a "*" when there is a sub-frame part
    eSTYLE_FIELDS = 6
  };

  constexpr KTime() = default;
  constexpr explicit KTime(int64_t llTicks) : m_llTime(llTicks) {}
  static constexpr KTime Infinite() { return KTime(kInfinite); }
  static constexpr KTime MinusInfinite() { return KTime(kMinusInfinite); }
  static KTime FromSeconds(double dSeconds);

  void Set(int64_t llTicks) { m_llTime = llTicks; }
  int64_t Get() const { return m_llTime; }
  // Ticks from seconds, truncated toward zero.
  void SetSeconds(double dSeconds);
  double GetSeconds() const { return static_cast<double>(m_llTime) / static_cast<double>(kOneSecond); }
  bool IsInfinite() const { return m_llTime == kInfinite; }
  // The smallest value also reads as minus infinite.
  bool IsMinusInfinite() const { return m_llTime <= kMinusInfinite; }

  // Library-wide defaults that stand for mode 0 and protocol 2.
  static void SetGlobalTimeMode(int iMode);
  static int GetGlobalTimeMode();
  static void SetGlobalTimeProtocol(int iProtocol);
  static int GetGlobalTimeProtocol();
  // Mode 0 replaced by the default mode.
  static int ResolveMode(int iMode);

  // Time-mode table look-ups.
  static double GetFrameRate(int iMode);
  static int ConvertFrameRateToTimeMode(double dRate, double dTolerance);
  static int GetTimeModeFromName(const char* pszName);
  static int GetTimeModeFromExternalCode(int iCode);
  static const char* GetTimeModeShortName(int iMode);  // "" for a mode without a row
  static const char* GetTimeModeLongName(int iMode);
  static int GetTimeModeExternalCode(int iMode);  // -1 for a mode without a row

  // Ticks of one frame and of one field (0 when the mode counts no fields or
  // is outside 1 to 13).
  static int64_t GetOneFrameValue(int iMode = eDEFAULT_MODE);
  static int64_t GetOneFieldValue(int iMode = eDEFAULT_MODE);

  // Cumulative: whole frames since zero, truncated toward zero; otherwise the
  // frame field of the time code. 0 for a mode outside 1 to 13.
  int64_t GetFrame(int iMode = eDEFAULT_MODE, bool bCumulative = true) const;

  // Time code conversions. FromTimeCode leaves the time unchanged and fails
  // for a mode outside 1 to 13 or a result outside the tick range.
  bool FromTimeCode(int iHours, int iMinutes, int iSeconds, int iFrames, int iFields = 0, int iHundredths = 0,
                    int iMode = eDEFAULT_MODE);
  bool ToTimeCode(KTimeCode& xCode, int iMode = eDEFAULT_MODE) const;

  // Text forms (protocol 0 time code, 1 frame count, 2 the default protocol).
  KString ToText(int iStyle, int iMode = eDEFAULT_MODE, int iProtocol = eDEFAULT_PROTOCOL) const;
  bool FromText(const char* pszText, int iMode = eDEFAULT_MODE, int iProtocol = eDEFAULT_PROTOCOL);

  friend constexpr bool operator==(KTime xA, KTime xB) { return xA.m_llTime == xB.m_llTime; }
  friend constexpr bool operator!=(KTime xA, KTime xB) { return xA.m_llTime != xB.m_llTime; }
  friend constexpr bool operator<(KTime xA, KTime xB) { return xA.m_llTime < xB.m_llTime; }
  friend constexpr bool operator<=(KTime xA, KTime xB) { return xA.m_llTime <= xB.m_llTime; }
  friend constexpr bool operator>(KTime xA, KTime xB) { return xA.m_llTime > xB.m_llTime; }
  friend constexpr bool operator>=(KTime xA, KTime xB) { return xA.m_llTime >= xB.m_llTime; }
  friend constexpr KTime operator+(KTime xA, KTime xB) { return KTime(xA.m_llTime + xB.m_llTime); }
  friend constexpr KTime operator-(KTime xA, KTime xB) { return KTime(xA.m_llTime - xB.m_llTime); }

 private:
  int64_t m_llTime = 0;
};
