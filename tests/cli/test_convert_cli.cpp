// `boneplay convert` of FBX clips (the scene kept as it is: takes, spans,
// keys, node properties), of BVH clips between their samples, the --take
// and --root choices, and a conversion whose check fails.
#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "cli_clips.h"
#include "cli_pose.h"
#include "cli_runner.h"
#include "fbx_fields.h"
#include "fbx_scene_writer.h"
#include "fbxsdk/fileio/kfbx_importer.h"
#include "fbxsdk/scene/kfbx_node.h"
#include "fbxsdk/scene/kfbx_scene_graph.h"
#include "fbxsdk/scene/kfbx_sdk_manager.h"
#include "test_tmpdir.h"

using clitest::boneplay;
using clitest::eighths;
using clitest::infoJson;
using clitest::pose;
using clitest::withMidpoints;
using clitest::worstDeviation;

namespace {

constexpr double kTolerance = 1e-5;

bool exists(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0;
}

// The skeleton scene (cubic, constant and linear keys, pivots, pre- and
// post-rotation, inherit types 0, 1 and 2, takes "Walk" and "Run"), with a
// rotation order other than X-Y-Z and a take "Idle" of 5 s without keys.
KFbxSceneGraph* richScene(KFbxSdkManager& manager) {
  KFbxSceneGraph* scene = BuildSkeletonScene(manager);
  KFbxNode* spine = scene->RootNode()->FindDescendant("Spine");
  spine->GetProperties().Find("RotationOrder")->SetComponent(0, eEULER_ZXY);
  spine->GetProperties().Find("RotationActive")->SetComponent(0, 1);
  spine->GetProperties().SyncEvaluationState();
  scene->RootNode()->FindDescendant("LeftUpLeg")->SetInheritType(eINHERIT_Rrs);
  KFbxTakeRecord idle("Idle");
  idle.m_xLocalTimeSpan = idle.m_xReferenceTimeSpan = KTimeSpan(KTime::FromSeconds(0), KTime::FromSeconds(5));
  scene->AddTakeInfo(idle);
  return scene;
}

TEST(CliConvert, FbxClipsKeepEveryTakeWithItsKeysSpanAndNodes) {
  const struct {
    SceneForm source;
    const char* args;
  } cases[] = {
      {{"6100 binary to binary", 6100, true, false, 6100, true, false}, ""},
      {{"6100 ascii with a take file to 5800 ascii", 6100, false, false, 6100, false, true}, "--ascii --version 5800"},
      {{"5000 binary (older form) to big binary", 5000, true, false, 5000, false, false}, "--binary"},
  };
  KFbxSdkManager manager;
  KFbxSceneGraph* scene = richScene(manager);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.source.m_pszName);
    std::string error;
    const std::string source = WriteScene(*scene, c.source, "rich_" + std::to_string(&c - cases), &error);
    ASSERT_FALSE(source.empty()) << error;
    const std::string out = boneplay_test::TempPath("rich_copy_" + std::to_string(&c - cases) + ".fbx");
    const auto r = boneplay("convert '" + source + "' -o '" + out + "' " + c.args);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("3 takes \"Walk\", \"Run\", \"Idle\""), std::string::npos) << r.out;
    // Every take by name, with its span and key times.
    const nlohmann::json before = infoJson(source), after = infoJson(out);
    EXPECT_EQ(before["take_details"], after["take_details"]);
    EXPECT_EQ(after["take"], "Walk");
    for (const char* take : {"Walk", "Run"}) {
      SCOPED_TRACE(take);
      const std::string choice = std::string("--take ") + take;
      EXPECT_LE(worstDeviation(pose(source, eighths(), choice), pose(out, eighths(), choice)), kTolerance);
    }
  }
}

TEST(CliConvert, TakeAndRootChoices) {
  using namespace ImportFields;
  KFbxSdkManager manager;
  std::string error;
  const std::string rich =
      WriteScene(*richScene(manager), {"6100", 6100, true, false, 6100, true, false}, "choices", &error);
  ASSERT_FALSE(rich.empty()) << error;
  const std::string atTop = boneplay_test::TempPath("pelvis_top.fbx");
  ASSERT_TRUE(
      WriteFields(atTop,
                  File({Model("Pelvis", "LimbNode"), Model("Spine", "LimbNode")},
                       {Connect("Model::Spine", "Model::Pelvis")}, {MovingTake("Walk", {"Pelvis", "Spine"})}, "Walk"),
                  true));
  // A namespaced rig with a second "Hips" the module would find first.
  const std::string inside = boneplay_test::TempPath("pelvis_inside.fbx");
  ASSERT_TRUE(WriteFields(
      inside,
      File({Model("Char1:Props", "Null"), Model("Char1:Hips", "LimbNode"), Model("Char1:Armature", "Null"),
            Model("Char1:pelvis", "LimbNode"), Model("Char1:spine", "LimbNode")},
           {Connect("Model::Char1:Hips", "Model::Char1:Props"), Connect("Model::Char1:pelvis", "Model::Char1:Armature"),
            Connect("Model::Char1:spine", "Model::Char1:pelvis")},
           {MovingTake("Walk", {"Char1:pelvis", "Char1:spine", "Char1:Hips"})}, "Walk"),
      true));
  const struct {
    const char* name;
    std::string clip;
    std::string choice;  // for convert and for posing the source
    std::vector<std::string> takes;
    std::string start;
  } cases[] = {
      {"--take Run", rich, "--take Run", {"Default", "Run"}, "Model::Hips"},
      {"--root at the top", atTop, "--root Pelvis", {"Default", "Walk"}, "Model::Hips"},
      {"--root in a namespace", inside, "--root Model::Char1:pelvis", {"Default", "Walk"}, "Model::Char1:Hips"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string out = boneplay_test::TempPath("choice_" + std::to_string(&c - cases) + ".fbx");
    const auto r = boneplay("convert '" + c.clip + "' -o '" + out + "' " + c.choice);
    ASSERT_EQ(r.status, 0) << r.err;
    // The copy plays what was chosen without being told.
    const nlohmann::json info = infoJson(out);
    EXPECT_EQ(info["takes"], nlohmann::json(c.takes));
    const auto text = boneplay("info '" + out + "'");
    EXPECT_NE(text.out.find("skeleton start: " + c.start + "\n"), std::string::npos) << text.out;
    const std::string take = c.choice.rfind("--take", 0) == 0 ? c.choice : "";
    EXPECT_LE(worstDeviation(pose(c.clip, eighths(), c.choice), pose(out, eighths(), take)), kTolerance);
  }
  const std::string bvh = clitest::writeTemp("plain.bvh", clitest::kWorkedClip);
  const auto r = boneplay("convert '" + bvh + "' -o '" + boneplay_test::TempPath("plain.fbx") + "' --take Walk");
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("a BVH clip has one take"), std::string::npos) << r.err;
}

// The walk's keys are linear, as its samples are: between two samples the
// copy poses as the clip does (stored as cubic they drifted 0.1 units).
TEST(CliConvert, BvhKeysAreLinearAndPoseBetweenSamples) {
  const std::string walk = std::string(BONEPLAY_SOURCE_DIR) + "/samples/walk.bvh";
  for (const char* args : {"", "--ascii --version 5800"}) {
    SCOPED_TRACE(args);
    const std::string out = boneplay_test::TempPath("walk_copy.fbx");
    const auto r = boneplay("convert '" + walk + "' -o '" + out + "' " + args);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("at every sample and halfway between"), std::string::npos) << r.out;
    const std::vector<double> times = withMidpoints(clitest::sampleTimes(12));
    EXPECT_LE(worstDeviation(pose(walk, times), pose(out, times)), kTolerance);
    KFbxSdkManager manager;
    KFbxSceneGraph* scene = manager.CreateScene();
    KFbxImporter* importer = manager.CreateImporter();
    ASSERT_TRUE(importer->Initialize(out.c_str()) && importer->Import(scene));
    int keys = 0;
    std::vector<KFbxNode*> pending{scene->RootNode()};
    while (!pending.empty()) {
      KFbxNode* node = pending.back();
      pending.pop_back();
      for (int i = 0; i < node->ChildCount(); ++i) pending.push_back(node->Child(i));
      for (int t = 1; t < node->GetTakeNodeCount(); ++t)
        for (const char* path : {"T/X", "T/Y", "T/Z", "R/X", "R/Y", "R/Z", "S/X", "S/Y", "S/Z"}) {
          KFCurveNode* curveNode = node->GetTakeNode(t)->GetKFCurveNode()->Find(path);
          const KFCurve* curve = curveNode ? curveNode->FCurveGet() : nullptr;
          for (int k = 0; curve && k < curve->KeyGetCount(); ++k, ++keys)
            ASSERT_EQ(curve->KeyGet(k).GetInterpolation(), KFCURVE_INTERPOLATION_LINEAR) << node->Name() << path;
        }
    }
    EXPECT_GE(keys, 120 * 3 * 21);  // each joint's three rotation curves, a key per sample
  }
}

// Keys of an older file's model channels belong to its "Default" take,
// which the newer form stores as values only: the copy would stand still,
// the check says so, and nothing is left behind.
TEST(CliConvert, FailedCheckLeavesNoFile) {
  using namespace ImportFields;
  KFbxWriteSection older = OlderFile({{"Reference", "Null", {"Hips"}}, {"Hips", "LimbNode", {}}});
  for (F& field : older)
    if (field.m_xName == "Model" && field.m_xValues[0].m_xBytes.find("Hips") != std::string::npos)
      field.m_xChildren.push_back(TranslationX(
          {V::Int64(0), V::Double(0), V::Char('L'), V::Int64(KTime::kOneSecond), V::Double(10), V::Char('L')}));
  const std::string folder = clitest::makeTempFolder("failing");
  const std::string source = folder + "/moving.fbx";
  ASSERT_TRUE(WriteFields(source, older, true, 5000));
  ASSERT_GT(worstDeviation(pose(source, {0.0}), pose(source, {1.0})), 0.01);  // the source moves
  const std::string out = folder + "/copy.fbx";
  const auto r = boneplay("convert '" + source + "' -o '" + out + "'");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("in take \"Default\" the file poses up to"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("; no file was written"), std::string::npos) << r.err;
  EXPECT_EQ(r.out, "");
  EXPECT_FALSE(exists(out));
  std::vector<std::string> left;
  DIR* dir = opendir(folder.c_str());
  ASSERT_TRUE(dir);
  while (dirent* entry = readdir(dir))
    if (entry->d_name[0] != '.' || std::string(entry->d_name).find("copy") != std::string::npos)
      left.push_back(entry->d_name);
  closedir(dir);
  EXPECT_EQ(left, std::vector<std::string>{"moving.fbx"});
}

}  // namespace
