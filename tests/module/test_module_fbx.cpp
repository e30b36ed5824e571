// FBX clips through the loaded module, written by the project's own writer.
#include <gtest/gtest.h>

#include <string>

#include "fbxsdk/fileio/kfbx_scene_fields.h"
#include "fbxsdk/fileio/kfbx_writer.h"
#include "fbxsdk/scene/kfbx_node.h"
#include "fbxsdk/scene/kfbx_scene_graph.h"
#include "fbxsdk/scene/kfbx_sdk_manager.h"
#include "module_fixture.h"
#include "test_tmpdir.h"

namespace {

// Reference -> Hips (at height 90, moving 30 along X over one second in
// "Take 001") -> Chest (10 up) -> Head (10 up, turned 90 degrees about Z).
std::string writeFbxClip(const std::string& name) {
  KFbxSdkManager manager;
  KFbxSceneGraph* scene = manager.CreateScene();
  KFbxNode* parent = scene->RootNode();
  const struct {
    const char* name;
    double y, rz;
  } joints[] = {{"Reference", 0, 0}, {"Hips", 90, 0}, {"Chest", 10, 0}, {"Head", 10, 90}};
  for (const auto& j : joints) {
    KFbxNode* node = manager.CreateNode(j.name);
    parent->AddChild(node);
    scene->AddTakeObject(node);
    node->SetAttribute(parent == scene->RootNode() ? static_cast<KFbxNodeAttribute*>(manager.CreateNull("n"))
                                                   : manager.CreateSkeleton("s", KFbxSkeleton::eLIMB_NODE));
    KFCurveNode* fixed = node->GetTakeNode(0)->GetKFCurveNode();
    fixed->Find("Transform/T/Y")->FCurveGet()->SetValue(static_cast<float>(j.y));
    fixed->Find("Transform/R/Z")->FCurveGet()->SetValue(static_cast<float>(j.rz));
    TakeNode* take = node->AddTakeNode("Take 001");
    if (std::string(j.name) == "Hips") {
      KFCurve* x = take->GetKFCurveNode()->Find("Transform/T/X")->FCurveGet();
      x->KeyAppend(KTime::FromSeconds(0.0), 0.0f);
      x->KeyAppend(KTime::FromSeconds(1.0), 30.0f);
      for (int k = 0; k < 2; ++k) x->KeySetInterpolation(k, KFCURVE_INTERPOLATION_LINEAR);
    }
    parent = node;
  }
  scene->AddTakeInfo(KFbxTakeRecord("Take 001"));
  scene->SelectTake("Take 001");
  const std::string path = boneplay_test::TempPath(name);
  KFbxWriteOptions options;
  std::string error;
  EXPECT_TRUE(
      KFbxWriteFile(path.c_str(), {KFbxSceneToFields(*scene, KFbxSceneFieldsOptions()).m_xMain}, options, &error))
      << error;
  return path;
}

const char* const kBvhClip =
    "HIERARCHY\nROOT Hips\n{\nOFFSET 0 0 0\nCHANNELS 3 Xposition Yposition Zposition\n"
    "JOINT Chest\n{\nOFFSET 0 50 0\nEnd Site\n{\nOFFSET 0 10 0\n}\n}\n}\n"
    "MOTION\nFrames: 1\nFrame Time: 0.0333\n0 0 0\n";

TEST_F(ModuleTest, FbxClipDrawsALinePerJointBelowTheSecondLevel) {
  start(R"({"items":[{"name":"Carrier","type":"object","position":[5,0,0]}]})");
  ASSERT_EQ(setFile(writeFbxClip("walk.fbx")), 1);
  EXPECT_EQ(commands(), std::vector<std::string>{"RefreshNow"});
  const auto lines = drawAt(0.5);
  // Chest to Hips and Head to Chest, where the FBX scene puts them: the
  // carrier's place plays no part for an FBX clip.
  ASSERT_EQ(lines.size(), 2u);
  const double expected[2][2][3] = {{{15, 100, 0}, {15, 90, 0}}, {{15, 110, 0}, {15, 100, 0}}};
  for (int i = 0; i < 2; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(lines[i].csys, LWCSYS_OBJECT);
    EXPECT_FLOAT_EQ(lines[i].color[0], 1.0f);
    EXPECT_FLOAT_EQ(lines[i].color[1], 0.0f);
    for (int k = 0; k < 3; ++k) {
      EXPECT_NEAR(lines[i].from[k], expected[i][0][k], 1e-4) << k;
      EXPECT_NEAR(lines[i].to[k], expected[i][1][k], 1e-4) << k;
    }
  }
  // The scale reaches every joint's world matrix.
  ASSERT_EQ(setScale(2.0), 1);
  const auto scaled = drawAt(0.5);
  ASSERT_EQ(scaled.size(), 2u);
  EXPECT_NEAR(scaled[1].from[1], 220.0, 1e-4);
  EXPECT_NEAR(scaled[1].from[0], 30.0, 1e-4);
}

TEST_F(ModuleTest, FbxClipAutoResizeBringsHipsToHeightOne) {
  start();
  ASSERT_EQ(setFile(writeFbxClip("resize.fbx")), 1);
  m_pHost->clearRecords();
  ASSERT_TRUE(m_xPanels.press(m_pPanel, kAutoResize));
  EXPECT_TRUE(boxes().empty());
  EXPECT_DOUBLE_EQ(*static_cast<double*>(m_xPanels.getValue(m_pPanel, kScale)), 1.0 / 90);
  EXPECT_EQ(commands(), std::vector<std::string>{"RefreshNow"});
  const auto lines = drawAt(0);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_NEAR(lines[0].to[1], 1.0, 1e-9);  // the Chest's line ends at Hips
}

TEST_F(ModuleTest, FailedFbxLoadAfterABvhClipKeepsTheClipStateWithoutSkeleton) {
  start();
  ASSERT_EQ(setFile(writeClip("good.bvh", kBvhClip)), 1);
  EXPECT_EQ(drawAt(0).size(), 2u);
  m_pHost->clearRecords();
  EXPECT_EQ(setFile("/nonexistent/missing.fbx"), 1);
  EXPECT_TRUE(drawAt(0).empty());
  EXPECT_TRUE(commands().empty());
  // Still a clip's state, without skeleton: AutoResize finds no motion, and
  // does not refuse as it does for the host rig.
  ASSERT_TRUE(m_xPanels.press(m_pPanel, kAutoResize));
  EXPECT_EQ(boxes(), std::vector<std::string>{"Motion ERROR: no motion!"});
}

TEST_F(ModuleTest, ImportableFbxWithoutSkeletonIsHeldAndDrawsNothing) {
  start();
  const std::string path = boneplay_test::TempPath("mesh.fbx");
  KFbxWriteSection section;
  section.emplace_back("Definitions").Child("ObjectType", {KFbxWriteValue::String("Model")});
  section.emplace_back("Objects").Child("Model",
                                        {KFbxWriteValue::ObjectName("Model", "Box"), KFbxWriteValue::String("Mesh")});
  ASSERT_TRUE(KFbxWriteFile(path.c_str(), {section}, KFbxWriteOptions()));
  EXPECT_EQ(setFile(path), 1);
  EXPECT_EQ(commands(), std::vector<std::string>{"RefreshNow"});
  EXPECT_TRUE(drawAt(0).empty());
  // A skeleton is held (the FBX clip's, with nothing below its top node):
  // AutoResize says nothing and changes nothing.
  m_pHost->clearRecords();
  ASSERT_TRUE(m_xPanels.press(m_pPanel, kAutoResize));
  EXPECT_TRUE(boxes().empty());
  EXPECT_TRUE(commands().empty());
}

}  // namespace
