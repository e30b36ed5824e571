#pragma once

#include <cstdint>

#include "fbxsdk/core/ktime.h"

// Attribute flag bits of a key.
enum : uint32_t {
  KFCURVE_INTERPOLATION_CONSTANT = 0x00000002,
  KFCURVE_INTERPOLATION_LINEAR = 0x00000004,
  KFCURVE_INTERPOLATION_CUBIC = 0x00000008,
  KFCURVE_INTERPOLATION_ALL = 0x0000000e,

  // Constant keys only.
  KFCURVE_CONSTANT_STANDARD = 0x00000000,
  KFCURVE_CONSTANT_NEXT = 0x00000100,
  KFCURVE_CONSTANT_ALL = 0x00000100,

  // Cubic keys only; shares bits with the constant mode.
  KFCURVE_TANGEANT_AUTO = 0x00000100,
  KFCURVE_TANGEANT_TCB = 0x00000200,
  KFCURVE_TANGEANT_USER = 0x00000400,
  KFCURVE_GENERIC_BREAK = 0x00000800,
  KFCURVE_TANGEANT_BREAK = KFCURVE_TANGEANT_USER | KFCURVE_GENERIC_BREAK,
  KFCURVE_TANGEANT_AUTO_BREAK = KFCURVE_TANGEANT_AUTO | KFCURVE_GENERIC_BREAK,
  KFCURVE_TANGEANT_ALL = 0x00000f00,

  KFCURVE_WEIGHTED_NONE = 0x00000000,
  KFCURVE_WEIGHTED_RIGHT = 0x01000000,
  KFCURVE_WEIGHTED_NEXT_LEFT = 0x02000000,
  KFCURVE_WEIGHTED_ALL = 0x03000000,

  KFCURVE_VELOCITY_NONE = 0x00000000,
  KFCURVE_VELOCITY_RIGHT = 0x10000000,
  KFCURVE_VELOCITY_NEXT_LEFT = 0x20000000,
  KFCURVE_VELOCITY_ALL = 0x30000000
};

// Indices of the tangent data floats.
enum EKFCurveDataIndex {
  KFCURVEKEY_RIGHT_SLOPE = 0,  // user keys
  KFCURVEKEY_NEXT_LEFT_SLOPE = 1,
  KFCURVEKEY_RIGHT_AUTO = 0,  // auto keys, in percent
  KFCURVEKEY_NEXT_LEFT_AUTO = 1,
  KFCURVEKEY_TCB_TENSION = 0,  // TCB keys
  KFCURVEKEY_TCB_CONTINUITY = 1,
  KFCURVEKEY_TCB_BIAS = 2
};

constexpr float kDefaultTangentWeight = 0.33333334f;
constexpr float kMinTangentWeight = 0.00010001f;
constexpr float kMaxTangentWeight = 0.99f;

// One key of a function curve. Weights and velocities are kept as 16-bit
// fixed point (n / 9999); the TCB bias shares the storage of the two weights,
// so a TCB key has no weights of its own.
class KFCurveKey {
 public:
  KFCurveKey() { ResetWeightsAndVelocities(); }

  KTime GetTime() const { return m_xTime; }
  void SetTime(KTime xTime) { m_xTime = xTime; }
  float GetValue() const { return m_fValue; }
  void SetValue(float fValue) { m_fValue = fValue; }
  uint32_t GetFlags() const { return m_uFlags; }

  uint32_t GetInterpolation() const { return m_uFlags & KFCURVE_INTERPOLATION_ALL; }
  // A key that becomes cubic gets unweighted default tangents; a key that
  // stops being cubic drops its tangent bits, which would otherwise read as a
  // constant mode.
  void SetInterpolation(uint32_t uInterpolation);
  uint32_t GetConstantMode() const { return m_uFlags & KFCURVE_CONSTANT_ALL; }
  void SetConstantMode(uint32_t uMode);
  uint32_t GetTangentMode() const { return m_uFlags & KFCURVE_TANGEANT_ALL; }
  void SetTangentMode(uint32_t uMode);
  bool IsTCB() const { return GetTangentMode() == KFCURVE_TANGEANT_TCB; }

  float GetDataFloat(int iIndex) const;
  void SetDataFloat(int iIndex, float fValue);

  uint32_t GetTangentWeightMode() const { return m_uFlags & KFCURVE_WEIGHTED_ALL; }
  void SetTangentWeightMode(uint32_t uMode);
  // Weights are clamped into [0.00010001, 0.99].
  float GetRightTangentWeight() const { return Decode(m_asWeight[0]); }
  float GetNextLeftTangentWeight() const { return Decode(m_asWeight[1]); }
  void SetRightTangentWeight(float fWeight) { m_asWeight[0] = EncodeWeight(fWeight); }
  void SetNextLeftTangentWeight(float fWeight) { m_asWeight[1] = EncodeWeight(fWeight); }

  uint32_t GetTangentVelocityMode() const { return m_uFlags & KFCURVE_VELOCITY_ALL; }
  void SetTangentVelocityMode(uint32_t uMode);
  float GetRightVelocity() const { return Decode(m_asVelocity[0]); }
  float GetNextLeftVelocity() const { return Decode(m_asVelocity[1]); }
  void SetRightVelocity(float fVelocity) { m_asVelocity[0] = EncodeVelocity(fVelocity); }
  void SetNextLeftVelocity(float fVelocity) { m_asVelocity[1] = EncodeVelocity(fVelocity); }

  // Whole-key setters. For a constant key uTangentMode carries the constant
  // mode (KFCURVE_CONSTANT_NEXT or standard); for a linear key it is unused.
  void Set(KTime xTime, float fValue, uint32_t uInterpolation = KFCURVE_INTERPOLATION_CUBIC,
           uint32_t uTangentMode = KFCURVE_TANGEANT_AUTO, float fData0 = 0.0f, float fData1 = 0.0f,
           uint32_t uWeightMode = KFCURVE_WEIGHTED_NONE, float fRightWeight = kDefaultTangentWeight,
           float fNextLeftWeight = kDefaultTangentWeight);
  void SetTCB(KTime xTime, float fValue, float fTension, float fContinuity, float fBias);

 private:
  static float Decode(int16_t sValue) { return static_cast<float>(sValue) * 0.00010001f; }
  static int16_t EncodeWeight(float fWeight);
  static int16_t EncodeVelocity(float fVelocity);
  void ResetWeightsAndVelocities();

  KTime m_xTime;
  float m_fValue = 0.0f;
  uint32_t m_uFlags = KFCURVE_INTERPOLATION_CUBIC | KFCURVE_TANGEANT_AUTO;
  float m_afData[2] = {0.0f, 0.0f};
  int16_t m_asWeight[2];  // right, next left; or the bytes of the TCB bias
  int16_t m_asVelocity[2];
};
