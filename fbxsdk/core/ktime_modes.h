#pragma once

// Internal to the time code: how each time mode counts frames and fields.

#include <cstdint>

#include "fbxsdk/core/kwide.h"

namespace ktime_detail {

using Wide = KWideInt;  // time code arithmetic is done wide and range-checked afterwards

struct ModeCounting {
  int64_t m_llTicksPerFrame;
  int64_t m_llTicksPerField;  // 0: the mode counts no fields
  int m_iFramesPerSecond;     // frame numbers counted per second of time code
  bool m_bDropFrame;          // two frame numbers skipped per minute, except every tenth
};

// Indexed by mode number; row 0 is never used (mode 0 is resolved first).
inline constexpr ModeCounting kCounting[] = {
    {0, 0, 0, false},
    {384884650LL, 0, 120, false},
    {461861580LL, 0, 100, false},
    {769769300LL, 0, 60, false},
    {923723160LL, 0, 50, false},
    {962211625LL, 0, 48, false},
    {1539538600LL, 769769300LL, 30, false},
    {1539538600LL, 769769300LL, 30, true},
    {1541078334LL, 770539167LL, 30, true},
    {1541078334LL, 770539167LL, 30, false},
    {1847446320LL, 923723160LL, 25, false},
    {1924423250LL, 0, 24, false},
    {46186158LL, 0, 1000, false},
    {1926349600LL, 963174800LL, 24, true},
};

inline const ModeCounting* CountingOf(int iResolvedMode) {
  return iResolvedMode >= 1 && iResolvedMode <= 13 ? &kCounting[iResolvedMode] : nullptr;
}

// Frame numbers in the first minute of a ten-minute drop-frame block, in each
// of the nine others, and fields in the whole block.
inline int64_t DropFirstMinuteFrames(const ModeCounting& xC) { return xC.m_iFramesPerSecond * 60; }
inline int64_t DropOtherMinuteFrames(const ModeCounting& xC) { return xC.m_iFramesPerSecond * 60 - 2; }
inline int64_t DropBlockFields(const ModeCounting& xC) {
  return 2 * (DropFirstMinuteFrames(xC) + 9 * DropOtherMinuteFrames(xC));
}

}  // namespace ktime_detail
