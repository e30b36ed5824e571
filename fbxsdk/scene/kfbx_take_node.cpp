#include "fbxsdk/scene/kfbx_take_node.h"

#include <cstring>

namespace {

constexpr const char* kTakeNodeErrorTexts[] = {
    "Index out of range",       "Unknown take node name", "Take node does not exist", "Cannot remove default take node",
    "Take node already exists",
};
static_assert(sizeof(kTakeNodeErrorTexts) / sizeof(kTakeNodeErrorTexts[0]) ==
                  KFbxTakeNodeContainer::eTAKE_NODE_ERROR_COUNT,
              "one text per take node error");

// Take node failures all carry this code; the message tells them apart.
constexpr int kTakeNodeErrorCode = 0;

}  // namespace

TakeNode::TakeNode(const char* pszName, std::unique_ptr<KFCurveNode> pxRoot)
    : m_xName(pszName), m_pxRoot(std::move(pxRoot)) {}

TakeNode::~TakeNode() = default;

std::unique_ptr<TakeNode> TakeNode::Clone(const char* pszName) const {
  return std::make_unique<TakeNode>(pszName, m_pxRoot ? m_pxRoot->Clone() : nullptr);
}

const char* KFbxTakeNodeContainer::ErrorText(ETakeNodeError eError) {
  return eError >= 0 && eError < eTAKE_NODE_ERROR_COUNT ? kTakeNodeErrorTexts[eError] : "";
}

KFbxTakeNodeContainer::KFbxTakeNodeContainer(const char* pszName, int iKind) : KFbxObject(pszName, iKind) {
  AddTakeNode(kDefaultTakeNodeName);
  m_iCurrentTakeNode = 0;
}

KFbxTakeNodeContainer::~KFbxTakeNodeContainer() = default;

void KFbxTakeNodeContainer::Fail(ETakeNodeError eError) {
  GetError().SetLastError(kTakeNodeErrorCode, ErrorText(eError));
}

void KFbxTakeNodeContainer::BuildTakeNodeTree(KFCurveNode& /*xRoot*/) {}

int KFbxTakeNodeContainer::FindTakeNode(const char* pszName) const {
  if (!pszName) return -1;
  for (int i = 0; i < GetTakeNodeCount(); ++i)
    if (std::strcmp(m_xTakeNodes[i]->GetName(), pszName) == 0) return i;
  return -1;
}

bool KFbxTakeNodeContainer::SetCurrentTakeNode(int iIndex) {
  if (iIndex < 0 || iIndex >= GetTakeNodeCount()) {
    Fail(eINDEX_OUT_OF_RANGE);
    m_iCurrentTakeNode = 0;
    return false;
  }
  m_iCurrentTakeNode = iIndex;
  return true;
}

bool KFbxTakeNodeContainer::SetCurrentTakeNode(const char* pszName) {
  const int iIndex = FindTakeNode(pszName);
  if (iIndex < 0) {
    Fail(eUNKNOWN_TAKE_NODE_NAME);
    m_iCurrentTakeNode = 0;
    return false;
  }
  m_iCurrentTakeNode = iIndex;
  return true;
}

TakeNode* KFbxTakeNodeContainer::GetCurrentTakeNode() { return GetTakeNode(m_iCurrentTakeNode); }

TakeNode* KFbxTakeNodeContainer::GetTakeNode(int iIndex) {
  if (iIndex < 0 || iIndex >= GetTakeNodeCount()) {
    Fail(eTAKE_NODE_DOES_NOT_EXIST);
    return nullptr;
  }
  return m_xTakeNodes[iIndex].get();
}

const char* KFbxTakeNodeContainer::GetTakeNodeName(int iIndex) {
  TakeNode* pxTakeNode = GetTakeNode(iIndex);
  return pxTakeNode ? pxTakeNode->GetName() : nullptr;
}

TakeNode* KFbxTakeNodeContainer::AddTakeNode(const char* pszName) {
  if (!pszName) pszName = "";
  if (FindTakeNode(pszName) >= 0) {
    Fail(eTAKE_NODE_ALREADY_EXISTS);
    return nullptr;
  }
  std::unique_ptr<TakeNode> pxNew;
  const int iDefault = FindTakeNode(kDefaultTakeNodeName);
  if (iDefault >= 0) {
    pxNew = m_xTakeNodes[iDefault]->Clone(pszName);
  } else {
    auto pxRoot = std::make_unique<KFCurveNode>(pszName);
    BuildTakeNodeTree(*pxRoot);
    pxNew = std::make_unique<TakeNode>(pszName, std::move(pxRoot));
  }
  m_xTakeNodes.push_back(std::move(pxNew));
  return m_xTakeNodes.back().get();
}

bool KFbxTakeNodeContainer::RemoveTakeNode(int iIndex) {
  if (iIndex == 0) {
    Fail(eCANNOT_REMOVE_DEFAULT_TAKE_NODE);
    return false;
  }
  if (iIndex < 0 || iIndex >= GetTakeNodeCount()) {
    Fail(eINDEX_OUT_OF_RANGE);
    return false;
  }
  // Keep the current take node current when one before it goes away.
  if (m_iCurrentTakeNode >= iIndex) --m_iCurrentTakeNode;
  m_xTakeNodes.erase(m_xTakeNodes.begin() + iIndex);
  TakeNodeRemoved();
  return true;
}

bool KFbxTakeNodeContainer::GetAnimationInterval(KTime& xStart, KTime& xStop) {
  TakeNode* pxTakeNode = GetCurrentTakeNode();
  const KFCurveNode* pxRoot = pxTakeNode ? pxTakeNode->GetKFCurveNode() : nullptr;
  if (!pxRoot) return false;
  KTime xFoundStart = KTime::Infinite();
  KTime xFoundStop = KTime::MinusInfinite();
  if (!pxRoot->KeyGetRange(xFoundStart, xFoundStop)) return false;
  xStart = std::min(xStart, xFoundStart);
  xStop = std::max(xStop, xFoundStop);
  return true;
}
