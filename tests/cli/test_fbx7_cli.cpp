// FBX 7.x clips through the command line: `info` and `pose` read them with
// boneplay's own 7.x reader (stacks as takes, layers listed), `render`
// shows them through the module from a 6.1 copy, `convert` writes them and
// reads them, and any clip goes to BVH and back keeping its pose.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli_pose.h"
#include "cli_runner.h"
#include "fbx_scene_writer.h"
#include "fbxsdk/fileio/kfbx_field_sink.h"
#include "fbxsdk/fileio7/kfbx7_scene_fields.h"
#include "fbxsdk/scene/kfbx_scene_graph.h"
#include "fbxsdk/scene/kfbx_sdk_manager.h"
#include "test_tmpdir.h"

using clitest::boneplay;
using clitest::eighths;
using clitest::infoJson;
using clitest::pose;
using clitest::worstDeviation;

namespace {

constexpr double kTolerance = 1e-5;

// The skeleton scene as a 7.x file; with bExtraLayer its "Walk" stack gets
// a second layer, which the reader lists and does not play.
std::string write7(const std::string& name, int version, bool binary, bool extraLayer = false) {
  KFbxSdkManager manager;
  KFbxSceneGraph* scene = BuildSkeletonScene(manager);
  std::vector<KFbxWriteField> fields;
  KFbxTreeSink sink(fields);
  KFbx7PutScene(sink, *scene, KFbx7SceneOptions(), version);
  if (extraLayer) {
    KFbxWriteField *objects = nullptr, *connections = nullptr;
    for (KFbxWriteField& field : fields) {
      if (field.m_xName == "Objects") objects = &field;
      if (field.m_xName == "Connections") connections = &field;
    }
    int64_t walk = 0;
    for (const KFbxWriteField& object : objects->m_xChildren)
      if (object.m_xName == "AnimationStack" && object.m_xValues[1].m_xBytes == "AnimStack::Walk")
        walk = object.m_xValues[0].m_llInt;
    objects->Child("AnimationLayer", {KFbxWriteValue::Int64(99), KFbxWriteValue::ObjectName("AnimLayer", "Extra"),
                                      KFbxWriteValue::String("")});
    connections->Child("C", {KFbxWriteValue::String("OO"), KFbxWriteValue::Int64(99), KFbxWriteValue::Int64(walk)});
  }
  KFbx7WriteOptions options;
  options.m_iVersion = version;
  options.m_bBinary = binary;
  std::string error;
  const std::string bytes = KFbx7WriteBytes(fields, options, &error);
  EXPECT_TRUE(error.empty()) << error;
  return clitest::writeTemp(name, bytes);
}

}  // namespace

TEST(CliFbx7, InfoAndPoseReadEveryForm) {
  KFbxSdkManager manager;
  std::string error;
  const std::string six =
      WriteScene(*BuildSkeletonScene(manager), {"6100", 6100, true, false, 6100, true, false}, "scene61", &error);
  ASSERT_FALSE(six.empty()) << error;
  const struct {
    const char* name;
    int version;
    bool binary;
    const char* encoding;
  } cases[] = {{"7400 binary", 7400, true, "binary"},
               {"7500 binary", 7500, true, "binary"},
               {"7400 ascii", 7400, false, "ascii"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string clip = write7("scene7_" + std::to_string(&c - cases) + ".fbx", c.version, c.binary, true);
    const nlohmann::json info = infoJson(clip);
    EXPECT_EQ(info["kind"], "fbx");
    EXPECT_EQ(info["fbx_version"], c.version);
    EXPECT_EQ(info["fbx_encoding"], c.encoding);
    EXPECT_EQ(info["takes"], infoJson(six)["takes"]);
    EXPECT_EQ(info["take"], "Walk");
    EXPECT_EQ(info["stacks"][0]["layers"], nlohmann::json({"BaseLayer", "Extra"}));
    const auto text = boneplay("info '" + clip + "'");
    EXPECT_NE(text.out.find("layers: \"Walk\": BaseLayer, Extra; \"Run\": BaseLayer (only each stack's first layer "
                            "plays; further layers are not blended)\n"),
              std::string::npos)
        << text.out;
    for (const char* take : {"Walk", "Run"}) {
      SCOPED_TRACE(take);
      const std::string choice = std::string("--take ") + take;
      EXPECT_LE(worstDeviation(pose(six, eighths(), choice), pose(clip, eighths(), choice)), kTolerance);
    }
    EXPECT_GT(worstDeviation(pose(clip, {0.5}, "--take Walk"), pose(clip, {0.5}, "--take Run")), 0.01);
  }
  // A damaged 7.x file is named with its version and the reader's reason.
  const std::string whole = clitest::slurp(write7("cut.fbx", 7500, true));
  const auto cut = boneplay("info '" + clitest::writeTemp("cut7.fbx", whole.substr(0, whole.size() / 2)) + "'");
  EXPECT_EQ(cut.status, 1);
  EXPECT_NE(cut.err.find("an FBX 7.5.0 file: "), std::string::npos) << cut.err;
}

// render hands the module a 6.1 copy, says so, and draws what the 6.1
// conversion of the same file draws.
TEST(CliFbx7, RenderShowsA61Copy) {
  const std::string clip = write7("render7.fbx", 7500, true);
  const std::string six = boneplay_test::TempPath("render61.fbx");
  ASSERT_EQ(boneplay("convert '" + clip + "' -o '" + six + "'").status, 0);
  const auto picture = [](const std::string& source, const std::string& name) {
    const std::string out = boneplay_test::TempPath(name);
    const auto r = boneplay("render '" + source + "' --at 0.5 --view front -o '" + out + "'");
    EXPECT_EQ(r.status, 0) << r.err;
    return std::make_pair(clitest::slurp(out), r.err);
  };
  const auto seven = picture(clip, "seven.svg");
  EXPECT_NE(seven.second.find("is an FBX 7.5.0 file, which the module does not read: it is shown from a 6.1 copy"),
            std::string::npos)
      << seven.second;
  EXPECT_EQ(seven.first, picture(six, "six.svg").first);
  EXPECT_NE(seven.first.find("<line"), std::string::npos);
}

// walk.bvh -> 7.5 -> 6.1 -> 7.4 ASCII -> BVH -> 6.1: the pose at every
// sample stays the clip's.
TEST(CliFbx7, ConvertChainKeepsThePose) {
  const std::string walk = std::string(BONEPLAY_SOURCE_DIR) + "/samples/walk.bvh";
  const struct {
    const char* out;
    const char* args;
  } steps[] = {{"chain1.fbx", "--version 7500"},
               {"chain2.fbx", ""},
               {"chain3.fbx", "--version 7400 --ascii"},
               {"chain4.bvh", ""},
               {"chain5.fbx", ""}};
  std::string from = walk;
  const std::vector<double> times = clitest::sampleTimes(120);
  const nlohmann::json source = pose(walk, times);
  for (const auto& step : steps) {
    SCOPED_TRACE(step.out);
    const std::string out = boneplay_test::TempPath(step.out);
    const auto r = boneplay("convert '" + from + "' -o '" + out + "' " + step.args);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_LE(worstDeviation(source, pose(out, times)), kTolerance);
    from = out;
  }
  const std::string bvh = clitest::slurp(boneplay_test::TempPath("chain4.bvh"));
  EXPECT_NE(bvh.find("ROOT Hips\n{\n  OFFSET 0 96.5 0\n  CHANNELS 6 Xposition Yposition Zposition Zrotation "
                     "Yrotation Xrotation\n"),
            std::string::npos)
      << bvh.substr(0, 300);
  EXPECT_NE(bvh.find("MOTION\nFrames: 120\nFrame Time: 0.0333333333\n"), std::string::npos);
}

// Rows of a BVH file: the key rate where keys are evenly spaced, or --fps;
// what BVH cannot hold (the scene's shear) is reported, not refused.
TEST(CliFbx7, BvhRowsAndWhatBvhCannotHold) {
  const std::string clip = write7("rows7.fbx", 7400, true);
  const struct {
    const char* args;
    const char* frames;
  } cases[] = {{"--take Walk", "Frames: 3\nFrame Time: 0.5\n"},  // keys every 0.5 s over the 1 s take
               {"--take Run --fps 10", "Frames: 21\nFrame Time: 0.1\n"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args);
    const std::string out = boneplay_test::TempPath("rows_" + std::to_string(&c - cases) + ".bvh");
    const auto r = boneplay("convert '" + clip + "' -o '" + out + "' " + c.args);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(clitest::slurp(out).find(c.frames), std::string::npos) << clitest::slurp(out);
  }
  const std::string out = boneplay_test::TempPath("sheared.bvh");
  const auto r = boneplay("convert '" + clip + "' -o '" + out + "' --take Walk --fps 8");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("BVH has no shear: the joint LeftLeg"), std::string::npos) << r.err;
  EXPECT_NE(clitest::slurp(out).find("CHANNELS 6 Zrotation Yrotation Xrotation Xscale Yscale Zscale"),
            std::string::npos);
  const auto strict = boneplay("convert '" + clip + "' -o '" + out + "x.bvh' --take Walk --strict");
  EXPECT_EQ(strict.status, 1);
  EXPECT_EQ(boneplay("convert '" + clip + "' -o out.txt").status, 2);
  EXPECT_EQ(boneplay("convert '" + clip + "' -o out.bvh --ascii").status, 2);
}
