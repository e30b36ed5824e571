#include "fbxsdk/fileio7/kfbx7_scene_fields.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <unordered_map>

#include "fbxsdk/fileio/kfbx_field_sink.h"
#include "fbxsdk/fileio7/kfbx7_curve_fields.h"
#include "fbxsdk/scene/kfbx_node.h"
#include "fbxsdk/scene/kfbx_scene_graph.h"

namespace {

using Value = KFbxWriteValue;

constexpr int kHeaderVersion = 1003;
constexpr int kModelVersion = 232;
constexpr int kOldModelVersion = 100;  // before the current inherit rules
constexpr int kCustomTimeMode = 14;    // "GlobalSettings": the rate is "CustomFrameRate"
// Ids start high so that none is the scene's own, 0.
constexpr int64_t kFirstId = 1000000;
constexpr const char* kSkeletonKinds[] = {"Root", "Limb", "LimbNode", "Effector"};
constexpr const char* kChannels[][2] = {{"T", "Lcl Translation"}, {"R", "Lcl Rotation"}, {"S", "Lcl Scaling"}};
constexpr const char* kAxes[] = {"d|X", "d|Y", "d|Z"};

struct Connection {
  int64_t m_llChild, m_llParent;
  const char* m_pszProperty;  // null for "OO"
};

// One "P" record: name, type, label, flags, then the values.
void BeginP(KFbxFieldSink& xOut, const char* pszName, const char* pszType, const char* pszFlags = "") {
  xOut.Begin("P");
  xOut.String(pszName);
  xOut.String(pszType);
  xOut.String("");
  xOut.String(pszFlags);
}

void PutProperty(KFbxFieldSink& xOut, const KProperty& xProperty) {
  const int iType = xProperty.GetType();
  if (iType == eKPROP_OBJECT || iType == eKPROP_REFERENCE || iType == eKPROP_UNKNOWN) return;
  const KFbxDataType* pxDataType = xProperty.GetDataType();
  std::string xFlags = xProperty.IsAnimatable() ? "A" : "";
  if (xProperty.GetFlags() & KProperty::eMARKED) xFlags += "+";
  if (xProperty.GetFlags() & KProperty::eUSER) xFlags += "U";
  BeginP(xOut, xProperty.GetName(),
         xProperty.IsAnimatable() && pxDataType ? pxDataType->m_pszName : KPropertyTypeName(iType), xFlags.c_str());
  if (const auto* pxText = dynamic_cast<const KPropertyTemplate<KString>*>(&xProperty))
    xOut.String(pxText->Get().Buffer());
  else if (const auto* pxTime = dynamic_cast<const KPropertyTemplate<KTime>*>(&xProperty))
    xOut.Int64(pxTime->Get().Get());
  else if (iType == eKPROP_INT || iType == eKPROP_ENUM || iType == eKPROP_BOOL || iType == eKPROP_ACTION)
    xOut.Int(static_cast<int32_t>(xProperty.GetComponent(0)));
  else
    for (int i = 0; i < xProperty.GetComponentCount(); ++i) xOut.Double(xProperty.GetComponent(i));
  xOut.End();
}

class ScenePut {
 public:
  ScenePut(KFbxFieldSink& xOut, KFbxSceneGraph& xScene, KFbxSceneKeySource* pxKeys)
      : m_xOut(xOut), m_xScene(xScene), m_pxKeys(pxKeys) {
    std::vector<KFbxNode*> xStack;
    for (int i = xScene.RootNode()->ChildCount() - 1; i >= 0; --i) xStack.push_back(xScene.RootNode()->Child(i));
    while (!xStack.empty()) {
      KFbxNode* pxNode = xStack.back();
      xStack.pop_back();
      m_xNodes.push_back(pxNode);
      for (int i = pxNode->ChildCount() - 1; i >= 0; --i) xStack.push_back(pxNode->Child(i));
    }
  }

  void Run(const KFbx7SceneOptions& xOptions, int iVersion) {
    const std::vector<std::string> xTakes = TakeNames(xOptions.m_xTakes);
    PutHeader(iVersion, xOptions.m_dFrameRate, xTakes);
    PutDefinitions(xTakes);
    m_xOut.Begin("Objects");
    m_xOut.Block();
    for (KFbxNode* pxNode : m_xNodes) PutModel(*pxNode);
    for (const std::string& xTake : xTakes) PutTake(xTake);
    m_xOut.End();
    m_xOut.Begin("Connections");
    m_xOut.Block();
    for (const Connection& x : m_xConnections) {
      m_xOut.Begin("C");
      m_xOut.String(x.m_pszProperty ? "OP" : "OO");
      m_xOut.Int64(x.m_llChild);
      m_xOut.Int64(x.m_llParent);
      if (x.m_pszProperty) m_xOut.String(x.m_pszProperty);
      m_xOut.End();
    }
    m_xOut.End();
    PutTakeList(xTakes);
  }

 private:
  // The scene's take records in their order, then every other take node
  // name but "Default"; of those only the ones asked for, when some are.
  std::vector<std::string> TakeNames(const std::vector<std::string>& xWanted) const {
    std::vector<std::string> xOut;
    const auto Add = [&](const char* pszName) {
      const bool bWanted = xWanted.empty() || std::find(xWanted.begin(), xWanted.end(), pszName) != xWanted.end();
      if (bWanted && std::strcmp(pszName, kDefaultTakeNodeName) != 0 &&
          std::find(xOut.begin(), xOut.end(), pszName) == xOut.end())
        xOut.emplace_back(pszName);
    };
    for (int i = 0; i < m_xScene.GetTakeInfoCount(); ++i) Add(m_xScene.GetTakeInfo(i)->m_xName.Buffer());
    std::vector<std::unique_ptr<KString>> xNames;
    m_xScene.CollectTakeNames(xNames);
    for (const auto& pxName : xNames) Add(pxName->Buffer());
    return xOut;
  }

  static TakeNode* TakeNodeOf(KFbxNode& xNode, const std::string& xTake) {
    for (int i = 1; i < xNode.GetTakeNodeCount(); ++i)
      if (xTake == xNode.GetTakeNodeName(i)) return xNode.GetTakeNode(i);
    return nullptr;
  }

  size_t AnimatedCount(const std::string& xTake) const {
    return static_cast<size_t>(std::count_if(m_xNodes.begin(), m_xNodes.end(),
                                             [&](KFbxNode* pxNode) { return TakeNodeOf(*pxNode, xTake) != nullptr; }));
  }

  void PutHeader(int iVersion, double dFrameRate, const std::vector<std::string>& xTakes) {
    m_xOut.Begin("FBXHeaderExtension");
    m_xOut.Leaf("FBXHeaderVersion", {Value::Int(kHeaderVersion)});
    m_xOut.Leaf("FBXVersion", {Value::Int(iVersion)});
    m_xOut.Leaf("Creator", {Value::String("boneplay")});
    m_xOut.End();
    // The time span covers every take written.
    KTime xStart, xStop;
    bool bAny = false;
    for (const std::string& xTake : xTakes)
      if (const KFbxTakeRecord* pxRecord = m_xScene.FindTakeInfo(xTake.c_str())) {
        const KTimeSpan& xSpan = pxRecord->m_xLocalTimeSpan;
        xStart = bAny ? std::min(xStart, xSpan.m_xStart) : xSpan.m_xStart;
        xStop = bAny ? std::max(xStop, xSpan.m_xStop) : xSpan.m_xStop;
        bAny = true;
      }
    m_xOut.Begin("GlobalSettings");
    m_xOut.Leaf("Version", {Value::Int(1000)});
    m_xOut.Begin("Properties70");
    m_xOut.Block();
    BeginP(m_xOut, "TimeMode", "enum");
    m_xOut.Int(kCustomTimeMode);
    m_xOut.End();
    BeginP(m_xOut, "CustomFrameRate", "double");
    m_xOut.Double(dFrameRate);
    m_xOut.End();
    for (const auto& xEnd : {std::make_pair("TimeSpanStart", xStart), std::make_pair("TimeSpanStop", xStop)}) {
      BeginP(m_xOut, xEnd.first, "KTime");
      m_xOut.Int64(xEnd.second.Get());
      m_xOut.End();
    }
    m_xOut.End();
    m_xOut.End();
  }

  void PutDefinitions(const std::vector<std::string>& xTakes) {
    size_t uAnimated = 0, uAttributes = 0;
    for (const std::string& xTake : xTakes) uAnimated += AnimatedCount(xTake);
    for (KFbxNode* pxNode : m_xNodes) uAttributes += pxNode->Attribute() ? 1 : 0;
    const std::pair<const char*, size_t> axTypes[] = {
        {"Model", m_xNodes.size()},        {"NodeAttribute", uAttributes},        {"AnimationStack", xTakes.size()},
        {"AnimationLayer", xTakes.size()}, {"AnimationCurveNode", 3 * uAnimated}, {"AnimationCurve", 9 * uAnimated}};
    size_t uTotal = 0;
    for (const auto& xType : axTypes) uTotal += xType.second;
    m_xOut.Begin("Definitions");
    m_xOut.Leaf("Version", {Value::Int(100)});
    m_xOut.Leaf("Count", {Value::Int(static_cast<int32_t>(uTotal))});
    for (const auto& xType : axTypes) {
      m_xOut.Begin("ObjectType");
      m_xOut.String(xType.first);
      m_xOut.Leaf("Count", {Value::Int(static_cast<int32_t>(xType.second))});
      m_xOut.End();
    }
    m_xOut.End();
  }

  // An object's record: id, "Class::Name", subtype; its block follows.
  int64_t BeginObject(const char* pszRecord, const char* pszClass, const std::string& xName, const char* pszSubtype) {
    const int64_t llId = m_llNextId++;
    m_xOut.Begin(pszRecord);
    m_xOut.Int64(llId);
    m_xOut.Value(Value::ObjectName(pszClass, xName));
    m_xOut.String(pszSubtype);
    m_xOut.Block();
    return llId;
  }

  void PutModel(KFbxNode& xNode) {
    const std::string xName = KFbxStripNamePrefix(xNode.Name()).Buffer();
    const KFbxNodeAttribute* pxAttribute = xNode.Attribute();
    const char* pszKind = "";
    if (pxAttribute && pxAttribute->AttributeType() == KFbxNodeAttribute::eNULL) pszKind = "Null";
    if (pxAttribute && pxAttribute->AttributeType() == KFbxNodeAttribute::eMESH) pszKind = "Mesh";
    const auto* pxSkeleton = dynamic_cast<const KFbxSkeleton*>(pxAttribute);
    if (pxSkeleton) pszKind = kSkeletonKinds[pxSkeleton->GetSkeletonKind() & 3];
    const int64_t llModel = BeginObject("Model", "Model", xName, pszKind);
    m_xOut.Leaf("Version", {Value::Int(xNode.IsOldModel() ? kOldModelVersion : kModelVersion)});
    m_xOut.Begin("Properties70");
    m_xOut.Block();
    KFbxNodeProperties& xProperties = xNode.GetProperties();
    for (int i = 0; i < xProperties.GetCount(); ++i) PutProperty(m_xOut, *xProperties.Get(i));
    m_xOut.End();
    m_xOut.End();
    m_xModelIds.push_back(llModel);
    m_xIdOf[&xNode] = llModel;
    // Parents come first; a node under the root node connects to the scene, 0.
    const auto itParent = m_xIdOf.find(xNode.GetParent());
    m_xConnections.push_back({llModel, itParent == m_xIdOf.end() ? 0 : itParent->second, nullptr});
    if (!*pszKind) return;
    const int64_t llAttribute = BeginObject("NodeAttribute", "NodeAttribute", xName, pszKind);
    if (pxSkeleton) {
      m_xOut.Begin("Properties70");
      BeginP(m_xOut, "Size", "double");
      m_xOut.Double(pxSkeleton->m_dSize);
      m_xOut.End();
      BeginP(m_xOut, "LimbLength", "double");
      m_xOut.Double(pxSkeleton->m_dLimbLength);
      m_xOut.End();
      BeginP(m_xOut, "Color", "ColorRGB");
      for (int i = 0; i < 3; ++i) m_xOut.Double(pxSkeleton->m_xColor[i]);
      m_xOut.End();
      m_xOut.End();
    }
    m_xOut.Leaf("TypeFlags", {Value::String(pxSkeleton ? "Skeleton" : pszKind)});
    m_xOut.End();
    m_xConnections.push_back({llAttribute, llModel, nullptr});
  }

  void PutTake(const std::string& xTake) {
    const int64_t llStack = BeginObject("AnimationStack", "AnimStack", xTake, "");
    m_xOut.Begin("Properties70");
    m_xOut.Block();
    if (const KFbxTakeRecord* pxRecord = m_xScene.FindTakeInfo(xTake.c_str())) {
      BeginP(m_xOut, "Description", "KString");
      m_xOut.String(pxRecord->m_xDescription.Buffer());
      m_xOut.End();
      const KTime axTimes[4] = {pxRecord->m_xLocalTimeSpan.m_xStart, pxRecord->m_xLocalTimeSpan.m_xStop,
                                pxRecord->m_xReferenceTimeSpan.m_xStart, pxRecord->m_xReferenceTimeSpan.m_xStop};
      const char* apszNames[4] = {"LocalStart", "LocalStop", "ReferenceStart", "ReferenceStop"};
      for (int i = 0; i < 4; ++i) {
        BeginP(m_xOut, apszNames[i], "KTime");
        m_xOut.Int64(axTimes[i].Get());
        m_xOut.End();
      }
    }
    m_xOut.End();
    m_xOut.End();
    const int64_t llLayer = BeginObject("AnimationLayer", "AnimLayer", "BaseLayer", "");
    m_xOut.End();
    m_xConnections.push_back({llLayer, llStack, nullptr});
    for (size_t n = 0; n < m_xNodes.size(); ++n) {
      TakeNode* pxTakeNode = TakeNodeOf(*m_xNodes[n], xTake);
      if (!pxTakeNode) continue;
      if (m_pxKeys) m_pxKeys->TakeNodeBegin(*m_xNodes[n], *pxTakeNode);
      for (const auto& xChannel : kChannels) PutChannel(*pxTakeNode, xChannel, llLayer, m_xModelIds[n]);
      if (m_pxKeys) m_pxKeys->TakeNodeEnd(*m_xNodes[n], *pxTakeNode);
    }
  }

  void PutChannel(TakeNode& xTakeNode, const char* const (&xChannel)[2], int64_t llLayer, int64_t llModel) {
    KFCurveNode* pxChannel = xTakeNode.GetKFCurveNode()->Find(xChannel[0]);
    const KFCurve* apxCurves[3] = {};
    for (int i = 0; pxChannel && i < 3 && i < pxChannel->GetCount(); ++i) apxCurves[i] = pxChannel->Get(i)->FCurveGet();
    const int64_t llNode = BeginObject("AnimationCurveNode", "AnimCurveNode", xChannel[0], "");
    m_xOut.Begin("Properties70");
    m_xOut.Block();
    for (int i = 0; i < 3; ++i) {
      BeginP(m_xOut, kAxes[i], "Number", "A");
      m_xOut.Double(apxCurves[i] ? apxCurves[i]->GetValue() : 0.0);
      m_xOut.End();
    }
    m_xOut.End();
    m_xOut.End();
    m_xConnections.push_back({llNode, llLayer, nullptr});
    m_xConnections.push_back({llNode, llModel, xChannel[1]});
    for (int i = 0; i < 3; ++i) {
      if (!apxCurves[i]) continue;
      const int64_t llCurve = BeginObject("AnimationCurve", "AnimCurve", "", "");
      KFbx7PutCurveFields(m_xOut, *apxCurves[i]);
      m_xOut.End();
      m_xConnections.push_back({llCurve, llNode, kAxes[i]});
    }
  }

  void PutTakeList(const std::vector<std::string>& xTakes) {
    if (xTakes.empty()) return;
    m_xOut.Begin("Takes");
    const char* pszCurrent = m_xScene.GetCurrentTakeName();
    const bool bCurrent = std::find(xTakes.begin(), xTakes.end(), pszCurrent) != xTakes.end();
    m_xOut.Leaf("Current", {Value::String(bCurrent ? pszCurrent : xTakes.front())});
    for (const std::string& xTake : xTakes) {
      m_xOut.Begin("Take");
      m_xOut.String(xTake);
      m_xOut.Block();
      if (const KFbxTakeRecord* pxRecord = m_xScene.FindTakeInfo(xTake.c_str())) {
        const KTimeSpan& xLocal = pxRecord->m_xLocalTimeSpan;
        const KTimeSpan& xReference = pxRecord->m_xReferenceTimeSpan;
        m_xOut.Leaf("LocalTime", {Value::Int64(xLocal.m_xStart.Get()), Value::Int64(xLocal.m_xStop.Get())});
        m_xOut.Leaf("ReferenceTime", {Value::Int64(xReference.m_xStart.Get()), Value::Int64(xReference.m_xStop.Get())});
      }
      m_xOut.End();
    }
    m_xOut.End();
  }

  KFbxFieldSink& m_xOut;
  KFbxSceneGraph& m_xScene;
  KFbxSceneKeySource* m_pxKeys;
  std::vector<KFbxNode*> m_xNodes;   // below the root node, parents first
  std::vector<int64_t> m_xModelIds;  // of m_xNodes, as written
  std::unordered_map<const KFbxNode*, int64_t> m_xIdOf;
  std::vector<Connection> m_xConnections;
  int64_t m_llNextId = kFirstId;
};

}  // namespace

void KFbx7PutScene(KFbxFieldSink& xOut, KFbxSceneGraph& xScene, const KFbx7SceneOptions& xOptions, int iVersion,
                   KFbxSceneKeySource* pxKeys) {
  ScenePut(xOut, xScene, pxKeys).Run(xOptions, iVersion);
}

bool KFbx7WriteSceneFile(const char* pszPath, KFbxSceneGraph& xScene, const KFbx7SceneOptions& xOptions,
                         const KFbx7WriteOptions& xWrite, std::string* pxError, KFbxSceneKeySource* pxKeys) {
  KFbx7FileWriter xWriter;
  if (!xWriter.Open(pszPath, xWrite, pxError)) return false;
  KFbx7PutScene(xWriter.Fields(), xScene, xOptions, xWrite.m_iVersion, pxKeys);
  if (xWriter.Close(pxError)) return true;
  std::remove(pszPath);
  return false;
}
