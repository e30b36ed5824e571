#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "fbx_fields.h"
#include "fbx_skl_check.h"
#include "fbx_skl_generator.h"
#include "fbxsdk/core/ktime.h"
#include "fbxsdk/scene/kfbx_node.h"
#include "fbxsdk/scene/kfbx_scene_graph.h"
#include "fbxsdk/scene/kfbx_sdk_manager.h"
#include "motion_file.h"
#include "test_tmpdir.h"

using Kvat::Matrix4;
using Kvat::Vector3;
using Kvat::Secne::FbxAttribute;
using Kvat::Secne::FbxRoot;
using Kvat::Secne::Node;

namespace {

// A root whose import failed (the file does not exist): it has a manager and
// an empty scene that a test fills by hand before adopting it.
std::unique_ptr<FbxRoot> EmptyRoot() {
  const std::string missing = boneplay_test::TempPath("missing.fbx");
  std::unique_ptr<FbxRoot> root(Kvat::Secne::createFbxRoot(missing.c_str()));
  EXPECT_NE(root, nullptr);
  EXPECT_EQ(root->outcome(), FbxRoot::Outcome::kOpenFailed);
  EXPECT_TRUE(root->top()->children().empty());
  return root;
}

// "Parent/Child" paths below the scene's root node; a trailing "*" makes the
// node a skeleton joint. Parents must come before their children.
void BuildScene(FbxRoot& root, const std::vector<std::string>& paths) {
  KFbxSdkManager& manager = *root.manager();
  KFbxNode* top = root.scene()->RootNode();
  for (std::string path : paths) {
    const bool joint = !path.empty() && path.back() == '*';
    if (joint) path.pop_back();
    const std::size_t slash = path.find_last_of('/');
    const std::string parentPath = slash == std::string::npos ? std::string() : path.substr(0, slash);
    const std::size_t parentSlash = parentPath.find_last_of('/');
    const std::string parentName = parentSlash == std::string::npos ? parentPath : parentPath.substr(parentSlash + 1);
    KFbxNode* parent = parentName.empty() ? top : top->FindDescendant(parentName.c_str());
    ASSERT_NE(parent, nullptr) << path;
    KFbxNode* node = manager.CreateNode(path.substr(slash == std::string::npos ? 0 : slash + 1).c_str());
    parent->AddChild(node);
    if (joint) node->SetAttribute(manager.CreateSkeleton("s", KFbxSkeleton::eLIMB_NODE));
  }
}

std::vector<std::string> JointNames(FbxRoot& root) {
  std::vector<std::string> names;
  std::vector<Node*> pending(root.top()->children().rbegin(), root.top()->children().rend());
  while (!pending.empty()) {
    Node* node = pending.back();
    pending.pop_back();
    names.push_back(node->name());
    for (auto it = node->children().rbegin(); it != node->children().rend(); ++it) pending.push_back(*it);
  }
  return names;
}

}  // namespace

TEST(FbxFileChoice, FormatCodesAndReaderFromTheName) {
  const struct {
    const char* name;
    int format;
    Kvat::MotionReader reader;
  } cases[] = {
      {"walk.FBX", 0, Kvat::MotionReader::kFbx},    {"walk.fbx", 0, Kvat::MotionReader::kFbx},
      {"walk", 0, Kvat::MotionReader::kFbx},        {"archive.v2/take", 0, Kvat::MotionReader::kFbx},
      {"Shape.OBJ", 5, Kvat::MotionReader::kFbx},   {"a.3Ds", 4, Kvat::MotionReader::kFbx},
      {"plan.dxf", 3, Kvat::MotionReader::kFbx},    {"walk.BVH", 0, Kvat::MotionReader::kFbx},
      {"run.htr", 0, Kvat::MotionReader::kFbx},     {"walk.bvh", 0, Kvat::MotionReader::kBvh},
      {"take.01.bvh", 0, Kvat::MotionReader::kBvh}, {"obj", 0, Kvat::MotionReader::kFbx},
      {"bvh", 0, Kvat::MotionReader::kBvh},         {"x.obj.fbx", 0, Kvat::MotionReader::kFbx},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Kvat::Secne::formatFromExtension(c.name), c.format);
    EXPECT_EQ(Kvat::readerForMotionFile(c.name), c.reader);
  }
  EXPECT_EQ(Kvat::Secne::formatFromExtension(nullptr), 0);
}

TEST(FbxSkeletonStart, WhereTheSkeletonStarts) {
  const struct {
    const char* what;
    std::vector<std::string> scene;
    FbxRoot::Outcome outcome;
    std::vector<std::string> joints;
  } cases[] = {
      {"Hips directly under the scene root", {"Hips*", "Hips/Leg*"}, FbxRoot::Outcome::kNoHips, {}},
      {"Hips under a reference",
       {"Reference", "Reference/Hips*", "Reference/Hips/Leg*", "Reference/Hips/Leg/Foot"},
       FbxRoot::Outcome::kSkeleton,
       {"Model::Hips", "Model::Leg", "Model::Foot"}},
      {"first of two namespaced references",
       {"A:Ref", "A:Ref/A:Hips*", "A:Ref/A:Hips/A:Spine*", "B:Ref", "B:Ref/B:Hips*"},
       FbxRoot::Outcome::kSkeleton,
       {"Model::A:Hips", "Model::A:Spine"}},
      {"case matters", {"Reference", "Reference/hips*"}, FbxRoot::Outcome::kNoHips, {}},
      {"nested namespace", {"A:B:Root", "A:B:Root/A:B:Hips*"}, FbxRoot::Outcome::kSkeleton, {"Model::A:B:Hips"}},
      {"no skeleton joint anywhere", {"Reference", "Reference/Hips"}, FbxRoot::Outcome::kNoSkeletonNode, {}},
      {"a skeleton deep below a second top node",
       {"Mesh", "Reference", "Reference/Group", "Reference/Group/Hips", "Reference/Group/Hips/Arm*"},
       FbxRoot::Outcome::kSkeleton,
       {"Model::Hips", "Model::Arm"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::unique_ptr<FbxRoot> root = EmptyRoot();
    BuildScene(*root, c.scene);
    const bool adopted = root->adoptImportedScene();
    EXPECT_EQ(adopted, c.outcome != FbxRoot::Outcome::kNoSkeletonNode);
    EXPECT_EQ(root->outcome(), c.outcome);
    EXPECT_EQ(JointNames(*root), c.joints);
    EXPECT_EQ(root->top()->name(), "Root");
  }
}

TEST(FbxTakeChoice, FirstTakeAfterDefaultWhenAnyTakeIsDescribed) {
  const struct {
    const char* what;
    std::vector<const char*> rootTakes, hipsTakes, records;
    const char* expected;
  } cases[] = {
      {"record only for the third name", {"Take 001"}, {"Take 002"}, {"Take 002"}, "Take 001"},
      {"no record at all", {"Take 001"}, {"Take 002"}, {}, "Default"},
      {"record for the first take", {}, {"Take 001", "Take 002"}, {"Take 001"}, "Take 001"},
      {"only Default, with a record for it", {}, {}, {"Default"}, "Default"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::unique_ptr<FbxRoot> root = EmptyRoot();
    BuildScene(*root, {"Reference", "Reference/Hips*"});
    KFbxSceneGraph* scene = root->scene();
    KFbxNode* hips = scene->RootNode()->FindDescendant("Hips");
    for (const char* take : c.rootTakes) scene->RootNode()->AddTakeNode(take);
    for (const char* take : c.hipsTakes) hips->AddTakeNode(take);
    scene->AddTakeObject(hips);
    for (const char* take : c.records) scene->AddTakeInfo(KFbxTakeRecord(take));
    ASSERT_TRUE(root->adoptImportedScene());
    EXPECT_EQ(root->currentTakeName(), c.expected);
    EXPECT_STREQ(scene->GetCurrentTakeName(), c.expected);
    EXPECT_EQ(root->takeNames().front()->Buffer(), std::string("Default"));
  }
}

TEST(FbxJointEvaluation, GlobalMatrixOfTheNodeScaledByTheRoot) {
  std::unique_ptr<FbxRoot> root = EmptyRoot();
  BuildScene(*root, {"Reference", "Reference/Hips*", "Reference/Hips/Leg*"});
  KFbxNode* hips = root->scene()->RootNode()->FindDescendant("Hips");
  KFbxNode* leg = root->scene()->RootNode()->FindDescendant("Leg");
  hips->AddTakeNode("Take 001");
  leg->AddTakeNode("Take 001");
  root->scene()->AddTakeObject(hips);
  root->scene()->AddTakeObject(leg);
  root->scene()->AddTakeInfo(KFbxTakeRecord("Take 001"));
  ASSERT_TRUE(root->adoptImportedScene());
  // Hips moves along X over one second; the leg hangs below, turned about Z.
  KFCurveNode* take = hips->GetTakeNode(1)->GetKFCurveNode();
  KFCurve* x = take->Find("Transform/T/X")->FCurveGet();
  x->KeyAppend(KTime::FromSeconds(0.0), 0.0f);
  x->KeyAppend(KTime::FromSeconds(1.0), 10.0f);
  for (int i = 0; i < 2; ++i) x->KeySetInterpolation(i, KFCURVE_INTERPOLATION_LINEAR);
  leg->GetTakeNode(1)->GetKFCurveNode()->Find("Transform/T/Y")->FCurveGet()->SetValue(-5.0f);
  leg->GetTakeNode(1)->GetKFCurveNode()->Find("Transform/R/Z")->FCurveGet()->SetValue(90.0f);

  Node* hipsJoint = root->top()->children().at(0);
  Node* legJoint = hipsJoint->children().at(0);
  auto* legAttribute = dynamic_cast<FbxAttribute*>(legJoint->attrib());
  ASSERT_NE(legAttribute, nullptr);
  EXPECT_EQ(legAttribute->fbxNode(), leg);

  Matrix4 garbage;
  garbage.setScaling(Vector3(7, 7, 7));
  const Matrix4 first = legAttribute->evaluateWorld(0.25, garbage);
  const Matrix4 again = legAttribute->evaluateWorld(0.25, Matrix4());
  const Matrix44& global = leg->GlobalMatrixAt(KTime::FromSeconds(0.25));
  for (int k = 0; k < 16; ++k) {
    EXPECT_EQ(first[k], again[k]) << k;
    EXPECT_EQ(first[k], global[k / 4][k % 4]) << k;
  }
  EXPECT_NEAR(first(3, 0), 2.5, 1e-6);
  EXPECT_NEAR(first(3, 1), -5.0, 1e-6);
  EXPECT_NEAR(first(0, 1), 1.0, 1e-12);  // X axis turned onto Y

  root->setScale(Vector3(2, 2, 2));
  for (Node* node : {root->top(), hipsJoint, legJoint}) {
    const Matrix4& local = node->attrib()->local();
    EXPECT_EQ(local(0, 0), 2.0);
    EXPECT_EQ(local(3, 3), 1.0);
  }
  EXPECT_EQ(root->scaleMatrix()(0, 0), 1.0);  // the root's own scale stays
  root->rootMatrix().setIdentity();
  root->evaluate(0.25);
  const Matrix4& scaled = legAttribute->world();
  for (int k = 0; k < 16; ++k) EXPECT_NEAR(scaled[k], (k % 4 == 3) ? first[k] : 2 * first[k], 1e-12) << k;
}

TEST(FbxJointEvaluation, DepthLimitKeepsTheChainUpToTheLimit) {
  for (int extra : {0, 1}) {
    SCOPED_TRACE(extra);
    std::unique_ptr<FbxRoot> root = EmptyRoot();
    KFbxSdkManager& manager = *root->manager();
    KFbxNode* parent = manager.CreateNode("Reference");
    root->scene()->RootNode()->AddChild(parent);
    // Hips at depth 0, then joints down to depth kMaxFbxJointDepth + extra.
    for (int depth = 0; depth <= Kvat::Secne::kMaxFbxJointDepth + extra; ++depth) {
      KFbxNode* node = manager.CreateNode(depth == 0 ? "Hips" : ("J" + std::to_string(depth)).c_str());
      node->SetAttribute(manager.CreateSkeleton("s", KFbxSkeleton::eLIMB_NODE));
      parent->AddChild(node);
      parent = node;
    }
    ASSERT_TRUE(root->adoptImportedScene());
    EXPECT_EQ(JointNames(*root).size(), static_cast<std::size_t>(Kvat::Secne::kMaxFbxJointDepth + 1));
    EXPECT_EQ(root->skippedJoints(), extra);
  }
}

TEST(FbxSkeletonChecks, ReportNameSourceAndLineAndGoOn) {
  std::unique_ptr<FbxRoot> root = EmptyRoot();
  testing::internal::CaptureStderr();
  EXPECT_FALSE(root->importScene(nullptr));
  EXPECT_TRUE(Kvat::Secne::fbxSklCheck(true, "never", 1));
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "Assertion failed: pxImporter, file lib\\fbx_lib/fbx_skl_generator, line 148\n");
}

TEST(FbxLoad, OtherNamesReachTheFbxReaderAndComeBackWithoutSkeleton) {
  // A BVH clip under a name that is not exactly ".bvh": the importer opens
  // its reader at the import, and the FBX reader looks for "walk.BVH.fbx",
  // which is not there.
  const std::string path = boneplay_test::TempPath("walk.BVH");
  std::FILE* file = std::fopen(path.c_str(), "w");
  ASSERT_NE(file, nullptr);
  std::fputs("HIERARCHY\nROOT Hips\n{\nOFFSET 0 0 0\n}\nMOTION\nFrames: 0\nFrame Time: 0.1\n", file);
  std::fclose(file);
  std::unique_ptr<FbxRoot> root(Kvat::Secne::createFbxRoot(path.c_str()));
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(root->outcome(), FbxRoot::Outcome::kImportFailed);
  EXPECT_FALSE(root->fileRead());
  EXPECT_NE(root->importMessage().find("walk.BVH.fbx"), std::string::npos) << root->importMessage();
  EXPECT_TRUE(root->top()->children().empty());
  EXPECT_TRUE(root->takeNames().empty());
}

// Files laid out as other programs write them, through the whole load: the
// take the rule picks follows the take nodes the file gives, and an older
// file's bare child names build the skeleton.
TEST(FbxLoad, TakeAndSkeletonFromFilesAsTheyCome) {
  using namespace ImportFields;
  const std::vector<F> models = {Model("Reference", "Null"), Model("Hips", "LimbNode"), Model("Spine", "LimbNode")};
  const std::vector<F> links = {Connect("Model::Hips", "Model::Reference"), Connect("Model::Spine", "Model::Hips")};
  const struct {
    const char* name;
    KFbxWriteSection file;
    int headerVersion;
    std::vector<std::string> takes;
    std::string current;
  } cases[] = {
      {"a take naming no object plays Default",
       File(models, links, {Take("Empty", {})}, "Empty"),
       6100,
       {"Default"},
       "Default"},
      {"the first model's only take wins",
       File(models, links,
            {MovingTake("Walk", {"Hips"}), MovingTake("Run", {"Reference"}), MovingTake("Idle", {"Hips"})}, "Walk"),
       6100,
       {"Default", "Run", "Walk", "Idle"},
       "Run"},
      {"5.0 file with bare child names",
       OlderFile({{"Spine", "LimbNode", {}}, {"Reference", "Null", {"Hips"}}, {"Hips", "LimbNode", {"Spine"}}},
                 {MovingTake("Walk", {"Hips"})}, "Walk"),
       5000,
       {"Default", "Walk"},
       "Walk"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = boneplay_test::TempPath("as_they_come.fbx");
    std::string error;
    ASSERT_TRUE(WriteFields(path, c.file, true, c.headerVersion, &error)) << error;
    std::unique_ptr<FbxRoot> root(Kvat::Secne::createFbxRoot(path.c_str()));
    ASSERT_NE(root, nullptr);
    ASSERT_EQ(root->outcome(), FbxRoot::Outcome::kSkeleton) << root->importMessage();
    std::vector<std::string> takes;
    for (const auto& name : root->takeNames()) takes.emplace_back(name->Buffer());
    EXPECT_EQ(takes, c.takes);
    EXPECT_EQ(root->currentTakeName(), c.current);
    EXPECT_EQ(JointNames(*root), (std::vector<std::string>{"Model::Hips", "Model::Spine"}));
  }
}
