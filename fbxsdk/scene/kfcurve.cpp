// Key storage, settings and key setters of KFCurve. Evaluation is in
// kfcurve_eval.cpp.
#include "fbxsdk/scene/kfcurve.h"

KFCurve::KFCurve() = default;
KFCurve::~KFCurve() = default;

KFCurve::KFCurve(const KFCurve& xOther) { *this = xOther; }

KFCurve& KFCurve::operator=(const KFCurve& xOther) {
  if (this == &xOther) return *this;
  m_fDefaultValue = xOther.m_fDefaultValue;
  m_xBlocks.clear();
  m_iKeyCount = 0;
  for (int i = 0; i < xOther.m_iKeyCount; ++i) InsertAt(i, xOther.Key(i));
  m_iPreExtrapolation = xOther.m_iPreExtrapolation;
  m_iPreExtrapolationCount = xOther.m_iPreExtrapolationCount;
  m_iPostExtrapolation = xOther.m_iPostExtrapolation;
  m_iPostExtrapolationCount = xOther.m_iPostExtrapolationCount;
  for (int i = 0; i < 3; ++i) m_afColor[i] = xOther.m_afColor[i];
  m_iKeyIndexCache = 0;
  ResetCache();
  return *this;
}

void KFCurve::ResetCache() {
  // Every change of the keys comes here.
  if (m_iKeyCount > 0) {
    m_xFirstKeyTime = Key(0).GetTime();
    m_xLastKeyTime = Key(m_iKeyCount - 1).GetTime();
  }
  ForgetValues();
}

void KFCurve::ForgetValues() {
  m_xLastTime = KTime::Infinite();
  m_fLastValue = 0.0f;
  m_xSegment.m_iIndex = -1;
  m_xSlopes = SlopeMemo();
}

void KFCurve::SetValue(float fValue) {
  m_fDefaultValue = fValue;
  ResetCache();
  if (m_pListener) m_pListener->CurveDefaultValueChanged(*this);
}

void KFCurve::SetPreExtrapolation(int iMode) {
  m_iPreExtrapolation = iMode;
  ResetCache();
}
void KFCurve::SetPreExtrapolationCount(int iCount) {
  m_iPreExtrapolationCount = iCount;
  ResetCache();
}
void KFCurve::SetPostExtrapolation(int iMode) {
  m_iPostExtrapolation = iMode;
  ResetCache();
}
void KFCurve::SetPostExtrapolationCount(int iCount) {
  m_iPostExtrapolationCount = iCount;
  ResetCache();
}

void KFCurve::SetColor(float fRed, float fGreen, float fBlue) {
  m_afColor[0] = fRed;
  m_afColor[1] = fGreen;
  m_afColor[2] = fBlue;
}

// Position at which a key of time xTime belongs; bTaken tells whether a key
// of that very time is already there.
int KFCurve::FindInsertPosition(KTime xTime, bool& bTaken) const {
  // Files and recordings give keys in time order: after the last key needs no search.
  bTaken = false;
  if (m_iKeyCount == 0 || Key(m_iKeyCount - 1).GetTime() < xTime) return m_iKeyCount;
  int iLow = 0, iHigh = m_iKeyCount;
  while (iLow < iHigh) {
    const int iMid = (iLow + iHigh) / 2;
    if (Key(iMid).GetTime() < xTime)
      iLow = iMid + 1;
    else
      iHigh = iMid;
  }
  bTaken = iLow < m_iKeyCount && Key(iLow).GetTime() == xTime;
  return iLow;
}

int KFCurve::InsertAt(int iIndex, const KFCurveKey& xKey) {
  if (m_iKeyCount == static_cast<int>(m_xBlocks.size()) * kKeyBlockSize)
    m_xBlocks.push_back(std::make_unique<KeyBlock>());
  for (int i = m_iKeyCount; i > iIndex; --i) Key(i) = Key(i - 1);
  ++m_iKeyCount;
  Key(iIndex) = xKey;
  ResetCache();
  return iIndex;
}

int KFCurve::KeyAdd(KTime xTime) {
  bool bTaken;
  const int iIndex = FindInsertPosition(xTime, bTaken);
  if (bTaken) return iIndex;
  KFCurveKey xKey;
  xKey.Set(xTime, EvaluateUncached(xTime));
  return InsertAt(iIndex, xKey);
}

int KFCurve::KeyAppend(KTime xTime, float fValue) {
  if (m_iKeyCount > 0 && !(Key(m_iKeyCount - 1).GetTime() < xTime)) return -1;
  KFCurveKey xKey;
  xKey.Set(xTime, fValue);
  return InsertAt(m_iKeyCount, xKey);
}

// The key goes into the last block (a new one when that is full) and only
// the last key's time changes: nothing moves, nothing is searched.
int KFCurve::KeyAppend(const KFCurveKey& xKey) {
  const KTime xTime = xKey.GetTime();
  if (m_iKeyCount > 0 && !(m_xLastKeyTime < xTime)) return -1;
  const int iSlot = m_iKeyCount % kKeyBlockSize;
  if (iSlot == 0) m_xBlocks.push_back(std::make_unique<KeyBlock>());
  (*m_xBlocks.back())[iSlot] = xKey;
  if (m_iKeyCount == 0) m_xFirstKeyTime = xTime;
  m_xLastKeyTime = xTime;
  ForgetValues();
  return m_iKeyCount++;
}

int KFCurve::KeyInsert(const KFCurveKey& xKey) {
  bool bTaken;
  const int iIndex = FindInsertPosition(xKey.GetTime(), bTaken);
  if (bTaken) return -1;
  return InsertAt(iIndex, xKey);
}

bool KFCurve::KeyRemove(int iIndex) {
  if (!ValidIndex(iIndex)) return false;
  for (int i = iIndex; i + 1 < m_iKeyCount; ++i) Key(i) = Key(i + 1);
  --m_iKeyCount;
  if (m_iKeyCount <= (static_cast<int>(m_xBlocks.size()) - 1) * kKeyBlockSize) m_xBlocks.pop_back();
  ResetCache();
  return true;
}

void KFCurve::KeyClear() {
  m_xBlocks.clear();
  m_iKeyCount = 0;
  m_iKeyIndexCache = 0;
  ResetCache();
}

bool KFCurve::KeySet(int iIndex, const KFCurveKey& xKey) {
  if (!ValidIndex(iIndex)) return false;
  const KTime xTime = xKey.GetTime();
  if (iIndex > 0 && !(Key(iIndex - 1).GetTime() < xTime)) return false;
  if (iIndex + 1 < m_iKeyCount && !(xTime < Key(iIndex + 1).GetTime())) return false;
  Key(iIndex) = xKey;
  ResetCache();
  return true;
}

int KFCurve::KeySetTime(int iIndex, KTime xTime) {
  if (!ValidIndex(iIndex)) return -1;
  if (Key(iIndex).GetTime() == xTime) return iIndex;
  bool bTaken;
  FindInsertPosition(xTime, bTaken);
  if (bTaken) return -1;
  KFCurveKey xKey = Key(iIndex);
  xKey.SetTime(xTime);
  KeyRemove(iIndex);
  return KeyInsert(xKey);
}

template <class Change>
bool KFCurve::ChangeKey(int iIndex, Change xChange) {
  if (!ValidIndex(iIndex)) return false;
  xChange(Key(iIndex));
  ResetCache();
  return true;
}

bool KFCurve::KeySetValue(int iIndex, float fValue) {
  return ChangeKey(iIndex, [&](KFCurveKey& xKey) { xKey.SetValue(fValue); });
}
bool KFCurve::KeySetInterpolation(int iIndex, uint32_t uInterpolation) {
  return ChangeKey(iIndex, [&](KFCurveKey& xKey) { xKey.SetInterpolation(uInterpolation); });
}
bool KFCurve::KeySetConstantMode(int iIndex, uint32_t uMode) {
  return ChangeKey(iIndex, [&](KFCurveKey& xKey) { xKey.SetConstantMode(uMode); });
}
bool KFCurve::KeySetTangentMode(int iIndex, uint32_t uMode) {
  return ChangeKey(iIndex, [&](KFCurveKey& xKey) { xKey.SetTangentMode(uMode); });
}
bool KFCurve::KeySetDataFloat(int iIndex, int iDataIndex, float fValue) {
  return ChangeKey(iIndex, [&](KFCurveKey& xKey) { xKey.SetDataFloat(iDataIndex, fValue); });
}
bool KFCurve::KeySetTCB(int iIndex, float fTension, float fContinuity, float fBias) {
  return ChangeKey(
      iIndex, [&](KFCurveKey& xKey) { xKey.SetTCB(xKey.GetTime(), xKey.GetValue(), fTension, fContinuity, fBias); });
}
bool KFCurve::KeySetTangentWeightMode(int iIndex, uint32_t uMode) {
  return ChangeKey(iIndex, [&](KFCurveKey& xKey) { xKey.SetTangentWeightMode(uMode); });
}
bool KFCurve::KeySetRightTangentWeight(int iIndex, float fWeight) {
  return ChangeKey(iIndex, [&](KFCurveKey& xKey) { xKey.SetRightTangentWeight(fWeight); });
}
bool KFCurve::KeySetNextLeftTangentWeight(int iIndex, float fWeight) {
  return ChangeKey(iIndex, [&](KFCurveKey& xKey) { xKey.SetNextLeftTangentWeight(fWeight); });
}
bool KFCurve::KeySetTangentVelocityMode(int iIndex, uint32_t uMode) {
  return ChangeKey(iIndex, [&](KFCurveKey& xKey) { xKey.SetTangentVelocityMode(uMode); });
}
bool KFCurve::KeySetRightVelocity(int iIndex, float fVelocity) {
  return ChangeKey(iIndex, [&](KFCurveKey& xKey) { xKey.SetRightVelocity(fVelocity); });
}
bool KFCurve::KeySetNextLeftVelocity(int iIndex, float fVelocity) {
  return ChangeKey(iIndex, [&](KFCurveKey& xKey) { xKey.SetNextLeftVelocity(fVelocity); });
}

bool KFCurve::KeyGetTimeRange(KTime& xFirst, KTime& xLast) const {
  if (m_iKeyCount == 0) return false;
  xFirst = Key(0).GetTime();
  xLast = Key(m_iKeyCount - 1).GetTime();
  return true;
}
