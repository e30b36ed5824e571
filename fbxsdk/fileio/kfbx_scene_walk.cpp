#include "fbxsdk/fileio/kfbx_scene_walk.h"

#include <new>

#include "fbxsdk/fileio/kfbx_importer.h"
#include "fbxsdk/fileio/kfbx_reader.h"
#include "fbxsdk/fileio/kstream_options_fbx.h"
#include "fbxsdk/scene/kfbx_node.h"
#include "fbxsdk/scene/kfbx_object.h"
#include "fbxsdk/scene/kfbx_scene_graph.h"
#include "fbxsdk/scene/kfbx_scene_info.h"
#include "fbxsdk/scene/kfbx_sdk_manager.h"

namespace {

// Object types of the "Objects" block that are not models but may be
// connected to models (skin deformers and their clusters among them).
constexpr const char* kOtherObjectTypes[] = {"SceneInfo", "Material", "Texture",    "Video",
                                             "Deformer",  "Pose",     "GenericNode"};

// The parent named by newer-generation files for top-level models.
constexpr const char* kSceneModelName = "Model::Scene";

// Connection kinds are short words; longer texts are cut here.
constexpr size_t kMaxConnectionKind = 31;

}  // namespace

KFbxSceneWalk::KFbxSceneWalk(KFbx& xFbx, KFbxSdkManager& xManager, KFbxImporter* pxImporter, KFbxSceneGraph& xScene,
                             KStreamOptionsFbx& xOptions)
    : m_xFbx(xFbx), m_xManager(xManager), m_pxImporter(pxImporter), m_xScene(xScene), m_xOptions(xOptions) {}

bool KFbxSceneWalk::IsOlderGeneration(int iVersion, bool bHasDefinitions) {
  const int iMajor = iVersion / 1000, iMinor = (iVersion % 1000) / 100;
  return iMajor < 5 || (iMajor == 5 && iMinor < 8) || (iVersion == 5800 && !bHasDefinitions);
}

bool KFbxSceneWalk::Fail(int iCode, const KString& xMessage) {
  m_iFailureCode = iCode;
  m_xFailure = KString(m_xFbx.GetPath()) + ": " + xMessage;
  return false;
}

void KFbxSceneWalk::Progress(const KString& xText) {
  if (m_pxImporter) m_pxImporter->SetProgressText(xText);
}

bool KFbxSceneWalk::Run() {
  try {
    const bool bDefinitions = m_xFbx.BeginField("Definitions");
    if (bDefinitions) ReadDefinitions();
    const bool bOlder = IsOlderGeneration(m_xFbx.GetFileVersionNumber(), bDefinitions);
    if (!(bOlder ? ReadOlderModels() : ReadObjects())) return false;
    if (!bOlder) ReadConnections();
    if (!BuildHierarchy()) return false;
    IndexNodes();
    if (!ReadTakes()) return false;
    m_xScene.RootNode()->FixOldModelInheritTypes();
    if (!m_xCurrentTake.IsEmpty() && m_xScene.FindTakeInfo(m_xCurrentTake)) {
      m_xScene.SelectTake(m_xCurrentTake);
      m_xScene.SetFileCurrentTakeName(m_xCurrentTake);
    }
    return true;
  } catch (const std::bad_alloc&) {
    return Fail(KFbxReader::eUNIDENTIFIED_ERROR, "out of memory while reading the scene");
  }
}

void KFbxSceneWalk::ReadDefinitions() {
  if (m_xFbx.EnterBlock()) {
    while (m_xFbx.BeginField("ObjectType")) {
      m_xObjectTypes.insert(m_xFbx.NextString().Buffer());
      m_xFbx.EndField();
    }
    m_xFbx.LeaveBlock();
  }
  m_xFbx.EndField();
}

bool KFbxSceneWalk::AddModel(const KString& xName, const KString& xSubtype) {
  if (static_cast<int>(m_xModels.size()) >= kKFbxMaxModels)
    return Fail(KFbxReader::eFILE_CORRUPTED, KString("more than ") + std::to_string(kKFbxMaxModels) + " models");
  KFbxNode* pxNode = m_xManager.CreateNode(xName);
  if (!pxNode) throw std::bad_alloc();
  m_xScene.AddTakeObject(pxNode);
  m_xModels.emplace_back();
  Model& xModel = m_xModels.back();
  xModel.m_pxNode = pxNode;
  m_xModelIndex.emplace(pxNode->Name(), static_cast<int>(m_xModels.size()) - 1);
  const bool bBlock = m_xFbx.EnterBlock();
  ReadModelBlock(xModel, xSubtype, bBlock);
  if (bBlock) m_xFbx.LeaveBlock();
  return true;
}

// Newer generation: the object fields of "Objects" whose names "Definitions"
// lists; models become nodes, the others are remembered by name so that a
// connection to them is known not to be a model's parent.
bool KFbxSceneWalk::ReadObjects() {
  if (!m_xFbx.BeginField("Objects")) return true;
  if (!m_xFbx.EnterBlock()) {
    m_xFbx.EndField();
    return true;
  }
  Progress("Retrieving models");
  bool bOk = true;
  if (m_xObjectTypes.count("Model"))
    while (bOk && m_xFbx.BeginField("Model")) {
      const KString xName = m_xFbx.NextString();
      const KString xSubtype = m_xFbx.NextString();
      bOk = AddModel(xName, xSubtype);
      m_xFbx.EndField();
    }
  for (const char* pszType : kOtherObjectTypes) {
    if (!bOk || !m_xObjectTypes.count(pszType)) continue;
    if (std::string(pszType) == "SceneInfo") {
      ReadSceneInfo();
      continue;
    }
    while (m_xFbx.BeginField(pszType)) {
      m_xOtherObjects.insert(m_xFbx.NextString().Buffer());
      m_xFbx.EndField();
    }
  }
  m_xFbx.LeaveBlock();
  m_xFbx.EndField();
  return bOk;
}

// Older generation: each model is a top-level "Model" field.
bool KFbxSceneWalk::ReadOlderModels() {
  Progress("Retrieving models");
  while (m_xFbx.BeginField("Model")) {
    const KString xName = m_xFbx.NextString();
    const bool bOk = AddModel(xName, KString());
    m_xFbx.EndField();
    if (!bOk) return false;
  }
  return true;
}

// The scene's descriptive texts, from the "MetaData" block of "SceneInfo".
void KFbxSceneWalk::ReadSceneInfo() {
  if (!m_xFbx.BeginField("SceneInfo")) return;
  const KString xName = m_xFbx.NextString();
  m_xOtherObjects.insert(xName.Buffer());
  if (m_xFbx.EnterBlock()) {
    if (m_xFbx.BeginField("MetaData") && m_xFbx.EnterBlock()) {
      KFbxSceneInfo xInfo(xName);
      xInfo.m_xTitle = m_xFbx.FieldString("Title");
      xInfo.m_xSubject = m_xFbx.FieldString("Subject");
      xInfo.m_xAuthor = m_xFbx.FieldString("Author");
      xInfo.m_xKeywords = m_xFbx.FieldString("Keywords");
      xInfo.m_xRevision = m_xFbx.FieldString("Revision");
      xInfo.m_xComment = m_xFbx.FieldString("Comment");
      m_xFbx.LeaveBlock();
      m_xFbx.EndField();
      KFbxSceneInfo* pxInfo = m_xScene.GetSceneInfo();
      if (!pxInfo && (pxInfo = m_xManager.CreateSceneInfo(xName))) m_xScene.SetSceneInfo(pxInfo);
      if (pxInfo) pxInfo->CopyFrom(xInfo);
      m_xOptions.SetSceneInfo(&xInfo);
    }
    m_xFbx.LeaveBlock();
  }
  m_xFbx.EndField();
}

void KFbxSceneWalk::ReadConnections() {
  if (!m_xFbx.BeginField("Connections")) return;
  if (m_xFbx.EnterBlock()) {
    while (m_xFbx.BeginField("Connect")) {
      const KString xKind = m_xFbx.NextString().Left(kMaxConnectionKind);
      const KString xChild = m_xFbx.NextString();
      const KString xParent = m_xFbx.NextString();
      if (xKind == "OO") Connect(xChild.Buffer(), xParent.Buffer());
      m_xFbx.EndField();  // "PO", "OP" and unknown kinds link nothing the scene road uses
    }
    m_xFbx.LeaveBlock();
  }
  m_xFbx.EndField();
}

// Only a connection of a model to a model parents it; the first parent a
// model gets is kept and later ones are ignored. A model connected to the
// scene, or to nothing, stays at the top.
void KFbxSceneWalk::Connect(const std::string& xChild, const std::string& xParent) {
  auto itChild = m_xModelIndex.find(xChild);
  if (itChild == m_xModelIndex.end() || xParent == kSceneModelName) return;
  auto itParent = m_xModelIndex.find(xParent);
  if (itParent == m_xModelIndex.end()) return;
  Model& xModel = m_xModels[itChild->second];
  if (itChild->second == itParent->second) {
    m_xScene.AddDroppedLink({KFbxDroppedLink::eSELF, xModel.m_pxNode->Name(), xModel.m_pxNode->Name()});
    return;
  }
  if (xModel.m_iParent >= 0) {
    // The same link twice is one link, not a second parent.
    if (xModel.m_iParent != itParent->second)
      m_xScene.AddDroppedLink(
          {KFbxDroppedLink::eSECOND_PARENT, xModel.m_pxNode->Name(), m_xModels[itParent->second].m_pxNode->Name()});
    return;
  }
  xModel.m_iParent = itParent->second;
  m_xLinks.emplace_back(itChild->second, itParent->second);
}

// Older-generation "Children" lists become links, then every model without
// a parent goes under the root node. Cycles are cut where they close and a
// hierarchy deeper than the limit fails the read. A "Children" list names
// its models as the file writes names, mostly bare ("Bone02"); they are
// matched the way a node search matches names, as "Model::" and the part
// after the first "::".
bool KFbxSceneWalk::BuildHierarchy() {
  for (const Model& xModel : m_xModels)
    for (const std::string& xChild : xModel.m_xChildren)
      Connect((KString("Model::") + KFbxStripNamePrefix(xChild.c_str())).Buffer(), xModel.m_pxNode->Name());
  std::vector<int> xDepth(m_xModels.size(), -1);
  for (size_t i = 0; i < m_xModels.size(); ++i)
    if (Depth(static_cast<int>(i), xDepth) > kKFbxMaxNodeDepth)
      return Fail(KFbxReader::eFILE_CORRUPTED,
                  KString("model hierarchy deeper than ") + std::to_string(kKFbxMaxNodeDepth).c_str() + " levels");
  KFbxNode* pxRoot = m_xScene.RootNode();
  for (const Model& xModel : m_xModels)
    if (xModel.m_iParent < 0) pxRoot->AddChild(xModel.m_pxNode);
  for (const auto& xLink : m_xLinks)
    if (m_xModels[xLink.first].m_iParent == xLink.second)
      m_xModels[xLink.second].m_pxNode->AddChild(m_xModels[xLink.first].m_pxNode);
  return true;
}

// Depth below the root node (top-level models are at 1), filling xDepth
// along the parent chain: -1 unknown, -2 on the chain being walked. A chain
// that comes back to itself is cut at the model whose link closes it.
int KFbxSceneWalk::Depth(int iModel, std::vector<int>& xDepth) {
  if (xDepth[iModel] >= 0) return xDepth[iModel];
  std::vector<int> xChain;
  int j = iModel;
  while (j >= 0 && xDepth[j] == -1) {
    xDepth[j] = -2;
    xChain.push_back(j);
    j = m_xModels[j].m_iParent;
  }
  int iBase = 0;
  if (j >= 0 && xDepth[j] == -2) {
    // The link that closes the cycle goes.
    Model& xClosing = m_xModels[xChain.back()];
    m_xScene.AddDroppedLink(
        {KFbxDroppedLink::eCYCLE, xClosing.m_pxNode->Name(), m_xModels[xClosing.m_iParent].m_pxNode->Name()});
    xClosing.m_iParent = -1;
  } else if (j >= 0) {
    iBase = xDepth[j];
  }
  for (auto it = xChain.rbegin(); it != xChain.rend(); ++it) xDepth[*it] = ++iBase;
  return xDepth[iModel];
}

// Names as a recursive KFbxNode::FindDescendant from the root finds them:
// the first node of each name in depth-first order.
void KFbxSceneWalk::IndexNodes() {
  std::vector<KFbxNode*> xStack{m_xScene.RootNode()};
  while (!xStack.empty()) {
    KFbxNode* pxNode = xStack.back();
    xStack.pop_back();
    if (pxNode != m_xScene.RootNode()) m_xNodesByName.emplace(pxNode->Name(), pxNode);
    for (int i = pxNode->ChildCount() - 1; i >= 0; --i) xStack.push_back(pxNode->Child(i));
  }
}
