// A curve as a 7.x "AnimationCurve" object's fields: its default value,
// its keys as arrays (times in ticks, values, and run-length attributes:
// flags, four data words and the number of keys each attribute covers)
// and, as our writer adds, its extrapolation in the 6.x stored form.
#include "fbxsdk/fileio7/kfbx7_curve_fields.h"

#include <cmath>
#include <cstring>

#include "fbxsdk/fileio/kfbx_field_sink.h"
#include "fbxsdk/scene/kfcurve.h"

namespace {

// The key encoding version 7.x curves carry.
constexpr int kKeyVersion = 4009;
// Stored extrapolation letters by mode.
constexpr char kExtrapolationLetters[] = {'?', 'C', 'R', 'M', 'K'};
// A velocity is kept as n * 0.00010001 for a 16-bit n.
constexpr float kFixedPointStep = 0.00010001f;

uint32_t WordOf(float f) {
  uint32_t u;
  std::memcpy(&u, &f, 4);
  return u;
}

float FloatOf(uint32_t u) {
  float f;
  std::memcpy(&f, &u, 4);
  return f;
}

uint32_t Fixed16(float fValue) {
  return static_cast<uint16_t>(static_cast<int16_t>(std::lround(fValue / kFixedPointStep)));
}

// What one key's attribute is: its flags and the four data words (the two
// tangent floats, the weights or the TCB bias as the key keeps them, and
// the two velocities).
struct Attribute {
  int32_t m_iFlags;
  uint32_t m_auData[4];
  bool operator==(const Attribute& x) const {
    return m_iFlags == x.m_iFlags && std::memcmp(m_auData, x.m_auData, sizeof m_auData) == 0;
  }
};

Attribute AttributeOf(const KFCurveKey& xKey) {
  return {static_cast<int32_t>(xKey.GetFlags()),
          {WordOf(xKey.GetDataFloat(0)), WordOf(xKey.GetDataFloat(1)), WordOf(xKey.GetDataFloat(KFCURVEKEY_TCB_BIAS)),
           Fixed16(xKey.GetRightVelocity()) | Fixed16(xKey.GetNextLeftVelocity()) << 16}};
}

void PutExtrapolation(KFbxFieldSink& xOut, const char* pszName, int iMode, int iCount) {
  xOut.Begin(pszName);
  xOut.Leaf("Type", {KFbxWriteValue::Char(iMode >= 1 && iMode <= 4 ? kExtrapolationLetters[iMode] : '?')});
  xOut.Leaf("Repetition", {KFbxWriteValue::Int(iCount)});
  xOut.End();
}

}  // namespace

void KFbx7PutCurveFields(KFbxFieldSink& xOut, const KFCurve& xCurve) {
  const int iCount = xCurve.KeyGetCount();
  std::vector<int64_t> xTimes(static_cast<size_t>(iCount));
  std::vector<float> xValues(static_cast<size_t>(iCount)), xData;
  std::vector<int32_t> xFlags, xRuns;
  Attribute xLast{};
  for (int i = 0; i < iCount; ++i) {
    const KFCurveKey& xKey = xCurve.KeyGet(i);
    xTimes[static_cast<size_t>(i)] = xKey.GetTime().Get();
    xValues[static_cast<size_t>(i)] = xKey.GetValue();
    const Attribute xAttribute = AttributeOf(xKey);
    if (!xRuns.empty() && xAttribute == xLast) {
      ++xRuns.back();
      continue;
    }
    xLast = xAttribute;
    xFlags.push_back(xAttribute.m_iFlags);
    for (uint32_t u : xAttribute.m_auData) xData.push_back(FloatOf(u));
    xRuns.push_back(1);
  }
  xOut.Leaf("Default", {KFbxWriteValue::Double(xCurve.GetValue())});
  xOut.Leaf("KeyVer", {KFbxWriteValue::Int(kKeyVersion)});
  xOut.Leaf("KeyTime", {KFbxWriteValue::Int64Array(xTimes)});
  xOut.Leaf("KeyValueFloat", {KFbxWriteValue::FloatArray(xValues)});
  xOut.Leaf("KeyAttrFlags", {KFbxWriteValue::IntArray(xFlags)});
  xOut.Leaf("KeyAttrDataFloat", {KFbxWriteValue::FloatArray(xData)});
  xOut.Leaf("KeyAttrRefCount", {KFbxWriteValue::IntArray(xRuns)});
  PutExtrapolation(xOut, "Pre-Extrapolation", xCurve.GetPreExtrapolation(), xCurve.GetPreExtrapolationCount());
  PutExtrapolation(xOut, "Post-Extrapolation", xCurve.GetPostExtrapolation(), xCurve.GetPostExtrapolationCount());
}
