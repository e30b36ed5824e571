// A curve's stored form through the container, and its writer-side twin.
#include "fbxsdk/fileio/kfcurve_io.h"

#include <vector>

#include "fbxsdk/fileio/kfbx_field_sink.h"
#include "fbxsdk/scene/kfcurve_stored.h"

namespace {

// A number value of either encoding as a double.
double NextNumber(KFbx& xFbx) {
  switch (xFbx.GetValueClass()) {
    case 'I':
      return static_cast<double>(xFbx.NextInt());
    case 'L':
      return static_cast<double>(xFbx.NextInt64());
    default:
      return xFbx.NextDouble();
  }
}

// The "Key" values of the current occurrence, typed as the stored-key
// reader checks them: integers (binary "I", "L"; ASCII integer tokens),
// numbers (binary "F", "D"; ASCII real tokens) and texts (binary "C", "S",
// "R"; any other ASCII token), a text of one character being a letter. Each
// value is decoded once, straight from the container's bytes, into a run
// that the key reader takes; no copy of the whole list is made.
class KeyValues : public KFCurveStoredSource {
 public:
  explicit KeyValues(KFbx& xFbx) : m_xFbx(xFbx), m_xWalker(xFbx.RemainingValues()) {}
  ~KeyValues() override { m_xFbx.ReadUpTo(m_xWalker); }

 private:
  static constexpr size_t kRun = 256;

  bool Refill() override {
    size_t uCount = 0;
    for (; uCount < kRun && !m_xWalker.AtEnd(); m_xWalker.Next()) {
      const KFbxTypedValue xValue = m_xWalker.Typed();
      KFCurveStoredItem& xItem = m_axItems[uCount++];
      switch (xValue.m_cClass) {
        case 'I':
        case 'L':
          xItem.m_eKind = KFCurveStoredItem::eINTEGER;
          xItem.m_llInteger = xValue.m_llInteger;
          break;
        case 'F':
        case 'D':
          xItem.m_eKind = KFCurveStoredItem::eREAL;
          xItem.m_dReal = xValue.m_dReal;
          break;
        default:
          xItem.m_eKind = xValue.m_cLetter ? KFCurveStoredItem::eLETTER : KFCurveStoredItem::eOTHER;
          xItem.m_cLetter = xValue.m_cLetter;
          break;
      }
    }
    Hand(m_axItems, uCount);
    return uCount > 0;
  }

  KFbx& m_xFbx;
  KFbxValueWalker m_xWalker;
  KFCurveStoredItem m_axItems[kRun];
};

void ReadExtrapolation(KFbx& xFbx, const char* pszName, bool bPre, KFCurve& xCurve) {
  if (!xFbx.BeginField(pszName)) return;
  if (xFbx.EnterBlock()) {
    const int iMode = KFCurveExtrapolationFromLetter(xFbx.FieldString("Type", ""));
    const int iCount = xFbx.FieldInt("Repetition", 0);
    bPre ? xCurve.SetPreExtrapolation(iMode) : xCurve.SetPostExtrapolation(iMode);
    bPre ? xCurve.SetPreExtrapolationCount(iCount) : xCurve.SetPostExtrapolationCount(iCount);
    xFbx.LeaveBlock();
  }
  xFbx.EndField();
}

constexpr char kExtrapolationLetters[] = {'?', 'C', 'R', 'M', 'K'};

char ExtrapolationLetter(int iMode) { return iMode >= 1 && iMode <= 4 ? kExtrapolationLetters[iMode] : '?'; }

char WeightLetter(uint32_t uMode) {
  if (uMode == (KFCURVE_WEIGHTED_RIGHT | KFCURVE_WEIGHTED_NEXT_LEFT)) return 'a';
  if (uMode == KFCURVE_WEIGHTED_RIGHT) return 'r';
  if (uMode == KFCURVE_WEIGHTED_NEXT_LEFT) return 'l';
  return 'n';
}

void PutWeights(const KFCurveKey& xKey, KFbxFieldSink& xOut) {
  const uint32_t uMode = xKey.GetTangentWeightMode();
  xOut.Char(WeightLetter(uMode));
  if (uMode & KFCURVE_WEIGHTED_RIGHT) xOut.Double(xKey.GetRightTangentWeight());
  if (uMode & KFCURVE_WEIGHTED_NEXT_LEFT) xOut.Double(xKey.GetNextLeftTangentWeight());
}

void PutCubic(const KFCurveKey& xKey, KFbxFieldSink& xOut) {
  const double dRight = xKey.GetDataFloat(0), dNextLeft = xKey.GetDataFloat(1);
  char cLetter = 's';
  switch (xKey.GetTangentMode()) {
    case KFCURVE_TANGEANT_TCB:
      xOut.Char('t');
      for (int i = 0; i < 3; ++i) xOut.Double(xKey.GetDataFloat(i));
      return;
    case KFCURVE_TANGEANT_AUTO:
      if (dRight == 0.0) {
        xOut.Char('d');
        xOut.Double(dNextLeft);
        PutWeights(xKey, xOut);
        return;
      }
      cLetter = 'p';
      break;
    case KFCURVE_TANGEANT_AUTO_BREAK:
      cLetter = 'q';
      break;
    case KFCURVE_TANGEANT_BREAK:
      cLetter = 'b';
      break;
    default:
      break;
  }
  xOut.Char(cLetter);
  xOut.Double(dRight);
  xOut.Double(dNextLeft);
  PutWeights(xKey, xOut);
}

void PutExtrapolation(KFbxFieldSink& xOut, const char* pszName, int iMode, int iCount) {
  xOut.Begin(pszName);
  xOut.Leaf("Type", {KFbxWriteValue::Char(ExtrapolationLetter(iMode))});
  xOut.Leaf("Repetition", {KFbxWriteValue::Int(iCount)});
  xOut.End();
}

}  // namespace

bool KFCurveRetrieveMembers(KFbx& xFbx, KFCurve& xCurve, bool bReadColor) {
  if (!xFbx.BeginField("Default")) return false;
  if (xFbx.GetRemainingValueCount() > 0) xCurve.SetValue(static_cast<float>(NextNumber(xFbx)));
  xFbx.EndField();
  const int iKeyVersion = xFbx.FieldInt("KeyVer", 0);
  if (xFbx.BeginField("Key")) {
    KeyValues xValues(xFbx);
    KFCurveReadStoredKeys(xCurve, iKeyVersion, xValues);
    xFbx.EndField();
  }
  ReadExtrapolation(xFbx, "Pre-Extrapolation", true, xCurve);
  ReadExtrapolation(xFbx, "Post-Extrapolation", false, xCurve);
  if (bReadColor && xFbx.BeginField("Color")) {
    const double dRed = NextNumber(xFbx), dGreen = NextNumber(xFbx), dBlue = NextNumber(xFbx);
    xCurve.SetColor(static_cast<float>(dRed), static_cast<float>(dGreen), static_cast<float>(dBlue));
    xFbx.EndField();
  }
  return true;
}

bool KFCurveRetrieve(KFbx& xFbx, KFCurve& xCurve, bool bReadColor) {
  if (!xFbx.EnterBlock()) return false;
  const bool bRead = KFCurveRetrieveMembers(xFbx, xCurve, bReadColor);
  xFbx.LeaveBlock();
  return bRead;
}

void KFCurveEmitStored(KFbxFieldSink& xOut, const KFCurve& xCurve, int iKeyVersion, bool bWriteColor) {
  xOut.Leaf("Default", {KFbxWriteValue::Double(xCurve.GetValue())});
  xOut.Leaf("KeyVer", {KFbxWriteValue::Int(iKeyVersion)});
  xOut.Leaf("KeyCount", {KFbxWriteValue::Int(xCurve.KeyGetCount())});
  xOut.Begin("Key");
  for (int i = 0; i < xCurve.KeyGetCount(); ++i) {
    const KFCurveKey& xKey = xCurve.KeyGet(i);
    xOut.Int64(xKey.GetTime().Get());
    xOut.Double(xKey.GetValue());
    switch (xKey.GetInterpolation()) {
      case KFCURVE_INTERPOLATION_CONSTANT:
        xOut.Char('C');
        xOut.Char(xKey.GetConstantMode() == KFCURVE_CONSTANT_NEXT ? 'n' : 's');
        break;
      case KFCURVE_INTERPOLATION_LINEAR:
        xOut.Char('L');
        break;
      default:
        xOut.Char('U');
        PutCubic(xKey, xOut);
        break;
    }
  }
  xOut.End();
  PutExtrapolation(xOut, "Pre-Extrapolation", xCurve.GetPreExtrapolation(), xCurve.GetPreExtrapolationCount());
  PutExtrapolation(xOut, "Post-Extrapolation", xCurve.GetPostExtrapolation(), xCurve.GetPostExtrapolationCount());
  if (bWriteColor) {
    const float* pfColor = xCurve.GetColor();
    xOut.Leaf("Color", {KFbxWriteValue::Double(pfColor[0]), KFbxWriteValue::Double(pfColor[1]),
                        KFbxWriteValue::Double(pfColor[2])});
  }
}

std::vector<KFbxWriteField> KFCurveStoredMembers(const KFCurve& xCurve, int iKeyVersion, bool bWriteColor) {
  std::vector<KFbxWriteField> xMembers;
  KFbxTreeSink xSink(xMembers);
  KFCurveEmitStored(xSink, xCurve, iKeyVersion, bWriteColor);
  return xMembers;
}

KFbxWriteField KFCurveStoredField(const KFCurve& xCurve, const char* pszName, int iKeyVersion, bool bWriteColor) {
  KFbxWriteField xField(pszName);
  xField.Block();
  xField.m_xChildren = KFCurveStoredMembers(xCurve, iKeyVersion, bWriteColor);
  return xField;
}
