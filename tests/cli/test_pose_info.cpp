#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>
#include <string>

#include "cli_runner.h"

using clitest::boneplay;

namespace {

const char* const kClip =
    "HIERARCHY\nROOT Hips\n{\nOFFSET 0 0 0\n"
    "CHANNELS 6 Xposition Yposition Zposition Zrotation Xrotation Yrotation\n"
    "JOINT Chest\n{\nOFFSET 0 5 0\nCHANNELS 3 Zrotation Xrotation Yrotation\n"
    "End Site\n{\nOFFSET 0 5 0\n}\n}\n}\n"
    "MOTION\nFrames: 2\nFrame Time: 0.01\n0 0 0 0 0 0 0 0 0\n1 2 3 0 90 0 0 0 45\n";

TEST(CliPose, JsonGivesEveryNodeInPreOrderAtEachTime) {
  const std::string clip = clitest::writeTemp("pose.bvh", kClip);
  const auto r = boneplay("pose '" + clip + "' --times 0,0.0333333333333333333,5 --scale 2");
  ASSERT_EQ(r.status, 0) << r.err;
  const auto doc = nlohmann::json::parse(r.out);
  EXPECT_EQ(doc["kind"], "bvh");
  EXPECT_TRUE(doc["take"].is_null());
  ASSERT_EQ(doc["times"].size(), 3u);
  const auto& nodes = doc["nodes"];
  ASSERT_EQ(nodes.size(), 4u);
  const char* names[] = {"Hips", "Root", "Chest", "Site"};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(nodes[i]["name"], names[i]);
    EXPECT_EQ(nodes[i]["parent"], i - 1);
    ASSERT_EQ(nodes[i]["world"].size(), 3u);
    ASSERT_EQ(nodes[i]["world"][0].size(), 16u);
  }
  // Top node: identity root matrix times the scale.
  EXPECT_EQ(nodes[0]["world"][0][0], 2.0);
  EXPECT_EQ(nodes[0]["world"][0][15], 1.0);
  // At 1/30 s the Site sits at 2 * (1, 2, 13); at 5 s the last sample holds.
  for (int t = 1; t < 3; ++t) {
    const auto& site = nodes[3]["world"][t];
    EXPECT_NEAR(site[12].get<double>(), 2.0, 1e-9);
    EXPECT_NEAR(site[13].get<double>(), 4.0, 1e-9);
    EXPECT_NEAR(site[14].get<double>(), 26.0, 1e-9);
  }
  EXPECT_EQ(r.err, "");  // the reader's dump stays out of sight
}

TEST(CliPose, CsvHasOneRowPerNodeAndTime) {
  const std::string clip = clitest::writeTemp("pose.bvh", kClip);
  const auto r = boneplay("pose '" + clip + "' --times 0.5,1 --format csv");
  ASSERT_EQ(r.status, 0) << r.err;
  std::istringstream lines(r.out);
  std::string line;
  std::getline(lines, line);
  EXPECT_EQ(line.substr(0, 30), "time,index,name,parent,m00,m01");
  int rows = 0;
  while (std::getline(lines, line)) {
    ++rows;
    EXPECT_EQ(std::count(line.begin(), line.end(), ','), 19) << line;
  }
  EXPECT_EQ(rows, 8);
}

TEST(CliPose, BundledSampleIsTheDefault) {
  const auto r = boneplay("pose --times 0.5");
  ASSERT_EQ(r.status, 0) << r.err;
  const auto doc = nlohmann::json::parse(r.out);
  EXPECT_GT(doc["nodes"].size(), 20u);
  EXPECT_NE(doc["file"].get<std::string>().find("walk.bvh"), std::string::npos);
}

TEST(CliInfo, ShowsTreeChannelsSamplesAndDuration) {
  const std::string clip = clitest::writeTemp("info.bvh", kClip);
  const auto r = boneplay("info '" + clip + "'");
  ASSERT_EQ(r.status, 0) << r.err;
  for (const char* expected :
       {"samples: 2\n", "duration: 0.033 s", "    Root  offset (0, 0, 0)  channels Xposition Yposition",
        "      Chest  offset (0, 5, 0)  channels Zrotation Xrotation Yrotation\n", "        Site  offset (0, 5, 0)\n",
        "  Hips\n"})
    EXPECT_NE(r.out.find(expected), std::string::npos) << expected << "\n--- in ---\n" << r.out;
}

struct ErrorCase {
  const char* args;
  int status;
  const char* message;
};

TEST(CliErrors, ExitStatusAndOneClearLine) {
  const std::string broken = clitest::writeTemp("broken.bvh", "HIERARCHY\nROOT Hips\n{\nOFFSET 0 0\n}\n");
  const std::string fbxArgs = "pose '" + clitest::writeTemp("clip.fbx", "; not really\n") + "'";
  const ErrorCase cases[] = {
      {"pose /nonexistent/walk.bvh", 1, "boneplay: cannot open '/nonexistent/walk.bvh': No such file or directory\n"},
      {"info /nonexistent/x.bvh", 1, "boneplay: cannot open '/nonexistent/x.bvh'"},
      {fbxArgs.c_str(), 1, "the FBX importer cannot open it: File is corrupted"},
      {"pose --times 0,abc", 2, "not a number: abc"},
      {"pose --times nan", 2, "not a finite number"},
      {"pose --format xml", 2, "--format"},
      {"", 2, "subcommand"},
      {"frobnicate", 2, ""},
  };
  for (const ErrorCase& c : cases) {
    const auto r = boneplay(c.args);
    EXPECT_EQ(r.status, c.status) << c.args;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << c.args << ": " << r.err;
    EXPECT_EQ(r.out, "") << c.args;
  }
  // A broken clip still shows what was read, with a warning naming the file.
  const auto r = boneplay("pose '" + broken + "'");
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.err.find("warning: '" + broken + "': the reader reported \"syntax error\""), std::string::npos) << r.err;
}

}  // namespace
