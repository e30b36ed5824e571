#pragma once

#include "fbxsdk/core/ktime.h"

// A start and a stop time, as a take's local and reference spans carry them.
struct KTimeSpan {
  KTime m_xStart;
  KTime m_xStop;

  KTimeSpan() = default;
  KTimeSpan(KTime xStart, KTime xStop) : m_xStart(xStart), m_xStop(xStop) {}
  KTime GetDuration() const { return m_xStop - m_xStart; }
  friend bool operator==(const KTimeSpan& xA, const KTimeSpan& xB) {
    return xA.m_xStart == xB.m_xStart && xA.m_xStop == xB.m_xStop;
  }
};
