// The user's choices about an FBX clip beside the module's: --take, --root,
// the joint names that match across files, and outputs that appear only
// whole.
#include <dirent.h>
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "cli_runner.h"
#include "fbx_fields.h"
#include "test_tmpdir.h"

using clitest::boneplay;
using namespace ImportFields;

namespace {

// A take moving Spine's translation X (its Y is 1) from `from` at 0 s to
// `to` at 1 s: each take bends the figure its own way.
F SpineTake(const std::string& take, double from, double to) {
  return Take(take, {Field("Model", {V::ObjectName("Model", "Spine")},
                           {TranslationX({V::Int64(0), V::Double(from), V::String("L"), V::Int64(46186158000),
                                          V::Double(to), V::String("L")})})});
}

std::string writeClip(const std::string& name, KFbxWriteSection section, int version = 6100) {
  const std::string path = boneplay_test::TempPath(name);
  std::string error;
  EXPECT_TRUE(WriteFields(path, std::move(section), true, version, &error)) << error;
  return path;
}

const std::vector<F> kModels = {
    Model("Reference", "Null"), Model("Hips", "LimbNode"),
    Model("Spine", "LimbNode", {Field("Properties60", {}, {Vector3Property("Lcl Translation", 0, 1, 0)})})};
const std::vector<F> kLinks = {Connect("Model::Hips", "Model::Reference"), Connect("Model::Spine", "Model::Hips")};

std::vector<std::string> folderEntries(const std::string& folder) {
  std::vector<std::string> names;
  if (DIR* dir = opendir(folder.c_str())) {
    while (dirent* entry = readdir(dir))
      if (entry->d_name[0] != '.' || std::string(entry->d_name).find(".part-") != std::string::npos)
        names.emplace_back(entry->d_name);
    closedir(dir);
  }
  return names;
}

}  // namespace

// Each command shows the take asked for; an unknown take or a take of a BVH
// clip is a usage error that lists what there is.
TEST(CliFbxChoices, TakeChosenByName) {
  const std::string clip =
      writeClip("takes.fbx", File(kModels, kLinks, {SpineTake("Walk", 1, 2), SpineTake("Run", 5, 7)}, "Walk"));
  const struct {
    const char* take;  // "" for the module's choice
    double spineXAtHalf;
  } cases[] = {{"", 1.5}, {"Walk", 1.5}, {"Run", 6.0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.take);
    const std::string take = *c.take ? std::string(" --take ") + c.take : std::string();
    const auto pose = boneplay("pose '" + clip + "' --times 0.5" + take);
    ASSERT_EQ(pose.status, 0) << pose.err;
    const auto doc = nlohmann::json::parse(pose.out);
    EXPECT_EQ(doc["take"], *c.take ? c.take : "Walk");
    ASSERT_EQ(doc["nodes"][2]["joint"], "Spine");
    EXPECT_NEAR(doc["nodes"][2]["world"][0][12].get<double>(), c.spineXAtHalf, 1e-6);
    EXPECT_NEAR(doc["nodes"][2]["world"][0][13].get<double>(), 1.0, 1e-6);
    const auto info = boneplay("info '" + clip + "'" + take);
    EXPECT_NE(info.out.find(std::string("\"") + (*c.take ? c.take : "Walk") + "\" (current)"), std::string::npos)
        << info.out;
    EXPECT_NE(info.out.find("take \"Walk\": 0.000 s to 1.000 s, 2 key times; the module plays it; the file's current"),
              std::string::npos)
        << info.out;
  }
  const auto unknown = boneplay("info '" + clip + "' --take walk");
  EXPECT_EQ(unknown.status, 2);
  EXPECT_NE(unknown.err.find("it has no take \"walk\"; its takes: \"Default\", \"Walk\", \"Run\""), std::string::npos)
      << unknown.err;
  const std::string bvh = clitest::writeTemp(
      "one.bvh",
      "HIERARCHY\nROOT Hips\n{\nOFFSET 0 0 0\nCHANNELS 1 Xposition\nEnd Site\n{\nOFFSET 0 1 0\n}\n}\n"
      "MOTION\nFrames: 1\nFrame Time: 0.1\n0\n");
  EXPECT_EQ(boneplay("pose '" + bvh + "' --take Walk").status, 2);
}

// render --take shows that take through the module: the same picture as a
// file that holds only that take, and not the module's own choice.
TEST(CliFbxChoices, RenderShowsTheChosenTake) {
  const std::string all =
      writeClip("all.fbx", File(kModels, kLinks, {SpineTake("Walk", 1, 2), SpineTake("Run", 5, 7)}, "Walk"));
  const std::string runOnly = writeClip("run.fbx", File(kModels, kLinks, {SpineTake("Run", 5, 7)}, "Run"));
  const auto picture = [](const std::string& clip, const std::string& options, const std::string& name) {
    const std::string out = boneplay_test::TempPath(name);
    const auto r = boneplay("render '" + clip + "' --at 0.5 --view front -o '" + out + "' " + options);
    EXPECT_EQ(r.status, 0) << r.err;
    return clitest::slurp(out);
  };
  const std::string chosen = picture(all, "--take Run", "chosen.svg");
  EXPECT_EQ(chosen, picture(runOnly, "", "only.svg"));
  EXPECT_NE(chosen, picture(all, "", "module.svg"));
  const auto gif = boneplay("render '" + all + "' --to 0.1 --take Run -o '" + boneplay_test::TempPath("run.gif") + "'");
  EXPECT_EQ(gif.status, 0) << gif.err;
  EXPECT_NE(gif.out.find(", take \"Run\""), std::string::npos) << gif.out;
  EXPECT_NE(clitest::slurp(boneplay_test::TempPath("run.gif")).find("all.fbx, take \"Run\""), std::string::npos);
}

// Rigs whose start the module's "Hips" search misses: the error lists what
// there is and suggests --root, which then starts the skeleton there.
TEST(CliFbxChoices, RootNamesTheSkeletonsStart) {
  const struct {
    const char* name;
    KFbxWriteSection file;
    int version;
    const char* root;
    std::string listed;  // what the error without --root names
    std::string start;
    std::vector<std::string> joints;
  } cases[] = {
      {"namespaced hips under the scene",
       File({Model("mixamorig:Hips", "LimbNode"), Model("mixamorig:Spine", "LimbNode")},
            {Connect("Model::mixamorig:Spine", "Model::mixamorig:Hips")}),
       6100,
       "mixamorig:Hips",
       "its top-level models: \"Model::mixamorig:Hips\"; nodes named like hips: \"Model::mixamorig:Hips\"; name the "
       "skeleton's first joint with --root",
       "Model::mixamorig:Hips",
       {"Hips", "Spine"}},
      {"5.x rig rooted at Bip01",
       OlderFile({{"Bip01", "Limb", {"Bip01 Pelvis"}},
                  {"Bip01 Pelvis", "Limb", {"Bip01 Spine"}},
                  {"Bip01 Spine", "Limb", {}}}),
       5000,
       "Model::Bip01",
       "its top-level models: \"Model::Bip01\"; name the skeleton's first joint with --root",
       "Model::Bip01",
       {"Bip01", "Bip01 Pelvis", "Bip01 Spine"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string clip = writeClip("rig.fbx", c.file, c.version);
    const auto plain = boneplay("info '" + clip + "'");
    EXPECT_EQ(plain.status, 1);
    EXPECT_NE(plain.err.find(c.listed), std::string::npos) << plain.err;
    const auto info = boneplay("info '" + clip + "' --root '" + c.root + "'");
    EXPECT_EQ(info.status, 0) << info.err;
    EXPECT_NE(info.out.find("skeleton start: " + c.start + "\n"), std::string::npos) << info.out;
    const auto pose = boneplay("pose '" + clip + "' --root '" + c.root + "'");
    ASSERT_EQ(pose.status, 0) << pose.err;
    std::vector<std::string> joints;
    const auto doc = nlohmann::json::parse(pose.out);
    for (const auto& node : doc["nodes"])
      if (node.contains("joint")) joints.push_back(node["joint"]);
    EXPECT_EQ(joints, c.joints);
    const auto missing = boneplay("info '" + clip + "' --root Nobody");
    EXPECT_EQ(missing.status, 2);
    EXPECT_NE(missing.err.find("it has no node \"Nobody\""), std::string::npos) << missing.err;
  }
}

// A take without keys is posed once, at its start; info says it has none.
TEST(CliFbxChoices, KeylessTakePosesOnceAtItsStart) {
  const std::string clip =
      writeClip("keyless.fbx",
                File(kModels, kLinks,
                     {Take("Still", {F("LocalTime", {V::Int64(46186158000), V::Int64(5 * 46186158000LL)})})}, "Still"));
  const auto pose = boneplay("pose '" + clip + "' --every-sample --take Still");
  ASSERT_EQ(pose.status, 0) << pose.err;
  EXPECT_EQ(nlohmann::json::parse(pose.out)["times"], nlohmann::json::array({1.0}));
  const auto info = boneplay("info '" + clip + "' --take Still");
  EXPECT_NE(info.out.find("take \"Still\": 1.000 s to 5.000 s, no keys"), std::string::npos) << info.out;
}

// A picture that cannot be put in place leaves nothing behind: no partial
// file under the final name or a hidden one.
TEST(CliFbxChoices, FailedRenderLeavesNoFile) {
  const std::string folder = clitest::makeTempFolder("blocked");
  const std::string target = folder + "/walk.gif";
  ASSERT_EQ(std::string(clitest::makeTempFolder("blocked/walk.gif")), target);  // a folder where the file would go
  const auto r = boneplay("render --to 0.1 -o '" + target + "'");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("cannot write '" + target + "'"), std::string::npos) << r.err;
  EXPECT_EQ(folderEntries(folder), std::vector<std::string>{"walk.gif"});
}
