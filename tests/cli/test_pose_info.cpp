#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>
#include <string>

#include "cli_clips.h"
#include "cli_runner.h"

using clitest::boneplay;
using clitest::quote;

namespace {

TEST(CliPose, JsonGivesEveryNodeInPreOrderAtEachTime) {
  const auto r =
      boneplay("pose " + quote(clitest::clip("worked.bvh")) + " --times 0,0.0333333333333333333,5 --scale 2");
  ASSERT_EQ(r.status, 0) << r.err;
  const auto doc = nlohmann::json::parse(r.out);
  EXPECT_EQ(doc["kind"], "bvh");
  EXPECT_TRUE(doc["take"].is_null());
  ASSERT_EQ(doc["times"].size(), 3u);
  const auto& nodes = doc["nodes"];
  ASSERT_EQ(nodes.size(), 4u);
  const char* names[] = {"Hips", "Root", "Chest", "Site"};
  const char* roles[] = {"top", "joint", "joint", "end site"};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(nodes[i]["name"], names[i]);
    EXPECT_EQ(nodes[i]["role"], roles[i]);
    EXPECT_EQ(nodes[i]["parent"], i - 1);
    ASSERT_EQ(nodes[i]["world"].size(), 3u);
    ASSERT_EQ(nodes[i]["world"][0].size(), 16u);
  }
  // The tree calls the ROOT joint "Root"; the file called it Hips.
  EXPECT_EQ(nodes[1]["file_name"], "Hips");
  EXPECT_FALSE(nodes[2].contains("file_name"));
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

TEST(CliPose, RenamedSiblingsCarryTheFileNameAndEverySampleIsPosed) {
  const std::string twins = clitest::writeTemp("twins.bvh",
                                               "HIERARCHY\nROOT Hips\n{\nOFFSET 0 0 0\nCHANNELS 1 Xposition\n"
                                               "JOINT Leg\n{\nOFFSET 1 0 0\nEnd Site\n{\nOFFSET 0 -1 0\n}\n}\n"
                                               "JOINT Leg\n{\nOFFSET -1 0 0\nJOINT Foot\n{\nOFFSET 0 -1 0\n}\n}\n}\n"
                                               "MOTION\nFrames: 3\nFrame Time: 0.1\n0\n1\n2\n");
  const auto r = boneplay("pose --every-sample " + quote(twins));
  ASSERT_EQ(r.status, 0) << r.err;
  const auto doc = nlohmann::json::parse(r.out);
  EXPECT_EQ(doc["times"], nlohmann::json::parse("[0, 0.03333333333333333, 0.06666666666666667]"));
  const auto& nodes = doc["nodes"];
  ASSERT_EQ(nodes.size(), 6u);
  EXPECT_EQ(nodes[1]["file_name"], "Hips");
  EXPECT_FALSE(nodes[2].contains("file_name"));
  EXPECT_EQ(nodes[4]["name"], "Leg (1)");
  EXPECT_EQ(nodes[4]["file_name"], "Leg");
  // A leaf made by JOINT is a joint, not an end site.
  EXPECT_EQ(nodes[3]["role"], "end site");
  EXPECT_EQ(nodes[5]["role"], "joint");
  EXPECT_NEAR(nodes[1]["world"][2][12].get<double>(), 2.0, 1e-12);
}

TEST(CliPose, CsvHasOneRowPerNodeAndTimeAndOneHeaderForSeveralClips) {
  const std::string clip = quote(clitest::clip("worked.bvh"));
  const auto r = boneplay("pose " + clip + " " + clip + " --times 0.5,1 --format csv");
  ASSERT_EQ(r.status, 0) << r.err;
  std::istringstream lines(r.out);
  std::string line;
  std::getline(lines, line);
  EXPECT_EQ(line.substr(0, 30), "time,index,name,parent,m00,m01");
  EXPECT_EQ(line.substr(line.size() - 23), "m33,role,file_name,file");
  int rows = 0;
  while (std::getline(lines, line)) {
    ++rows;
    EXPECT_EQ(std::count(line.begin(), line.end(), ','), 22) << line;
  }
  EXPECT_EQ(rows, 16);
}

TEST(CliPose, BundledSampleIsTheDefault) {
  const auto r = boneplay("pose --times 0.5");
  ASSERT_EQ(r.status, 0) << r.err;
  const auto doc = nlohmann::json::parse(r.out);
  EXPECT_GT(doc["nodes"].size(), 20u);
  EXPECT_NE(doc["file"].get<std::string>().find("walk.bvh"), std::string::npos);
}

TEST(CliInfo, ShowsTreeChannelsSamplesAndTheFilesOwnNumbers) {
  const auto r = boneplay("info " + quote(clitest::clip("worked.bvh")));
  ASSERT_EQ(r.status, 0) << r.err;
  for (const char* expected :
       {"nodes: 4 (2 joints, 1 end site, under the top node)\n", "samples: 2 read (the file declares 2 frames)\n",
        "frame time: 0.01 s in the file (100 per second); played at 1/30 s per sample\n",
        "duration: 0.033 s at 30 samples per second; 0.010 s at the file's own rate\n",
        "    Root  (\"Hips\" in the file)  offset (0, 0, 0)  channels Xposition Yposition",
        "      Chest  offset (0, 5, 0)  channels Zrotation Xrotation Yrotation\n",
        "        Site  (end site)  offset (0, 5, 0)\n", "  Hips\n"})
    EXPECT_NE(r.out.find(expected), std::string::npos) << expected << "\n--- in ---\n" << r.out;
}

TEST(CliInfo, JsonForPipelines) {
  const auto r =
      boneplay("info --format json " + quote(clitest::clip("extra.bvh")) + " " + quote(clitest::clip("notime.bvh")));
  ASSERT_EQ(r.status, 0) << r.err;
  std::istringstream lines(r.out);
  std::string line;
  ASSERT_TRUE(std::getline(lines, line));
  const auto extra = nlohmann::json::parse(line);
  EXPECT_TRUE(extra["takes"].is_null());
  EXPECT_EQ(extra["samples"], 4);
  EXPECT_EQ(extra["rows"], 4);
  EXPECT_EQ(extra["declared_frames"], 2.0);
  EXPECT_EQ(extra["samples_per_second"], 30.0);
  EXPECT_NEAR(extra["duration"].get<double>(), 0.1, 1e-12);
  EXPECT_NEAR(extra["duration_at_file_rate"].get<double>(), 0.03, 1e-12);
  ASSERT_EQ(extra["warnings"].size(), 1u);
  const auto& nodes = extra["nodes"];
  ASSERT_EQ(nodes.size(), 4u);
  EXPECT_EQ(nodes[1]["channels"].size(), 6u);
  EXPECT_EQ(nodes[2]["offset"], nlohmann::json::parse("[0, 5, 0]"));
  EXPECT_EQ(nodes[3]["role"], "end site");
  ASSERT_TRUE(std::getline(lines, line));
  const auto notime = nlohmann::json::parse(line);
  EXPECT_TRUE(notime["frame_time"].is_null());
  EXPECT_TRUE(notime["duration_at_file_rate"].is_null());
}

}  // namespace
