#pragma once

#include <initializer_list>
#include <utility>

#include "fbxsdk/scene/kfcurve.h"

inline KTime Sec(double dSeconds) { return KTime::FromSeconds(dSeconds); }

// A curve through (seconds, value) points with one interpolation.
inline KFCurve MakeCurve(std::initializer_list<std::pair<double, float>> xPoints,
                         uint32_t uInterpolation = KFCURVE_INTERPOLATION_LINEAR,
                         uint32_t uTangent = KFCURVE_TANGEANT_AUTO) {
  KFCurve xCurve;
  for (const auto& xPoint : xPoints) {
    KFCurveKey xKey;
    xKey.Set(Sec(xPoint.first), xPoint.second, uInterpolation, uTangent);
    xCurve.KeyInsert(xKey);
  }
  return xCurve;
}
