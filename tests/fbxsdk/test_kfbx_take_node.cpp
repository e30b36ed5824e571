#include <gtest/gtest.h>

#include "fbxsdk/scene/kfbx_take_node.h"
#include "kfcurve_test_util.h"

namespace {

// An object whose take trees hold one curve node "T" with a keyed curve.
class Animated : public KFbxTakeNodeContainer {
 public:
  Animated() { BuildTakeNodeTree(*GetTakeNode(0)->GetKFCurveNode()); }
  int m_iBuilt = 0;

 protected:
  void BuildTakeNodeTree(KFCurveNode& xRoot) override {
    ++m_iBuilt;
    KFCurve* pxCurve = xRoot.Add(std::make_unique<KFCurveNode>("T"))->FCurveCreate();
    pxCurve->KeyAppend(Sec(1), 0.0f);
    pxCurve->KeyAppend(Sec(2), 1.0f);
  }
};

std::string LastError(const KFbxTakeNodeContainer& xObject) { return xObject.GetError().GetLastErrorString(); }

}  // namespace

TEST(KFbxTakeNodeContainer, StartsWithTheDefaultTakeNode) {
  KFbxTakeNodeContainer xObject;
  EXPECT_EQ(xObject.GetTakeNodeCount(), 1);
  EXPECT_STREQ(xObject.GetTakeNodeName(0), "Default");
  EXPECT_EQ(xObject.GetCurrentTakeNodeIndex(), 0);
  ASSERT_NE(xObject.GetCurrentTakeNode(), nullptr);
  EXPECT_NE(xObject.GetCurrentTakeNode()->GetKFCurveNode(), nullptr);
}

TEST(KFbxTakeNodeContainer, AddCopiesTheDefaultTakeNode) {
  Animated xObject;
  TakeNode* pxTake = xObject.AddTakeNode("Take 001");
  ASSERT_NE(pxTake, nullptr);
  EXPECT_STREQ(pxTake->GetName(), "Take 001");
  EXPECT_EQ(xObject.GetTakeNodeCount(), 2);
  KFCurve* pxCopy = pxTake->GetKFCurveNode()->Find("T")->FCurveGet();
  ASSERT_EQ(pxCopy->KeyGetCount(), 2);
  pxCopy->KeyClear();  // a deep copy
  EXPECT_EQ(xObject.GetTakeNode(0)->GetKFCurveNode()->Find("T")->FCurveGet()->KeyGetCount(), 2);
  EXPECT_EQ(xObject.m_iBuilt, 1);

  // Once no take node is called "Default", new trees are built afresh.
  xObject.GetTakeNode(0)->SetName("Base");
  ASSERT_NE(xObject.AddTakeNode("Take 002"), nullptr);
  EXPECT_EQ(xObject.m_iBuilt, 2);
}

TEST(KFbxTakeNodeContainer, FailuresRecordTheirMessage) {
  struct Case {
    const char* m_pszName;
    bool (*m_pfnRun)(KFbxTakeNodeContainer&);
    const char* m_pszMessage;
  };
  const Case acCases[] = {
      {"add existing", [](KFbxTakeNodeContainer& x) { return x.AddTakeNode("Take 001") != nullptr; },
       "Take node already exists"},
      {"select index", [](KFbxTakeNodeContainer& x) { return x.SetCurrentTakeNode(5); }, "Index out of range"},
      {"select negative", [](KFbxTakeNodeContainer& x) { return x.SetCurrentTakeNode(-1); }, "Index out of range"},
      {"select name", [](KFbxTakeNodeContainer& x) { return x.SetCurrentTakeNode("Take 009"); },
       "Unknown take node name"},
      {"select by case", [](KFbxTakeNodeContainer& x) { return x.SetCurrentTakeNode("take 001"); },
       "Unknown take node name"},
      {"get", [](KFbxTakeNodeContainer& x) { return x.GetTakeNode(3) != nullptr; }, "Take node does not exist"},
      {"get name", [](KFbxTakeNodeContainer& x) { return x.GetTakeNodeName(-1) != nullptr; },
       "Take node does not exist"},
      {"remove default", [](KFbxTakeNodeContainer& x) { return x.RemoveTakeNode(0); },
       "Cannot remove default take node"},
      {"remove index", [](KFbxTakeNodeContainer& x) { return x.RemoveTakeNode(3); }, "Index out of range"},
  };
  for (const Case& c : acCases) {
    SCOPED_TRACE(c.m_pszName);
    KFbxTakeNodeContainer xObject;
    xObject.AddTakeNode("Take 001");
    xObject.AddTakeNode("Take 002");
    xObject.SetCurrentTakeNode(2);
    EXPECT_FALSE(c.m_pfnRun(xObject));
    EXPECT_EQ(xObject.GetError().GetLastErrorID(), 0);
    EXPECT_EQ(LastError(xObject), c.m_pszMessage);
    EXPECT_EQ(xObject.GetTakeNodeCount(), 3);
    const bool bSelection = std::string(c.m_pszName).rfind("select", 0) == 0;
    EXPECT_EQ(xObject.GetCurrentTakeNodeIndex(), bSelection ? 0 : 2);
  }
}

TEST(KFbxTakeNodeContainer, SelectAndRemove) {
  KFbxTakeNodeContainer xObject;
  for (const char* pszName : {"A", "B", "C", "D"}) xObject.AddTakeNode(pszName);
  EXPECT_TRUE(xObject.SetCurrentTakeNode("C"));
  EXPECT_EQ(xObject.GetCurrentTakeNodeIndex(), 3);
  EXPECT_STREQ(xObject.GetCurrentTakeNode()->GetName(), "C");
  // Removing the current take node at index 3 makes index 2 current.
  EXPECT_TRUE(xObject.RemoveTakeNode(3));
  EXPECT_EQ(xObject.GetCurrentTakeNodeIndex(), 2);
  EXPECT_STREQ(xObject.GetCurrentTakeNode()->GetName(), "B");
  // Removing one before the current keeps the same take node current.
  EXPECT_TRUE(xObject.RemoveTakeNode(1));
  EXPECT_STREQ(xObject.GetCurrentTakeNode()->GetName(), "B");
  // Removing one after it changes nothing.
  EXPECT_TRUE(xObject.SetCurrentTakeNode(1));
  EXPECT_TRUE(xObject.RemoveTakeNode(2));
  EXPECT_STREQ(xObject.GetCurrentTakeNode()->GetName(), "B");
  EXPECT_EQ(xObject.GetTakeNodeCount(), 2);
}

TEST(KFbxTakeNodeContainer, AnimationInterval) {
  Animated xObject;
  KTime xStart(Sec(1.5)), xStop(Sec(1.5));
  EXPECT_TRUE(xObject.GetAnimationInterval(xStart, xStop));
  EXPECT_EQ(xStart, Sec(1));
  EXPECT_EQ(xStop, Sec(2));
  xStart = Sec(-1);
  xStop = Sec(10);
  EXPECT_TRUE(xObject.GetAnimationInterval(xStart, xStop));  // only widens
  EXPECT_EQ(xStart, Sec(-1));
  EXPECT_EQ(xStop, Sec(10));

  KFbxTakeNodeContainer xStill;
  KTime xA(7), xB(8);
  EXPECT_FALSE(xStill.GetAnimationInterval(xA, xB));
  EXPECT_EQ(xA.Get(), 7);
  EXPECT_EQ(xB.Get(), 8);
}
