#include "fbxsdk/scene/kfbx_node.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace {

struct TransformChannel {
  const char* m_pszName;
  const KFbxDataType* m_pxDataType;
  int m_iLayerType;
  const char* m_pszProperty;
};

// The "T", "R" and "S" curve nodes under "Transform", each with X, Y, Z.
constexpr TransformChannel kTransformChannels[] = {
    {"T", &KDataTypeLclTranslation, KFCL_ADD, "Lcl Translation"},
    {"R", &KDataTypeLclRotation, KFCL_EULER_XYZ, "Lcl Rotation"},
    {"S", &KDataTypeLclScaling, KFCL_MULT, "Lcl Scaling"},
};

struct AxisChannel {
  const char* m_pszName;
  float m_afColor[3];
};
constexpr AxisChannel kAxisChannels[] = {
    {"X", {1.0f, 0.0f, 0.0f}},
    {"Y", {0.0f, 1.0f, 0.0f}},
    {"Z", {0.0f, 0.0f, 1.0f}},
};

constexpr const char* kVisibilityChannel = "Visibility";

// Properties with a curve node of their own shape in every take tree.
bool HasFixedChannel(const KProperty& xProperty) {
  for (const TransformChannel& xChannel : kTransformChannels)
    if (std::strcmp(xProperty.GetName(), xChannel.m_pszProperty) == 0) return true;
  return std::strcmp(xProperty.GetName(), kVisibilityChannel) == 0;
}

bool IsSkeleton(const KFbxNode* pxNode) {
  return pxNode && pxNode->Attribute() && pxNode->Attribute()->AttributeType() == KFbxNodeAttribute::eSKELETON;
}

}  // namespace

void KFbxPropertyCurveLink::CurveDefaultValueChanged(const KFCurve& xCurve) {
  m_xProperty.SetComponent(m_iComponent, xCurve.GetValue());
}

KFbxNode::KFbxNode(const char* pszName) : KFbxTakeNodeContainer(pszName, eKFBX_KIND_MODEL) {
  // The base made the "Default" take node before this object could build
  // its tree; fill it now.
  BuildTakeNodeTree(*GetTakeNode(0)->GetKFCurveNode());
}

KFbxNode::~KFbxNode() = default;

void KFbxNode::LinkCurve(KFCurve& xCurve, KProperty& xProperty, int iComponent) {
  m_xCurveLinks.push_back(std::make_unique<KFbxPropertyCurveLink>(xProperty, iComponent));
  xCurve.SetListener(m_xCurveLinks.back().get());
}

void KFbxNode::BuildTakeNodeTree(KFCurveNode& xRoot) {
  // Only the "Default" take node's curves stand for the property values.
  const bool bLink = KStringCompareNoCase(xRoot.GetName(), kDefaultTakeNodeName) == 0;
  KFCurveNode* pxTransform = xRoot.Add(std::make_unique<KFCurveNode>("Transform"));
  for (const TransformChannel& xChannel : kTransformChannels) {
    KProperty* pxProperty = m_xProperties.Find(xChannel.m_pszProperty);
    KFCurveNode* pxNode = pxTransform->Add(
        std::make_unique<KFCurveNode>(xChannel.m_pszName, xChannel.m_pxDataType, xChannel.m_iLayerType));
    for (int i = 0; i < 3; ++i) {
      KFCurve* pxCurve = pxNode->Add(std::make_unique<KFCurveNode>(kAxisChannels[i].m_pszName))->FCurveCreate();
      pxCurve->SetValue(static_cast<float>(pxProperty->GetComponent(i)));
      pxCurve->SetColor(kAxisChannels[i].m_afColor[0], kAxisChannels[i].m_afColor[1], kAxisChannels[i].m_afColor[2]);
      if (bLink) LinkCurve(*pxCurve, *pxProperty, i);
    }
  }
  KProperty& xVisibility = m_xProperties.Visibility();
  KFCurve* pxVisibility =
      xRoot.Add(std::make_unique<KFCurveNode>(kVisibilityChannel, &KDataTypeVisibility))->FCurveCreate();
  pxVisibility->SetValue(static_cast<float>(xVisibility.GetComponent(0)));
  if (bLink) LinkCurve(*pxVisibility, xVisibility, 0);

  for (int i = 0; i < m_xProperties.GetCount(); ++i) {
    const KProperty* pxProperty = m_xProperties.Get(i);
    if (!pxProperty->IsAnimatable() || HasFixedChannel(*pxProperty) || xRoot.Find(pxProperty->GetName())) continue;
    xRoot.Add(std::make_unique<KFCurveNode>(pxProperty->GetName(), pxProperty->GetDataType()));
  }
}

KProperty* KFbxNode::AddDynamicProperty(const char* pszName, int iType, const KFbxDataType* pxDataType, int iFlags) {
  KProperty* pxProperty = m_xProperties.AddDynamicProperty(pszName, iType, pxDataType, iFlags);
  if (pxProperty && pxProperty->IsAnimatable()) {
    KFCurveNode* pxRoot = GetTakeNode(0)->GetKFCurveNode();
    if (pxRoot && !pxRoot->Find(pszName)) pxRoot->Add(std::make_unique<KFCurveNode>(pszName, pxDataType));
  }
  return pxProperty;
}

bool KFbxNode::AddChild(KFbxNode* pxChild) {
  if (!pxChild) return false;
  int iDepth = 0;
  for (const KFbxNode* pxUp = this; pxUp; pxUp = pxUp->m_pxParent, ++iDepth) {
    if (pxUp == pxChild) return false;          // would close a cycle
    if (iDepth == kMaxNodeDepth) return false;  // this node is at the depth limit
  }
  if (pxChild->m_pxParent) pxChild->m_pxParent->RemoveChild(pxChild);
  m_xChildren.push_back(pxChild);
  pxChild->m_pxParent = this;
  return true;
}

bool KFbxNode::RemoveChild(KFbxNode* pxChild) {
  auto it = std::find(m_xChildren.begin(), m_xChildren.end(), pxChild);
  if (it == m_xChildren.end()) return false;
  m_xChildren.erase(it);
  pxChild->m_pxParent = nullptr;
  return true;
}

// Node trees can come from files as chains of any depth: the walks below use
// explicit stacks, never recursion.
int KFbxNode::ChildCount(bool bRecursive) const {
  if (!bRecursive) return static_cast<int>(m_xChildren.size());
  int iCount = 0;
  std::vector<const KFbxNode*> xStack(1, this);
  while (!xStack.empty()) {
    const KFbxNode* pxNode = xStack.back();
    xStack.pop_back();
    iCount += static_cast<int>(pxNode->m_xChildren.size());
    xStack.insert(xStack.end(), pxNode->m_xChildren.begin(), pxNode->m_xChildren.end());
  }
  return iCount;
}

KFbxNode* KFbxNode::Child(int iIndex) const {
  return iIndex >= 0 && iIndex < static_cast<int>(m_xChildren.size()) ? m_xChildren[iIndex] : nullptr;
}

KFbxNode* KFbxNode::FindDescendant(const char* pszName, bool bRecursive, bool bInitialName) const {
  const KString xWanted = KString(KFbxObjectKindPrefix(eKFBX_KIND_MODEL)) + KFbxStripNamePrefix(pszName);
  // Depth first, pre-order: a child, then its subtree, then the next child.
  // Each stack entry is a node and the index of its next child to visit.
  std::vector<std::pair<const KFbxNode*, size_t>> xStack(1, {this, 0});
  while (!xStack.empty()) {
    auto& xTop = xStack.back();
    if (xTop.second == xTop.first->m_xChildren.size()) {
      xStack.pop_back();
      continue;
    }
    KFbxNode* pxChild = xTop.first->m_xChildren[xTop.second++];
    const char* pszCandidate = bInitialName ? pxChild->InitialName() : pxChild->Name();
    if (std::strcmp(pszCandidate, xWanted.Buffer()) == 0) return pxChild;
    if (bRecursive) xStack.push_back({pxChild, 0});
  }
  return nullptr;
}

KFbxNodeAttribute* KFbxNode::SetAttribute(KFbxNodeAttribute* pxAttribute) {
  KFbxNodeAttribute* pxOld = m_pxAttribute;
  if (pxOld == pxAttribute) return nullptr;
  if (pxOld) pxOld->m_pxNode = nullptr;
  if (pxAttribute && pxAttribute->m_pxNode) pxAttribute->m_pxNode->m_pxAttribute = nullptr;
  m_pxAttribute = pxAttribute;
  if (pxAttribute) pxAttribute->m_pxNode = this;
  return pxOld;
}

void KFbxNode::FixOldModelInheritTypes() {
  std::vector<KFbxNode*> xStack(1, this);
  while (!xStack.empty()) {
    KFbxNode* pxNode = xStack.back();
    xStack.pop_back();
    const KFbxNode* pxParent = pxNode->m_pxParent;
    if (pxParent && pxNode->m_bOldModel && IsSkeleton(pxNode) && !IsSkeleton(pxParent) &&
        pxNode->GetInheritType() == eINHERIT_Rrs)
      pxNode->SetInheritType(eINHERIT_RSrs);
    xStack.insert(xStack.end(), pxNode->m_xChildren.rbegin(), pxNode->m_xChildren.rend());
  }
}

void KFbxNode::ResetCaches() {
  m_axCache[0].Reset();
  m_axCache[1].Reset();
  m_xLookup = TransformCurves();
}

bool KFbxNode::SetCurrentTakeNode(int iIndex) {
  ResetCaches();
  return KFbxTakeNodeContainer::SetCurrentTakeNode(iIndex);
}

bool KFbxNode::SetCurrentTakeNode(const char* pszName) {
  ResetCaches();
  return KFbxTakeNodeContainer::SetCurrentTakeNode(pszName);
}
