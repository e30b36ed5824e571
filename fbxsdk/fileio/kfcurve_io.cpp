// A curve's stored form through the container, and its writer-side twin.
#include "fbxsdk/fileio/kfcurve_io.h"

#include <algorithm>
#include <vector>

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

// The "Key" values, typed as the stored-key reader checks them: integers
// (binary "I", "L"; ASCII integer tokens), numbers (binary "F", "D"; ASCII
// real tokens) and texts (binary "C", "S"; any other ASCII token).
std::vector<KFCurveStoredValue> ReadKeyValues(KFbx& xFbx) {
  std::vector<KFCurveStoredValue> xValues;
  // The count is bounded by the bytes of the field, so reserving it is safe.
  xValues.reserve(static_cast<size_t>(std::max(0, xFbx.GetRemainingValueCount())));
  while (xFbx.GetRemainingValueCount() > 0) {
    switch (xFbx.GetValueClass()) {
      case 'I':
      case 'L':
        xValues.push_back(KFCurveStoredValue::Integer(xFbx.NextInt64()));
        break;
      case 'F':
      case 'D':
        xValues.push_back(KFCurveStoredValue::Real(xFbx.NextDouble()));
        break;
      case 'R':
        xFbx.NextString(), xValues.push_back(KFCurveStoredValue::Text(""));
        break;
      default:
        xValues.push_back(KFCurveStoredValue::Text(xFbx.NextString()));
        break;
    }
  }
  return xValues;
}

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

void PutWeights(const KFCurveKey& xKey, std::vector<KFbxWriteValue>& xOut) {
  const uint32_t uMode = xKey.GetTangentWeightMode();
  xOut.push_back(KFbxWriteValue::Char(WeightLetter(uMode)));
  if (uMode & KFCURVE_WEIGHTED_RIGHT) xOut.push_back(KFbxWriteValue::Double(xKey.GetRightTangentWeight()));
  if (uMode & KFCURVE_WEIGHTED_NEXT_LEFT) xOut.push_back(KFbxWriteValue::Double(xKey.GetNextLeftTangentWeight()));
}

void PutCubic(const KFCurveKey& xKey, std::vector<KFbxWriteValue>& xOut) {
  const double dRight = xKey.GetDataFloat(0), dNextLeft = xKey.GetDataFloat(1);
  char cLetter = 's';
  switch (xKey.GetTangentMode()) {
    case KFCURVE_TANGEANT_TCB:
      xOut.push_back(KFbxWriteValue::Char('t'));
      for (int i = 0; i < 3; ++i) xOut.push_back(KFbxWriteValue::Double(xKey.GetDataFloat(i)));
      return;
    case KFCURVE_TANGEANT_AUTO:
      if (dRight == 0.0) {
        xOut.push_back(KFbxWriteValue::Char('d'));
        xOut.push_back(KFbxWriteValue::Double(dNextLeft));
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
  xOut.push_back(KFbxWriteValue::Char(cLetter));
  xOut.push_back(KFbxWriteValue::Double(dRight));
  xOut.push_back(KFbxWriteValue::Double(dNextLeft));
  PutWeights(xKey, xOut);
}

}  // namespace

bool KFCurveRetrieveMembers(KFbx& xFbx, KFCurve& xCurve, bool bReadColor) {
  if (!xFbx.BeginField("Default")) return false;
  if (xFbx.GetRemainingValueCount() > 0) xCurve.SetValue(static_cast<float>(NextNumber(xFbx)));
  xFbx.EndField();
  const int iKeyVersion = xFbx.FieldInt("KeyVer", 0);
  if (xFbx.BeginField("Key")) {
    KFCurveReadStoredKeys(xCurve, iKeyVersion, ReadKeyValues(xFbx));
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

std::vector<KFbxWriteField> KFCurveStoredMembers(const KFCurve& xCurve, int iKeyVersion, bool bWriteColor) {
  std::vector<KFbxWriteField> xMembers;
  xMembers.emplace_back("Default", std::vector<KFbxWriteValue>{KFbxWriteValue::Double(xCurve.GetValue())});
  xMembers.emplace_back("KeyVer", std::vector<KFbxWriteValue>{KFbxWriteValue::Int(iKeyVersion)});
  xMembers.emplace_back("KeyCount", std::vector<KFbxWriteValue>{KFbxWriteValue::Int(xCurve.KeyGetCount())});
  std::vector<KFbxWriteValue> xKeys;
  xKeys.reserve(static_cast<size_t>(xCurve.KeyGetCount()) * 4);
  for (int i = 0; i < xCurve.KeyGetCount(); ++i) {
    const KFCurveKey& xKey = xCurve.KeyGet(i);
    xKeys.push_back(KFbxWriteValue::Int64(xKey.GetTime().Get()));
    xKeys.push_back(KFbxWriteValue::Double(xKey.GetValue()));
    switch (xKey.GetInterpolation()) {
      case KFCURVE_INTERPOLATION_CONSTANT:
        xKeys.push_back(KFbxWriteValue::Char('C'));
        xKeys.push_back(KFbxWriteValue::Char(xKey.GetConstantMode() == KFCURVE_CONSTANT_NEXT ? 'n' : 's'));
        break;
      case KFCURVE_INTERPOLATION_LINEAR:
        xKeys.push_back(KFbxWriteValue::Char('L'));
        break;
      default:
        xKeys.push_back(KFbxWriteValue::Char('U'));
        PutCubic(xKey, xKeys);
        break;
    }
  }
  xMembers.emplace_back("Key", std::move(xKeys));
  KFbxWriteField xPre("Pre-Extrapolation");
  xPre.Child("Type", {KFbxWriteValue::Char(ExtrapolationLetter(xCurve.GetPreExtrapolation()))});
  xPre.Child("Repetition", {KFbxWriteValue::Int(xCurve.GetPreExtrapolationCount())});
  xMembers.push_back(std::move(xPre));
  KFbxWriteField xPost("Post-Extrapolation");
  xPost.Child("Type", {KFbxWriteValue::Char(ExtrapolationLetter(xCurve.GetPostExtrapolation()))});
  xPost.Child("Repetition", {KFbxWriteValue::Int(xCurve.GetPostExtrapolationCount())});
  xMembers.push_back(std::move(xPost));
  if (bWriteColor) {
    const float* pfColor = xCurve.GetColor();
    xMembers.emplace_back(
        "Color", std::vector<KFbxWriteValue>{KFbxWriteValue::Double(pfColor[0]), KFbxWriteValue::Double(pfColor[1]),
                                             KFbxWriteValue::Double(pfColor[2])});
  }
  return xMembers;
}

KFbxWriteField KFCurveStoredField(const KFCurve& xCurve, const char* pszName, int iKeyVersion, bool bWriteColor) {
  KFbxWriteField xField(pszName);
  xField.Block();
  xField.m_xChildren = KFCurveStoredMembers(xCurve, iKeyVersion, bWriteColor);
  return xField;
}
