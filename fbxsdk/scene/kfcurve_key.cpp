#include "fbxsdk/scene/kfcurve_key.h"

#include <algorithm>
#include <cmath>
#include <cstring>

static_assert(sizeof(float) == 2 * sizeof(int16_t), "the TCB bias lives in the weight storage");

namespace {

constexpr int16_t EncodeInRange(float fWeight) {
  const float fClamped = std::min(std::max(fWeight, kMinTangentWeight), kMaxTangentWeight);
  return static_cast<int16_t>(fClamped * 9999.0f);  // truncation toward zero
}

// Every new key, and every side that is not weighted, holds the default
// weight: its code is worked out once.
constexpr int16_t kDefaultWeightCode = EncodeInRange(kDefaultTangentWeight);

}  // namespace

int16_t KFCurveKey::EncodeWeight(float fWeight) {
  // A weight that is not a number (a damaged file's) has no place in the
  // range: it weighs as an unweighted key does. Clamping would pass it on,
  // and converting it to an integer is undefined.
  if (fWeight == kDefaultTangentWeight || std::isnan(fWeight)) return kDefaultWeightCode;
  return EncodeInRange(fWeight);
}

int16_t KFCurveKey::EncodeVelocity(float fVelocity) {
  // Velocities have no stated range; keep them inside what 16 bits hold. One
  // that is not a number is none.
  if (std::isnan(fVelocity)) return 0;
  const float fScaled = std::min(std::max(fVelocity * 9999.0f, -32768.0f), 32767.0f);
  return static_cast<int16_t>(fScaled);
}

void KFCurveKey::ResetWeightsAndVelocities() {
  m_asWeight[0] = m_asWeight[1] = kDefaultWeightCode;
  m_asVelocity[0] = m_asVelocity[1] = 0;
}

void KFCurveKey::SetInterpolation(uint32_t uInterpolation) {
  uInterpolation &= KFCURVE_INTERPOLATION_ALL;
  const uint32_t uOld = GetInterpolation();
  if (uOld == uInterpolation) return;
  uint32_t uFlags = (m_uFlags & ~KFCURVE_INTERPOLATION_ALL) | uInterpolation;
  uFlags &= ~KFCURVE_TANGEANT_ALL;
  if (uInterpolation == KFCURVE_INTERPOLATION_CUBIC) {
    uFlags &= ~(KFCURVE_WEIGHTED_ALL | KFCURVE_VELOCITY_ALL);
    uFlags |= KFCURVE_TANGEANT_AUTO;
    m_uFlags = uFlags;
    ResetWeightsAndVelocities();
    return;
  }
  m_uFlags = uFlags;
}

void KFCurveKey::SetConstantMode(uint32_t uMode) {
  if (GetInterpolation() != KFCURVE_INTERPOLATION_CONSTANT) return;
  m_uFlags = (m_uFlags & ~KFCURVE_CONSTANT_ALL) | (uMode & KFCURVE_CONSTANT_ALL);
}

void KFCurveKey::SetTangentMode(uint32_t uMode) {
  if (GetInterpolation() != KFCURVE_INTERPOLATION_CUBIC) return;
  m_uFlags = (m_uFlags & ~KFCURVE_TANGEANT_ALL) | (uMode & KFCURVE_TANGEANT_ALL);
}

float KFCurveKey::GetDataFloat(int iIndex) const {
  if (iIndex == 0 || iIndex == 1) return m_afData[iIndex];
  if (iIndex == KFCURVEKEY_TCB_BIAS) {
    float fBias;
    std::memcpy(&fBias, m_asWeight, sizeof fBias);
    return fBias;
  }
  return 0.0f;
}

void KFCurveKey::SetDataFloat(int iIndex, float fValue) {
  if (iIndex == 0 || iIndex == 1) m_afData[iIndex] = fValue;
  if (iIndex == KFCURVEKEY_TCB_BIAS) std::memcpy(m_asWeight, &fValue, sizeof fValue);
}

void KFCurveKey::SetTangentWeightMode(uint32_t uMode) {
  m_uFlags = (m_uFlags & ~KFCURVE_WEIGHTED_ALL) | (uMode & KFCURVE_WEIGHTED_ALL);
}

void KFCurveKey::SetTangentVelocityMode(uint32_t uMode) {
  m_uFlags = (m_uFlags & ~KFCURVE_VELOCITY_ALL) | (uMode & KFCURVE_VELOCITY_ALL);
}

void KFCurveKey::Set(KTime xTime, float fValue, uint32_t uInterpolation, uint32_t uTangentMode, float fData0,
                     float fData1, uint32_t uWeightMode, float fRightWeight, float fNextLeftWeight) {
  m_xTime = xTime;
  m_fValue = fValue;
  SetInterpolation(uInterpolation);
  // The mode bits of constant and cubic keys share storage: set the one that
  // applies to this interpolation.
  const uint32_t uInterp = GetInterpolation();
  m_uFlags &= ~KFCURVE_TANGEANT_ALL;
  if (uInterp == KFCURVE_INTERPOLATION_CUBIC) {
    m_uFlags |= uTangentMode & KFCURVE_TANGEANT_ALL;
    ResetWeightsAndVelocities();
  } else if (uInterp == KFCURVE_INTERPOLATION_CONSTANT) {
    m_uFlags |= uTangentMode & KFCURVE_CONSTANT_ALL;
  }
  m_afData[0] = fData0;
  m_afData[1] = fData1;
  m_uFlags &= ~(KFCURVE_WEIGHTED_ALL | KFCURVE_VELOCITY_ALL);
  SetTangentWeightMode(uWeightMode);
  SetRightTangentWeight(fRightWeight);
  SetNextLeftTangentWeight(fNextLeftWeight);
}

void KFCurveKey::SetTCB(KTime xTime, float fValue, float fTension, float fContinuity, float fBias) {
  Set(xTime, fValue, KFCURVE_INTERPOLATION_CUBIC, KFCURVE_TANGEANT_TCB, fTension, fContinuity);
  m_uFlags &= ~KFCURVE_WEIGHTED_ALL;
  SetDataFloat(KFCURVEKEY_TCB_BIAS, fBias);
}
