// Animation of a 7.x file: every "AnimationStack" becomes a take, whose
// record holds the stack's name and spans. Its first "AnimationLayer" gives
// the curves: each "AnimationCurveNode" connected to a model's
// "Lcl Translation", "Lcl Rotation" or "Lcl Scaling" fills the "T", "R" or
// "S" channel of the model's take node of that take, its "d|X", "d|Y",
// "d|Z" properties giving the channel's values where no curve is
// connected, each "AnimationCurve" connected to a "d|" property giving
// that axis its keys. Only the models a stack animates get a take node of
// its name, as with 6.x takes.
#include <cstring>
#include <new>
#include <unordered_map>

#include "fbxsdk/fileio/kfbx_scene_walk.h"
#include "fbxsdk/fileio7/kfbx7_limits.h"
#include "fbxsdk/fileio7/kfbx7_scene_read.h"
#include "fbxsdk/scene/kfbx_node.h"
#include "fbxsdk/scene/kfbx_scene_graph.h"
#include "fbxsdk/scene/kfcurve_stored.h"

namespace {

constexpr const char* kChannels[][2] = {{"Lcl Translation", "T"}, {"Lcl Rotation", "R"}, {"Lcl Scaling", "S"}};
constexpr const char* kAxes[] = {"d|X", "d|Y", "d|Z"};
// A weight or velocity is stored as round-toward-zero(x * 9999) in 16 bits.
constexpr float kFixedPointScale = 9999.0f;

float FloatOf(uint32_t u) {
  float f;
  std::memcpy(&f, &u, 4);
  return f;
}

// A value that stores back as exactly n in the key's 16 bits.
float Fixed(int16_t n) { return (n + (n > 0 ? 0.5f : n < 0 ? -0.5f : 0.0f)) / kFixedPointScale; }

const char* ChannelLetter(std::string_view xProperty) {
  for (const auto& xChannel : kChannels)
    if (xProperty == xChannel[0]) return xChannel[1];
  return nullptr;
}

int AxisOf(std::string_view xProperty) {
  for (int i = 0; i < 3; ++i)
    if (xProperty == kAxes[i]) return i;
  return -1;
}

// The key an attribute makes (flags and four data words; none: a cubic
// auto key); false for an interpolation the library does not know.
bool MakeKey(const int32_t* piFlags, const uint32_t* puData, KFCurveKey& xKey) {
  const uint32_t uFlags = piFlags ? static_cast<uint32_t>(*piFlags) : KFCURVE_INTERPOLATION_CUBIC;
  const uint32_t uInterpolation = uFlags & KFCURVE_INTERPOLATION_ALL;
  const bool bCubic = uInterpolation == KFCURVE_INTERPOLATION_CUBIC;
  if (uInterpolation != KFCURVE_INTERPOLATION_CONSTANT && uInterpolation != KFCURVE_INTERPOLATION_LINEAR && !bCubic)
    return false;
  xKey = KFCurveKey();
  xKey.Set(KTime(), 0.0f, uInterpolation,
           bCubic ? (piFlags ? uFlags & KFCURVE_TANGEANT_ALL : KFCURVE_TANGEANT_AUTO) : uFlags & KFCURVE_CONSTANT_ALL,
           puData ? FloatOf(puData[0]) : 0.0f, puData ? FloatOf(puData[1]) : 0.0f);
  if (puData) {
    xKey.SetTangentWeightMode(uFlags & KFCURVE_WEIGHTED_ALL);
    xKey.SetTangentVelocityMode(uFlags & KFCURVE_VELOCITY_ALL);
    // The third word holds the two weights (or a TCB key's bias) as the key
    // keeps them; the fourth the two velocities.
    xKey.SetDataFloat(KFCURVEKEY_TCB_BIAS, FloatOf(puData[2]));
    xKey.SetRightVelocity(Fixed(static_cast<int16_t>(puData[3] & 0xFFFF)));
    xKey.SetNextLeftVelocity(Fixed(static_cast<int16_t>(puData[3] >> 16)));
  }
  return true;
}

}  // namespace

bool KFbx7SceneRead::CurveNodeTarget(int64_t llCurveNode, KFbxNode*& pxNode, std::string_view& xProperty,
                                     std::string& xWhy) const {
  pxNode = nullptr;
  int64_t llAt = llCurveNode;
  for (int iPassed = 0;; ++iPassed) {
    const Link* pxTo = nullptr;
    for (const Link& xLink : Parents(llAt))
      if (xLink.m_bProperty) {
        pxTo = &xLink;
        break;
      }
    if (!pxTo) return true;
    const auto itNode = m_xNodes.find(pxTo->m_llOther);
    if (itNode != m_xNodes.end()) {
      pxNode = itNode->second;
      xProperty = pxTo->m_xProperty;
      return true;
    }
    const Object* pxNext = Find(pxTo->m_llOther);
    if (!pxNext || pxNext->m_xClass != "AnimationCurveNode") return true;
    if (iPassed >= kFbx7MaxCurveNodeDepth) {
      xWhy = "a curve node reaches its model through more than " + std::to_string(kFbx7MaxCurveNodeDepth) +
             " other curve nodes";
      return false;
    }
    llAt = pxNext->m_llId;
  }
}

bool KFbx7SceneRead::ReadCurve(const Object& xCurve, KFCurve& xOut, std::string& xWhy) const {
  const int iRecord = xCurve.m_iRecord;
  xOut.SetValue(static_cast<float>(ChildNumber(iRecord, "Default", xOut.GetValue())));
  std::vector<int64_t>& xTimes = m_xKeys.m_xTimes;
  std::vector<float>& xValues = m_xKeys.m_xValues;
  std::vector<int32_t>&xFlags = m_xKeys.m_xFlags, &xRuns = m_xKeys.m_xRuns;
  std::vector<uint32_t>& xData = m_xKeys.m_xData;
  for (auto* pxArray : {&xFlags, &xRuns}) pxArray->clear();
  xTimes.clear(), xValues.clear(), xData.clear();
  const auto Array = [&](const char* pszName) -> const KFbx7Value* {
    const int iChild = m_xDoc.Child(iRecord, pszName);
    return iChild < 0 ? nullptr : &m_xDoc.Value(iChild, 0);
  };
  const KFbx7Value* apxArrays[5] = {Array("KeyTime"), Array("KeyValueFloat"), Array("KeyAttrFlags"),
                                    Array("KeyAttrDataFloat"), Array("KeyAttrRefCount")};
  bool bOk = (!apxArrays[0] || m_xDoc.Int64s(*apxArrays[0], xTimes, xWhy)) &&
             (!apxArrays[1] || m_xDoc.Floats(*apxArrays[1], xValues, xWhy)) &&
             (!apxArrays[2] || m_xDoc.Int32s(*apxArrays[2], xFlags, xWhy)) &&
             (!apxArrays[3] || m_xDoc.Words(*apxArrays[3], xData, xWhy)) &&
             (!apxArrays[4] || m_xDoc.Int32s(*apxArrays[4], xRuns, xWhy));
  int64_t llRun = 0;
  for (int32_t iRun : xRuns) llRun += iRun < 0 ? INT32_MIN : iRun;
  if (bOk && (xValues.size() != xTimes.size() || xData.size() != 4 * xFlags.size() || xRuns.size() != xFlags.size() ||
              (!xFlags.empty() && llRun != static_cast<int64_t>(xTimes.size())))) {
    xWhy = "its key arrays disagree (" + std::to_string(xTimes.size()) + " times, " + std::to_string(xValues.size()) +
           " values, " + std::to_string(xFlags.size()) + " attributes covering " + std::to_string(llRun) + " keys)";
    bOk = false;
  }
  if (!bOk) {
    xWhy = "curve " + std::to_string(xCurve.m_llId) + ": " + xWhy;
    return false;
  }
  for (const char* pszSide : {"Pre-Extrapolation", "Post-Extrapolation"}) {
    const int iSide = m_xDoc.Child(iRecord, pszSide);
    if (iSide < 0) continue;
    const int iType = m_xDoc.Child(iSide, "Type");
    const KFbx7Value& xType = m_xDoc.Value(iType < 0 ? KFbx7Document::kTop : iType, 0);
    const char acLetter[2] = {xType.m_cType == 'C'         ? static_cast<char>(xType.m_llInt)
                              : m_xDoc.Text(xType).empty() ? '\0'
                                                           : m_xDoc.Text(xType)[0],
                              '\0'};
    const int iMode = KFCurveExtrapolationFromLetter(acLetter);
    const int iCount = static_cast<int>(ChildNumber(iSide, "Repetition", 0));
    const bool bPre = pszSide[1] == 'r';
    bPre ? xOut.SetPreExtrapolation(iMode) : xOut.SetPostExtrapolation(iMode);
    bPre ? xOut.SetPreExtrapolationCount(iCount) : xOut.SetPostExtrapolationCount(iCount);
  }
  xOut.KeyClear();
  // One key made per attribute, copied for every key it covers with that
  // key's time and value: what makes a key is done once per run.
  KFCurveKey xTemplate;
  bool bKnown = false;
  size_t uAttribute = 0;
  int64_t llLeft = 0;
  int64_t llLast = KTime::kMinusInfinite;  // keys at or before this are dropped
  for (size_t k = 0; k < xTimes.size(); ++k) {
    if (k == 0 || (llLeft == 0 && uAttribute + 1 < xFlags.size())) {
      if (k > 0) ++uAttribute;
      while (uAttribute + 1 < xFlags.size() && xRuns[uAttribute] == 0) ++uAttribute;
      llLeft = xRuns.empty() ? 0 : xRuns[uAttribute];
      bKnown = MakeKey(xFlags.empty() ? nullptr : &xFlags[uAttribute], xData.empty() ? nullptr : &xData[4 * uAttribute],
                       xTemplate);
    }
    --llLeft;
    // Keys of no known interpolation, or not later than the key before, are
    // dropped, as stored 6.x keys are.
    if (!bKnown || xTimes[k] <= llLast) continue;
    llLast = xTimes[k];
    xTemplate.SetTime(KTime(xTimes[k]));
    xTemplate.SetValue(xValues[k]);
    xOut.KeyInsert(xTemplate);
  }
  return true;
}

bool KFbx7SceneRead::ReadLayer(const std::string& xTake, int64_t llLayer, std::string& xWhy) {
  std::unordered_map<KFbxNode*, TakeNode*> xTakeNodes;
  for (const Link& xLink : Children(llLayer)) {
    const Object* pxCurveNode = xLink.m_bProperty ? nullptr : Find(xLink.m_llOther);
    if (!pxCurveNode || pxCurveNode->m_xClass != "AnimationCurveNode") continue;
    KFbxNode* pxNode = nullptr;
    std::string_view xProperty;
    if (!CurveNodeTarget(pxCurveNode->m_llId, pxNode, xProperty, xWhy)) return false;
    const char* pszLetter = pxNode ? ChannelLetter(xProperty) : nullptr;
    if (!pszLetter) continue;
    TakeNode*& pxTakeNode = xTakeNodes[pxNode];
    if (!pxTakeNode) {
      if (m_iTakeNodes >= kKFbxMaxTakeNodes) {
        xWhy = "more than " + std::to_string(kKFbxMaxTakeNodes) + " take nodes";
        return false;
      }
      ++m_iTakeNodes;
      pxTakeNode = pxNode->AddTakeNode(xTake.c_str());
      if (!pxTakeNode) throw std::bad_alloc();
    }
    KFCurveNode* pxChannel = pxTakeNode->GetKFCurveNode()->Find(pszLetter);
    if (!pxChannel || pxChannel->GetCount() < 3) continue;
    const int iDefaults = m_xDoc.Child(pxCurveNode->m_iRecord, "Properties70");
    for (int i = iDefaults < 0 ? -1 : m_xDoc.FirstChild(iDefaults); i >= 0; i = m_xDoc.NextSibling(i)) {
      const int iAxis = AxisOf(m_xDoc.Text(m_xDoc.Value(i, 0)));
      KFCurve* pxCurve = iAxis < 0 ? nullptr : pxChannel->Get(iAxis)->FCurveGet();
      if (pxCurve && m_xDoc.Value(i, 4).IsNumber()) pxCurve->SetValue(static_cast<float>(m_xDoc.Value(i, 4).m_dReal));
    }
    for (const Link& xCurveLink : Children(pxCurveNode->m_llId)) {
      const int iAxis = xCurveLink.m_bProperty ? AxisOf(xCurveLink.m_xProperty) : -1;
      const Object* pxCurve = iAxis < 0 ? nullptr : Find(xCurveLink.m_llOther);
      KFCurve* pxInto = pxChannel->Get(iAxis < 0 ? 0 : iAxis)->FCurveGet();
      if (pxCurve && pxCurve->m_xClass == "AnimationCurve" && pxInto && !ReadCurve(*pxCurve, *pxInto, xWhy))
        return false;
    }
  }
  return true;
}

bool KFbx7SceneRead::ReadStacks(std::string& xWhy) {
  int iStacks = 0;
  for (const Object& xStack : m_xObjects) {
    if (xStack.m_xClass != "AnimationStack") continue;
    if (++iStacks > kKFbxMaxTakes) {
      xWhy = "more than " + std::to_string(kKFbxMaxTakes) + " animation stacks";
      return false;
    }
    const std::string xTake(KFbx7BareName(xStack.m_xName));
    KFbx7FileInfo::Stack xInfo{xTake, {}};
    std::vector<int64_t> xLayers;
    for (const Link& xLink : Children(xStack.m_llId)) {
      const Object* pxLayer = xLink.m_bProperty ? nullptr : Find(xLink.m_llOther);
      if (!pxLayer || pxLayer->m_xClass != "AnimationLayer") continue;
      xLayers.push_back(pxLayer->m_llId);
      xInfo.m_xLayers.emplace_back(KFbx7BareName(pxLayer->m_xName));
    }
    m_xInfo.m_xStacks.push_back(xInfo);
    // A second stack of one name, or one named like the default take,
    // would have no take node of its own: it is listed but not read.
    if (xTake == kDefaultTakeNodeName || m_xScene.FindTakeInfo(xTake.c_str())) continue;
    KFbxTakeRecord xRecord(xTake.c_str());
    const int iProperties = m_xDoc.Child(xStack.m_iRecord, "Properties70");
    KTime axSpan[4];
    const char* apszSpan[4] = {"LocalStart", "LocalStop", "ReferenceStart", "ReferenceStop"};
    for (int i = iProperties < 0 ? -1 : m_xDoc.FirstChild(iProperties); i >= 0; i = m_xDoc.NextSibling(i)) {
      const std::string_view xName = m_xDoc.Text(m_xDoc.Value(i, 0));
      const KFbx7Value& xValue = m_xDoc.Value(i, 4);
      if (xName == "Description") xRecord.m_xDescription = std::string(m_xDoc.Text(xValue)).c_str();
      for (int s = 0; s < 4; ++s)
        if (xName == apszSpan[s] && xValue.IsNumber()) axSpan[s] = KTime(xValue.m_llInt);
    }
    xRecord.m_xLocalTimeSpan = KTimeSpan(axSpan[0], axSpan[1]);
    xRecord.m_xReferenceTimeSpan = KTimeSpan(axSpan[2], axSpan[3]);
    if (!xLayers.empty() && !ReadLayer(xTake, xLayers.front(), xWhy)) return false;
    m_xScene.AddTakeInfo(xRecord);
  }
  return true;
}
