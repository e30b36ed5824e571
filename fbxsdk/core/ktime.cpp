#include "fbxsdk/core/ktime.h"

#include <cmath>
#include <cstring>

#include "fbxsdk/core/ktime_modes.h"

using ktime_detail::CountingOf;
using ktime_detail::ModeCounting;
using ktime_detail::Wide;

namespace {

struct TimeModeRow {
  double m_dRate;
  const char* m_pszShortName;
  int m_iMode;
  int m_iExternalCode;
  const char* m_pszLongName;
  int m_iFurtherCode;
  bool m_bFindableByExternalCode;
};

// The rows in look-up order: name and code searches take the first match.
constexpr TimeModeRow kTimeModes[] = {
    {120.0, "120", 1, 8, "120 fps", 3, true},
    {100.0, "100", 2, 7, "100 fps", 3, true},
    {60.0, "60", 3, 6, "60 fps", 3, true},
    {50.0, "50", 4, 5, "50 fps", 3, true},
    {48.0, "48", 5, 3, "48 fps", 3, false},
    {30.0, "30", 6, 3, "30 fps", 3, true},
    {29.97002617, "29.97 drop", 8, 4, "NTSC Drop", 3, true},
    {29.97002617, "29.97 full", 9, 9, "NTSC Full", 3, true},
    {25.0, "25", 10, 2, "PAL", 3, true},
    {24.0, "24", 11, 1, "24 fps", 3, true},
    {30.0, "30 Drop", 7, 10, "30 Drop", 0, true},
    {23.976, "23.976", 13, 10, "23.976 fps", 3, false},
};

constexpr int kFallbackMode = KTime::eFRAMES30;
constexpr double kFallbackRate = 30.0;

int g_iGlobalTimeMode = KTime::eFRAMES30;
int g_iGlobalTimeProtocol = KTime::eFRAME;

const TimeModeRow* RowOf(int iMode) {
  for (const TimeModeRow& xRow : kTimeModes)
    if (xRow.m_iMode == iMode) return &xRow;
  return nullptr;
}

Wide FloorDiv(Wide a, Wide b) {
  Wide q = a / b;
  if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
  return q;
}

// Ticks of a time code, without the hundredths.
Wide TimeCodeTicks(const ModeCounting& xC, Wide h, Wide m, Wide s, Wide f, Wide fields) {
  const Wide fps = xC.m_iFramesPerSecond;
  if (!xC.m_bDropFrame) {
    const Wide frames = ((h * 60 + m) * 60 + s) * fps + f;
    if (xC.m_llTicksPerField != 0) return (frames * 2 + fields) * xC.m_llTicksPerField;
    return frames * xC.m_llTicksPerFrame;
  }
  const Wide mInBlock = m - FloorDiv(m, 10) * 10;
  Wide frameInBlock;
  if (mInBlock == 0) {
    frameInBlock = s * fps + f;
  } else {
    // Frame numbers 0 and 1 do not exist at the start of such a minute;
    // asking for them lands on frame 2.
    const Wide inMinute = s == 0 ? (f - 2 > 0 ? f - 2 : 0) : s * fps + f - 2;
    frameInBlock =
        ktime_detail::DropFirstMinuteFrames(xC) + (mInBlock - 1) * ktime_detail::DropOtherMinuteFrames(xC) + inMinute;
  }
  const Wide blocks = h * 6 + FloorDiv(m, 10);
  return frameInBlock * xC.m_llTicksPerFrame +
         (blocks * ktime_detail::DropBlockFields(xC) + fields) * xC.m_llTicksPerField;
}

Wide TicksPerHour(const ModeCounting& xC) {
  if (xC.m_bDropFrame) return Wide(6) * ktime_detail::DropBlockFields(xC) * xC.m_llTicksPerField;
  return Wide(3600) * xC.m_iFramesPerSecond * xC.m_llTicksPerFrame;
}

}  // namespace

KTime KTime::FromSeconds(double dSeconds) {
  KTime xTime;
  xTime.SetSeconds(dSeconds);
  return xTime;
}

void KTime::SetSeconds(double dSeconds) {
  const double dTicks = dSeconds * static_cast<double>(kOneSecond);
  // Out-of-range values saturate instead of overflowing the conversion.
  if (std::isnan(dTicks)) {
    m_llTime = 0;
  } else if (dTicks >= 9.2233720368547758e18) {
    m_llTime = kInfinite;
  } else if (dTicks <= -9.2233720368547758e18) {
    m_llTime = kMinusInfinite;
  } else {
    m_llTime = static_cast<int64_t>(dTicks);  // truncation toward zero
  }
}

void KTime::SetGlobalTimeMode(int iMode) { g_iGlobalTimeMode = iMode; }
int KTime::GetGlobalTimeMode() { return g_iGlobalTimeMode; }
void KTime::SetGlobalTimeProtocol(int iProtocol) { g_iGlobalTimeProtocol = iProtocol; }
int KTime::GetGlobalTimeProtocol() { return g_iGlobalTimeProtocol; }

int KTime::ResolveMode(int iMode) { return iMode == eDEFAULT_MODE ? g_iGlobalTimeMode : iMode; }

double KTime::GetFrameRate(int iMode) {
  const TimeModeRow* pRow = RowOf(ResolveMode(iMode));
  return pRow ? pRow->m_dRate : kFallbackRate;
}

int KTime::ConvertFrameRateToTimeMode(double dRate, double dTolerance) {
  for (int iMode = eFRAMES120; iMode <= eFILM_FULL_FRAME; ++iMode) {
    const double dModeRate = GetFrameRate(iMode);
    if (dModeRate >= dRate - dTolerance && dModeRate <= dRate + dTolerance) return iMode;
  }
  return eDEFAULT_MODE;
}

int KTime::GetTimeModeFromName(const char* pszName) {
  if (!pszName) return kFallbackMode;
  for (const TimeModeRow& xRow : kTimeModes) {
    if (std::strcmp(pszName, xRow.m_pszShortName) == 0 || std::strcmp(pszName, xRow.m_pszLongName) == 0)
      return xRow.m_iMode;
  }
  return kFallbackMode;
}

int KTime::GetTimeModeFromExternalCode(int iCode) {
  for (const TimeModeRow& xRow : kTimeModes)
    if (xRow.m_iExternalCode == iCode && xRow.m_bFindableByExternalCode) return xRow.m_iMode;
  return kFallbackMode;
}

const char* KTime::GetTimeModeShortName(int iMode) {
  const TimeModeRow* pRow = RowOf(ResolveMode(iMode));
  return pRow ? pRow->m_pszShortName : "";
}

const char* KTime::GetTimeModeLongName(int iMode) {
  const TimeModeRow* pRow = RowOf(ResolveMode(iMode));
  return pRow ? pRow->m_pszLongName : "";
}

int KTime::GetTimeModeExternalCode(int iMode) {
  const TimeModeRow* pRow = RowOf(ResolveMode(iMode));
  return pRow ? pRow->m_iExternalCode : -1;
}

int64_t KTime::GetOneFrameValue(int iMode) {
  const ModeCounting* pC = CountingOf(ResolveMode(iMode));
  return pC ? pC->m_llTicksPerFrame : 0;
}

int64_t KTime::GetOneFieldValue(int iMode) {
  const ModeCounting* pC = CountingOf(ResolveMode(iMode));
  return pC ? pC->m_llTicksPerField : 0;
}

int64_t KTime::GetFrame(int iMode, bool bCumulative) const {
  const ModeCounting* pC = CountingOf(ResolveMode(iMode));
  if (!pC) return 0;
  if (bCumulative) return m_llTime / pC->m_llTicksPerFrame;
  KTimeCode xCode;
  ToTimeCode(xCode, iMode);
  return xCode.m_iFrames;
}

bool KTime::FromTimeCode(int iHours, int iMinutes, int iSeconds, int iFrames, int iFields, int iHundredths, int iMode) {
  const ModeCounting* pC = CountingOf(ResolveMode(iMode));
  if (!pC) return false;
  Wide ticks = TimeCodeTicks(*pC, iHours, iMinutes, iSeconds, iFrames, iFields);
  if (iHundredths != 0) {
    // A fraction of a frame, rounded up to the next tick.
    const Wide part = TimeCodeTicks(*pC, 0, 0, 0, iHundredths, 0);
    ticks += part > 0 ? (part + 99) / 100 : part / 100;
  }
  if (ticks > INT64_MAX || ticks < INT64_MIN) return false;
  m_llTime = static_cast<int64_t>(ticks);
  return true;
}

bool KTime::ToTimeCode(KTimeCode& xCode, int iMode) const {
  const ModeCounting* pC = CountingOf(ResolveMode(iMode));
  if (!pC) return false;
  const ModeCounting& xC = *pC;
  const Wide perHour = TicksPerHour(xC);
  const Wide hours = FloorDiv(m_llTime, perHour);
  Wide rest = Wide(m_llTime) - hours * perHour;  // non-negative
  const Wide fps = xC.m_iFramesPerSecond;
  const Wide perFrame = xC.m_llTicksPerFrame;

  Wide minutes;
  Wide seconds;
  Wide frames;
  if (!xC.m_bDropFrame) {
    const Wide perMinute = 60 * fps * perFrame;
    minutes = rest / perMinute;
    rest %= perMinute;
    seconds = rest / (fps * perFrame);
    rest %= fps * perFrame;
    frames = rest / perFrame;
    rest %= perFrame;
  } else {
    const Wide perBlock = Wide(ktime_detail::DropBlockFields(xC)) * xC.m_llTicksPerField;
    const Wide block = rest / perBlock;
    rest %= perBlock;
    const Wide frameInBlock = rest / perFrame;
    rest %= perFrame;
    const Wide firstMinute = ktime_detail::DropFirstMinuteFrames(xC);
    Wide minuteInBlock = 0;
    Wide inMinute = frameInBlock;
    if (frameInBlock >= firstMinute) {
      const Wide other = ktime_detail::DropOtherMinuteFrames(xC);
      minuteInBlock = 1 + (frameInBlock - firstMinute) / other;
      inMinute = (frameInBlock - firstMinute) % other + 2;  // numbers 0 and 1 were skipped
    }
    minutes = block * 10 + minuteInBlock;
    seconds = inMinute / fps;
    frames = inMinute % fps;
  }
  Wide fields = 0;
  if (xC.m_llTicksPerField != 0) {
    fields = rest / xC.m_llTicksPerField;
    rest %= xC.m_llTicksPerField;
  }
  xCode.m_iHours = static_cast<int>(hours);
  xCode.m_iMinutes = static_cast<int>(minutes);
  xCode.m_iSeconds = static_cast<int>(seconds);
  xCode.m_iFrames = static_cast<int>(frames);
  xCode.m_iFields = static_cast<int>(fields);
  xCode.m_iHundredths = static_cast<int>(rest * 100 / perFrame % 100);
  return true;
}
