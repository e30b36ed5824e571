#include "fbxsdk/scene/kfbx_scene_graph.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "fbxsdk/scene/kfbx_node.h"
#include "fbxsdk/scene/kfbx_scene_info.h"

namespace {

constexpr const char* kSceneErrorTexts[] = {""};
constexpr int kSceneErrorCode = 0;
constexpr const char* kMissingTakeText = "Not all nodes have a take node called ";

void AppendTakeNames(KFbxTakeNodeContainer& xObject, std::vector<std::unique_ptr<KString>>& xNames) {
  for (int i = 0; i < xObject.GetTakeNodeCount(); ++i) {
    const char* pszName = xObject.GetTakeNodeName(i);
    const bool bKnown = std::any_of(xNames.begin(), xNames.end(),
                                    [&](const std::unique_ptr<KString>& pxName) { return *pxName == pszName; });
    if (!bKnown) xNames.push_back(std::make_unique<KString>(pszName));
  }
}

}  // namespace

KFbxSceneGraph::KFbxSceneGraph(KFbxNode* pxRootNode, const char* pszName)
    : KFbxObject(pszName, eKFBX_KIND_NONE), m_pxRootNode(pxRootNode) {
  SetErrorTable(kSceneErrorTexts, 1);
}

KFbxSceneGraph::~KFbxSceneGraph() = default;

bool KFbxSceneGraph::AddTakeObject(KFbxTakeNodeContainer* pxObject) {
  if (!pxObject || pxObject == m_pxRootNode || m_xTakeObjectSet.count(pxObject)) return false;
  m_xTakeObjects.push_back(pxObject);
  m_xTakeObjectSet.insert(pxObject);
  return true;
}

bool KFbxSceneGraph::RemoveTakeObject(KFbxTakeNodeContainer* pxObject) {
  auto it = std::find(m_xTakeObjects.begin(), m_xTakeObjects.end(), pxObject);
  if (it == m_xTakeObjects.end()) return false;
  m_xTakeObjects.erase(it);
  m_xTakeObjectSet.erase(pxObject);
  return true;
}

KFbxTakeNodeContainer* KFbxSceneGraph::GetTakeObject(int iIndex) const {
  return iIndex >= 0 && iIndex < GetTakeObjectCount() ? m_xTakeObjects[iIndex] : nullptr;
}

void KFbxSceneGraph::AddTakeInfo(const KFbxTakeRecord& xRecord) { m_xTakeInfos.push_back(xRecord); }

const KFbxTakeRecord* KFbxSceneGraph::FindTakeInfo(const char* pszName) const {
  if (!pszName) return nullptr;
  for (const KFbxTakeRecord& xRecord : m_xTakeInfos)
    if (xRecord.m_xName == pszName) return &xRecord;
  return nullptr;
}

const KFbxTakeRecord* KFbxSceneGraph::GetTakeInfo(int iIndex) const {
  return iIndex >= 0 && iIndex < GetTakeInfoCount() ? &m_xTakeInfos[iIndex] : nullptr;
}

void KFbxSceneGraph::AddDroppedLink(const KFbxDroppedLink& xLink) {
  if (static_cast<int>(m_xDroppedLinks.size()) < kMaxDroppedLinks) m_xDroppedLinks.push_back(xLink);
  if (m_iDroppedLinks < INT_MAX) ++m_iDroppedLinks;
}

void KFbxSceneGraph::CollectTakeNames(std::vector<std::unique_ptr<KString>>& xNames) const {
  xNames.clear();
  if (m_pxRootNode) AppendTakeNames(*m_pxRootNode, xNames);
  for (KFbxTakeNodeContainer* pxObject : m_xTakeObjects) AppendTakeNames(*pxObject, xNames);
}

bool KFbxSceneGraph::SelectTake(const char* pszName) {
  m_xCurrentTake = pszName ? pszName : "";
  bool bAll = true;
  // Every object is switched, also after one has failed.
  if (m_pxRootNode) bAll = m_pxRootNode->SetCurrentTakeNode(m_xCurrentTake.Buffer()) && bAll;
  for (KFbxTakeNodeContainer* pxObject : m_xTakeObjects)
    bAll = pxObject->SetCurrentTakeNode(m_xCurrentTake.Buffer()) && bAll;
  if (!bAll) GetError().SetLastError(kSceneErrorCode, (KString(kMissingTakeText) + m_xCurrentTake).Buffer());
  return bAll;
}

void KFbxSceneGraph::Forget(const KFbxObject* pxObject) {
  if (m_pxRootNode == pxObject) m_pxRootNode = nullptr;
  if (m_pxSceneInfo == pxObject) m_pxSceneInfo = nullptr;
  const auto* pxTakeObject = dynamic_cast<const KFbxTakeNodeContainer*>(pxObject);
  if (!pxTakeObject || !m_xTakeObjectSet.erase(pxTakeObject)) return;
  m_xTakeObjects.erase(std::remove_if(m_xTakeObjects.begin(), m_xTakeObjects.end(),
                                      [&](const KFbxTakeNodeContainer* pxObj) { return pxObj == pxObject; }),
                       m_xTakeObjects.end());
}
