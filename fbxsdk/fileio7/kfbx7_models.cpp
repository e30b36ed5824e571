// Models of a 7.x file: each "Model" object becomes a node whose
// properties come from its "Properties70" block ("P" records: name, type,
// label, flags, values), whose attribute comes from the "NodeAttribute"
// connected to it, and whose parent is the model it is connected to.
#include <new>

#include "fbxsdk/fileio/kfbx_scene_walk.h"
#include "fbxsdk/fileio7/kfbx7_scene_read.h"
#include "fbxsdk/scene/kfbx_node.h"
#include "fbxsdk/scene/kfbx_scene_graph.h"
#include "fbxsdk/scene/kfbx_sdk_manager.h"

namespace {

// Models stored before the current inherit rules have an older version.
constexpr int kCurrentModelVersion = 232;

// The Default take's transform curves start at the property values: they
// are what a take that does not animate a channel plays.
void SyncDefaultTake(KFbxNode& xNode) {
  TakeNode* pxDefault = xNode.GetTakeNode(0);
  KFCurveNode* pxRoot = pxDefault ? pxDefault->GetKFCurveNode() : nullptr;
  if (!pxRoot) return;
  KFbxNodeProperties& xProperties = xNode.GetProperties();
  KProperty* apxChannels[3] = {&xProperties.LclTranslation(), &xProperties.LclRotation(), &xProperties.LclScaling()};
  const char* apszLetters[3] = {"T", "R", "S"};
  for (int c = 0; c < 3; ++c) {
    KFCurveNode* pxChannel = pxRoot->Find(apszLetters[c]);
    for (int i = 0; pxChannel && i < pxChannel->GetCount() && i < 3; ++i)
      if (KFCurve* pxCurve = pxChannel->Get(i)->FCurveGet())
        pxCurve->SetValue(static_cast<float>(apxChannels[c]->GetComponent(i)));
  }
}

}  // namespace

// Values by the type of the node's own property (a file's type name only
// types the properties the node lacks, which are added up to the 6.x
// reader's limit).
void KFbx7SceneRead::ReadProperties70(int iRecord, KFbxNode& xNode) {
  const int iBlock = m_xDoc.Child(iRecord, "Properties70");
  if (iBlock < 0) return;
  int iDynamic = 0;
  for (int i = m_xDoc.FirstChild(iBlock); i >= 0; i = m_xDoc.NextSibling(i)) {
    if (m_xDoc.Name(i) != "P" || m_xDoc.ValueCount(i) < 4) continue;
    const std::string xName(m_xDoc.Text(m_xDoc.Value(i, 0)));
    KProperty* pxProperty = xNode.GetProperties().Find(xName.c_str());
    if (!pxProperty) {
      const std::string xType(m_xDoc.Text(m_xDoc.Value(i, 1)));
      const bool bAnimatable = m_xDoc.Text(m_xDoc.Value(i, 3)).find('A') != std::string_view::npos;
      if (xName.empty() || iDynamic >= kKFbxMaxDynamicProperties) continue;
      ++iDynamic;
      pxProperty = xNode.AddDynamicProperty(xName.c_str(), KFbxDataTypeBaseType(xType.c_str()), nullptr,
                                            bAnimatable ? KProperty::eANIMATABLE : 0);
      if (!pxProperty) continue;
    }
    const KFbx7Value& xFirst = m_xDoc.Value(i, 4);
    if (xFirst.m_cType == 'S') {
      pxProperty->SetString(std::string(m_xDoc.Text(xFirst)).c_str());
    } else if (pxProperty->GetType() == eKPROP_KTIME) {
      pxProperty->SetTime(KTime(xFirst.m_llInt));
    } else {
      for (int c = 0; c < pxProperty->GetComponentCount() && m_xDoc.Value(i, 4 + c).IsNumber(); ++c)
        pxProperty->SetComponent(c, m_xDoc.Value(i, 4 + c).m_dReal);
    }
  }
}

void KFbx7SceneRead::SetAttribute(const Object& xModel, KFbxNode& xNode) {
  const Object* pxAttribute = nullptr;
  for (const Link& xLink : Children(xModel.m_llId)) {
    const Object* pxChild = xLink.m_bProperty ? nullptr : Find(xLink.m_llOther);
    if (pxChild && pxChild->m_xClass == "NodeAttribute") {
      pxAttribute = pxChild;
      break;
    }
  }
  const std::string xKind(pxAttribute ? pxAttribute->m_xSubtype : xModel.m_xSubtype);
  const KFbxModelKind* pxKind = KFbxFindModelKind(xKind.c_str());
  if (!pxKind) return;
  const char* pszName = xNode.Name();
  KFbxNodeAttribute* pxMade = nullptr;
  switch (pxKind->m_iAttribute) {
    case KFbxNodeAttribute::eNULL:
      pxMade = m_xManager.CreateNull(pszName);
      break;
    case KFbxNodeAttribute::eMARKER:
      pxMade = m_xManager.CreateMarker(pszName, pxKind->m_iVariant);
      break;
    case KFbxNodeAttribute::eMESH:
      pxMade = m_xManager.CreateMesh(pszName);
      break;
    case KFbxNodeAttribute::eSKELETON:
      if (KFbxSkeleton* pxSkeleton = m_xManager.CreateSkeleton(pszName, pxKind->m_iVariant)) {
        const int iBlock = pxAttribute ? m_xDoc.Child(pxAttribute->m_iRecord, "Properties70") : -1;
        for (int i = iBlock < 0 ? -1 : m_xDoc.FirstChild(iBlock); i >= 0; i = m_xDoc.NextSibling(i)) {
          const std::string_view xName = m_xDoc.Text(m_xDoc.Value(i, 0));
          const KFbx7Value& xValue = m_xDoc.Value(i, 4);
          if (!xValue.IsNumber()) continue;
          if (xName == "Size") pxSkeleton->m_dSize = xValue.m_dReal;
          if (xName == "LimbLength") pxSkeleton->m_dLimbLength = xValue.m_dReal;
          if (xName == "Color" && m_xDoc.Value(i, 6).IsNumber())
            pxSkeleton->m_xColor = KgeTVector(xValue.m_dReal, m_xDoc.Value(i, 5).m_dReal, m_xDoc.Value(i, 6).m_dReal);
        }
        pxMade = pxSkeleton;
      }
      break;
    default:
      return;
  }
  if (!pxMade) throw std::bad_alloc();
  xNode.SetAttribute(pxMade);
}

bool KFbx7SceneRead::ReadModels(std::string& xWhy) {
  for (const Object& xObject : m_xObjects) {
    if (xObject.m_xClass != "Model") continue;
    if (m_xModelIds.size() >= static_cast<size_t>(kKFbxMaxModels)) {
      xWhy = "more than " + std::to_string(kKFbxMaxModels) + " models";
      return false;
    }
    const std::string xName = "Model::" + std::string(KFbx7BareName(xObject.m_xName));
    KFbxNode* pxNode = m_xManager.CreateNode(xName.c_str());
    if (!pxNode) throw std::bad_alloc();
    m_xScene.AddTakeObject(pxNode);
    m_xModelIds.push_back(xObject.m_llId);
    m_xNodes.emplace(xObject.m_llId, pxNode);
    pxNode->SetOldModel(ChildNumber(xObject.m_iRecord, "Version", kCurrentModelVersion) < kCurrentModelVersion);
    ReadProperties70(xObject.m_iRecord, *pxNode);
    pxNode->GetProperties().SyncEvaluationState();
    SyncDefaultTake(*pxNode);
    SetAttribute(xObject, *pxNode);
  }
  return true;
}

// Model-to-model "OO" connections make the tree, in file order: a model's
// first parent holds; a link to itself, to a second parent or closing a
// cycle is dropped (and kept on the scene to be reported); a model linked
// to no model stands at the top.
bool KFbx7SceneRead::BuildHierarchy(std::string& xWhy) {
  const size_t uCount = m_xModelIds.size();
  std::unordered_map<int64_t, int> xIndex;
  for (size_t i = 0; i < uCount; ++i) xIndex.emplace(m_xModelIds[i], static_cast<int>(i));
  std::vector<int> xParent(uCount, -1);
  std::vector<std::pair<int, int>> xLinks;
  const auto Node = [&](int i) { return m_xNodes[m_xModelIds[i]]; };
  for (const auto& xLink : m_xObjectLinks) {
    const auto itChild = xIndex.find(xLink.first), itParent = xIndex.find(xLink.second);
    if (itChild == xIndex.end() || itParent == xIndex.end()) continue;
    const int iChild = itChild->second, iParent = itParent->second;
    if (iChild == iParent) {
      m_xScene.AddDroppedLink({KFbxDroppedLink::eSELF, Node(iChild)->Name(), Node(iChild)->Name()});
    } else if (xParent[iChild] >= 0) {
      if (xParent[iChild] != iParent)
        m_xScene.AddDroppedLink({KFbxDroppedLink::eSECOND_PARENT, Node(iChild)->Name(), Node(iParent)->Name()});
    } else {
      xParent[iChild] = iParent;
      xLinks.emplace_back(iChild, iParent);
    }
  }
  // Depth of every model (top models 1), walking each chain once; -2 marks
  // the chain being walked, so a chain that meets itself is a cycle, cut at
  // the last link walked.
  std::vector<int> xDepth(uCount, -1), xChain;
  for (size_t uStart = 0; uStart < uCount; ++uStart) {
    xChain.clear();
    int j = static_cast<int>(uStart);
    while (j >= 0 && xDepth[j] == -1) {
      xDepth[j] = -2;
      xChain.push_back(j);
      j = xParent[j];
    }
    int iBase = j >= 0 && xDepth[j] >= 0 ? xDepth[j] : 0;
    if (j >= 0 && xDepth[j] == -2) {
      const int iClosing = xChain.back();
      m_xScene.AddDroppedLink({KFbxDroppedLink::eCYCLE, Node(iClosing)->Name(), Node(xParent[iClosing])->Name()});
      xParent[iClosing] = -1;
      iBase = 0;
    }
    for (auto it = xChain.rbegin(); it != xChain.rend(); ++it) xDepth[*it] = ++iBase;
    if (iBase > kKFbxMaxNodeDepth) {
      xWhy = "model hierarchy deeper than " + std::to_string(kKFbxMaxNodeDepth) + " levels";
      return false;
    }
  }
  for (size_t i = 0; i < uCount; ++i)
    if (xParent[i] < 0) m_xScene.RootNode()->AddChild(Node(static_cast<int>(i)));
  for (const auto& xLink : xLinks)
    if (xParent[xLink.first] == xLink.second) Node(xLink.second)->AddChild(Node(xLink.first));
  return true;
}
