// Scene files laid out as other programs write them: older hierarchies that
// name children bare, takes that animate only some objects, transforms held
// only in properties, and the file's own current take.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "fbxsdk/scene/kfbx_node.h"
#include "fbxsdk/scene/kfbx_scene_graph.h"
#include "import_fields.h"

using namespace ImportFields;

namespace {

std::vector<std::string> TakeNodeNames(KFbxNode& xNode) {
  std::vector<std::string> xNames;
  for (int i = 0; i < xNode.GetTakeNodeCount(); ++i) xNames.emplace_back(xNode.GetTakeNodeName(i));
  return xNames;
}

std::vector<std::string> CollectedTakeNames(const KFbxSceneGraph& xScene) {
  std::vector<std::unique_ptr<KString>> xNames;
  xScene.CollectTakeNames(xNames);
  std::vector<std::string> xOut;
  for (const auto& pxName : xNames) xOut.emplace_back(pxName->Buffer());
  return xOut;
}

}  // namespace

// A 5.0 file lists children by bare name, in an order of its own; a name
// two parents list stays with the first, a name of no model links nothing.
TEST(KFbxImportLayouts, OlderHierarchyFromBareChildNames) {
  const KFbxWriteSection xFile = OlderFile({{"Spine", "LimbNode", {"Head"}},
                                            {"Head", "LimbNode", {}},
                                            {"Reference", "Null", {"Hips", "Ghost"}},
                                            {"Hips", "LimbNode", {"Model::Spine", "Head"}}});
  for (bool bBinary : {true, false}) {
    SCOPED_TRACE(bBinary ? "binary" : "ascii");
    std::unique_ptr<Result> r = Import("older_bare", xFile, bBinary, 5000);
    ASSERT_TRUE(r->m_bOk) << r->m_xError;
    EXPECT_EQ(r->m_pxScene->RootNode()->ChildCount(), 1);
    EXPECT_STREQ(r->ParentOf("Hips"), "Model::Reference");
    EXPECT_STREQ(r->ParentOf("Spine"), "Model::Hips");
    EXPECT_STREQ(r->ParentOf("Head"), "Model::Spine");
    const auto& xDropped = r->m_pxScene->GetDroppedLinks();
    ASSERT_EQ(xDropped.size(), 1u);
    EXPECT_EQ(xDropped[0].m_eKind, KFbxDroppedLink::eSECOND_PARENT);
    EXPECT_STREQ(xDropped[0].m_xChild, "Model::Head");
    EXPECT_STREQ(xDropped[0].m_xParent, "Model::Hips");
  }
}

// Each object gets a take node only for the takes that name it; the scene's
// take names follow the objects in their order.
TEST(KFbxImportLayouts, TakeNodesOnlyWhereTheFileNamesTheObject) {
  const std::vector<F> xModels = {Model("Reference", "Null"), Model("Hips", "LimbNode")};
  const std::vector<F> xLinks = {Connect("Model::Hips", "Model::Reference")};
  const struct {
    const char* m_pszName;
    std::vector<F> m_xTakes;
    const char* m_pszCurrent;
    std::vector<std::string> m_xCollected, m_xReference, m_xHips;
    int m_iReferenceCurrent, m_iHipsCurrent;
  } axCases[] = {
      {"a take that names no object", {Take("Empty", {})}, "Empty", {"Default"}, {"Default"}, {"Default"}, 0, 0},
      {"the first model only in the second take",
       {MovingTake("Walk", {"Hips"}), MovingTake("Run", {"Reference"}), MovingTake("Idle", {"Hips"})},
       "Walk",
       {"Default", "Run", "Walk", "Idle"},
       {"Default", "Run"},
       {"Default", "Walk", "Idle"},
       0,
       1},
  };
  for (const auto& c : axCases)
    for (bool bBinary : {true, false}) {
      SCOPED_TRACE(std::string(c.m_pszName) + (bBinary ? " (binary)" : " (ascii)"));
      std::unique_ptr<Result> r = Import("take_nodes", File(xModels, xLinks, c.m_xTakes, c.m_pszCurrent), bBinary);
      ASSERT_TRUE(r->m_bOk) << r->m_xError;
      EXPECT_TRUE(r->m_pxScene->FindTakeInfo(c.m_pszCurrent));
      EXPECT_EQ(r->m_pxScene->GetTakeInfoCount(), static_cast<int>(c.m_xTakes.size()));
      EXPECT_EQ(CollectedTakeNames(*r->m_pxScene), c.m_xCollected);
      EXPECT_EQ(TakeNodeNames(*r->Node("Reference")), c.m_xReference);
      EXPECT_EQ(TakeNodeNames(*r->Node("Hips")), c.m_xHips);
      EXPECT_EQ(TakeNodeNames(*r->m_pxScene->RootNode()), std::vector<std::string>{"Default"});
      // The current take is selected; objects without it play "Default".
      EXPECT_STREQ(r->m_pxScene->GetCurrentTakeName(), c.m_pszCurrent);
      EXPECT_EQ(r->Node("Reference")->GetCurrentTakeNodeIndex(), c.m_iReferenceCurrent);
      EXPECT_EQ(r->Node("Hips")->GetCurrentTakeNodeIndex(), c.m_iHipsCurrent);
    }
}

// A joint that no curve of the playing take moves stands where its "Lcl"
// properties put it, and the file's "Current" take (not the first) plays.
TEST(KFbxImportLayouts, PropertiesPoseUnanimatedJointsAndCurrentTakePlays) {
  const F xProperties = Field("Properties60", {},
                              {Vector3Property("Lcl Translation", 1, 2, 3), Vector3Property("Lcl Rotation", 0, 0, 90),
                               Vector3Property("Lcl Scaling", 2, 2, 2)});
  const std::vector<F> xModels = {Model("Still", "Null", {xProperties}), Model("Moving", "Null")};
  const std::vector<F> xTakes = {MovingTake("First", {"Moving"}), MovingTake("Second", {"Moving"})};
  for (bool bBinary : {true, false}) {
    SCOPED_TRACE(bBinary ? "binary" : "ascii");
    std::unique_ptr<Result> r = Import("still", File(xModels, {}, xTakes, "Second"), bBinary);
    ASSERT_TRUE(r->m_bOk) << r->m_xError;
    KFbxNode* pxStill = r->Node("Still");
    KFbxNodeProperties& xOwn = pxStill->GetProperties();
    EXPECT_EQ(xOwn.LclTranslation().Get()[1], 2.0);
    EXPECT_EQ(xOwn.LclRotation().Get()[2], 90.0);
    EXPECT_EQ(xOwn.LclScaling().Get()[0], 2.0);
    EXPECT_STREQ(r->m_pxScene->GetCurrentTakeName(), "Second");
    EXPECT_STREQ(r->Node("Moving")->GetCurrentTakeNode()->GetName(), "Second");
    // p · S · R · T: the x axis scaled by 2 and turned onto y, then moved.
    const Matrix44& xM = pxStill->GlobalMatrixAt(KTime::FromSeconds(0.5));
    const double adExpected[4][3] = {{0, 2, 0}, {-2, 0, 0}, {0, 0, 2}, {1, 2, 3}};
    for (int i = 0; i < 4; ++i)
      for (int j = 0; j < 3; ++j) EXPECT_NEAR(xM[i][j], adExpected[i][j], 1e-12) << i << "," << j;
    // The moving model follows its curve in "Second": 1.5 halfway.
    EXPECT_NEAR(r->Node("Moving")->GlobalMatrixAt(KTime::FromSeconds(0.5))[3][0], 1.5, 1e-9);
  }
}
