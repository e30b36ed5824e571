#include "fbxsdk/scene/kfbx_sdk_manager.h"

#include <algorithm>
#include <unordered_set>

#include "fbxsdk/fileio/kfbx_importer.h"
#include "fbxsdk/scene/kfbx_node.h"
#include "fbxsdk/scene/kfbx_scene_graph.h"
#include "fbxsdk/scene/kfbx_scene_info.h"

namespace {

constexpr const char* kManagerErrorTexts[] = {"Object not found", nullptr};
static_assert(sizeof(kManagerErrorTexts) / sizeof(kManagerErrorTexts[0]) == KFbxSdkManager::eERROR_COUNT,
              "one text per manager error");

// Importers and exporters go first when the manager is deleted: they may
// hand objects they keep back to the manager while being deleted.
constexpr KFbxSdkManager::EObjectList kDeletionOrder[] = {
    KFbxSdkManager::eLIST_IMPORTER,
    KFbxSdkManager::eLIST_EXPORTER,
    KFbxSdkManager::eLIST_STREAM_OPTIONS,
    KFbxSdkManager::eLIST_SCENE,
    KFbxSdkManager::eLIST_NODE,
    KFbxSdkManager::eLIST_NODE_ATTRIBUTE,
    KFbxSdkManager::eLIST_SCENE_INFO,
    KFbxSdkManager::eLIST_GEOMETRY,
    KFbxSdkManager::eLIST_MATERIAL,
    KFbxSdkManager::eLIST_TEXTURE,
    KFbxSdkManager::eLIST_VIDEO,
    KFbxSdkManager::eLIST_DEFORMER,
    KFbxSdkManager::eLIST_POSE,
    KFbxSdkManager::eLIST_GENERIC_NODE,
    KFbxSdkManager::eLIST_CHARACTER,
    KFbxSdkManager::eLIST_CONSTRAINT,
    KFbxSdkManager::eLIST_CONTROL_SET_PLUG,
};
static_assert(sizeof(kDeletionOrder) / sizeof(kDeletionOrder[0]) == KFbxSdkManager::eLIST_COUNT,
              "every list is emptied");

}  // namespace

KFbxSdkManager::KFbxSdkManager() : m_xError(kManagerErrorTexts, eERROR_COUNT) {}

KFbxSdkManager::~KFbxSdkManager() {
  // Objects are deleted without unlinking: links only run between objects
  // that are all going. Each leaves its list before it is deleted, so a
  // destructor that calls back into the manager finds the lists consistent.
  for (EObjectList eList : kDeletionOrder) {
    std::vector<KFbxObject*>& xList = m_axLists[eList];
    while (!xList.empty()) {
      KFbxObject* pxObject = xList.back();
      xList.pop_back();
      delete pxObject;
    }
  }
}

bool KFbxSdkManager::Holds(EObjectList eList, const KFbxObject* pxObject) const {
  const std::vector<KFbxObject*>& xList = m_axLists[eList];
  return pxObject && std::find(xList.begin(), xList.end(), pxObject) != xList.end();
}

KFbxObject* KFbxSdkManager::GetObject(EObjectList eList, int iIndex) const {
  return iIndex >= 0 && iIndex < GetObjectCount(eList) ? m_axLists[eList][iIndex] : nullptr;
}

bool KFbxSdkManager::NotFound() {
  m_xError.SetLastErrorID(eOBJECT_NOT_FOUND);
  return false;
}

bool KFbxSdkManager::Unrecord(EObjectList eList, KFbxObject* pxObject) {
  std::vector<KFbxObject*>& xList = m_axLists[eList];
  auto it = std::find(xList.begin(), xList.end(), pxObject);
  if (!pxObject || it == xList.end()) return false;
  xList.erase(it);
  return true;
}

bool KFbxSdkManager::DestroyObject(EObjectList eList, KFbxObject* pxObject) {
  if (!Holds(eList, pxObject)) return NotFound();
  // Kinds with links of their own go through their own destroy operation,
  // which undoes those links first. The generic create may have put an
  // object of another class in their list: that one has no such links.
  switch (eList) {
    case eLIST_SCENE:
      if (auto* pxScene = dynamic_cast<KFbxSceneGraph*>(pxObject)) return DestroyScene(pxScene, false);
      break;
    case eLIST_NODE:
      if (auto* pxNode = dynamic_cast<KFbxNode*>(pxObject)) return DestroyNode(pxNode);
      break;
    case eLIST_NODE_ATTRIBUTE:
      if (auto* pxAttribute = dynamic_cast<KFbxNodeAttribute*>(pxObject)) return DestroyNodeAttribute(pxAttribute);
      break;
    default:
      break;
  }
  return DeleteRecorded(eList, pxObject);
}

// Any object a scene refers to (take-bearing objects, scene information)
// leaves every scene before it is deleted.
bool KFbxSdkManager::DeleteRecorded(EObjectList eList, KFbxObject* pxObject) {
  if (!Unrecord(eList, pxObject)) return NotFound();
  for (KFbxObject* pxEntry : m_axLists[eLIST_SCENE])
    if (auto* pxScene = dynamic_cast<KFbxSceneGraph*>(pxEntry)) pxScene->Forget(pxObject);
  delete pxObject;
  return true;
}

KFbxSceneGraph* KFbxSdkManager::CreateScene(const char* pszName) {
  KFbxNode* pxRoot = CreateNode("RootNode");
  if (!pxRoot) return nullptr;
  KFbxSceneGraph* pxScene = CreateObject<KFbxSceneGraph>(eLIST_SCENE, pxRoot, pszName);
  if (!pxScene) DestroyNode(pxRoot);
  return pxScene;
}

bool KFbxSdkManager::DestroyScene(KFbxSceneGraph* pxScene, bool bNodeTree) {
  if (!Holds(eLIST_SCENE, pxScene)) return NotFound();
  KFbxNode* pxRoot = pxScene->RootNode();
  Unrecord(eLIST_SCENE, pxScene);
  delete pxScene;
  if (bNodeTree && pxRoot) DestroyNode(pxRoot, true);
  return true;
}

KFbxNode* KFbxSdkManager::CreateNode(const char* pszName) { return CreateObject<KFbxNode>(eLIST_NODE, pszName); }

bool KFbxSdkManager::DestroyNode(KFbxNode* pxNode, bool bRecursive) {
  if (!Holds(eLIST_NODE, pxNode)) return NotFound();
  // The subtree's nodes this manager holds, parents before children; a child
  // made elsewhere is only detached. No recursion: node chains can be deep.
  std::vector<KFbxNode*> xDoomed(1, pxNode);
  const std::unordered_set<const KFbxObject*> xHeld(m_axLists[eLIST_NODE].begin(), m_axLists[eLIST_NODE].end());
  for (size_t i = 0; i < xDoomed.size(); ++i) {
    KFbxNode* pxDoomed = xDoomed[i];
    for (int c = 0; KFbxNode* pxChild = pxDoomed->Child(c);) {
      if (bRecursive && xHeld.count(pxChild)) {
        xDoomed.push_back(pxChild);
        ++c;
      } else {
        if (bRecursive) NotFound();
        pxDoomed->RemoveChild(pxChild);
      }
    }
  }
  if (KFbxNode* pxParent = pxNode->GetParent()) pxParent->RemoveChild(pxNode);
  for (KFbxNode* pxDoomed : xDoomed) {
    if (KFbxNodeAttribute* pxAttribute = pxDoomed->Attribute()) {
      pxDoomed->SetAttribute(nullptr);
      DeleteRecorded(eLIST_NODE_ATTRIBUTE, pxAttribute);
    }
  }
  // Unrecorded in one pass: a subtree of many nodes costs no more than a
  // walk over the node list.
  const std::unordered_set<const KFbxObject*> xGone(xDoomed.begin(), xDoomed.end());
  std::vector<KFbxObject*>& xNodes = m_axLists[eLIST_NODE];
  xNodes.erase(
      std::remove_if(xNodes.begin(), xNodes.end(), [&](KFbxObject* pxObject) { return xGone.count(pxObject); }),
      xNodes.end());
  for (auto it = xDoomed.rbegin(); it != xDoomed.rend(); ++it) {
    for (KFbxObject* pxEntry : m_axLists[eLIST_SCENE])
      if (auto* pxScene = dynamic_cast<KFbxSceneGraph*>(pxEntry)) pxScene->Forget(*it);
    delete *it;
  }
  return true;
}

KFbxNull* KFbxSdkManager::CreateNull(const char* pszName) {
  return CreateObject<KFbxNull>(eLIST_NODE_ATTRIBUTE, pszName);
}

KFbxMarker* KFbxSdkManager::CreateMarker(const char* pszName, int iMarkerKind) {
  return CreateObject<KFbxMarker>(eLIST_NODE_ATTRIBUTE, pszName, iMarkerKind);
}

KFbxSkeleton* KFbxSdkManager::CreateSkeleton(const char* pszName, int iSkeletonKind) {
  return CreateObject<KFbxSkeleton>(eLIST_NODE_ATTRIBUTE, pszName, iSkeletonKind);
}

KFbxMesh* KFbxSdkManager::CreateMesh(const char* pszName) {
  return CreateObject<KFbxMesh>(eLIST_NODE_ATTRIBUTE, pszName);
}

bool KFbxSdkManager::DestroyNodeAttribute(KFbxNodeAttribute* pxAttribute) {
  if (!Holds(eLIST_NODE_ATTRIBUTE, pxAttribute)) return NotFound();
  if (KFbxNode* pxNode = pxAttribute->GetNode()) pxNode->SetAttribute(nullptr);
  return DeleteRecorded(eLIST_NODE_ATTRIBUTE, pxAttribute);
}

KFbxSceneInfo* KFbxSdkManager::CreateSceneInfo(const char* pszName) {
  return CreateObject<KFbxSceneInfo>(eLIST_SCENE_INFO, pszName);
}

bool KFbxSdkManager::DestroySceneInfo(KFbxSceneInfo* pxInfo) {
  if (!Holds(eLIST_SCENE_INFO, pxInfo)) return NotFound();
  return DeleteRecorded(eLIST_SCENE_INFO, pxInfo);
}

KFbxImporter* KFbxSdkManager::CreateImporter() { return CreateObject<KFbxImporter>(eLIST_IMPORTER, *this); }

bool KFbxSdkManager::DestroyImporter(KFbxImporter* pxImporter) { return DestroyObject(eLIST_IMPORTER, pxImporter); }
