#pragma once

#include <cstdint>
#include <vector>

#include "fbxsdk/core/kstring.h"
#include "fbxsdk/scene/kfcurve.h"

// One value of a curve's stored "Key" list, as the file container split it:
// an integer (key times), a number, or a text (the letters).
struct KFCurveStoredValue {
  enum EType { eINTEGER, eREAL, eTEXT };

  EType m_eType = eINTEGER;
  int64_t m_llInteger = 0;
  double m_dReal = 0.0;
  KString m_xText;

  static KFCurveStoredValue Integer(int64_t llValue);
  static KFCurveStoredValue Real(double dValue);
  static KFCurveStoredValue Text(const char* pszText);
};

// One value of a stored "Key" list as the key reader takes it.
struct KFCurveStoredItem {
  enum EKind : uint8_t { eINTEGER, eREAL, eLETTER, eOTHER };
  EKind m_eKind = eOTHER;
  char m_cLetter = '\0';  // eLETTER: a text of this one character
  int64_t m_llInteger = 0;
  double m_dReal = 0.0;
};

// The values of a stored "Key" list in order, handed over a run at a time:
// a reader of a file decodes each value once, straight from what it holds,
// and the key reader takes them without a call per value.
class KFCurveStoredSource {
 public:
  virtual ~KFCurveStoredSource() = default;
  // The next value, null at the end; Take also moves past it.
  const KFCurveStoredItem* Peek() { return m_pNext != m_pEnd || Refill() ? m_pNext : nullptr; }
  const KFCurveStoredItem* Take() {
    const KFCurveStoredItem* pxItem = Peek();
    if (pxItem) ++m_pNext;
    return pxItem;
  }

 protected:
  // Hands over the next run of values with Hand; false when none is left.
  virtual bool Refill() = 0;
  void Hand(const KFCurveStoredItem* pxFirst, size_t uCount) {
    m_pNext = pxFirst;
    m_pEnd = pxFirst + uCount;
  }

 private:
  const KFCurveStoredItem* m_pNext = nullptr;
  const KFCurveStoredItem* m_pEnd = nullptr;
};

struct KFCurveStoredResult {
  int m_iKeysRead = 0;  // keys found in the list, bad ones included
  int m_iKeysKept = 0;  // keys now on the curve
};

// Replaces the keys of xCurve by those of a stored "Key" list written with
// key encoding version iKeyVersion ("KeyVer"). Keys whose values have the
// wrong type, whose time is not later than the previous kept key's, or whose
// time is the smallest time value are dropped once the list is read. So are
// keys with an unknown interpolation letter, which end after that letter,
// and cubic keys with an unknown tangent letter, which end after the tangent
// letter. The "previous key" that "p", "a" and "d" keys look at or change is
// the last key kept, and only a kept key changes it.
//
// A single letter right after an "a" tangent letter (and its number, for
// version 4000) is read as a weight letter, as some exporters write one.
//
// Versions below 4004 also accept the legacy interpolation letters "H" (hold),
// "R" (ramp), "T" (TCB: tension, continuity, bias), "B" (ease segment, flat
// at both ends), "O" (leaves flat; the next-left slope follows) and "I"
// (arrives flat; the right slope follows), and give an auto key that follows
// a linear key on the curve, and whose list holds no right parameter ("a",
// "d"), the right parameter -100 so that it leaves along the line. Versions
// below 4000 then mark user and auto keys broken when their arriving and
// leaving tangents disagree.
KFCurveStoredResult KFCurveReadStoredKeys(KFCurve& xCurve, int iKeyVersion, KFCurveStoredSource& xSource);
// The same over values split beforehand (a text is a letter when it is one
// character long).
KFCurveStoredResult KFCurveReadStoredKeys(KFCurve& xCurve, int iKeyVersion,
                                          const std::vector<KFCurveStoredValue>& xValues);

// Extrapolation mode of a stored "Type" letter: "C", "R", "M", "K"; any other
// letter gives mode 0.
int KFCurveExtrapolationFromLetter(const char* pszLetter);
