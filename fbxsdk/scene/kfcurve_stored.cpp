#include "fbxsdk/scene/kfcurve_stored.h"

#include <cctype>
#include <cmath>

namespace {

// Key encoding versions at which the stored form changed.
constexpr int kVersionAutoReadsNextLeft = 4000;  // "a" alone carries the next-left auto parameter
constexpr int kVersionWeightLetters = 4002;      // "d", "s", "b" gain a weight letter
constexpr int kVersionConstantMode = 4004;       // constant keys gain a mode letter

struct LetterCode {
  char m_cLetter;
  uint32_t m_uCode;
};

constexpr LetterCode kInterpolationLetters[] = {
    {'C', KFCURVE_INTERPOLATION_CONSTANT},
    {'A', KFCURVE_INTERPOLATION_CONSTANT},
    {'Z', KFCURVE_INTERPOLATION_CONSTANT},
    {'L', KFCURVE_INTERPOLATION_LINEAR},
    {'U', KFCURVE_INTERPOLATION_CUBIC},
};

constexpr LetterCode kExtrapolationLetters[] = {
    {'C', KFCURVE_EXTRAPOLATION_CONST},
    {'R', KFCURVE_EXTRAPOLATION_REPETITION},
    {'M', KFCURVE_EXTRAPOLATION_MIRROR_REPETITION},
    {'K', KFCURVE_EXTRAPOLATION_KEEP_SLOPE},
};

constexpr LetterCode kWeightLetters[] = {
    {'a', KFCURVE_WEIGHTED_RIGHT | KFCURVE_WEIGHTED_NEXT_LEFT},
    {'r', KFCURVE_WEIGHTED_RIGHT},
    {'l', KFCURVE_WEIGHTED_NEXT_LEFT},
};

template <size_t N>
bool LookUp(const LetterCode (&xTable)[N], char cLetter, uint32_t& uCode) {
  for (const LetterCode& xEntry : xTable)
    if (xEntry.m_cLetter == cLetter) {
      uCode = xEntry.m_uCode;
      return true;
    }
  return false;
}

// Reads the list value by value. A value of the wrong type (or a missing
// one) marks the key being read as bad but is still consumed, so that the
// key keeps its length.
class StoredCursor {
 public:
  explicit StoredCursor(const std::vector<KFCurveStoredValue>& xValues) : m_xValues(xValues) {}
  bool AtEnd() const { return m_uPos >= m_xValues.size(); }
  bool Bad() const { return m_bBad; }
  void StartKey() { m_bBad = false; }
  void MarkBad() { m_bBad = true; }

  int64_t Time() {
    const KFCurveStoredValue* pxValue = Next();
    if (pxValue && pxValue->m_eType == KFCurveStoredValue::eINTEGER) return pxValue->m_llInteger;
    m_bBad = true;
    return 0;
  }
  float Number() {
    const KFCurveStoredValue* pxValue = Next();
    if (pxValue && pxValue->m_eType == KFCurveStoredValue::eREAL) return static_cast<float>(pxValue->m_dReal);
    if (pxValue && pxValue->m_eType == KFCurveStoredValue::eINTEGER) return static_cast<float>(pxValue->m_llInteger);
    m_bBad = true;
    return 0.0f;
  }
  // A single character, or '\0' (and a bad key) for anything else.
  char Letter() {
    const KFCurveStoredValue* pxValue = Next();
    if (pxValue && pxValue->m_eType == KFCurveStoredValue::eTEXT && pxValue->m_xText.GetLen() == 1)
      return pxValue->m_xText[0];
    m_bBad = true;
    return '\0';
  }

 private:
  const KFCurveStoredValue* Next() { return AtEnd() ? nullptr : &m_xValues[m_uPos++]; }

  const std::vector<KFCurveStoredValue>& m_xValues;
  size_t m_uPos = 0;
  bool m_bBad = false;
};

struct ReadKey {
  KFCurveKey m_xKey;
  bool m_bBad = false;
};

void ReadWeights(StoredCursor& xCursor, KFCurveKey& xKey) {
  uint32_t uMode = KFCURVE_WEIGHTED_NONE;
  LookUp(kWeightLetters, static_cast<char>(std::tolower(static_cast<unsigned char>(xCursor.Letter()))), uMode);
  xKey.SetTangentWeightMode(uMode);
  if (uMode & KFCURVE_WEIGHTED_RIGHT) xKey.SetRightTangentWeight(xCursor.Number());
  if (uMode & KFCURVE_WEIGHTED_NEXT_LEFT) xKey.SetNextLeftTangentWeight(xCursor.Number());
}

void UnweightNextLeft(KFCurveKey* pxPrevious) {
  if (!pxPrevious) return;
  pxPrevious->SetTangentWeightMode(pxPrevious->GetTangentWeightMode() & ~KFCURVE_WEIGHTED_NEXT_LEFT);
  pxPrevious->SetNextLeftTangentWeight(kDefaultTangentWeight);
}

// Tangent letter and data of a cubic key; false for an unknown letter.
bool ReadCubic(StoredCursor& xCursor, int iVersion, KFCurveKey& xKey, KFCurveKey* pxPrevious) {
  const KTime xTime = xKey.GetTime();
  const float fValue = xKey.GetValue();
  const char cTangent = static_cast<char>(std::tolower(static_cast<unsigned char>(xCursor.Letter())));
  const bool bLateWeights = iVersion >= kVersionWeightLetters;
  switch (cTangent) {
    case 'a': {
      float fNextLeft = 0.0f;
      if (iVersion == kVersionAutoReadsNextLeft) fNextLeft = xCursor.Number();
      xKey.Set(xTime, fValue, KFCURVE_INTERPOLATION_CUBIC, KFCURVE_TANGEANT_AUTO, 0.0f, fNextLeft);
      if (bLateWeights) UnweightNextLeft(pxPrevious);
      return true;
    }
    case 'd': {
      const float fNextLeft = xCursor.Number();
      xKey.Set(xTime, fValue, KFCURVE_INTERPOLATION_CUBIC, KFCURVE_TANGEANT_AUTO, 0.0f, fNextLeft);
      if (bLateWeights) {
        UnweightNextLeft(pxPrevious);
        ReadWeights(xCursor, xKey);
      }
      return true;
    }
    case 'p':
    case 'q': {
      const float fRight = xCursor.Number();
      const float fNextLeft = xCursor.Number();
      uint32_t uTangent = cTangent == 'q' ? KFCURVE_TANGEANT_AUTO_BREAK : KFCURVE_TANGEANT_AUTO;
      // Smooth auto tangents have opposite parameters on their two sides.
      if (cTangent == 'p' && pxPrevious &&
          std::fabs(pxPrevious->GetDataFloat(KFCURVEKEY_NEXT_LEFT_AUTO) + fRight) > 0.001f)
        uTangent = KFCURVE_TANGEANT_AUTO_BREAK;
      xKey.Set(xTime, fValue, KFCURVE_INTERPOLATION_CUBIC, uTangent, fRight, fNextLeft);
      ReadWeights(xCursor, xKey);
      return true;
    }
    case 's':
    case 'b': {
      const float fRight = xCursor.Number();
      const float fNextLeft = xCursor.Number();
      xKey.Set(xTime, fValue, KFCURVE_INTERPOLATION_CUBIC,
               cTangent == 's' ? KFCURVE_TANGEANT_USER : KFCURVE_TANGEANT_BREAK, fRight, fNextLeft);
      if (bLateWeights) ReadWeights(xCursor, xKey);
      return true;
    }
    case 't': {
      const float fTension = xCursor.Number();
      const float fContinuity = xCursor.Number();
      const float fBias = xCursor.Number();
      xKey.SetTCB(xTime, fValue, fTension, fContinuity, fBias);
      return true;
    }
    default:
      return false;
  }
}

}  // namespace

KFCurveStoredValue KFCurveStoredValue::Integer(int64_t llValue) {
  KFCurveStoredValue xValue;
  xValue.m_eType = eINTEGER;
  xValue.m_llInteger = llValue;
  return xValue;
}

KFCurveStoredValue KFCurveStoredValue::Real(double dValue) {
  KFCurveStoredValue xValue;
  xValue.m_eType = eREAL;
  xValue.m_dReal = dValue;
  return xValue;
}

KFCurveStoredValue KFCurveStoredValue::Text(const char* pszText) {
  KFCurveStoredValue xValue;
  xValue.m_eType = eTEXT;
  xValue.m_xText = pszText;
  return xValue;
}

KFCurveStoredResult KFCurveReadStoredKeys(KFCurve& xCurve, int iKeyVersion,
                                          const std::vector<KFCurveStoredValue>& xValues) {
  KFCurveStoredResult xResult;
  std::vector<ReadKey> xKeys;
  StoredCursor xCursor(xValues);
  bool bHaveKept = false;
  int64_t llLastKeptTime = 0;
  while (!xCursor.AtEnd()) {
    xCursor.StartKey();
    ReadKey xRead;
    const int64_t llTime = xCursor.Time();
    const float fValue = xCursor.Number();
    KFCurveKey& xKey = xRead.m_xKey;
    xKey.SetTime(KTime(llTime));
    xKey.SetValue(fValue);
    KFCurveKey* pxPrevious = xKeys.empty() ? nullptr : &xKeys.back().m_xKey;

    uint32_t uInterpolation = 0;
    bool bKnownLayout = LookUp(kInterpolationLetters, xCursor.Letter(), uInterpolation);
    if (bKnownLayout && uInterpolation == KFCURVE_INTERPOLATION_CONSTANT) {
      uint32_t uMode = KFCURVE_CONSTANT_STANDARD;
      if (iKeyVersion >= kVersionConstantMode && xCursor.Letter() == 'n') uMode = KFCURVE_CONSTANT_NEXT;
      xKey.Set(xKey.GetTime(), fValue, KFCURVE_INTERPOLATION_CONSTANT, uMode);
    } else if (bKnownLayout && uInterpolation == KFCURVE_INTERPOLATION_LINEAR) {
      xKey.Set(xKey.GetTime(), fValue, KFCURVE_INTERPOLATION_LINEAR);
    } else if (bKnownLayout) {
      bKnownLayout = ReadCubic(xCursor, iKeyVersion, xKey, pxPrevious);
    }
    ++xResult.m_iKeysRead;
    if (!bKnownLayout) {
      xResult.m_bComplete = false;
      break;
    }
    xRead.m_bBad = xCursor.Bad() || llTime == INT64_MIN || (bHaveKept && llTime <= llLastKeptTime);
    if (!xRead.m_bBad) {
      bHaveKept = true;
      llLastKeptTime = llTime;
    }
    xKeys.push_back(xRead);
  }

  xCurve.KeyClear();
  for (const ReadKey& xRead : xKeys)
    if (!xRead.m_bBad && xCurve.KeyInsert(xRead.m_xKey) >= 0) ++xResult.m_iKeysKept;
  return xResult;
}

int KFCurveExtrapolationFromLetter(const char* pszLetter) {
  uint32_t uMode = KFCURVE_EXTRAPOLATION_NONE;
  if (pszLetter && pszLetter[0] != '\0' && pszLetter[1] == '\0') LookUp(kExtrapolationLetters, pszLetter[0], uMode);
  return static_cast<int>(uMode);
}
