#include <gtest/gtest.h>

#include <string>

#include "fbxsdk/scene/kfbx_scene_graph.h"
#include "fbxsdk/scene/kfbx_scene_info.h"
#include "fbxsdk/scene/kfbx_sdk_manager.h"
#include "node_test_util.h"

namespace {

// Counts its deletions, to see what the manager deletes.
class Counted : public KFbxObject {
 public:
  explicit Counted(int& iDeleted) : m_iDeleted(iDeleted) {}
  ~Counted() override { ++m_iDeleted; }

 private:
  int& m_iDeleted;
};

std::string ErrorText(const KErrorState& xError) { return xError.GetLastErrorString(); }

}  // namespace

TEST(KFbxObjectNames, PrefixFollowsTheKind) {
  const struct {
    int m_iKind;
    const char* m_pszName;
    const char* m_pszExpected;
  } acCases[] = {
      {1, "Hips", "Model::Hips"},
      {1, "Model::Hips", "Model::Hips"},
      {1, "Foo::Hips", "Model::Hips"},
      {1, "", "Model::Name"},
      {1, "Model::", "Model::Name"},
      {1, "A::B::C", "Model::B::C"},
      {1, "Char1:Hips", "Model::Char1:Hips"},
      {2, "Wood", "Texture::Wood"},
      {3, "x", "Material::x"},
      {4, "v", "Video::v"},
      {5, "v", "Video::v"},
      {6, "c", "Constraint::c"},
      {7, "m", "MarkerSet::m"},
      {8, "c", "Constraint::c"},
      {9, "p", "Pose::p"},
      {10, "Pose::Bind", "Bind"},
      {11, "p", "Pose::p"},
      {12, "c", "ControlSetPlug::c"},
      {13, "c", "Constraint::c"},
      {0, "Thing", "Thing"},
      {14, "Model::Thing", "Thing"},
      {-1, "", "Name"},
  };
  for (const auto& c : acCases) {
    KFbxObject xObject(c.m_pszName, c.m_iKind);
    EXPECT_STREQ(xObject.Name(), c.m_pszExpected) << "kind " << c.m_iKind << " name " << c.m_pszName;
    EXPECT_STREQ(xObject.InitialName(), c.m_pszExpected);
  }
  KFbxObject xObject("Hips", eKFBX_KIND_MODEL);
  xObject.SetName("Texture::Spine");
  EXPECT_STREQ(xObject.Name(), "Model::Spine");
  EXPECT_STREQ(xObject.InitialName(), "Model::Hips");
}

class SceneTest : public ::testing::Test {
 protected:
  KFbxNode* Node(const char* pszName, KFbxNode* pxParent) {
    KFbxNode* pxNode = m_xManager.CreateNode(pszName);
    pxParent->AddChild(pxNode);
    return pxNode;
  }
  KFbxSdkManager m_xManager;
};

TEST_F(SceneTest, ChildrenAndSearch) {
  KFbxSceneGraph* pxScene = m_xManager.CreateScene();
  ASSERT_NE(pxScene, nullptr);
  KFbxNode* pxRoot = pxScene->RootNode();
  KFbxNode* pxReference = Node("Reference", pxRoot);
  KFbxNode* pxHips = Node("Hips", pxReference);
  KFbxNode* pxLeg = Node("LeftUpLeg", pxHips);
  KFbxNode* pxSpine = Node("Spine", pxHips);
  KFbxNode* pxOther = Node("Other", pxRoot);
  KFbxNode* pxSecondHips = Node("Hips", pxOther);

  EXPECT_EQ(pxRoot->ChildCount(), 2);
  EXPECT_EQ(pxRoot->ChildCount(true), 6);
  EXPECT_EQ(pxHips->ChildCount(true), 2);
  EXPECT_EQ(pxHips->Child(1), pxSpine);
  EXPECT_EQ(pxHips->Child(2), nullptr);
  EXPECT_EQ(pxHips->Child(-1), nullptr);
  EXPECT_EQ(pxLeg->GetParent(), pxHips);

  pxSpine->SetName("Chest");  // current name changes, initial name stays
  const struct {
    KFbxNode* m_pxFrom;
    const char* m_pszName;
    bool m_bRecursive, m_bInitial;
    KFbxNode* m_pxExpected;
  } acCases[] = {
      {pxRoot, "Hips", true, false, pxHips},  // depth first: the first subtree wins
      {pxRoot, "Model::Hips", true, false, pxHips},  {pxRoot, "Foo::Hips", true, false, pxHips},
      {pxRoot, "hips", true, false, nullptr},                                                 // case matters
      {pxRoot, "Hips", false, false, nullptr},                                                // not a direct child
      {pxOther, "Hips", false, false, pxSecondHips}, {pxHips, "Hips", true, false, nullptr},  // never the node itself
      {pxRoot, "Chest", true, false, pxSpine},       {pxRoot, "Spine", true, false, nullptr},
      {pxRoot, "Spine", true, true, pxSpine},        {pxRoot, "Chest", true, true, nullptr},
  };
  for (const auto& c : acCases)
    EXPECT_EQ(c.m_pxFrom->FindDescendant(c.m_pszName, c.m_bRecursive, c.m_bInitial), c.m_pxExpected)
        << c.m_pszName << " recursive " << c.m_bRecursive << " initial " << c.m_bInitial;

  // Re-parenting moves a node; cycles are refused.
  EXPECT_FALSE(pxLeg->AddChild(pxReference));
  EXPECT_FALSE(pxLeg->AddChild(pxLeg));
  EXPECT_FALSE(pxLeg->AddChild(nullptr));
  EXPECT_TRUE(pxOther->AddChild(pxLeg));
  EXPECT_EQ(pxHips->ChildCount(), 1);
  EXPECT_EQ(pxOther->Child(1), pxLeg);
  EXPECT_EQ(pxLeg->GetParent(), pxOther);
}

TEST_F(SceneTest, AttributesAndTheirTypes) {
  KFbxNode* pxNode = m_xManager.CreateNode("Joint");
  const struct {
    KFbxNodeAttribute* m_pxAttribute;
    int m_iType;
  } acCases[] = {
      {m_xManager.CreateNull("n"), 1},
      {m_xManager.CreateMarker("m", KFbxMarker::eOPTICAL), 2},
      {m_xManager.CreateSkeleton("s", KFbxSkeleton::eLIMB_NODE), 3},
      {m_xManager.CreateMesh("g"), 4},
  };
  for (const auto& c : acCases) {
    ASSERT_NE(c.m_pxAttribute, nullptr);
    EXPECT_EQ(c.m_pxAttribute->AttributeType(), c.m_iType);
    pxNode->SetAttribute(c.m_pxAttribute);
    EXPECT_EQ(pxNode->Attribute(), c.m_pxAttribute);
    EXPECT_EQ(c.m_pxAttribute->GetNode(), pxNode);
  }
  EXPECT_EQ(acCases[0].m_pxAttribute->GetNode(), nullptr);  // replaced ones lose their node
  EXPECT_EQ(static_cast<KFbxSkeleton*>(acCases[2].m_pxAttribute)->GetSkeletonKind(), KFbxSkeleton::eLIMB_NODE);

  // An attribute moves between nodes; destroying it clears the node's link.
  KFbxNode* pxOther = m_xManager.CreateNode("Other");
  pxOther->SetAttribute(acCases[3].m_pxAttribute);
  EXPECT_EQ(pxNode->Attribute(), nullptr);
  EXPECT_TRUE(m_xManager.DestroyNodeAttribute(acCases[3].m_pxAttribute));
  EXPECT_EQ(pxOther->Attribute(), nullptr);
  // Destroying a node destroys its attribute.
  pxOther->SetAttribute(acCases[2].m_pxAttribute);
  const int iAttributes = m_xManager.GetObjectCount(KFbxSdkManager::eLIST_NODE_ATTRIBUTE);
  EXPECT_TRUE(m_xManager.DestroyNode(pxOther));
  EXPECT_EQ(m_xManager.GetObjectCount(KFbxSdkManager::eLIST_NODE_ATTRIBUTE), iAttributes - 1);
}

TEST_F(SceneTest, ManagerRefusesObjectsItDoesNotHold) {
  KFbxSceneGraph* pxScene = m_xManager.CreateScene();
  KFbxNode* pxNode = m_xManager.CreateNode("Joint");
  KFbxSdkManager xOtherManager;
  KFbxNode* pxForeign = xOtherManager.CreateNode("Foreign");
  KFbxNull* pxNull = m_xManager.CreateNull("n");
  const struct {
    const char* m_pszWhat;
    bool (*m_pfnRun)(KFbxSdkManager&, KFbxNode*, KFbxSceneGraph*, KFbxNull*);
  } acCases[] = {
      {"foreign node", [](KFbxSdkManager& m, KFbxNode* n, KFbxSceneGraph*, KFbxNull*) { return m.DestroyNode(n); }},
      {"null node", [](KFbxSdkManager& m, KFbxNode*, KFbxSceneGraph*, KFbxNull*) { return m.DestroyNode(nullptr); }},
      {"null scene",
       [](KFbxSdkManager& m, KFbxNode*, KFbxSceneGraph*, KFbxNull*) { return m.DestroyScene(nullptr, true); }},
      {"attribute as scene info",
       [](KFbxSdkManager& m, KFbxNode*, KFbxSceneGraph*, KFbxNull*) { return m.DestroySceneInfo(nullptr); }},
      {"scene in the node list", [](KFbxSdkManager& m, KFbxNode*, KFbxSceneGraph* s,
                                    KFbxNull*) { return m.DestroyObject(KFbxSdkManager::eLIST_NODE, s); }},
      {"node attribute twice",
       [](KFbxSdkManager& m, KFbxNode*, KFbxSceneGraph*, KFbxNull* a) {
         m.DestroyNodeAttribute(a);
         return m.DestroyNodeAttribute(a);
       }},
  };
  for (const auto& c : acCases) {
    m_xManager.GetError().SetLastError(1, "");
    EXPECT_FALSE(c.m_pfnRun(m_xManager, pxForeign, pxScene, pxNull)) << c.m_pszWhat;
    EXPECT_EQ(m_xManager.GetError().GetLastErrorID(), 0) << c.m_pszWhat;
    EXPECT_EQ(ErrorText(m_xManager.GetError()), "Object not found") << c.m_pszWhat;
  }
  EXPECT_TRUE(m_xManager.DestroyNode(pxNode));
  EXPECT_FALSE(m_xManager.DestroyNode(pxNode));
  EXPECT_TRUE(m_xManager.DestroyScene(pxScene, true));
  EXPECT_FALSE(m_xManager.DestroyScene(pxScene, true));
  EXPECT_EQ(xOtherManager.GetError().GetErrorCount(), 2);
  EXPECT_EQ(ErrorText(xOtherManager.GetError()), "");
}

TEST_F(SceneTest, DestroyingScenesAndNodeTrees) {
  KFbxSceneGraph* pxScene = m_xManager.CreateScene();
  KFbxNode* pxHips = Node("Hips", pxScene->RootNode());
  KFbxNode* pxLeg = Node("Leg", pxHips);
  Node("Foot", pxLeg)->SetAttribute(m_xManager.CreateSkeleton("s", KFbxSkeleton::eLIMB_NODE));
  pxScene->AddTakeObject(pxHips);
  pxScene->AddTakeObject(pxLeg);
  EXPECT_EQ(m_xManager.GetObjectCount(KFbxSdkManager::eLIST_NODE), 4);

  // A node destroyed alone leaves its children parentless and leaves the
  // scene's take list.
  EXPECT_TRUE(m_xManager.DestroyNode(pxLeg));
  EXPECT_EQ(pxHips->ChildCount(), 0);
  EXPECT_EQ(pxScene->GetTakeObjectCount(), 1);
  EXPECT_EQ(m_xManager.GetObjectCount(KFbxSdkManager::eLIST_NODE), 3);

  // Without the node-tree flag the nodes stay with the manager.
  KFbxNode* pxRoot = pxScene->RootNode();
  EXPECT_TRUE(m_xManager.DestroyScene(pxScene, false));
  EXPECT_EQ(m_xManager.GetObjectCount(KFbxSdkManager::eLIST_SCENE), 0);
  EXPECT_EQ(m_xManager.GetObjectCount(KFbxSdkManager::eLIST_NODE), 3);
  EXPECT_TRUE(m_xManager.Holds(KFbxSdkManager::eLIST_NODE, pxRoot));

  KFbxSceneGraph* pxSecond = m_xManager.CreateScene();
  Node("Child", Node("Hips", pxSecond->RootNode()));
  EXPECT_TRUE(m_xManager.DestroyScene(pxSecond, true));
  EXPECT_EQ(m_xManager.GetObjectCount(KFbxSdkManager::eLIST_NODE), 3);
  EXPECT_EQ(m_xManager.GetObjectCount(KFbxSdkManager::eLIST_NODE_ATTRIBUTE), 1);
}

// The generic destroy unlinks what it destroys from the scenes and the node
// tree, whatever the list: no scene, parent or node keeps a pointer to it.
TEST_F(SceneTest, DestroyObjectUnlinksTheObject) {
  using M = KFbxSdkManager;
  struct Case {
    const char* m_pszWhat;
    M::EObjectList m_eList;
    KFbxObject* (*m_pfnMake)(M&, KFbxSceneGraph&);
  };
  const Case acCases[] = {
      {"node under the root, carrying takes", M::eLIST_NODE,
       [](M& m, KFbxSceneGraph& s) -> KFbxObject* {
         KFbxNode* pxNode = m.CreateNode("Hips");
         s.RootNode()->AddChild(pxNode);
         s.AddTakeObject(pxNode);
         pxNode->SetAttribute(m.CreateNull("n"));
         return pxNode;
       }},
      {"take-bearing object of another kind", M::eLIST_GENERIC_NODE,
       [](M& m, KFbxSceneGraph& s) -> KFbxObject* {
         auto* pxObject = m.CreateObject<KFbxTakeNodeContainer>(M::eLIST_GENERIC_NODE, "Thing");
         s.AddTakeObject(pxObject);
         return pxObject;
       }},
      {"attribute of a node", M::eLIST_NODE_ATTRIBUTE,
       [](M& m, KFbxSceneGraph& s) -> KFbxObject* {
         KFbxNode* pxNode = m.CreateNode("Hips");
         s.RootNode()->AddChild(pxNode);
         KFbxNull* pxNull = m.CreateNull("n");
         pxNode->SetAttribute(pxNull);
         return pxNull;
       }},
      {"scene information", M::eLIST_SCENE_INFO,
       [](M& m, KFbxSceneGraph& s) -> KFbxObject* {
         s.SetSceneInfo(m.CreateSceneInfo());
         return s.GetSceneInfo();
       }},
  };
  for (const Case& c : acCases) {
    SCOPED_TRACE(c.m_pszWhat);
    KFbxSceneGraph* pxScene = m_xManager.CreateScene();
    KFbxObject* pxObject = c.m_pfnMake(m_xManager, *pxScene);
    ASSERT_TRUE(m_xManager.Holds(c.m_eList, pxObject));
    EXPECT_TRUE(m_xManager.DestroyObject(c.m_eList, pxObject));
    EXPECT_FALSE(m_xManager.Holds(c.m_eList, pxObject));
    // Pointers are only compared here, never followed.
    EXPECT_EQ(pxScene->GetTakeObjectCount(), 0);
    EXPECT_EQ(pxScene->GetSceneInfo(), nullptr);
    KFbxNode* pxRoot = pxScene->RootNode();
    for (int i = 0; i < pxRoot->ChildCount(); ++i) {
      KFbxNode* pxChild = pxRoot->Child(i);
      EXPECT_TRUE(m_xManager.Holds(M::eLIST_NODE, pxChild));
      EXPECT_TRUE(!pxChild->Attribute() || m_xManager.Holds(M::eLIST_NODE_ATTRIBUTE, pxChild->Attribute()));
    }
    // A node takes its attribute along, as DestroyNode does.
    EXPECT_EQ(m_xManager.GetObjectCount(M::eLIST_NODE_ATTRIBUTE), 0);
    EXPECT_TRUE(m_xManager.DestroyScene(pxScene, true));
  }
  // A scene goes as DestroyScene without its node tree.
  KFbxSceneGraph* pxScene = m_xManager.CreateScene();
  KFbxNode* pxRoot = pxScene->RootNode();
  EXPECT_TRUE(m_xManager.DestroyObject(M::eLIST_SCENE, pxScene));
  EXPECT_EQ(m_xManager.GetObjectCount(M::eLIST_SCENE), 0);
  EXPECT_TRUE(m_xManager.Holds(M::eLIST_NODE, pxRoot));
}

TEST(KFbxSdkManager, DeletesEverythingLeft) {
  int iDeleted = 0;
  {
    KFbxSdkManager xManager;
    for (int i = 0; i < KFbxSdkManager::eLIST_COUNT; ++i)
      ASSERT_NE(xManager.CreateObject<Counted>(static_cast<KFbxSdkManager::EObjectList>(i), iDeleted), nullptr);
    KFbxObject* pxGone = xManager.CreateObject<Counted>(KFbxSdkManager::eLIST_POSE, iDeleted);
    EXPECT_TRUE(xManager.DestroyObject(KFbxSdkManager::eLIST_POSE, pxGone));
    EXPECT_EQ(iDeleted, 1);
    // Linked objects too: the sanitizer build reports anything not freed.
    KFbxSceneGraph* pxScene = xManager.CreateScene();
    KFbxNode* pxHips = xManager.CreateNode("Hips");
    pxScene->RootNode()->AddChild(pxHips);
    pxHips->SetAttribute(xManager.CreateSkeleton("s", KFbxSkeleton::eROOT));
    pxHips->AddTakeNode("Take 001");
    pxScene->SetSceneInfo(xManager.CreateSceneInfo());
  }
  EXPECT_EQ(iDeleted, 1 + KFbxSdkManager::eLIST_COUNT);
}

TEST_F(SceneTest, TakeNamesSelectionAndInformation) {
  KFbxSceneGraph* pxScene = m_xManager.CreateScene();
  KFbxNode* pxRoot = pxScene->RootNode();
  KFbxNode* pxChild = Node("Hips", pxRoot);
  KFbxNode* pxThird = Node("Spine", pxChild);
  pxScene->AddTakeObject(pxChild);
  pxScene->AddTakeObject(pxThird);
  EXPECT_FALSE(pxScene->AddTakeObject(pxChild));
  EXPECT_FALSE(pxScene->AddTakeObject(pxRoot));
  pxRoot->AddTakeNode("Take 001");
  pxChild->AddTakeNode("Take 002");
  pxThird->AddTakeNode("Take 002");
  pxThird->AddTakeNode("Take 001");

  std::vector<std::unique_ptr<KString>> xNames;
  xNames.push_back(std::make_unique<KString>("stale"));
  pxScene->CollectTakeNames(xNames);
  ASSERT_EQ(xNames.size(), 3u);
  EXPECT_STREQ(xNames[0]->Buffer(), "Default");
  EXPECT_STREQ(xNames[1]->Buffer(), "Take 001");
  EXPECT_STREQ(xNames[2]->Buffer(), "Take 002");

  // A take one object lacks: false, the message, that object on "Default",
  // the others on the take.
  EXPECT_FALSE(pxScene->SelectTake("Take 002"));
  EXPECT_EQ(pxScene->GetError().GetLastErrorID(), 0);
  EXPECT_EQ(ErrorText(pxScene->GetError()), "Not all nodes have a take node called Take 002");
  EXPECT_STREQ(pxScene->GetCurrentTakeName(), "Take 002");
  EXPECT_EQ(pxRoot->GetCurrentTakeNodeIndex(), 0);
  EXPECT_EQ(ErrorText(pxRoot->GetError()), "Unknown take node name");
  EXPECT_STREQ(pxChild->GetCurrentTakeNode()->GetName(), "Take 002");
  EXPECT_STREQ(pxThird->GetCurrentTakeNode()->GetName(), "Take 002");

  EXPECT_TRUE(pxScene->SelectTake("Default"));
  EXPECT_FALSE(pxScene->SelectTake("take 001"));  // names are case-sensitive
  EXPECT_EQ(pxThird->GetCurrentTakeNodeIndex(), 0);

  KFbxTakeRecord xRecord("Take 001");
  xRecord.m_xDescription = "walk cycle";
  xRecord.m_xLocalTimeSpan = KTimeSpan(KTime(0), KTime(KTime::kOneSecond));
  pxScene->AddTakeInfo(xRecord);
  pxScene->AddTakeInfo(KFbxTakeRecord("Take 002"));
  const KFbxTakeRecord* pxFound = pxScene->FindTakeInfo("Take 001");
  ASSERT_NE(pxFound, nullptr);
  EXPECT_STREQ(pxFound->m_xImportName.Buffer(), "Take 001");
  EXPECT_STREQ(pxFound->m_xDescription.Buffer(), "walk cycle");
  EXPECT_EQ(pxFound->m_xLocalTimeSpan.GetDuration(), KTime(KTime::kOneSecond));
  EXPECT_EQ(pxScene->FindTakeInfo("TAKE 001"), nullptr);
  EXPECT_EQ(pxScene->FindTakeInfo(nullptr), nullptr);
  EXPECT_EQ(pxScene->FindTakeInfo("Take 003"), nullptr);
}

TEST_F(SceneTest, DefaultTakeTreeIsLinkedToTheProperties) {
  KFbxNode* pxNode = m_xManager.CreateNode("Joint");
  KFCurveNode* pxRoot = pxNode->GetTakeNode(0)->GetKFCurveNode();
  const struct {
    const char* m_pszName;
    const KFbxDataType* m_pxType;
    int m_iLayer;
    float m_fDefault;
  } acChannels[] = {
      {"T", &KDataTypeLclTranslation, KFCL_ADD, 0.0f},
      {"R", &KDataTypeLclRotation, KFCL_EULER_XYZ, 0.0f},
      {"S", &KDataTypeLclScaling, KFCL_MULT, 1.0f},
  };
  ASSERT_NE(pxRoot->Find("Transform"), nullptr);
  for (const auto& c : acChannels) {
    KFCurveNode* pxChannel = pxRoot->Find(c.m_pszName);
    ASSERT_NE(pxChannel, nullptr) << c.m_pszName;
    EXPECT_EQ(pxChannel->GetDataType(), c.m_pxType);
    EXPECT_EQ(pxChannel->GetLayerType(), c.m_iLayer);
    ASSERT_EQ(pxChannel->GetCount(), 3);
    for (int i = 0; i < 3; ++i) {
      const KFCurve* pxCurve = pxChannel->Get(i)->FCurveGet();
      EXPECT_EQ(pxCurve->GetValue(), c.m_fDefault);
      EXPECT_EQ(pxCurve->GetColor()[i], 1.0f);
      EXPECT_EQ(pxCurve->GetColor()[(i + 1) % 3], 0.0f);
    }
  }
  KFCurveNode* pxVisibility = pxRoot->Find("Visibility");
  ASSERT_NE(pxVisibility, nullptr);
  EXPECT_EQ(pxVisibility->FCurveGet()->GetValue(), 1.0f);

  // Default curves carry their default values into the properties; the
  // curves of other takes do not.
  ASSERT_NE(pxNode->AddTakeNode("Take 001"), nullptr);
  SetChannel(*pxNode, "T", 1, 2, 3);
  pxVisibility->FCurveGet()->SetValue(0.0f);
  SetChannel(*pxNode, "T", 7, 8, 9, 1);
  EXPECT_EQ(pxNode->GetProperties().LclTranslation().Get()[1], 2.0);
  EXPECT_EQ(pxNode->GetProperties().Visibility().Get(), 0.0);

  // An animatable property added later gets a curve node of its name.
  EXPECT_NE(pxNode->AddDynamicProperty("Blend", eKPROP_DOUBLE, nullptr, KProperty::eANIMATABLE), nullptr);
  EXPECT_NE(pxRoot->Find("Blend"), nullptr);
  EXPECT_NE(pxNode->AddDynamicProperty("Label", eKPROP_KSTRING), nullptr);
  EXPECT_EQ(pxRoot->Find("Label"), nullptr);
}

TEST_F(SceneTest, OldModelInheritTypePass) {
  const struct {
    bool m_bOld, m_bSkeleton, m_bParentSkeleton;
    int m_iType, m_iExpected;
  } acCases[] = {
      {true, true, false, 2, 1},   // the one case that changes
      {false, true, false, 2, 2},  // not an old model
      {true, false, false, 2, 2},  // no skeleton
      {true, true, true, 2, 2},    // parent is a skeleton too
      {true, true, false, 0, 0},   // only type 2 changes
  };
  KFbxNode* pxTop = m_xManager.CreateNode("Top");
  for (const auto& c : acCases) {
    KFbxNode* pxParent = Node("Parent", pxTop);
    KFbxNode* pxNode = Node("Joint", pxParent);
    if (c.m_bParentSkeleton) pxParent->SetAttribute(m_xManager.CreateSkeleton("p", KFbxSkeleton::eLIMB_NODE));
    if (c.m_bSkeleton) pxNode->SetAttribute(m_xManager.CreateSkeleton("s", KFbxSkeleton::eLIMB_NODE));
    pxNode->SetOldModel(c.m_bOld);
    pxNode->SetInheritType(c.m_iType);
  }
  // A node without parent is left alone.
  pxTop->SetAttribute(m_xManager.CreateSkeleton("t", KFbxSkeleton::eROOT));
  pxTop->SetOldModel(true);
  pxTop->SetInheritType(2);
  pxTop->FixOldModelInheritTypes();
  EXPECT_EQ(pxTop->GetInheritType(), 2);
  for (int i = 0; i < pxTop->ChildCount(); ++i) {
    KFbxNode* pxNode = pxTop->Child(i)->Child(0);
    EXPECT_EQ(pxNode->GetInheritType(), acCases[i].m_iExpected) << "case " << i;
    EXPECT_EQ(pxNode->GetProperties().GetTransformPivots().m_iInheritType, acCases[i].m_iExpected);
  }
}

// A chain of nodes as deep as a hostile file can link: walks, evaluation and
// destruction use explicit stacks, so depth never becomes call depth. Built
// from the bottom up, as the depth limit of AddChild only bounds its own
// walk over the new parent's ancestors.
TEST(KFbxNodeTree, DeepChainsNeedNoRecursion) {
  constexpr int kDepth = 10000;
  KFbxSdkManager xManager;
  KFbxNode* pxDeepest = xManager.CreateNode("Deepest");
  SetChannel(*pxDeepest, "T", 1.0, 0.0, 0.0);
  KFbxNode* pxTop = pxDeepest;
  for (int i = 0; i < kDepth; ++i) {
    KFbxNode* pxParent = xManager.CreateNode(("N" + std::to_string(i)).c_str());
    ASSERT_TRUE(pxParent->AddChild(pxTop));
    SetChannel(*pxParent, "T", 1.0, 0.0, 0.0);
    pxTop = pxParent;
  }
  EXPECT_EQ(pxTop->ChildCount(true), kDepth);
  EXPECT_EQ(pxTop->FindDescendant("Deepest"), pxDeepest);
  EXPECT_EQ(pxTop->FindDescendant("Absent"), nullptr);
  pxTop->FixOldModelInheritTypes();
  EXPECT_EQ(pxDeepest->GlobalMatrixAt(KTime(0))[3][0], kDepth + 1);
  EXPECT_TRUE(xManager.DestroyNode(pxTop, true));
  EXPECT_EQ(xManager.GetObjectCount(KFbxSdkManager::eLIST_NODE), 0);
}

TEST(KFbxNodeTree, AddChildDepthLimit) {
  KFbxSdkManager xManager;
  KFbxNode* pxNode = xManager.CreateNode("N");
  for (int i = 0; i < KFbxNode::kMaxNodeDepth; ++i) {
    KFbxNode* pxChild = xManager.CreateNode("N");
    ASSERT_TRUE(pxNode->AddChild(pxChild)) << i;
    pxNode = pxChild;
  }
  // The deepest node has kMaxNodeDepth ancestors: no child for it.
  KFbxNode* pxExtra = xManager.CreateNode("Extra");
  EXPECT_FALSE(pxNode->AddChild(pxExtra));
  EXPECT_TRUE(pxNode->GetParent()->AddChild(pxExtra));
}
