#include "fbxsdk/scene/kfcurve_stored.h"

#include <cctype>
#include <cmath>

namespace {

// Key encoding versions at which the stored form changed.
constexpr int kVersionAutoReadsNextLeft = 4000;  // "a" alone carries the next-left auto parameter
constexpr int kVersionWeightLetters = 4002;      // "d", "s", "b" gain a weight letter
constexpr int kVersionConstantMode = 4004;       // constant keys gain a mode letter
// Below this version the list may hold the legacy interpolation letters, and
// auto keys after linear keys continue the line (see ContinueLinesIntoAutoKeys).
constexpr int kVersionLegacyKeys = 4004;
// Below this version the broken tangent flags are rewritten from the tangent
// data (see RewriteBrokenFlags).
constexpr int kVersionTangentFlags = 4000;

// Two tangent parameters agree within this tolerance.
constexpr float kTangentTolerance = 0.001f;
// Leaving auto parameter that takes the slope of the segment before the key.
constexpr float kAutoFollowsArriving = -100.0f;

struct LetterCode {
  char m_cLetter;
  uint32_t m_uCode;
};

constexpr LetterCode kInterpolationLetters[] = {
    {'C', KFCURVE_INTERPOLATION_CONSTANT}, {'A', KFCURVE_INTERPOLATION_CONSTANT}, {'Z', KFCURVE_INTERPOLATION_CONSTANT},
    {'L', KFCURVE_INTERPOLATION_LINEAR},   {'U', KFCURVE_INTERPOLATION_CUBIC},
};

constexpr LetterCode kExtrapolationLetters[] = {
    {'C', KFCURVE_EXTRAPOLATION_CONST},
    {'R', KFCURVE_EXTRAPOLATION_REPETITION},
    {'M', KFCURVE_EXTRAPOLATION_MIRROR_REPETITION},
    {'K', KFCURVE_EXTRAPOLATION_KEEP_SLOPE},
};

// Interpolation letters of the legacy key encodings, each a whole key kind
// with no tangent or weight letter after it: hold, ramp, TCB, and the ease
// keys whose segment leaves the key flat ("O"), arrives at the next key flat
// ("I") or both ("B"). The one number after "O" or "I" is the slope at the
// segment's other end.
struct LegacyLetter {
  char m_cLetter;
  uint32_t m_uInterpolation;
  uint32_t m_uMode;      // tangent mode (cubic) or constant mode
  int m_iNumbers;        // numbers after the letter
  int m_aiDataIndex[3];  // tangent data index that receives each number
};

constexpr LegacyLetter kLegacyInterpolationLetters[] = {
    {'H', KFCURVE_INTERPOLATION_CONSTANT, KFCURVE_CONSTANT_STANDARD, 0, {}},
    {'R', KFCURVE_INTERPOLATION_LINEAR, 0, 0, {}},
    {'T',
     KFCURVE_INTERPOLATION_CUBIC,
     KFCURVE_TANGEANT_TCB,
     3,
     {KFCURVEKEY_TCB_TENSION, KFCURVEKEY_TCB_CONTINUITY, KFCURVEKEY_TCB_BIAS}},
    {'B', KFCURVE_INTERPOLATION_CUBIC, KFCURVE_TANGEANT_USER, 0, {}},
    {'I', KFCURVE_INTERPOLATION_CUBIC, KFCURVE_TANGEANT_USER, 1, {KFCURVEKEY_RIGHT_SLOPE}},
    {'O', KFCURVE_INTERPOLATION_CUBIC, KFCURVE_TANGEANT_USER, 1, {KFCURVEKEY_NEXT_LEFT_SLOPE}},
};

const LegacyLetter* FindLegacyLetter(char cLetter) {
  for (const LegacyLetter& xEntry : kLegacyInterpolationLetters)
    if (xEntry.m_cLetter == cLetter) return &xEntry;
  return nullptr;
}

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
  explicit StoredCursor(KFCurveStoredSource& xSource) : m_xSource(xSource) {}
  bool AtEnd() { return !m_xSource.Peek(); }
  // True when the next value is a single character (a letter, not a number).
  bool NextIsLetter() {
    const KFCurveStoredItem* pxItem = m_xSource.Peek();
    return pxItem && pxItem->m_eKind == KFCurveStoredItem::eLETTER;
  }
  bool Bad() const { return m_bBad; }
  void StartKey() { m_bBad = false; }
  void MarkBad() { m_bBad = true; }

  int64_t Time() {
    const KFCurveStoredItem* pxItem = m_xSource.Take();
    if (pxItem && pxItem->m_eKind == KFCurveStoredItem::eINTEGER) return pxItem->m_llInteger;
    m_bBad = true;
    return 0;
  }
  float Number() {
    const KFCurveStoredItem* pxItem = m_xSource.Take();
    if (pxItem && pxItem->m_eKind == KFCurveStoredItem::eREAL) return static_cast<float>(pxItem->m_dReal);
    if (pxItem && pxItem->m_eKind == KFCurveStoredItem::eINTEGER) return static_cast<float>(pxItem->m_llInteger);
    m_bBad = true;
    return 0.0f;
  }
  // A single character, or '\0' (and a bad key) for anything else.
  char Letter() {
    const KFCurveStoredItem* pxItem = m_xSource.Take();
    if (pxItem && pxItem->m_eKind == KFCurveStoredItem::eLETTER) return pxItem->m_cLetter;
    m_bBad = true;
    return '\0';
  }

 private:
  KFCurveStoredSource& m_xSource;
  bool m_bBad = false;
};

// Values split beforehand, handed over as they are.
class SplitValues : public KFCurveStoredSource {
 public:
  explicit SplitValues(const std::vector<KFCurveStoredValue>& xValues) {
    m_xItems.reserve(xValues.size());
    for (const KFCurveStoredValue& xValue : xValues) {
      KFCurveStoredItem xItem;
      xItem.m_llInteger = xValue.m_llInteger;
      xItem.m_dReal = xValue.m_dReal;
      if (xValue.m_eType == KFCurveStoredValue::eINTEGER) xItem.m_eKind = KFCurveStoredItem::eINTEGER;
      if (xValue.m_eType == KFCurveStoredValue::eREAL) xItem.m_eKind = KFCurveStoredItem::eREAL;
      if (xValue.m_eType == KFCurveStoredValue::eTEXT && xValue.m_xText.GetLen() == 1) {
        xItem.m_eKind = KFCurveStoredItem::eLETTER;
        xItem.m_cLetter = xValue.m_xText[0];
      }
      m_xItems.push_back(xItem);
    }
  }

 private:
  bool Refill() override {
    if (m_bHanded || m_xItems.empty()) return false;
    m_bHanded = true;
    Hand(m_xItems.data(), m_xItems.size());
    return true;
  }
  std::vector<KFCurveStoredItem> m_xItems;
  bool m_bHanded = false;
};

struct ReadKey {
  KFCurveKey m_xKey;
  bool m_bBad = false;
  bool m_bImplicitRightAuto = false;  // an auto key whose list gives no right parameter
  bool m_bUnweightsPrevious = false;  // "a" or "d" from 4002 on
};

// The weight letter is lower case; any other letter weights nothing.
void ReadWeights(StoredCursor& xCursor, KFCurveKey& xKey) {
  uint32_t uMode = KFCURVE_WEIGHTED_NONE;
  LookUp(kWeightLetters, xCursor.Letter(), uMode);
  xKey.SetTangentWeightMode(uMode);
  if (uMode & KFCURVE_WEIGHTED_RIGHT) xKey.SetRightTangentWeight(xCursor.Number());
  if (uMode & KFCURVE_WEIGHTED_NEXT_LEFT) xKey.SetNextLeftTangentWeight(xCursor.Number());
}

void UnweightNextLeft(KFCurveKey* pxPrevious) {
  if (!pxPrevious) return;
  pxPrevious->SetTangentWeightMode(pxPrevious->GetTangentWeightMode() & ~KFCURVE_WEIGHTED_NEXT_LEFT);
  pxPrevious->SetNextLeftTangentWeight(kDefaultTangentWeight);
}

// Tangent letter and data of a cubic key. pxPrevious is the last key kept
// so far. An unknown letter marks the key bad; it is followed by no numbers.
void ReadCubic(StoredCursor& xCursor, int iVersion, ReadKey& xRead, const KFCurveKey* pxPrevious) {
  KFCurveKey& xKey = xRead.m_xKey;
  const KTime xTime = xKey.GetTime();
  const float fValue = xKey.GetValue();
  const char cTangent = static_cast<char>(std::tolower(static_cast<unsigned char>(xCursor.Letter())));
  const bool bLateWeights = iVersion >= kVersionWeightLetters;
  switch (cTangent) {
    case 'a': {
      float fNextLeft = 0.0f;
      if (iVersion == kVersionAutoReadsNextLeft) fNextLeft = xCursor.Number();
      xKey.Set(xTime, fValue, KFCURVE_INTERPOLATION_CUBIC, KFCURVE_TANGEANT_AUTO, 0.0f, fNextLeft);
      xRead.m_bImplicitRightAuto = true;
      xRead.m_bUnweightsPrevious = bLateWeights;
      // Some exporters of version 4005 write a weight letter after "a" too
      // ("U,a,n"). A key starts with its time, never a letter, so a letter
      // here can only be that weight letter.
      if (xCursor.NextIsLetter()) ReadWeights(xCursor, xKey);
      return;
    }
    case 'd': {
      const float fNextLeft = xCursor.Number();
      xKey.Set(xTime, fValue, KFCURVE_INTERPOLATION_CUBIC, KFCURVE_TANGEANT_AUTO, 0.0f, fNextLeft);
      xRead.m_bImplicitRightAuto = true;
      if (bLateWeights) {
        xRead.m_bUnweightsPrevious = true;
        ReadWeights(xCursor, xKey);
      }
      return;
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
      return;
    }
    case 's':
    case 'b': {
      const float fRight = xCursor.Number();
      const float fNextLeft = xCursor.Number();
      xKey.Set(xTime, fValue, KFCURVE_INTERPOLATION_CUBIC,
               cTangent == 's' ? KFCURVE_TANGEANT_USER : KFCURVE_TANGEANT_BREAK, fRight, fNextLeft);
      if (bLateWeights) ReadWeights(xCursor, xKey);
      return;
    }
    case 't': {
      const float fTension = xCursor.Number();
      const float fContinuity = xCursor.Number();
      const float fBias = xCursor.Number();
      xKey.SetTCB(xTime, fValue, fTension, fContinuity, fBias);
      return;
    }
    default:
      xCursor.MarkBad();
      return;
  }
}

// A whole key of a legacy interpolation letter.
void ReadLegacy(StoredCursor& xCursor, const LegacyLetter& xLetter, KFCurveKey& xKey) {
  float afData[3] = {0.0f, 0.0f, 0.0f};
  for (int i = 0; i < xLetter.m_iNumbers; ++i) afData[xLetter.m_aiDataIndex[i]] = xCursor.Number();
  if (xLetter.m_uMode == KFCURVE_TANGEANT_TCB && xLetter.m_uInterpolation == KFCURVE_INTERPOLATION_CUBIC)
    xKey.SetTCB(xKey.GetTime(), xKey.GetValue(), afData[0], afData[1], afData[2]);
  else
    xKey.Set(xKey.GetTime(), xKey.GetValue(), xLetter.m_uInterpolation, xLetter.m_uMode, afData[0], afData[1]);
}

bool IsAutoKey(const KFCurveKey& xKey) {
  const uint32_t uTangent = xKey.GetTangentMode();
  return xKey.GetInterpolation() == KFCURVE_INTERPOLATION_CUBIC &&
         (uTangent == KFCURVE_TANGEANT_AUTO || uTangent == KFCURVE_TANGEANT_AUTO_BREAK);
}

// Legacy encodings: an auto key right after a linear key leaves with the
// line's slope, so that the curve comes out of the line without a kink. Only
// keys whose list gives no right parameter are changed; the passes run on
// the keys that stay on the curve, so a dropped key is no neighbour.
void ContinueLinesIntoAutoKeys(std::vector<ReadKey>& xKeys) {
  for (size_t i = 1; i < xKeys.size(); ++i) {
    KFCurveKey& xKey = xKeys[i].m_xKey;
    if (xKeys[i].m_bImplicitRightAuto && IsAutoKey(xKey) &&
        xKeys[i - 1].m_xKey.GetInterpolation() == KFCURVE_INTERPOLATION_LINEAR)
      xKey.SetDataFloat(KFCURVEKEY_RIGHT_AUTO, kAutoFollowsArriving);
  }
}

// Oldest encodings: a user or auto key whose two sides disagree is marked
// broken, as "p" keys are when read. The arriving side is the previous key's
// next-left value, read the way the key's own tangent mode reads it: a slope
// for a user key (sides agree when equal), an auto parameter for an auto key
// (sides agree when opposite). A TCB previous key keeps its continuity there,
// and a linear or constant one has no next-left side: nothing to compare.
void RewriteBrokenFlags(std::vector<ReadKey>& xKeys) {
  for (size_t i = 1; i < xKeys.size(); ++i) {
    const KFCurveKey& xPrevious = xKeys[i - 1].m_xKey;
    KFCurveKey& xKey = xKeys[i].m_xKey;
    if (xPrevious.GetInterpolation() != KFCURVE_INTERPOLATION_CUBIC || xPrevious.IsTCB() ||
        xKey.GetInterpolation() != KFCURVE_INTERPOLATION_CUBIC)
      continue;
    const float fArriving = xPrevious.GetDataFloat(KFCURVEKEY_NEXT_LEFT_SLOPE);
    const float fLeaving = xKey.GetDataFloat(KFCURVEKEY_RIGHT_SLOPE);
    const uint32_t uTangent = xKey.GetTangentMode();
    if (uTangent == KFCURVE_TANGEANT_USER && std::fabs(fArriving - fLeaving) > kTangentTolerance)
      xKey.SetTangentMode(KFCURVE_TANGEANT_BREAK);
    if (uTangent == KFCURVE_TANGEANT_AUTO && std::fabs(fArriving + fLeaving) > kTangentTolerance)
      xKey.SetTangentMode(KFCURVE_TANGEANT_AUTO_BREAK);
  }
}

// One key from the cursor; pxPrevious is the last key kept so far.
void ReadOneKey(StoredCursor& xCursor, int iKeyVersion, ReadKey& xRead, KFCurveKey* pxPrevious) {
  xCursor.StartKey();
  const int64_t llTime = xCursor.Time();
  const float fValue = xCursor.Number();
  KFCurveKey& xKey = xRead.m_xKey;
  xKey.SetTime(KTime(llTime));
  xKey.SetValue(fValue);

  // An unknown interpolation letter ends the key: no letters or numbers
  // are known to follow it.
  const char cInterpolation = xCursor.Letter();
  uint32_t uInterpolation = 0;
  const bool bKnown = LookUp(kInterpolationLetters, cInterpolation, uInterpolation);
  const LegacyLetter* pxLegacy =
      !bKnown && iKeyVersion < kVersionLegacyKeys ? FindLegacyLetter(cInterpolation) : nullptr;
  if (pxLegacy) {
    ReadLegacy(xCursor, *pxLegacy, xKey);
  } else if (!bKnown) {
    xCursor.MarkBad();
  } else if (uInterpolation == KFCURVE_INTERPOLATION_CONSTANT) {
    uint32_t uMode = KFCURVE_CONSTANT_STANDARD;
    if (iKeyVersion >= kVersionConstantMode && xCursor.Letter() == 'n') uMode = KFCURVE_CONSTANT_NEXT;
    xKey.Set(xKey.GetTime(), fValue, KFCURVE_INTERPOLATION_CONSTANT, uMode);
  } else if (uInterpolation == KFCURVE_INTERPOLATION_LINEAR) {
    xKey.Set(xKey.GetTime(), fValue, KFCURVE_INTERPOLATION_LINEAR);
  } else {
    ReadCubic(xCursor, iKeyVersion, xRead, pxPrevious);
  }
  xRead.m_bBad = xCursor.Bad() || llTime == INT64_MIN || (pxPrevious && llTime <= pxPrevious->GetTime().Get());
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

// Kept keys go onto the curve as they are read, one key late: the key after
// a kept key may still change it (an "a" or "d" key unweights the next-left
// side of the key before it). The legacy passes look at the kept keys as a
// whole, so those versions gather them first.
KFCurveStoredResult KFCurveReadStoredKeys(KFCurve& xCurve, int iKeyVersion, KFCurveStoredSource& xSource) {
  KFCurveStoredResult xResult;
  static_assert(kVersionTangentFlags <= kVersionLegacyKeys, "every legacy pass runs on gathered keys");
  const bool bLegacy = iKeyVersion < kVersionLegacyKeys;
  std::vector<ReadKey> xLegacyKept;
  xCurve.KeyClear();
  StoredCursor xCursor(xSource);
  // The key before the one being read is the last key kept: a bad key is
  // never anybody's neighbour on the curve.
  ReadKey xPrevious;
  bool bHasPrevious = false;
  const auto Keep = [&](const ReadKey& xRead) {
    if (bLegacy)
      xLegacyKept.push_back(xRead);
    else if (xCurve.KeyAppend(xRead.m_xKey) >= 0)
      ++xResult.m_iKeysKept;
  };
  while (!xCursor.AtEnd()) {
    ReadKey xRead;
    ReadOneKey(xCursor, iKeyVersion, xRead, bHasPrevious ? &xPrevious.m_xKey : nullptr);
    ++xResult.m_iKeysRead;
    if (xRead.m_bBad) continue;
    // Only a key that stays changes its neighbour.
    if (xRead.m_bUnweightsPrevious) UnweightNextLeft(bHasPrevious ? &xPrevious.m_xKey : nullptr);
    if (bHasPrevious) Keep(xPrevious);
    xPrevious = xRead;
    bHasPrevious = true;
  }
  if (bHasPrevious) Keep(xPrevious);
  if (!bLegacy) return xResult;

  if (iKeyVersion < kVersionLegacyKeys) ContinueLinesIntoAutoKeys(xLegacyKept);
  if (iKeyVersion < kVersionTangentFlags) RewriteBrokenFlags(xLegacyKept);
  for (const ReadKey& xRead : xLegacyKept)
    if (xCurve.KeyAppend(xRead.m_xKey) >= 0) ++xResult.m_iKeysKept;
  return xResult;
}

KFCurveStoredResult KFCurveReadStoredKeys(KFCurve& xCurve, int iKeyVersion,
                                          const std::vector<KFCurveStoredValue>& xValues) {
  SplitValues xSource(xValues);
  return KFCurveReadStoredKeys(xCurve, iKeyVersion, xSource);
}

int KFCurveExtrapolationFromLetter(const char* pszLetter) {
  uint32_t uMode = KFCURVE_EXTRAPOLATION_NONE;
  if (pszLetter && pszLetter[0] != '\0' && pszLetter[1] == '\0') LookUp(kExtrapolationLetters, pszLetter[0], uMode);
  return static_cast<int>(uMode);
}
