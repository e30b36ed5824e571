#include "fbxsdk/fileio/kfbx_scene_fields.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "fbxsdk/fileio/kfbx_field_sink.h"
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
void PutProperty(KFbxFieldSink& xOut, const KProperty& xProperty, bool bOlderForm) {
  const int iType = xProperty.GetType();
  if (iType == eKPROP_OBJECT || iType == eKPROP_REFERENCE || iType == eKPROP_UNKNOWN) return;
  const KFbxDataType* pxDataType = xProperty.GetDataType();
  if (bOlderForm && pxDataType && pxDataType != &KDataTypeVisibility) return;  // in the channel tree
  std::string xFlags = xProperty.IsAnimatable() ? "A" : "";
  if (xProperty.GetFlags() & KProperty::eMARKED) xFlags += "+";
  if (xProperty.GetFlags() & KProperty::eUSER) xFlags += "U";
  const char* pszType = xProperty.IsAnimatable() && pxDataType ? pxDataType->m_pszName : KPropertyTypeName(iType);
  xOut.Begin("Property");
  xOut.String(xProperty.GetName());
  xOut.String(pszType);
  xOut.String(xFlags);
  if (const auto* pxText = dynamic_cast<const KPropertyTemplate<KString>*>(&xProperty)) {
    xOut.String(pxText->Get().Buffer());
  } else if (const auto* pxTime = dynamic_cast<const KPropertyTemplate<KTime>*>(&xProperty)) {
    xOut.Int64(pxTime->Get().Get());
  } else if (iType == eKPROP_INT || iType == eKPROP_ENUM || iType == eKPROP_BOOL || iType == eKPROP_ACTION) {
    xOut.Int(static_cast<int32_t>(xProperty.GetComponent(0)));
  } else {
    for (int i = 0; i < xProperty.GetComponentCount(); ++i) xOut.Double(xProperty.GetComponent(i));
  }
  xOut.End();
}

// A curve node's "Channel" field with its curve and children, depth first
// through an explicit stack.
void PutChannel(KFbxFieldSink& xOut, const KFCurveNode& xTop) {
  struct Open {
    const KFCurveNode* m_pxNode;
    int m_iNext;
  };
  std::vector<Open> xStack;
  auto Begin = [&](const KFCurveNode& xNode) {
    xOut.Begin("Channel");
    xOut.String(xNode.GetName());
    xOut.Block();
    if (const KFCurve* pxCurve = xNode.FCurveGet()) KFCurveEmitStored(xOut, *pxCurve, kKeyVersion, true);
    xStack.push_back({&xNode, 0});
  };
  Begin(xTop);
  while (!xStack.empty()) {
    Open& xOpen = xStack.back();
    if (xOpen.m_iNext < xOpen.m_pxNode->GetCount()) {
      Begin(*xOpen.m_pxNode->Get(xOpen.m_iNext++));
      continue;
    }
    xOut.Leaf("LayerType", {Value::Int(xOpen.m_pxNode->GetLayerType())});
    xOut.End();
    xStack.pop_back();
  }
}

void PutChannels(KFbxFieldSink& xOut, const KFCurveNode* pxRoot) {
  if (!pxRoot) return;
  for (int i = 0; i < pxRoot->GetCount(); ++i) PutChannel(xOut, *pxRoot->Get(i));
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

void PutModel(KFbxFieldSink& xOut, KFbxNode& xNode, const KFbxSceneFieldsOptions& xOptions) {
  const bool bOlder = xOptions.m_iVersion < kNewerFormVersion;
  const char* pszType = ModelType(xNode);
  xOut.Begin("Model");
  xOut.Value(ModelName(xNode));
  if (!bOlder) xOut.String(*pszType ? pszType : "Mesh");
  xOut.Leaf("Version", {Value::Int(xNode.IsOldModel() ? kOldModelVersion : kModelVersion)});
  if ((bOlder || xOptions.m_bTypeField) && *pszType) xOut.Leaf("Type", {Value::String(pszType)});
  xOut.Begin("Properties60");
  xOut.Block();
  KFbxNodeProperties& xOwn = xNode.GetProperties();
  for (int i = 0; i < xOwn.GetCount(); ++i) PutProperty(xOut, *xOwn.Get(i), bOlder);
  if (const auto* pxSkeleton = dynamic_cast<const KFbxSkeleton*>(xNode.Attribute())) {
    xOut.Leaf("Property",
              {Value::String("Size"), Value::String("double"), Value::String(""), Value::Double(pxSkeleton->m_dSize)});
    const KgeTVector& xColor = pxSkeleton->m_xColor;
    xOut.Leaf("Property", {Value::String("Color"), Value::String("ColorRGB"), Value::String(""),
                           Value::Double(xColor[0]), Value::Double(xColor[1]), Value::Double(xColor[2])});
  }
  xOut.End();
  if (bOlder) {
    PutChannels(xOut, xNode.GetTakeNode(0)->GetKFCurveNode());
    if (xNode.ChildCount() > 0) {
      xOut.Begin("Children");
      for (int i = 0; i < xNode.ChildCount(); ++i) xOut.Value(ModelName(*xNode.Child(i)));
      xOut.End();
    }
  }
  xOut.End();
}

// The take names to write: the scene's take records in their order (a take
// that animates no object is still a take of the file), then every other
// take node name but "Default", in the order the scene collects them; of
// those only the ones asked for, when some are.
std::vector<std::string> TakeNames(const KFbxSceneGraph& xScene, const std::vector<std::string>& xWanted) {
  std::vector<std::string> xOut;
  const auto Add = [&](const char* pszName) {
    if (std::strcmp(pszName, kDefaultTakeNodeName) != 0 && std::find(xOut.begin(), xOut.end(), pszName) == xOut.end() &&
        (xWanted.empty() || std::find(xWanted.begin(), xWanted.end(), pszName) != xWanted.end()))
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
void PutTakeContent(KFbxFieldSink& xOut, const KFbxSceneGraph& xScene, const std::vector<KFbxNode*>& xNodes,
                    const std::string& xName, KFbxSceneKeySource* pxKeys) {
  if (const KFbxTakeRecord* pxRecord = xScene.FindTakeInfo(xName.c_str())) {
    xOut.Leaf("Comments", {Value::String(pxRecord->m_xDescription.Buffer())});
    const KTimeSpan& xLocal = pxRecord->m_xLocalTimeSpan;
    const KTimeSpan& xReference = pxRecord->m_xReferenceTimeSpan;
    xOut.Leaf("LocalTime", {Value::Int64(xLocal.m_xStart.Get()), Value::Int64(xLocal.m_xStop.Get())});
    xOut.Leaf("ReferenceTime", {Value::Int64(xReference.m_xStart.Get()), Value::Int64(xReference.m_xStop.Get())});
  }
  for (KFbxNode* pxNode : xNodes) {
    TakeNode* pxTakeNode = FindTakeNode(*pxNode, xName);
    if (!pxTakeNode) continue;
    xOut.Begin("Model");
    xOut.Value(ModelName(*pxNode));
    xOut.Block();
    xOut.Leaf("Version", {Value::Int(100)});
    if (pxKeys) pxKeys->TakeNodeBegin(*pxNode, *pxTakeNode);
    PutChannels(xOut, pxTakeNode->GetKFCurveNode());
    if (pxKeys) pxKeys->TakeNodeEnd(*pxNode, *pxTakeNode);
    xOut.End();
  }
}

const std::string* TakeFileOf(const KFbxSceneFieldsOptions& xOptions, const std::string& xTake) {
  for (const auto& xEntry : xOptions.m_xTakeFiles)
    if (xEntry.first == xTake) return &xEntry.second;
  return nullptr;
}

void PutHeaderExtension(KFbxFieldSink& xOut, int iVersion) {
  xOut.Begin("FBXHeaderExtension");
  xOut.Block();
  xOut.Leaf("FBXHeaderVersion", {Value::Int(kHeaderVersion)});
  xOut.Leaf("FBXVersion", {Value::Int(iVersion)});
  xOut.End();
}

// Where the content of a take stored in a file of its own goes.
class TakeFiles {
 public:
  virtual ~TakeFiles() = default;
  // The fields of the take file named xFile; null when it cannot be made.
  virtual KFbxFieldSink* Open(const std::string& xFile) = 0;
  virtual void Close() = 0;
};

// The whole scene into xOut, take files into xTakeFiles; false when a take
// file could not be made.
bool PutScene(KFbxFieldSink& xOut, TakeFiles& xTakeFiles, KFbxSceneGraph& xScene,
              const KFbxSceneFieldsOptions& xOptions, KFbxSceneKeySource* pxKeys) {
  const std::vector<KFbxNode*> xNodes = AllNodes(xScene);
  PutHeaderExtension(xOut, xOptions.m_iVersion);
  if (xOptions.m_iVersion < kNewerFormVersion) {
    for (KFbxNode* pxNode : xNodes) PutModel(xOut, *pxNode, xOptions);
  } else {
    const Value xCount = Value::Int(static_cast<int32_t>(xNodes.size()));
    xOut.Begin("Definitions");
    xOut.Leaf("Version", {Value::Int(100)});
    xOut.Leaf("Count", {xCount});
    xOut.Begin("ObjectType");
    xOut.String("Model");
    xOut.Leaf("Count", {xCount});
    xOut.End();
    xOut.End();
    xOut.Begin("Objects");
    xOut.Block();
    for (KFbxNode* pxNode : xNodes) PutModel(xOut, *pxNode, xOptions);
    xOut.End();
    xOut.Begin("Connections");
    xOut.Block();
    for (KFbxNode* pxNode : xNodes) {
      const KFbxNode* pxParent = pxNode->GetParent();
      xOut.Leaf("Connect",
                {Value::String("OO"), ModelName(*pxNode),
                 pxParent == xScene.RootNode() ? Value::ObjectName("Model", "Scene") : ModelName(*pxParent)});
    }
    xOut.End();
  }
  const std::vector<std::string> xNames = TakeNames(xScene, xOptions.m_xTakes);
  if (!xNames.empty()) {
    xOut.Begin("Takes");
    xOut.Leaf("Current", {Value::String(xScene.GetCurrentTakeName())});
    for (const std::string& xName : xNames) {
      xOut.Begin("Take");
      xOut.String(xName);
      xOut.Block();
      if (const std::string* pxFile = TakeFileOf(xOptions, xName)) {
        xOut.Leaf("FileName", {Value::String(*pxFile)});
        KFbxFieldSink* pxTakeFile = xTakeFiles.Open(*pxFile);
        if (!pxTakeFile) return false;
        PutHeaderExtension(*pxTakeFile, xOptions.m_iVersion);
        PutTakeContent(*pxTakeFile, xScene, xNodes, xName, pxKeys);
        xTakeFiles.Close();
      } else {
        PutTakeContent(xOut, xScene, xNodes, xName, pxKeys);
      }
      xOut.End();
    }
    xOut.End();
  }
  KFbxEmitFields(xOptions.m_xTrailingFields, xOut);
  return true;
}

// Take files as sections of the caller's.
class TakeFileSections : public TakeFiles {
 public:
  explicit TakeFileSections(KFbxSceneFields& xOut) : m_xOut(xOut) {}
  KFbxFieldSink* Open(const std::string& xFile) override {
    m_xOut.m_xTakeFiles.emplace_back(xFile, KFbxWriteSection());
    m_pxSink = std::make_unique<KFbxTreeSink>(m_xOut.m_xTakeFiles.back().second);
    return m_pxSink.get();
  }
  void Close() override { m_pxSink.reset(); }

 private:
  KFbxSceneFields& m_xOut;
  std::unique_ptr<KFbxTreeSink> m_pxSink;
};

// Take files written beside the main file as they are made.
class TakeFileWriters : public TakeFiles {
 public:
  TakeFileWriters(const std::string& xFolder, const KFbxWriteOptions& xOptions)
      : m_xFolder(xFolder), m_xOptions(xOptions) {}
  KFbxFieldSink* Open(const std::string& xFile) override {
    const std::string xPath = m_xFolder + xFile;
    m_xWritten.push_back(xPath);
    return m_xWriter.Open(xPath.c_str(), m_xOptions, &m_xError) ? &m_xWriter.Fields() : nullptr;
  }
  void Close() override {
    std::string xError;
    if (!m_xWriter.Close(&xError) && m_xError.empty()) m_xError = xError;
  }
  const std::string& Error() const { return m_xError; }
  // Removes every take file begun.
  void RemoveAll() {
    for (const std::string& xPath : m_xWritten) std::remove(xPath.c_str());
  }

 private:
  std::string m_xFolder;
  KFbxWriteOptions m_xOptions;
  KFbxFileWriter m_xWriter;
  std::string m_xError;
  std::vector<std::string> m_xWritten;
};

}  // namespace

KFbxSceneFields KFbxSceneToFields(KFbxSceneGraph& xScene, const KFbxSceneFieldsOptions& xOptions,
                                  KFbxSceneKeySource* pxKeys) {
  KFbxSceneFields xOut;
  KFbxTreeSink xMain(xOut.m_xMain);
  TakeFileSections xTakeFiles(xOut);
  PutScene(xMain, xTakeFiles, xScene, xOptions, pxKeys);
  return xOut;
}

bool KFbxWriteSceneFile(const char* pszPath, KFbxSceneGraph& xScene, const KFbxSceneFieldsOptions& xFieldOptions,
                        const KFbxWriteOptions& xWriteOptions, std::string* pxError, KFbxSceneKeySource* pxKeys) {
  const std::string xPath = pszPath ? pszPath : "";
  if (xWriteOptions.m_bEncrypted) {
    // The cipher works on the whole file: lay it out, then write it.
    const KFbxSceneFields xFields = KFbxSceneToFields(xScene, xFieldOptions, pxKeys);
    if (!KFbxWriteFile(pszPath, {xFields.m_xMain}, xWriteOptions, pxError)) return false;
    const std::string xFolder = xPath.substr(0, xPath.find_last_of("/\\") + 1);
    for (const auto& xTake : xFields.m_xTakeFiles)
      if (!KFbxWriteFile((xFolder + xTake.first).c_str(), {xTake.second}, xWriteOptions, pxError)) return false;
    return true;
  }
  KFbxFileWriter xWriter;
  if (!xWriter.Open(pszPath, xWriteOptions, pxError)) return false;
  TakeFileWriters xTakeFiles(xPath.substr(0, xPath.find_last_of("/\\") + 1), xWriteOptions);
  const bool bTakeFiles = PutScene(xWriter.Fields(), xTakeFiles, xScene, xFieldOptions, pxKeys);
  std::string xError;
  const bool bClosed = xWriter.Close(&xError);
  if (xError.empty() && (!bTakeFiles || !xTakeFiles.Error().empty())) xError = xTakeFiles.Error();
  if (bClosed && xError.empty()) return true;
  std::remove(pszPath);
  xTakeFiles.RemoveAll();
  if (pxError) *pxError = xError;
  return false;
}
