// Evaluation of KFCurve: key search, extrapolation, interpolation, slopes.
#include <algorithm>
#include <cmath>

#include "fbxsdk/scene/kfcurve.h"

namespace {

using Wide = __int128;

// Span from xFrom to xTo in seconds. Times are converted to seconds before
// they are divided, so ratios of spans are ratios of seconds.
constexpr double kSecondsPerTick = 1.0 / static_cast<double>(KTime::kOneSecond);

double SpanSeconds(KTime xFrom, KTime xTo) {
  int64_t llSpan;
  if (!__builtin_sub_overflow(xTo.Get(), xFrom.Get(), &llSpan)) return static_cast<double>(llSpan) * kSecondsPerTick;
  return xTo.GetSeconds() - xFrom.GetSeconds();
}

float SpanSecondsF(KTime xFrom, KTime xTo) { return static_cast<float>(SpanSeconds(xFrom, xTo)); }

bool IsAuto(uint32_t uTangent) { return uTangent == KFCURVE_TANGEANT_AUTO || uTangent == KFCURVE_TANGEANT_AUTO_BREAK; }
bool IsUser(uint32_t uTangent) { return uTangent == KFCURVE_TANGEANT_USER || uTangent == KFCURVE_TANGEANT_BREAK; }

template <class T>
T CubicBezier(T p0, T p1, T p2, T p3, T u) {
  const T v = T(1) - u;
  return v * v * v * p0 + T(3) * v * v * u * p1 + T(3) * v * u * u * p2 + u * u * u * p3;
}

int64_t Clamp64(Wide x) {
  if (x > INT64_MAX) return INT64_MAX;
  if (x < INT64_MIN) return INT64_MIN;
  return static_cast<int64_t>(x);
}

}  // namespace

float KFCurve::Evaluate(KTime xTime, int* piKeyIndexCache) {
  // The infinite time marks an empty cache, so it is never a hit.
  if (xTime == m_xLastTime && !xTime.IsInfinite()) return m_fLastValue;
  const float fValue = EvaluateUncached(xTime, piKeyIndexCache);
  m_xLastTime = xTime;
  m_fLastValue = fValue;
  return fValue;
}

float KFCurve::EvaluateUncached(KTime xTime, int* piKeyIndexCache) const {
  int* pCache = piKeyIndexCache ? piKeyIndexCache : &m_iKeyIndexCache;
  if (m_iKeyCount > 1) {
    if (xTime >= m_xFirstKeyTime && xTime <= m_xLastKeyTime) {
      const double dIndex = FindKeyIndex(xTime, pCache);
      // Playback asks for the next frame next: fetch the keys it will read
      // while this value is computed. A skeleton's curves together are far
      // larger than the caches, and waiting for each key in turn costs more
      // than all the arithmetic.
      const int iAhead = *pCache + 2;
      if (iAhead >= 0 && iAhead < m_iKeyCount) __builtin_prefetch(&Key(iAhead));
      return EvaluateIndex(dIndex);
    }
    const KFCurveKey& xFirst = Key(0);
    const KFCurveKey& xLast = Key(m_iKeyCount - 1);
    const double dRange = SpanSeconds(xFirst.GetTime(), xLast.GetTime());
    // Keep slope: the end tangent extended, for at most count ranges (no
    // bound for a negative count).
    if (m_iPreExtrapolation == KFCURVE_EXTRAPOLATION_KEEP_SLOPE && xTime < xFirst.GetTime()) {
      double dDelta = SpanSeconds(xFirst.GetTime(), xTime);
      if (m_iPreExtrapolationCount >= 0) dDelta = std::max(dDelta, -m_iPreExtrapolationCount * dRange);
      *pCache = 0;
      return xFirst.GetValue() + RightDerivative(0) * static_cast<float>(dDelta);
    }
    if (m_iPostExtrapolation == KFCURVE_EXTRAPOLATION_KEEP_SLOPE && xTime > xLast.GetTime()) {
      double dDelta = SpanSeconds(xLast.GetTime(), xTime);
      if (m_iPostExtrapolationCount >= 0) dDelta = std::min(dDelta, m_iPostExtrapolationCount * dRange);
      *pCache = m_iKeyCount - 1;
      return xLast.GetValue() + LeftDerivative(m_iKeyCount - 1) * static_cast<float>(dDelta);
    }
  }
  return EvaluateIndex(ExtrapolatedIndex(xTime, pCache));
}

// Maps a time outside the keys back inside them by the extrapolation mode,
// then searches the key index. Counts are cycles of the key range; a negative
// count never ends.
double KFCurve::ExtrapolatedIndex(KTime xTime, int* pCache) const {
  if (m_iKeyCount == 0) return -1.0;
  const int iLast = m_iKeyCount - 1;
  const Wide first = Key(0).GetTime().Get();
  const Wide last = Key(iLast).GetTime().Get();
  const Wide t = xTime.Get();
  if (t >= first && t <= last) return FindKeyIndex(xTime, pCache);

  const Wide range = last - first;  // > 0 whenever there are two keys
  if (t > last) {
    if (m_iPostExtrapolation == KFCURVE_EXTRAPOLATION_CONST || m_iKeyCount == 1) {
      *pCache = iLast;
      return iLast;
    }
    if (m_iPostExtrapolationCount >= 0 && t >= Clamp64(last + m_iPostExtrapolationCount * range)) {
      *pCache = iLast;
      return iLast;
    }
    const Wide over = t - last;
    const Wide cycles = over / range;
    const Wide rest = over - cycles * range;
    Wide mapped = t;
    if (m_iPostExtrapolation == KFCURVE_EXTRAPOLATION_REPETITION) mapped = first + rest;
    if (m_iPostExtrapolation == KFCURVE_EXTRAPOLATION_MIRROR_REPETITION)
      mapped = cycles % 2 == 0 ? last - rest : first + rest;
    return FindKeyIndex(KTime(static_cast<int64_t>(mapped)), pCache);
  }
  if (m_iPreExtrapolation == KFCURVE_EXTRAPOLATION_CONST || m_iKeyCount == 1) {
    *pCache = 0;
    return 0.0;
  }
  if (m_iPreExtrapolationCount >= 0 && t < Clamp64(first - m_iPreExtrapolationCount * range)) {
    *pCache = 0;
    return 0.0;
  }
  const Wide under = first - t;
  const Wide cycles = under / range;
  const Wide rest = under - cycles * range;
  Wide mapped = t;
  if (m_iPreExtrapolation == KFCURVE_EXTRAPOLATION_REPETITION) mapped = last - rest;
  if (m_iPreExtrapolation == KFCURVE_EXTRAPOLATION_MIRROR_REPETITION)
    mapped = cycles % 2 == 0 ? first + rest : last - rest;
  return FindKeyIndex(KTime(static_cast<int64_t>(mapped)), pCache);
}

// Fractional index i + (t - t_i) / (t_i+1 - t_i) of the key segment holding
// t. The search starts at the cached index so that successive times a frame
// apart cost a step or two. Before the first key it gives -0.5, after the
// last count - 0.5.
double KFCurve::FindKeyIndex(KTime xTime, int* piKeyIndexCache) const {
  if (m_iKeyCount == 0) return -1.0;
  int& iCache = piKeyIndexCache ? *piKeyIndexCache : m_iKeyIndexCache;
  int i = std::min(std::max(iCache, 0), m_iKeyCount - 1);
  KTime xKeyTime = Key(i).GetTime();
  if (xTime < xKeyTime) {
    while (i > 0) {
      --i;
      const KTime xPrevious = Key(i).GetTime();
      if (xPrevious <= xTime) {
        iCache = i;
        return i + SpanSeconds(xPrevious, xTime) / SpanSeconds(xPrevious, Key(i + 1).GetTime());
      }
    }
    iCache = 0;
    return -0.5;
  }
  if (xTime == xKeyTime) {
    iCache = i;
    return i;
  }
  while (i + 1 < m_iKeyCount && Key(i + 1).GetTime() < xTime) ++i;
  if (i + 1 >= m_iKeyCount) {
    iCache = m_iKeyCount;
    return m_iKeyCount - 0.5;
  }
  iCache = i + 1;
  xKeyTime = Key(i).GetTime();
  const double dIndex = i + SpanSeconds(xKeyTime, xTime) / SpanSeconds(xKeyTime, Key(i + 1).GetTime());
  return std::max(dIndex, -0.5);
}

float KFCurve::EvaluateIndex(double dIndex) const {
  if (m_iKeyCount == 0) return m_fDefaultValue;
  if (m_iKeyCount == 1 || !(dIndex > 0.0)) return Key(0).GetValue();
  const int iLast = m_iKeyCount - 1;
  if (dIndex >= iLast) return Key(iLast).GetValue();
  const int i = static_cast<int>(dIndex);  // dIndex > 0: truncation is the floor
  const KFCurveKey& xKey = Key(i);
  if (dIndex == i) return xKey.GetValue();
  const int j = i + 1;
  const float u = static_cast<float>(dIndex - i);
  const float vi = xKey.GetValue();
  const float vj = Key(j).GetValue();
  switch (xKey.GetInterpolation()) {
    case KFCURVE_INTERPOLATION_CONSTANT:
      return xKey.GetConstantMode() == KFCURVE_CONSTANT_NEXT ? vj : vi;
    case KFCURVE_INTERPOLATION_LINEAR:
      return vi + u * (vj - vi);
    case KFCURVE_INTERPOLATION_CUBIC:
      return xKey.GetTangentWeightMode() != KFCURVE_WEIGHTED_NONE ? WeightedBezier(i, j, u) : Bezier(i, j, u);
    default:
      return 0.0f;
  }
}

float KFCurve::Bezier(int i, int j, float u) const {
  float* p = m_xSegment.m_afOrdinates;
  if (m_xSegment.m_iIndex != i) {
    const float vi = Key(i).GetValue();
    const float vj = Key(j).GetValue();
    const float fDelta = SpanSecondsF(Key(i).GetTime(), Key(j).GetTime());
    p[0] = vi;
    p[1] = vi + RightDerivative(i) * fDelta / 3.0f;
    p[2] = vj - LeftDerivative(j) * fDelta / 3.0f;
    p[3] = vj;
    m_xSegment.m_iIndex = i;
  }
  return CubicBezier(p[0], p[1], p[2], p[3], u);
}

// Weighted segment: the tangent handles have lengths wR and wL of the segment,
// so time is no longer the Bezier parameter; the parameter s whose abscissa
// is u is found by the secant method first.
float KFCurve::WeightedBezier(int i, int j, float u) const {
  const KFCurveKey& xKey = Key(i);
  const uint32_t uWeighted = xKey.GetTangentWeightMode();
  // Both weights of the segment are stored on key i, and a TCB key keeps its
  // bias in that storage: it has neither weight, whatever its weight bits
  // say (reading them would read the bias). The next key's kind plays no
  // part, its own weights belonging to the segment after it.
  const bool bHasWeights = !xKey.IsTCB();
  const double wR = (uWeighted & KFCURVE_WEIGHTED_RIGHT) && i < m_iKeyCount - 1 && bHasWeights
                        ? xKey.GetRightTangentWeight()
                        : kDefaultTangentWeight;
  const double wL =
      (uWeighted & KFCURVE_WEIGHTED_NEXT_LEFT) && bHasWeights ? xKey.GetNextLeftTangentWeight() : kDefaultTangentWeight;
  auto fAbscissa = [&](double s) { return CubicBezier(0.0, wR, 1.0 - wL, 1.0, s) - u; };
  double s0 = 0.0, s1 = 1.0;
  double f0 = fAbscissa(s0), f1 = fAbscissa(s1);
  for (int iStep = 0; iStep < 15 && f1 != 0.0 && f1 != f0; ++iStep) {
    const double s2 = s1 - f1 * (s1 - s0) / (f1 - f0);
    const double dStep = s2 - s1;
    s0 = s1;
    f0 = f1;
    s1 = s2;
    f1 = fAbscissa(s1);
    if (std::fabs(dStep) < 1e-6) break;
  }
  const float s = static_cast<float>(std::min(std::max(s1, 0.0), 1.0));
  const float vi = xKey.GetValue();
  const float vj = Key(j).GetValue();
  const float fDelta = SpanSecondsF(xKey.GetTime(), Key(j).GetTime());
  return CubicBezier(vi, vi + static_cast<float>(wR) * RightDerivative(i) * fDelta,
                     vj - static_cast<float>(wL) * LeftDerivative(j) * fDelta, vj, s);
}

float KFCurve::RightDerivative(int iIndex) const {
  if (m_iKeyCount <= 1 || !ValidIndex(iIndex)) return 0.0f;
  if (iIndex == m_iKeyCount - 1) return LeftDerivative(iIndex);
  const KFCurveKey& xKey = Key(iIndex);
  if (xKey.GetInterpolation() == KFCURVE_INTERPOLATION_LINEAR) return SegmentSlope(iIndex);
  if (xKey.GetInterpolation() != KFCURVE_INTERPOLATION_CUBIC) return 0.0f;
  const uint32_t uTangent = xKey.GetTangentMode();
  if (IsUser(uTangent)) return xKey.GetDataFloat(KFCURVEKEY_RIGHT_SLOPE);
  if (IsAuto(uTangent)) return AutoSlope(iIndex, xKey.GetDataFloat(KFCURVEKEY_RIGHT_AUTO), true);
  if (uTangent != KFCURVE_TANGEANT_TCB) return 0.0f;
  const KFCurveKey& xNext = Key(iIndex + 1);
  const float fDt = SpanSecondsF(xKey.GetTime(), xNext.GetTime());
  const float fDv = xNext.GetValue() - xKey.GetValue();
  const float T = xKey.GetDataFloat(KFCURVEKEY_TCB_TENSION);
  const float C = xKey.GetDataFloat(KFCURVEKEY_TCB_CONTINUITY);
  const float B = xKey.GetDataFloat(KFCURVEKEY_TCB_BIAS);
  const float fOut = fDv * (1.0f - B) * (1.0f - C) / fDt;
  if (iIndex == 0) return fOut * (1.0f - T);
  const KFCurveKey& xPrevious = Key(iIndex - 1);
  const float fIn = (xKey.GetValue() - xPrevious.GetValue()) * (1.0f + B) * (1.0f + C) /
                    SpanSecondsF(xPrevious.GetTime(), xKey.GetTime());
  return (fIn + fOut) * (1.0f - T) * 0.5f;
}

float KFCurve::LeftDerivative(int iIndex) const {
  if (m_iKeyCount <= 1 || !ValidIndex(iIndex)) return 0.0f;
  if (iIndex == 0) return RightDerivative(0);
  const KFCurveKey& xPrevious = Key(iIndex - 1);
  const KFCurveKey& xKey = Key(iIndex);
  const bool bLast = iIndex == m_iKeyCount - 1;
  switch (xPrevious.GetInterpolation()) {
    case KFCURVE_INTERPOLATION_LINEAR:
      return (xPrevious.GetValue() - xKey.GetValue()) / SpanSecondsF(xKey.GetTime(), xPrevious.GetTime());
    case KFCURVE_INTERPOLATION_CUBIC:
      break;
    default:
      return 0.0f;
  }
  const float fPreviousNextLeft = xPrevious.GetDataFloat(KFCURVEKEY_NEXT_LEFT_SLOPE);
  if (xKey.GetInterpolation() == KFCURVE_INTERPOLATION_CUBIC) {
    const uint32_t uTangent = xKey.GetTangentMode();
    if (IsAuto(uTangent)) return AutoSlope(iIndex, fPreviousNextLeft, false);
    if (uTangent == KFCURVE_TANGEANT_TCB) return TcbIncomingSlope(iIndex, xKey);
    if (uTangent == KFCURVE_TANGEANT_USER) {
      if (!xPrevious.IsTCB()) return fPreviousNextLeft;
      return bLast ? 0.0f : xKey.GetDataFloat(KFCURVEKEY_RIGHT_SLOPE);
    }
    if (uTangent == KFCURVE_TANGEANT_BREAK)
      return xPrevious.IsTCB() ? TcbIncomingSlope(iIndex, xPrevious) : fPreviousNextLeft;
    return 0.0f;
  }
  // A linear or constant key after a cubic one: the previous key's tangent
  // decides.
  const uint32_t uPreviousTangent = xPrevious.GetTangentMode();
  if (IsAuto(uPreviousTangent)) return AutoSlope(iIndex, fPreviousNextLeft, false);
  if (IsUser(uPreviousTangent)) return fPreviousNextLeft;
  if (uPreviousTangent == KFCURVE_TANGEANT_TCB && xKey.GetInterpolation() == KFCURVE_INTERPOLATION_LINEAR)
    return bLast ? 0.0f : RightDerivative(iIndex);
  return 0.0f;
}

// Arriving TCB slope at key iIndex with the tension, continuity and bias of
// xParameters.
float KFCurve::TcbIncomingSlope(int iIndex, const KFCurveKey& xParameters) const {
  const float T = xParameters.GetDataFloat(KFCURVEKEY_TCB_TENSION);
  const float C = xParameters.GetDataFloat(KFCURVEKEY_TCB_CONTINUITY);
  const float B = xParameters.GetDataFloat(KFCURVEKEY_TCB_BIAS);
  const KFCurveKey& xPrevious = Key(iIndex - 1);
  const KFCurveKey& xKey = Key(iIndex);
  const float fIn = (xKey.GetValue() - xPrevious.GetValue()) * (1.0f + B) * (1.0f - C) /
                    SpanSecondsF(xPrevious.GetTime(), xKey.GetTime());
  if (iIndex == m_iKeyCount - 1) return fIn * (1.0f - T);
  const KFCurveKey& xNext = Key(iIndex + 1);
  const float fOut =
      (xNext.GetValue() - xKey.GetValue()) * (1.0f - B) * (1.0f + C) / SpanSecondsF(xKey.GetTime(), xNext.GetTime());
  return (fIn + fOut) * (1.0f - T) * 0.5f;
}

// Auto slope at a key from the slopes of its two segments. The parameter p
// (percent) leans towards the arriving segment's slope at +100 on the
// arriving side and towards the leaving segment's slope at +100 on the
// leaving side; 0 takes their mean. Beyond +/-500 a quadratic term pushes the
// slope further in the direction the linear blend is already moving.
float KFCurve::AutoSlope(int iIndex, float p, bool bLeaving) const {
  float fLeft = iIndex > 0 ? SegmentSlope(iIndex - 1) : 0.0f;
  float fRight = iIndex < m_iKeyCount - 1 ? SegmentSlope(iIndex) : 0.0f;
  if (iIndex == 0) fLeft = fRight;
  if (iIndex == m_iKeyCount - 1) fRight = fLeft;
  const float fNear = bLeaving ? fRight : fLeft;  // the slope taken at p = +100
  const float fFar = bLeaving ? fLeft : fRight;   // the slope taken at p = -100
  constexpr float kTolerance = 0.00001f;
  if (std::fabs(p - 100.0f) < kTolerance) return fNear;
  if (std::fabs(p + 100.0f) < kTolerance) return fFar;
  float fSlope = ((100.0f - p) * 0.01f * fFar + (p + 100.0f) * 0.01f * fNear) * 0.5f;
  const float fAbs = std::fabs(p);
  if (fAbs > 500.0f) {
    const float fBoost = (fAbs - 500.0f) * 0.002f;
    const float fDirection = p > 0.0f ? fNear - fFar : fFar - fNear;
    if (fDirection != 0.0f) fSlope += std::copysign(fBoost * fBoost * 1000.0f, fDirection);
  }
  return fSlope;
}

float KFCurve::SegmentSlope(int iSegment) const {
  const int iSlot = iSegment & 3;
  if (m_xSlopes.m_aiSegment[iSlot] != iSegment) {
    const KFCurveKey& xA = Key(iSegment);
    const KFCurveKey& xB = Key(iSegment + 1);
    m_xSlopes.m_afSlope[iSlot] = (xB.GetValue() - xA.GetValue()) / SpanSecondsF(xA.GetTime(), xB.GetTime());
    m_xSlopes.m_aiSegment[iSlot] = iSegment;
  }
  return m_xSlopes.m_afSlope[iSlot];
}
