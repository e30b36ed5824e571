#pragma once

#include <array>
#include <memory>
#include <vector>

#include "fbxsdk/core/ktime.h"
#include "fbxsdk/scene/kfcurve_key.h"

class KFCurve;

// Told when a curve's default value changes (a property bound to the curve).
class KFCurveListener {
 public:
  virtual ~KFCurveListener() = default;
  virtual void CurveDefaultValueChanged(const KFCurve& xCurve) = 0;
};

// Extrapolation modes before the first and after the last key.
enum EKFCurveExtrapolation {
  KFCURVE_EXTRAPOLATION_NONE = 0,  // an unknown stored letter
  KFCURVE_EXTRAPOLATION_CONST = 1,
  KFCURVE_EXTRAPOLATION_REPETITION = 2,
  KFCURVE_EXTRAPOLATION_MIRROR_REPETITION = 3,
  KFCURVE_EXTRAPOLATION_KEEP_SLOPE = 4
};

// A count of -1 repeats (or extends the slope) without bound.
constexpr int kKFCurveUnboundedCount = -1;

// Function curve: keys sorted by strictly increasing time, with extrapolation
// on both sides. Keys live in blocks of 25 reached through a table of blocks.
// Every change resets the one-entry value cache.
class KFCurve {
 public:
  static constexpr int kKeyBlockSize = 25;

  KFCurve();
  KFCurve(const KFCurve& xOther);  // copies keys and settings, not the listener
  KFCurve& operator=(const KFCurve& xOther);
  ~KFCurve();

  // Default value, used when the curve has no keys.
  float GetValue() const { return m_fDefaultValue; }
  void SetValue(float fValue);
  void SetListener(KFCurveListener* pListener) { m_pListener = pListener; }

  int GetPreExtrapolation() const { return m_iPreExtrapolation; }
  void SetPreExtrapolation(int iMode);
  int GetPreExtrapolationCount() const { return m_iPreExtrapolationCount; }
  void SetPreExtrapolationCount(int iCount);
  int GetPostExtrapolation() const { return m_iPostExtrapolation; }
  void SetPostExtrapolation(int iMode);
  int GetPostExtrapolationCount() const { return m_iPostExtrapolationCount; }
  void SetPostExtrapolationCount(int iCount);

  void SetColor(float fRed, float fGreen, float fBlue);
  const float* GetColor() const { return m_afColor; }

  // Keys. Index arguments out of range are refused (false or -1).
  int KeyGetCount() const { return m_iKeyCount; }
  const KFCurveKey& KeyGet(int iIndex) const { return Key(iIndex); }
  // Adds a key at xTime (or finds the key already there) and returns its
  // index; a new key is cubic auto and takes the curve's value at that time.
  int KeyAdd(KTime xTime);
  // Appends a key after the last one; -1 when xTime is not later.
  int KeyAppend(KTime xTime, float fValue);
  // Appends a copy of a whole key after the last one (readers of stored
  // curves, whose keys come in time order); -1 when its time is not later.
  int KeyAppend(const KFCurveKey& xKey);
  // Inserts a copy of a whole key in time order; -1 when its time is taken.
  int KeyInsert(const KFCurveKey& xKey);
  bool KeyRemove(int iIndex);
  void KeyClear();
  bool KeySet(int iIndex, const KFCurveKey& xKey);  // the key's time must keep the order

  // Moves a key in time; refused when another key has that time. The key may
  // change index: its new index is returned, -1 on refusal.
  int KeySetTime(int iIndex, KTime xTime);
  bool KeySetValue(int iIndex, float fValue);
  bool KeySetInterpolation(int iIndex, uint32_t uInterpolation);
  bool KeySetConstantMode(int iIndex, uint32_t uMode);
  bool KeySetTangentMode(int iIndex, uint32_t uMode);
  bool KeySetDataFloat(int iIndex, int iDataIndex, float fValue);
  bool KeySetTCB(int iIndex, float fTension, float fContinuity, float fBias);
  bool KeySetTangentWeightMode(int iIndex, uint32_t uMode);
  bool KeySetRightTangentWeight(int iIndex, float fWeight);
  bool KeySetNextLeftTangentWeight(int iIndex, float fWeight);
  bool KeySetTangentVelocityMode(int iIndex, uint32_t uMode);
  bool KeySetRightVelocity(int iIndex, float fVelocity);
  bool KeySetNextLeftVelocity(int iIndex, float fVelocity);

  // Times of the first and last keys; false without keys.
  bool KeyGetTimeRange(KTime& xFirst, KTime& xLast) const;

  // Value at a time. The cached form returns the remembered value when the
  // time is the last one evaluated. piKeyIndexCache (the curve's own cache
  // when null) is where the key search starts.
  float Evaluate(KTime xTime, int* piKeyIndexCache = nullptr);
  float EvaluateUncached(KTime xTime, int* piKeyIndexCache = nullptr) const;

  // Fractional key index of a time inside the key range (see the .cpp).
  double FindKeyIndex(KTime xTime, int* piKeyIndexCache = nullptr) const;
  // Value at a fractional key index; indices outside [0, count - 1] read the
  // nearest end key.
  float EvaluateIndex(double dIndex) const;
  // Slopes in value units per second arriving at and leaving a key.
  float LeftDerivative(int iIndex) const;
  float RightDerivative(int iIndex) const;

 private:
  using KeyBlock = std::array<KFCurveKey, kKeyBlockSize>;

  KFCurveKey& Key(int iIndex) { return (*m_xBlocks[iIndex / kKeyBlockSize])[iIndex % kKeyBlockSize]; }
  const KFCurveKey& Key(int iIndex) const { return (*m_xBlocks[iIndex / kKeyBlockSize])[iIndex % kKeyBlockSize]; }
  bool ValidIndex(int iIndex) const { return iIndex >= 0 && iIndex < m_iKeyCount; }
  void ResetCache();
  void ForgetValues();  // the caches of values, not the key times
  int InsertAt(int iIndex, const KFCurveKey& xKey);
  int FindInsertPosition(KTime xTime, bool& bTaken) const;
  template <class Change>
  bool ChangeKey(int iIndex, Change xChange);

  double ExtrapolatedIndex(KTime xTime, int* piKeyIndexCache) const;
  float AutoSlope(int iIndex, float fParameter, bool bLeaving) const;
  float SegmentSlope(int iSegment) const;
  float TcbIncomingSlope(int iIndex, const KFCurveKey& xParameters) const;
  float Bezier(int i, int j, float fU) const;
  float WeightedBezier(int i, int j, float fU) const;

  float m_fDefaultValue = 0.0f;
  std::vector<std::unique_ptr<KeyBlock>> m_xBlocks;
  int m_iKeyCount = 0;
  int m_iPreExtrapolation = KFCURVE_EXTRAPOLATION_CONST;
  int m_iPreExtrapolationCount = 0;
  int m_iPostExtrapolation = KFCURVE_EXTRAPOLATION_CONST;
  int m_iPostExtrapolationCount = 0;
  float m_afColor[3] = {1.0f, 1.0f, 1.0f};
  mutable int m_iKeyIndexCache = 0;
  // Times of the first and last keys, kept beside the count so that the
  // range test of every evaluation reads no key block.
  KTime m_xFirstKeyTime;
  KTime m_xLastKeyTime;
  KTime m_xLastTime = KTime::Infinite();  // infinite: nothing cached
  float m_fLastValue = 0.0f;
  // Bezier ordinates of the last unweighted cubic segment evaluated: times
  // a frame apart mostly fall in the same segment, and its slopes are the
  // costly part.
  struct SegmentCache {
    int m_iIndex = -1;  // first key of the segment, -1 when empty
    float m_afOrdinates[4] = {0.0f, 0.0f, 0.0f, 0.0f};
  };
  mutable SegmentCache m_xSegment;
  // Slopes (v[k+1] - v[k]) / (t[k+1] - t[k]) of recent segments k; the auto
  // slopes of neighbouring keys share them. Slot k % 4.
  struct SlopeMemo {
    int m_aiSegment[4] = {-1, -1, -1, -1};
    float m_afSlope[4] = {0.0f, 0.0f, 0.0f, 0.0f};
  };
  mutable SlopeMemo m_xSlopes;
  KFCurveListener* m_pListener = nullptr;
};
