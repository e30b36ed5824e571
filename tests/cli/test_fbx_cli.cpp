// FBX clips on the command line: convert, and info, pose and render of the
// files it writes.
#include <dirent.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "cli_pose.h"
#include "cli_runner.h"
#include "fbx_fields.h"
#include "fbxsdk/fileio/kfbx_writer.h"
#include "test_tmpdir.h"

using clitest::boneplay;
using clitest::pose;
using clitest::sampleTimes;
using clitest::worstDeviation;

namespace {

// Channels an FBX transform cannot hold directly: rotations before
// positions, a scale channel, and two end sites of the same name.
const char* const kAwkwardClip =
    "HIERARCHY\nROOT Hips\n{\nOFFSET 1 2 3\n"
    "CHANNELS 6 Zrotation Xrotation Yrotation Xposition Yposition Zposition\n"
    "JOINT Chest\n{\nOFFSET 0 5 0\nCHANNELS 6 Xrotation Xscale Yscale Zscale Zrotation Yposition\n"
    "End Site\n{\nOFFSET 0 5 0\n}\n}\n"
    "JOINT Leg\n{\nOFFSET 2 -5 0\nCHANNELS 3 Yrotation Zrotation Xrotation\n"
    "End Site\n{\nOFFSET 0 -5 1\n}\n}\n}\n"
    "MOTION\nFrames: 4\nFrame Time: 0.0333\n"
    "0 0 0 0 0 0  0 1 1 1 0 0  0 0 0\n"
    "30 45 60 1 2 3  20 2 0.5 1.5 10 1  170 -95 181\n"
    "-179 89.9 10 4 5 6  -40 -1 1 2 -30 -2  -181 95 -170\n"
    "181 -90 -179 0 0 0  90 1 1 1 90 0  360 0 -360\n";

TEST(CliConvert, EveryFormPosesLikeTheSourceAtEverySample) {
  const std::string clip = clitest::writeTemp("awkward.bvh", kAwkwardClip);
  const std::vector<double> times = sampleTimes(4);
  const nlohmann::json source = pose(clip, times);
  const struct {
    const char* args;
    const char* name;
  } forms[] = {{"", "binary.fbx"},
               {"--ascii", "ascii.fbx"},
               {"--binary --version 5800", "binary58.fbx"},
               {"--ascii --version 5800", "ascii58.FBX"}};
  for (const auto& f : forms) {
    SCOPED_TRACE(f.name);
    const std::string out = boneplay_test::TempPath(f.name);
    const auto r = boneplay("convert '" + clip + "' -o '" + out + "' " + f.args);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("5 joints, 4 samples at 30 per second"), std::string::npos) << r.out;
    const nlohmann::json converted = pose(out, times);
    EXPECT_EQ(converted["kind"], "fbx");
    EXPECT_EQ(converted["take"], "Take 001");
    const auto& nodes = converted["nodes"];
    ASSERT_EQ(nodes.size(), 6u);
    const char* names[] = {"Root", "Model::Hips", "Model::Chest", "Model::Site", "Model::Leg", "Model::Site_2"};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(nodes[i]["name"], names[i]) << i;
    EXPECT_LE(worstDeviation(source, converted), 1e-5);
  }
}

TEST(CliConvert, ConvertedFileInfoAndRenderRange) {
  const std::string clip = clitest::writeTemp("info.bvh", kAwkwardClip);
  const std::string out = boneplay_test::TempPath("info.fbx");
  ASSERT_EQ(boneplay("convert '" + clip + "' -o '" + out + "'").status, 0);
  const auto info = boneplay("info '" + out + "'");
  ASSERT_EQ(info.status, 0) << info.err;
  for (const char* line :
       {"kind: fbx\n", "takes: \"Default\", \"Take 001\" (current)\n", "skeleton start: Model::Hips\n",
        "span: 0.000 s to 0.100 s\n", "      Model::Site_2  (end site)\n"})
    EXPECT_NE(info.out.find(line), std::string::npos) << line << "\n" << info.out;
  // The default range is the take's span: 0 to 0.1 s, four frames at 30 per second.
  const std::string gif = boneplay_test::TempPath("info.gif");
  const auto whole = boneplay("render '" + out + "' -o '" + gif + "' --fps 30");
  EXPECT_NE(whole.out.find(": 4 frames"), std::string::npos) << whole.out << whole.err;
  const auto later = boneplay("render '" + out + "' -o '" + gif + "' --fps 30 --from 0.05");
  EXPECT_NE(later.out.find(": 2 frames"), std::string::npos) << later.out << later.err;
  // In JSON the samples are the take's key times and the duration its span.
  const auto json = boneplay("info --format json '" + out + "'");
  ASSERT_EQ(json.status, 0) << json.err;
  const nlohmann::json doc = nlohmann::json::parse(json.out);
  EXPECT_EQ(doc["take"], "Take 001");
  EXPECT_EQ(doc["samples"], 4);
  EXPECT_NEAR(doc["duration"].get<double>(), 0.1, 1e-9);
  EXPECT_EQ(doc["start"], 0.0);
  EXPECT_TRUE(doc["samples_per_second"].is_null());
  // Every sample of the converted clip is every sample of its source.
  const auto fromFbx = boneplay("pose --every-sample '" + out + "'");
  const auto fromBvh = boneplay("pose --every-sample '" + clip + "'");
  ASSERT_EQ(fromFbx.status, 0) << fromFbx.err;
  ASSERT_EQ(fromBvh.status, 0) << fromBvh.err;
  const nlohmann::json fbxPose = nlohmann::json::parse(fromFbx.out), bvhPose = nlohmann::json::parse(fromBvh.out);
  ASSERT_EQ(fbxPose["times"].size(), 4u);
  for (std::size_t k = 0; k < 4; ++k)
    EXPECT_NEAR(fbxPose["times"][k].get<double>(), bvhPose["times"][k].get<double>(), 1e-9) << k;
  EXPECT_LE(worstDeviation(bvhPose, fbxPose), 1e-5);
}

TEST(CliConvert, ErrorsNameTheFileAndTheReason) {
  const std::string meshOnly = boneplay_test::TempPath("mesh.fbx");
  const std::string noHips = boneplay_test::TempPath("nohips.fbx");
  {
    KFbxWriteSection mesh;
    mesh.emplace_back("Definitions").Child("ObjectType", {KFbxWriteValue::String("Model")});
    mesh.emplace_back("Objects").Child("Model",
                                       {KFbxWriteValue::ObjectName("Model", "Box"), KFbxWriteValue::String("Mesh")});
    ASSERT_TRUE(KFbxWriteFile(meshOnly.c_str(), {mesh}, KFbxWriteOptions()));
    KFbxWriteSection joints = mesh;
    KFbxWriteField& objects = joints[1];
    objects.m_xChildren.clear();
    objects.Child("Model", {KFbxWriteValue::ObjectName("Model", "Pelvis"), KFbxWriteValue::String("LimbNode")});
    ASSERT_TRUE(KFbxWriteFile(noHips.c_str(), {joints}, KFbxWriteOptions()));
  }
  const std::string bvhText = clitest::writeTemp("text.fbx", kAwkwardClip);
  const struct {
    std::string args;
    int status;
    std::string message;
  } cases[] = {
      {"info '" + meshOnly + "'", 1, "'" + meshOnly + "': it holds no skeleton"},
      {"pose '" + noHips + "'", 1, "'" + noHips + "': it has skeleton models but no \"Hips\" below a top-level model"},
      {"info '" + bvhText + "'", 1, "'" + bvhText + "': the FBX importer cannot open it: File is corrupted"},
      {"convert '" + bvhText + "' -o x.fbx", 1, "'" + bvhText + "': the FBX importer cannot open it"},
      {"convert '" + meshOnly + "' -o out.txt", 2, "the output 'out.txt' must end in .fbx or .bvh"},
      {"convert '" + meshOnly + "' -o x.fbx --version 7100", 2, "--version"},
      {"convert '" + meshOnly + "' -o x.fbx --ascii --binary", 2, "excludes"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args);
    const auto r = boneplay(c.args);
    EXPECT_EQ(r.status, c.status);
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");
  }
}

// The bundled FBX sample is the bundled BVH walk, converted.
TEST(CliConvert, BundledSamplesAgree) {
  const std::string dir = std::string(BONEPLAY_SOURCE_DIR) + "/samples/";
  const auto info = boneplay("info '" + dir + "walk.bvh'");
  ASSERT_EQ(info.status, 0);
  const std::size_t at = info.out.find("samples: ");
  ASSERT_NE(at, std::string::npos);
  const std::vector<double> times = sampleTimes(std::stoi(info.out.substr(at + 9)));
  EXPECT_LE(worstDeviation(pose(dir + "walk.bvh", times), pose(dir + "walk.fbx", times)), 1e-5);
}

// Every corpus clip the BVH reader reads without a complaint converts, and
// convert's own read-back check holds.
TEST(CliConvert, CorpusClipsRoundTrip) {
  const std::string corpus = std::string(BONEPLAY_CORPUS_DIR) + "/bvh/";
  DIR* d = opendir(corpus.c_str());
  if (!d) GTEST_SKIP() << "no corpus at " << corpus;
  std::vector<std::string> files;
  while (dirent* e = readdir(d)) {
    const std::string n = e->d_name;
    if (n.size() > 4 && n.substr(n.size() - 4) == ".bvh") files.push_back(n);
  }
  closedir(d);
  std::sort(files.begin(), files.end());
  int converted = 0;
  for (const std::string& n : files) {
    SCOPED_TRACE(n);
    if (!boneplay("info '" + corpus + n + "'").err.empty()) continue;  // not read fully
    const auto r = boneplay("convert '" + corpus + n + "' -o '" + boneplay_test::TempPath(n + ".fbx") + "'");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("poses within"), std::string::npos) << r.out;
    ++converted;
  }
  EXPECT_GT(converted, 0);
}

}  // namespace

// Files laid out as other programs write them: the take the module's rule
// picks, an older file's bare child names, links the reader had to drop.
TEST(CliFbxFiles, TakesHierarchiesAndDroppedLinksAsInfoShowsThem) {
  using namespace ImportFields;
  const std::vector<F> models = {Model("Reference", "Null"), Model("Hips", "LimbNode"), Model("Spine", "LimbNode"),
                                 Model("Neck", "LimbNode"), Model("Head", "LimbNode")};
  const std::vector<F> links = {Connect("Model::Hips", "Model::Reference"), Connect("Model::Spine", "Model::Hips"),
                                Connect("Model::Neck", "Model::Spine"), Connect("Model::Head", "Model::Neck")};
  std::vector<F> selfLinked = links;
  selfLinked[1] = Connect("Model::Spine", "Model::Spine");
  std::vector<F> cycle = links;
  cycle[1] = Connect("Model::Spine", "Model::Head");
  const struct {
    const char* name;
    KFbxWriteSection file;
    int headerVersion;
    std::vector<std::string> out;  // lines info prints
    std::string warning;           // "" for none
  } cases[] = {
      {"three takes",
       File(models, links, {MovingTake("Walk", {"Hips"}), MovingTake("Run", {"Reference"})}, "Walk"),
       6100,
       {"takes: \"Default\", \"Run\" (current), \"Walk\"\n", "nodes: 5 (",
        "take \"Run\": no keys; the module plays it\n",
        "take \"Walk\": 0.000 s to 1.000 s, 2 key times; the file's current take\n"},
       ""},
      {"take naming no object",
       File(models, links, {Take("Empty", {})}, "Empty"),
       6100,
       {"takes: \"Default\" (current), \"Empty\"\n", "take \"Empty\": no keys; the file's current take\n"},
       ""},
      {"older file",
       OlderFile({{"Spine", "LimbNode", {}}, {"Reference", "Null", {"Hips"}}, {"Hips", "LimbNode", {"Spine"}}}),
       5000,
       {"skeleton start: Model::Hips\n", "nodes: 3 ("},
       ""},
      {"spine linked to itself",
       File(models, selfLinked),
       6100,
       {"nodes: 2 ("},
       "model Model::Spine is linked to itself: the link was ignored and it has no parent; Model::Spine and the 2 "
       "models below it stand outside the skeleton"},
      {"cycle",
       File(models, cycle),
       6100,
       {"nodes: 2 ("},
       "the link of model Model::Neck to Model::Spine closes a cycle: it was cut and Model::Neck has no parent; "
       "Model::Neck and the 2 models below it stand outside the skeleton"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = boneplay_test::TempPath("as_they_come.fbx");
    std::string error;
    ASSERT_TRUE(WriteFields(path, c.file, true, c.headerVersion, &error)) << error;
    const auto r = boneplay("info '" + path + "'");
    EXPECT_EQ(r.status, 0) << r.err;
    for (const std::string& line : c.out) EXPECT_NE(r.out.find(line), std::string::npos) << r.out;
    if (c.warning.empty()) {
      EXPECT_EQ(r.err, "");
      continue;
    }
    EXPECT_EQ(r.err, "boneplay: warning: '" + path + "': " + c.warning + "\n");
    EXPECT_EQ(boneplay("--strict pose '" + path + "' --times 0").status, 1);
  }
}
