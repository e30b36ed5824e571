#include "fbxsdk/fileio/kfbx_scene_fields.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "fbxsdk/fileio/kfcurve_io.h"
#include "fbxsdk/scene/kfbx_node.h"
#include "fbxsdk/scene/kfbx_scene_graph.h"

namespace {

using Value = KFbxWriteValue;

constexpr int kHeaderVersion = 1003;
constexpr int kModelVersion = 232;
constexpr int kOldModelVersion = 100;  // before the current inherit rules
constexpr int kKeyVersion = 4005;
constexpr int kNewerFormVersion = 5800;
constexpr const char* kSkeletonTypes[] = {"Root", "Limb", "LimbNode", "Effector"};
constexpr const char* kMarkerTypes[] = {"Marker", "OpticalMarker", "IKEffector", "FKEffector"};

// The name without "Model::", for object-name values.
std::string Bare(const char* pszName) { return KFbxStripNamePrefix(pszName).Buffer(); }

Value ModelName(const KFbxNode& xNode) { return Value::ObjectName("Model", Bare(xNode.Name())); }

const char* ModelType(const KFbxNode& xNode) {
  const KFbxNodeAttribute* pxAttribute = xNode.Attribute();
  if (!pxAttribute) return "";
  switch (pxAttribute->AttributeType()) {
    case KFbxNodeAttribute::eNULL:
      return "Null";
    case KFbxNodeAttribute::eMARKER:
      return kMarkerTypes[static_cast<const KFbxMarker*>(pxAttribute)->GetMarkerKind() & 3];
    case KFbxNodeAttribute::eSKELETON:
      return kSkeletonTypes[static_cast<const KFbxSkeleton*>(pxAttribute)->GetSkeletonKind() & 3];
    default:
      return "Mesh";
  }
}

// One "Property" field; object references and value-less types are left out.
void AddProperty(KFbxWriteField& xBlock, const KProperty& xProperty, bool bOlderForm) {
  const int iType = xProperty.GetType();
  if (iType == eKPROP_OBJECT || iType == eKPROP_REFERENCE || iType == eKPROP_UNKNOWN) return;
  const KFbxDataType* pxDataType = xProperty.GetDataType();
  if (bOlderForm && pxDataType && pxDataType != &KDataTypeVisibility) return;  // in the channel tree
  std::string xFlags = xProperty.IsAnimatable() ? "A" : "";
  if (xProperty.GetFlags() & KProperty::eMARKED) xFlags += "+";
  if (xProperty.GetFlags() & KProperty::eUSER) xFlags += "U";
  const char* pszType = xProperty.IsAnimatable() && pxDataType ? pxDataType->m_pszName : KPropertyTypeName(iType);
  KFbxWriteField& xField =
      xBlock.Child("Property", {Value::String(xProperty.GetName()), Value::String(pszType), Value::String(xFlags)});
  if (const auto* pxText = dynamic_cast<const KPropertyTemplate<KString>*>(&xProperty)) {
    xField.Add(Value::String(pxText->Get().Buffer()));
  } else if (const auto* pxTime = dynamic_cast<const KPropertyTemplate<KTime>*>(&xProperty)) {
    xField.Add(Value::Int64(pxTime->Get().Get()));
  } else if (iType == eKPROP_INT || iType == eKPROP_ENUM || iType == eKPROP_BOOL || iType == eKPROP_ACTION) {
    xField.Add(Value::Int(static_cast<int32_t>(xProperty.GetComponent(0))));
  } else {
    for (int i = 0; i < xProperty.GetComponentCount(); ++i) xField.Add(Value::Double(xProperty.GetComponent(i)));
  }
}

// A curve node's "Channel" field with its curve and children.
KFbxWriteField ChannelField(const KFCurveNode& xNode) {
  KFbxWriteField xField("Channel", {Value::String(xNode.GetName())});
  xField.Block();
  if (const KFCurve* pxCurve = xNode.FCurveGet())
    xField.m_xChildren = KFCurveStoredMembers(*pxCurve, kKeyVersion, true);
  for (int i = 0; i < xNode.GetCount(); ++i) xField.m_xChildren.push_back(ChannelField(*xNode.Get(i)));
  xField.Child("LayerType", {Value::Int(xNode.GetLayerType())});
  return xField;
}

void AddChannels(KFbxWriteField& xBlock, const KFCurveNode* pxRoot) {
  if (!pxRoot) return;
  for (int i = 0; i < pxRoot->GetCount(); ++i) xBlock.m_xChildren.push_back(ChannelField(*pxRoot->Get(i)));
}

std::vector<KFbxNode*> AllNodes(const KFbxSceneGraph& xScene) {
  std::vector<KFbxNode*> xNodes, xStack;
  for (int i = xScene.RootNode()->ChildCount() - 1; i >= 0; --i) xStack.push_back(xScene.RootNode()->Child(i));
  while (!xStack.empty()) {
    KFbxNode* pxNode = xStack.back();
    xStack.pop_back();
    xNodes.push_back(pxNode);
    for (int i = pxNode->ChildCount() - 1; i >= 0; --i) xStack.push_back(pxNode->Child(i));
  }
  return xNodes;
}

KFbxWriteField ModelField(KFbxNode& xNode, const KFbxSceneFieldsOptions& xOptions) {
  const bool bOlder = xOptions.m_iVersion < kNewerFormVersion;
  KFbxWriteField xModel("Model", {ModelName(xNode)});
  xModel.Block();
  const char* pszType = ModelType(xNode);
  if (!bOlder) xModel.Add(Value::String(*pszType ? pszType : "Mesh"));
  xModel.Child("Version", {Value::Int(xNode.IsOldModel() ? kOldModelVersion : kModelVersion)});
  if ((bOlder || xOptions.m_bTypeField) && *pszType) xModel.Child("Type", {Value::String(pszType)});
  KFbxWriteField& xProperties = xModel.Child("Properties60");
  xProperties.Block();
  KFbxNodeProperties& xOwn = xNode.GetProperties();
  for (int i = 0; i < xOwn.GetCount(); ++i) AddProperty(xProperties, *xOwn.Get(i), bOlder);
  if (const auto* pxSkeleton = dynamic_cast<const KFbxSkeleton*>(xNode.Attribute())) {
    xProperties.Child("Property", {Value::String("Size"), Value::String("double"), Value::String(""),
                                   Value::Double(pxSkeleton->m_dSize)});
    const KgeTVector& xColor = pxSkeleton->m_xColor;
    xProperties.Child("Property", {Value::String("Color"), Value::String("ColorRGB"), Value::String(""),
                                   Value::Double(xColor[0]), Value::Double(xColor[1]), Value::Double(xColor[2])});
  }
  if (bOlder) {
    AddChannels(xModel, xNode.GetTakeNode(0)->GetKFCurveNode());
    if (xNode.ChildCount() > 0) {
      KFbxWriteField& xChildren = xModel.Child("Children");
      for (int i = 0; i < xNode.ChildCount(); ++i) xChildren.Add(ModelName(*xNode.Child(i)));
    }
  }
  return xModel;
}

}  // namespace

namespace {

// The take names to write: the scene's take records in their order (a take
// that animates no object is still a take of the file), then every other
// take node name but "Default", in the order the scene collects them.
std::vector<std::string> TakeNames(const KFbxSceneGraph& xScene) {
  std::vector<std::string> xOut;
  const auto Add = [&xOut](const char* pszName) {
    if (std::strcmp(pszName, kDefaultTakeNodeName) != 0 && std::find(xOut.begin(), xOut.end(), pszName) == xOut.end())
      xOut.emplace_back(pszName);
  };
  for (int i = 0; i < xScene.GetTakeInfoCount(); ++i) Add(xScene.GetTakeInfo(i)->m_xName.Buffer());
  std::vector<std::unique_ptr<KString>> xNames;
  xScene.CollectTakeNames(xNames);
  for (const auto& pxName : xNames) Add(pxName->Buffer());
  return xOut;
}

TakeNode* FindTakeNode(KFbxNode& xNode, const std::string& xTake) {
  for (int i = 1; i < xNode.GetTakeNodeCount(); ++i)
    if (xTake == xNode.GetTakeNodeName(i)) return xNode.GetTakeNode(i);
  return nullptr;
}

// What a take holds: its record's texts and spans, then one "Model" field
// per node that has a take node of its name.
void AddTakeContent(KFbxWriteField& xTake, const KFbxSceneGraph& xScene, const std::vector<KFbxNode*>& xNodes,
                    const std::string& xName) {
  if (const KFbxTakeRecord* pxRecord = xScene.FindTakeInfo(xName.c_str())) {
    xTake.Child("Comments", {Value::String(pxRecord->m_xDescription.Buffer())});
    const KTimeSpan& xLocal = pxRecord->m_xLocalTimeSpan;
    const KTimeSpan& xReference = pxRecord->m_xReferenceTimeSpan;
    xTake.Child("LocalTime", {Value::Int64(xLocal.m_xStart.Get()), Value::Int64(xLocal.m_xStop.Get())});
    xTake.Child("ReferenceTime", {Value::Int64(xReference.m_xStart.Get()), Value::Int64(xReference.m_xStop.Get())});
  }
  for (KFbxNode* pxNode : xNodes) {
    TakeNode* pxTakeNode = FindTakeNode(*pxNode, xName);
    if (!pxTakeNode) continue;
    KFbxWriteField& xModel = xTake.Child("Model", {ModelName(*pxNode)});
    xModel.Block();
    xModel.Child("Version", {Value::Int(100)});
    AddChannels(xModel, pxTakeNode->GetKFCurveNode());
  }
}

const std::string* TakeFileOf(const KFbxSceneFieldsOptions& xOptions, const std::string& xTake) {
  for (const auto& xEntry : xOptions.m_xTakeFiles)
    if (xEntry.first == xTake) return &xEntry.second;
  return nullptr;
}

KFbxWriteField HeaderExtension(int iVersion) {
  KFbxWriteField xHeader("FBXHeaderExtension");
  xHeader.Block();
  xHeader.Child("FBXHeaderVersion", {Value::Int(kHeaderVersion)});
  xHeader.Child("FBXVersion", {Value::Int(iVersion)});
  return xHeader;
}

void AddTakes(KFbxSceneFields& xOut, const KFbxSceneGraph& xScene, const std::vector<KFbxNode*>& xNodes,
              const KFbxSceneFieldsOptions& xOptions) {
  const std::vector<std::string> xNames = TakeNames(xScene);
  if (xNames.empty()) return;
  KFbxWriteField xTakes("Takes");
  xTakes.Block();
  xTakes.Child("Current", {Value::String(xScene.GetCurrentTakeName())});
  for (const std::string& xName : xNames) {
    KFbxWriteField& xTake = xTakes.Child("Take", {Value::String(xName)});
    xTake.Block();
    if (const std::string* pxFile = TakeFileOf(xOptions, xName)) {
      xTake.Child("FileName", {Value::String(*pxFile)});
      KFbxWriteField xContent("Take");
      AddTakeContent(xContent, xScene, xNodes, xName);
      KFbxWriteSection xSection{HeaderExtension(xOptions.m_iVersion)};
      for (KFbxWriteField& xField : xContent.m_xChildren) xSection.push_back(std::move(xField));
      xOut.m_xTakeFiles.emplace_back(*pxFile, std::move(xSection));
    } else {
      AddTakeContent(xTake, xScene, xNodes, xName);
    }
  }
  xOut.m_xMain.push_back(std::move(xTakes));
}

}  // namespace

KFbxSceneFields KFbxSceneToFields(KFbxSceneGraph& xScene, const KFbxSceneFieldsOptions& xOptions) {
  KFbxSceneFields xOut;
  const std::vector<KFbxNode*> xNodes = AllNodes(xScene);
  xOut.m_xMain.push_back(HeaderExtension(xOptions.m_iVersion));
  if (xOptions.m_iVersion < kNewerFormVersion) {
    for (KFbxNode* pxNode : xNodes) xOut.m_xMain.push_back(ModelField(*pxNode, xOptions));
  } else {
    KFbxWriteField& xDefinitions = xOut.m_xMain.emplace_back("Definitions");
    xDefinitions.Child("Version", {Value::Int(100)});
    xDefinitions.Child("Count", {Value::Int(static_cast<int32_t>(xNodes.size()))});
    xDefinitions.Child("ObjectType", {Value::String("Model")})
        .Child("Count", {Value::Int(static_cast<int32_t>(xNodes.size()))});
    KFbxWriteField& xObjects = xOut.m_xMain.emplace_back("Objects");
    xObjects.Block();
    for (KFbxNode* pxNode : xNodes) xObjects.m_xChildren.push_back(ModelField(*pxNode, xOptions));
    KFbxWriteField& xConnections = xOut.m_xMain.emplace_back("Connections");
    xConnections.Block();
    for (KFbxNode* pxNode : xNodes) {
      const KFbxNode* pxParent = pxNode->GetParent();
      xConnections.Child("Connect",
                         {Value::String("OO"), ModelName(*pxNode),
                          pxParent == xScene.RootNode() ? Value::ObjectName("Model", "Scene") : ModelName(*pxParent)});
    }
  }
  AddTakes(xOut, xScene, xNodes, xOptions);
  return xOut;
}
