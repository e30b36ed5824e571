#include "fbx_tree_growth.h"

#include <cstdint>
#include <string>
#include <vector>

#include "fbx_tree_index.h"
#include "fbx_tree_words.h"

namespace {

using V = KFbxWriteValue;
using F = KFbxWriteField;

constexpr int64_t kSecond = 46186158000;  // KTime units
constexpr double kValues[] = {0.0, 1.0, -1.0, 0.5, 2.0, 10.0, -45.0, 90.0, 180.0, 1e-3, 1e6, -1e6};

V Real(FbxRandom& xRandom) { return V::Double(xRandom.Pick(kValues)); }
V Letter(char cLetter) { return V::Char(cLetter); }

// The first field of a name in a list; added (with a block) when missing.
F& ChildNamed(F& xParent, const char* pszName) {
  for (F& xChild : xParent.m_xChildren)
    if (xChild.m_xName == pszName) return xChild;
  xParent.m_bBlock = true;
  F& xChild = xParent.m_xChildren.emplace_back(pszName);
  xChild.m_bBlock = true;
  return xChild;
}

// The names of the models, as their fields state them ("Model::Hips").
std::vector<std::string> ModelNames(const FbxTreeIndex& xIndex) {
  std::vector<std::string> xNames;
  for (const FbxTreeSlot& xSlot : xIndex.Named("Model"))
    if (!xSlot.Field().m_xValues.empty() && xSlot.Field().m_xValues[0].m_cType == 'S')
      xNames.push_back(xSlot.Field().m_xValues[0].m_xBytes);
  return xNames;
}

std::string AnyModel(const FbxTreeIndex& xIndex, FbxRandom& xRandom) {
  const std::vector<std::string> xNames = ModelNames(xIndex);
  return xNames.empty() ? "Model::Hips" : FbxPickFrom(xNames, xRandom);
}

// Weight letter and weights of a cubic key of the current encoding.
void AppendWeights(std::vector<V>& xKey, FbxRandom& xRandom) {
  const char cWeight = xRandom.Pick({'n', 'a', 'r', 'l'});
  xKey.push_back(Letter(cWeight));
  for (int i = cWeight == 'a' ? 2 : cWeight == 'n' ? 0 : 1; i > 0; --i)
    xKey.push_back(V::Double(xRandom.OneIn(4) ? xRandom.Pick({0.0, 1.0, -1.0, 5.0}) : 0.333));
}

// One key: time, value, interpolation letter and what that letter brings
// (constant mode, tangent kind, slopes, TCB parameters, weights), or a
// legacy letter with its numbers.
void AppendKey(std::vector<V>& xKeys, int64_t llTime, FbxRandom& xRandom) {
  xKeys.push_back(V::Int64(llTime));
  xKeys.push_back(Real(xRandom));
  if (xRandom.OneIn(8)) {
    const char cLegacy = xRandom.Pick({'H', 'R', 'T', 'B', 'I', 'O'});
    xKeys.push_back(Letter(cLegacy));
    for (int i = cLegacy == 'T' ? 3 : cLegacy == 'I' || cLegacy == 'O' ? 1 : 0; i > 0; --i)
      xKeys.push_back(Real(xRandom));
    return;
  }
  switch (xRandom.Below(4)) {
    case 0:
      xKeys.push_back(Letter('L'));
      return;
    case 1:
      xKeys.push_back(Letter('C'));
      xKeys.push_back(Letter(xRandom.OneIn(2) ? 's' : 'n'));
      return;
    default:
      break;
  }
  xKeys.push_back(Letter('U'));
  const char cTangent = xRandom.Pick({'s', 'b', 'a', 'd', 'p', 'q', 't'});
  xKeys.push_back(Letter(cTangent));
  switch (cTangent) {
    case 'a':
      if (xRandom.OneIn(2)) AppendWeights(xKeys, xRandom);
      return;
    case 'd':
      xKeys.push_back(Real(xRandom));
      AppendWeights(xKeys, xRandom);
      return;
    case 't':
      for (int i = 0; i < 3; ++i) xKeys.push_back(Real(xRandom));
      return;
    default:
      xKeys.push_back(Real(xRandom));
      xKeys.push_back(Real(xRandom));
      AppendWeights(xKeys, xRandom);
      return;
  }
}

F Extrapolation(const char* pszName, FbxRandom& xRandom) {
  F xField(pszName);
  xField.Child("Type", {Letter(xRandom.Pick({'C', 'R', 'M', 'K', 'X'}))});
  xField.Child("Repetition", {V::Int(xRandom.Pick({-1, 0, 1, 3}))});
  return xField;
}

// A curve channel of one to four keys in time order, mostly a second apart.
F CurveChannel(const char* pszName, FbxRandom& xRandom) {
  F xChannel("Channel", {V::String(pszName)});
  xChannel.m_bBlock = true;
  xChannel.Child("Default", {Real(xRandom)});
  const int iKeyVersion = xRandom.OneIn(4) ? xRandom.Pick({4000, 4001, 4002, 4004}) : 4005;
  xChannel.Child("KeyVer", {V::Int(iKeyVersion)});
  const int iKeys = 1 + static_cast<int>(xRandom.Below(4));
  xChannel.Child("KeyCount", {V::Int(iKeys)});
  std::vector<V> xKeys;
  int64_t llTime = xRandom.OneIn(4) ? -kSecond : 0;
  for (int i = 0; i < iKeys; ++i, llTime += kSecond / static_cast<int64_t>(1 + xRandom.Below(4)))
    AppendKey(xKeys, llTime, xRandom);
  xChannel.Child("Key", std::move(xKeys));
  if (xRandom.OneIn(2)) xChannel.m_xChildren.push_back(Extrapolation("Pre-Extrapolation", xRandom));
  if (xRandom.OneIn(2)) xChannel.m_xChildren.push_back(Extrapolation("Post-Extrapolation", xRandom));
  if (xRandom.OneIn(4)) xChannel.Child("LayerType", {V::Int(xRandom.Pick({0, 1, 2, 3, 4, 99}))});
  return xChannel;
}

// "Transform" with a vector channel of one to three axis curves, or a
// "Visibility" curve alone.
F ChannelTree(FbxRandom& xRandom) {
  if (xRandom.OneIn(5)) return CurveChannel("Visibility", xRandom);
  F xTransform("Channel", {V::String("Transform")});
  F& xVector = xTransform.Child("Channel", {V::String(xRandom.Pick({"T", "R", "S", "Lcl Rotation", "X"}))});
  xVector.m_bBlock = true;
  const char* apszAxes[] = {"X", "Y", "Z"};
  for (size_t i = xRandom.Below(3); i < 3; ++i) xVector.m_xChildren.push_back(CurveChannel(apszAxes[i], xRandom));
  return xTransform;
}

}  // namespace

bool FbxGrowProperty(FbxFieldTree& xTree, FbxRandom& xRandom) {
  const FbxTreeIndex xIndex(xTree.m_xFields);
  std::vector<FbxTreeSlot> xModels = xIndex.Named("Model");
  if (xModels.empty()) return false;
  F& xProperties = ChildNamed(FbxPickFrom(xModels, xRandom).Field(), "Properties60");
  F xProperty("Property", {V::String(xRandom.Pick(kFbxPropertyWords)), V::String(xRandom.Pick(kFbxTypeWords)),
                           V::String(xRandom.Pick(kFbxPropertyFlags))});
  const size_t uValues = xRandom.OneIn(6) ? xRandom.Below(5) : xRandom.Pick({size_t(1), size_t(3)});
  for (size_t i = 0; i < uValues; ++i) {
    if (xRandom.OneIn(8))
      xProperty.Add(V::String("text"));
    else if (xRandom.OneIn(3))
      xProperty.Add(V::Int(xRandom.Pick({0, 1, 2, 3, 5, 6, -1, 1000})));
    else
      xProperty.Add(Real(xRandom));
  }
  xProperties.m_xChildren.push_back(std::move(xProperty));
  return true;
}

bool FbxGrowModel(FbxFieldTree& xTree, FbxRandom& xRandom) {
  const FbxTreeIndex xIndex(xTree.m_xFields);
  const std::string xName = "Model::M" + std::to_string(xRandom.Below(100));
  const char* pszType = xRandom.Pick(
      {"Null", "Root", "Limb", "LimbNode", "Effector", "Marker", "IKEffector", "Mesh", "Camera", "", "Unknown"});
  const std::string xParent = xRandom.OneIn(4) ? std::string("Model::Scene") : AnyModel(xIndex, xRandom);
  const std::vector<FbxTreeSlot> xObjects = xIndex.Named("Objects");
  const std::vector<FbxTreeSlot> xConnections = xIndex.Named("Connections");
  if (!xObjects.empty() && !xConnections.empty()) {
    F xModel("Model", {V::ObjectName("Model", FbxBareName(xName)), V::String(pszType)});
    xModel.m_bBlock = !xRandom.OneIn(4);
    if (xModel.m_bBlock) xModel.Child("Version", {V::Int(xRandom.OneIn(2) ? 232 : 100)});
    F& xConnect = xConnections[0].Field();
    xConnect.m_bBlock = true;
    xConnect.m_xChildren.push_back(F("Connect", {V::String("OO"), V::String(xName), V::String(xParent)}));
    xObjects[0].Field().m_bBlock = true;
    xObjects[0].Field().m_xChildren.push_back(std::move(xModel));
    return true;
  }
  // Older generation: a top-level model named in another's "Children".
  std::vector<FbxTreeSlot> xModels;
  for (const FbxTreeSlot& xSlot : xIndex.Named("Model"))
    if (xSlot.m_pxList == &xTree.m_xFields) xModels.push_back(xSlot);
  if (xModels.empty()) return false;
  F& xChildren = ChildNamed(FbxPickFrom(xModels, xRandom).Field(), "Children");
  xChildren.m_bBlock = false;
  xChildren.Add(V::String(xRandom.OneIn(2) ? FbxBareName(xName) : xName));
  F xModel("Model", {V::ObjectName("Model", FbxBareName(xName))});
  xModel.Child("Type", {V::String(pszType)});
  if (xRandom.OneIn(2)) xModel.m_xChildren.push_back(ChannelTree(xRandom));
  xTree.m_xFields.push_back(std::move(xModel));
  return true;
}

bool FbxGrowCurve(FbxFieldTree& xTree, FbxRandom& xRandom) {
  const FbxTreeIndex xIndex(xTree.m_xFields);
  const std::vector<FbxTreeSlot> xModels = xIndex.Named("Model");
  if (xModels.empty()) return false;
  F& xModel = FbxPickFrom(xModels, xRandom).Field();
  xModel.m_bBlock = true;
  xModel.m_xChildren.push_back(ChannelTree(xRandom));
  return true;
}

bool FbxGrowKey(FbxFieldTree& xTree, FbxRandom& xRandom) {
  const FbxTreeIndex xIndex(xTree.m_xFields);
  const std::vector<FbxTreeSlot> xKeyLists = xIndex.Named("Key");
  if (xKeyLists.empty()) return false;
  std::vector<V>& xValues = FbxPickFrom(xKeyLists, xRandom).Field().m_xValues;
  int64_t llLast = 0;
  for (const V& xValue : xValues)
    if (xValue.m_cType == 'L') llLast = xValue.m_llInt;
  std::vector<V> xKey;
  // After the last key mostly; sometimes at the same time or before it.
  const int64_t llStep = xRandom.OneIn(4) ? -static_cast<int64_t>(xRandom.Below(2)) * kSecond : kSecond / 2;
  AppendKey(xKey, static_cast<int64_t>(static_cast<uint64_t>(llLast) + static_cast<uint64_t>(llStep)), xRandom);
  xValues.insert(xValues.end(), xKey.begin(), xKey.end());
  return true;
}

bool FbxGrowTake(FbxFieldTree& xTree, FbxRandom& xRandom) {
  const FbxTreeIndex xIndex(xTree.m_xFields);
  const std::vector<FbxTreeSlot> xTakes = xIndex.Named("Takes");
  if (xTakes.empty()) return false;
  const std::string xModel = AnyModel(xIndex, xRandom);
  F xTake("Take", {V::String("Take" + std::to_string(xRandom.Below(10)))});
  xTake.Child("LocalTime", {V::Int64(0), V::Int64(kSecond * static_cast<int64_t>(xRandom.Below(3)))});
  F& xNamed = xTake.Child("Model", {V::String(xRandom.OneIn(2) ? xModel : FbxBareName(xModel))});
  xNamed.m_xChildren.push_back(ChannelTree(xRandom));
  F& xList = xTakes[0].Field();
  xList.m_bBlock = true;
  xList.m_xChildren.push_back(std::move(xTake));
  return true;
}
