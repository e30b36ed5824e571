#include "fbx_skl_generator.h"

#include <cstring>
#include <new>
#include <utility>

#include "fbx_skl_check.h"
#include "fbxsdk/core/ktime.h"
#include "fbxsdk/fileio/kfbx_importer.h"
#include "fbxsdk/scene/kfbx_node.h"
#include "fbxsdk/scene/kfbx_scene_graph.h"
#include "fbxsdk/scene/kfbx_sdk_manager.h"

namespace Kvat {
namespace Secne {

namespace {

// The lines the generator's guards report.
constexpr int kManagerCheckLine = 58;
constexpr int kSceneCheckLine = 62;
constexpr int kAttributeCheckLine = 113;
constexpr int kImporterCheckLine = 148;

// Base name of the joint where every skeleton starts.
constexpr const char* kSkeletonStartName = "Hips";

// Extensions of the other interchange formats this loader hands to the
// importer, with their format codes; every other name is read as FBX (0).
struct ExtensionFormat {
  const char* upperExtension;
  int format;
};
constexpr ExtensionFormat kExtensionFormats[] = {{"OBJ", 5}, {"3DS", 4}, {"DXF", 3}};
constexpr int kFbxFormat = 0;

bool isSkeletonNode(const KFbxNode* pkNode) {
  const KFbxNodeAttribute* attribute = pkNode->Attribute();
  return attribute && attribute->AttributeType() == KFbxNodeAttribute::eSKELETON;
}

}  // namespace

FbxAttribute::FbxAttribute(KFbxNode* pkFbxNode) : m_pkFbxNode(pkFbxNode) {
  m_xLocal.setIdentity();
  m_xWorld.setIdentity();
}

Matrix4 FbxAttribute::evaluateWorld(double time, const Matrix4&) {
  if (!m_pkFbxNode) {
    m_xWorld = Matrix4::multiply(m_xWorld, m_xLocal);
    return m_xWorld;
  }
  KTime t;
  t.SetSeconds(time);
  const Matrix44& g = m_pkFbxNode->GlobalMatrixAt(t);
  // world = G * local, summed in the order of Matrix4::multiply, straight
  // from the node's matrix into the attribute's own storage.
  const Matrix4& l = m_xLocal;
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c)
      m_xWorld(r, c) = g[r][0] * l(0, c) + g[r][1] * l(1, c) + g[r][2] * l(2, c) + g[r][3] * l(3, c);
  return m_xWorld;
}

FbxRoot::FbxRoot() = default;

FbxRoot::~FbxRoot() { teardown(); }

void FbxRoot::teardown() {
  m_takeIndex = 0;
  m_takeNames.clear();
  if (m_pkFbxSdkManager) {
    if (m_pkFbxScene) m_pkFbxSdkManager->DestroyScene(m_pkFbxScene, true);
    m_pkFbxScene = nullptr;
    m_pkFbxSdkManager.reset();
  }
  m_takeNames.shrink_to_fit();
  // The Root teardown then releases the joints; they point into nothing now
  // but are never evaluated again.
}

std::string FbxRoot::currentTakeName() const {
  if (m_takeIndex < 0 || m_takeIndex >= static_cast<int>(m_takeNames.size())) return std::string();
  return m_takeNames[m_takeIndex]->Buffer();
}

void FbxRoot::setScale(const Vector3& factors) {
  Matrix4 scale;
  scale.setScaling(factors);
  std::vector<Node*> pending{m_pRoot};
  while (!pending.empty()) {
    Node* node = pending.back();
    pending.pop_back();
    node->attrib()->local() = scale;
    for (Node* child : node->children()) pending.push_back(child);
  }
}

void FbxRoot::noteImportFailure(Outcome outcome, KFbxImporter* pxImporter) {
  m_eOutcome = outcome;
  m_sImportMessage = pxImporter ? pxImporter->GetError().GetLastErrorString() : "";
}

bool FbxRoot::importScene(KFbxImporter* pxImporter) {
  if (!fbxSklCheck(pxImporter != nullptr, "pxImporter", kImporterCheckLine)) return false;
  if (!m_pkFbxScene || !pxImporter->Import(m_pkFbxScene)) {
    noteImportFailure(Outcome::kImportFailed, pxImporter);
    return false;
  }
  return adoptImportedScene();
}

bool FbxRoot::adoptImportedScene() {
  if (!m_pkFbxScene) return false;
  m_pkFbxScene->CollectTakeNames(m_takeNames);
  if (m_takeNames.empty()) {
    m_eOutcome = Outcome::kNoTakes;
    return false;
  }
  // The first take after "Default" plays whenever the file described any
  // take at all; the scan selects each name on the way, as loads always did.
  m_takeIndex = 0;
  for (const std::unique_ptr<KString>& name : m_takeNames) {
    m_pkFbxScene->SelectTake(name->Buffer());
    if (m_pkFbxScene->FindTakeInfo(name->Buffer())) {
      m_takeIndex = 1;
      break;
    }
  }
  // A lone name is "Default" itself, whatever the scan found.
  if (m_takeNames.size() == 1) m_takeIndex = 0;
  if (!sceneHasSkeleton(m_pkFbxScene)) {
    m_eOutcome = Outcome::kNoSkeletonNode;
    return false;
  }
  m_pkFbxScene->SelectTake(m_takeNames[m_takeIndex]->Buffer());
  if (KFbxNode* start = findSkeletonRoot(kSkeletonStartName)) {
    buildNode(start, m_pRoot);
    m_eOutcome = Outcome::kSkeleton;
  } else {
    m_eOutcome = Outcome::kNoHips;
  }
  return true;
}

bool FbxRoot::startSkeletonAt(KFbxNode* pkStart) {
  if (!pkStart || !m_pkFbxScene) return false;
  m_pRoot->deleteChildren();
  m_iSkippedJoints = 0;
  // A file without skeleton joints stopped before the chosen take was made
  // current.
  if (m_takeIndex >= 0 && m_takeIndex < static_cast<int>(m_takeNames.size()))
    m_pkFbxScene->SelectTake(m_takeNames[m_takeIndex]->Buffer());
  buildNode(pkStart, m_pRoot);
  m_eOutcome = Outcome::kSkeleton;
  return true;
}

bool FbxRoot::hasSkeleton(KFbxNode* pkNode) {
  std::vector<KFbxNode*> pending;
  if (pkNode) pending.push_back(pkNode);
  while (!pending.empty()) {
    KFbxNode* node = pending.back();
    pending.pop_back();
    if (isSkeletonNode(node)) return true;
    for (int i = node->ChildCount() - 1; i >= 0; --i)
      if (KFbxNode* child = node->Child(i)) pending.push_back(child);
  }
  return false;
}

bool FbxRoot::sceneHasSkeleton(KFbxSceneGraph* pkScene) {
  KFbxNode* top = pkScene ? pkScene->RootNode() : nullptr;
  if (!top) return false;
  for (int i = 0; i < top->ChildCount(); ++i)
    if (hasSkeleton(top->Child(i))) return true;
  return false;
}

KFbxNode* FbxRoot::findSkeletonRoot(const char* baseName) const {
  KFbxNode* top = m_pkFbxScene ? m_pkFbxScene->RootNode() : nullptr;
  if (!top || !baseName) return nullptr;
  for (int i = 0; i < top->ChildCount(); ++i) {
    KFbxNode* child = top->Child(i);
    if (!child) continue;
    // A namespaced top-level node ("Model::Char1:Reference") looks for its
    // own namespace's joint ("Model::Char1:Hips").
    KString wanted = baseName;
    const KString name = child->Name();
    const int colon = name.ReverseFind(':');
    if (colon != KString::kNotFound) wanted = name.Left(static_cast<size_t>(colon) + 1) + baseName;
    if (KFbxNode* found = child->FindDescendant(wanted.Buffer(), true, false)) return found;
  }
  return nullptr;
}

void FbxRoot::buildNode(KFbxNode* pkFbxNode, Node* parent) {
  struct Pending {
    KFbxNode* fbxNode;
    Node* parent;
    int depth;
  };
  std::vector<Pending> pending;
  if (pkFbxNode && parent) pending.push_back({pkFbxNode, parent, 0});
  while (!pending.empty()) {
    const Pending item = pending.back();
    pending.pop_back();
    if (item.depth > kMaxFbxJointDepth) {
      ++m_iSkippedJoints;
      continue;
    }
    std::unique_ptr<FbxAttribute> attribute(new (std::nothrow) FbxAttribute(item.fbxNode));
    fbxSklCheck(attribute != nullptr, "pAttribute", kAttributeCheckLine);
    // Without an attribute the node takes a plain one and stays put.
    Node* node = new Node(item.fbxNode->Name(), attribute.get());
    attribute.release();
    item.parent->addChild(node);
    // Children go on the stack last first, so that they are built in order.
    for (int i = item.fbxNode->ChildCount() - 1; i >= 0; --i)
      if (KFbxNode* child = item.fbxNode->Child(i)) pending.push_back({child, node, item.depth + 1});
  }
}

FbxRoot* createFbxRoot(const char* fileName) {
  const char* name = fileName ? fileName : "";
  try {
    std::unique_ptr<FbxRoot> root(new FbxRoot());
    root->m_pkFbxSdkManager.reset(new (std::nothrow) KFbxSdkManager());
    KFbxSdkManager* manager = root->m_pkFbxSdkManager.get();
    fbxSklCheck(manager != nullptr, "m_pkFbxSdkManager", kManagerCheckLine);
    if (!manager) return nullptr;
    root->m_pkFbxScene = manager->CreateScene();
    if (!fbxSklCheck(root->m_pkFbxScene != nullptr, "m_pkFbxScene", kSceneCheckLine)) return root.release();
    KFbxImporter* importer = manager->CreateImporter();
    if (!importer) return root.release();
    importer->SelectFormat(formatFromExtension(name));
    if (importer->Initialize(name))
      root->importScene(importer);
    else
      root->noteImportFailure(FbxRoot::Outcome::kOpenFailed, importer);
    manager->DestroyImporter(importer);
    return root.release();
  } catch (...) {
    // Out of memory part way: whatever was made has been released with the
    // root, and the load simply failed.
    return nullptr;
  }
}

int formatFromExtension(const char* fileName) {
  const char* dot = fileName ? std::strrchr(fileName, '.') : nullptr;
  if (!dot) return kFbxFormat;
  const KString upper = KString(dot + 1).Upper();
  for (const ExtensionFormat& entry : kExtensionFormats)
    if (upper == entry.upperExtension) return entry.format;
  return kFbxFormat;
}

}  // namespace Secne
}  // namespace Kvat
