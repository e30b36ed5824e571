// What render writes: the default picture names, a folder of pictures with
// its gallery, the file's own rate and Z-up clips.
#include <dirent.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <regex>
#include <string>
#include <vector>

#include "cli_clips.h"
#include "cli_runner.h"

using clitest::boneplay;
using clitest::quote;

namespace {

std::vector<std::string> filesIn(const std::string& folder) {
  std::vector<std::string> names;
  if (DIR* dir = opendir(folder.c_str())) {
    while (const dirent* e = readdir(dir))
      if (e->d_name[0] != '.') names.push_back(e->d_name);
    closedir(dir);
  }
  std::sort(names.begin(), names.end());
  return names;
}

bool isPng(const std::string& path) { return clitest::slurp(path).compare(0, 8, "\x89PNG\r\n\x1a\n") == 0; }

std::size_t count(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

TEST(CliRenderFiles, AtWithoutOutputWritesClipNamePngInTheCurrentFolder) {
  const std::string here = clitest::makeTempFolder("here");
  const auto r = boneplay("render " + quote(clitest::clip("worked.bvh")) + " --at 0.02 --size 64x48", here);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "wrote worked.png: one frame, 64x48, three-quarter view\n");
  EXPECT_EQ(filesIn(here), std::vector<std::string>{"worked.png"});
  EXPECT_TRUE(isPng(here + "/worked.png"));
}

TEST(CliRenderFiles, OutDirHoldsOnePicturePerClipAndAGalleryOfThem) {
  // Two clips of one name from different folders, and one that cannot be shown.
  clitest::makeTempFolder("first");
  clitest::makeTempFolder("second");
  const std::string a = clitest::writeTemp("first/walk.bvh", clitest::kWorkedClip);
  const std::string b = clitest::writeTemp("second/walk.bvh", clitest::kWorkedClip);
  const std::string out = clitest::makeTempFolder("gallery") + "/pictures";  // made by render
  const auto r = boneplay("render " + quote(a) + " " + quote(b) + " " + quote(clitest::clip("empty.bvh")) +
                          " --size 48x48 --fps 10 --out-dir " + quote(out));
  EXPECT_EQ(r.status, 1) << r.err;
  EXPECT_EQ(filesIn(out), (std::vector<std::string>{"index.html", "walk-2.gif", "walk.gif"}));
  const std::string html = clitest::slurp(out + "/index.html");
  EXPECT_NE(html.find("<img src=\"walk.gif\""), std::string::npos) << html;
  EXPECT_NE(html.find("<img src=\"walk-2.gif\""), std::string::npos) << html;
  EXPECT_EQ(count(html, "<img "), 2u);
  EXPECT_NE(html.find("empty.bvh"), std::string::npos);
  EXPECT_NE(html.find("the file is empty"), std::string::npos);
  EXPECT_NE(r.out.find("a gallery of 3 clips"), std::string::npos) << r.out;
}

// A clip that moves its hips along X, declared at 120 frames per second.
std::string fastClip() {
  std::string rows;
  for (int k = 0; k < 13; ++k) rows += std::to_string(k) + " 0 0 " + std::to_string(7 * k) + " 0 0 0 0 0\n";
  return clitest::clipWithMotion("Frames: 13\nFrame Time: 0.008333333333333333\n" + rows);
}

TEST(CliRenderFiles, SpeedFilePlaysTheClipAtItsOwnRate) {
  const std::string clip = quote(clitest::writeTemp("fast.bvh", fastClip()));
  const std::string a = clitest::writeTemp("own.png", ""), b = clitest::writeTemp("host.png", "");
  // The whole clip: 0.1 s at its own rate, 0.4 s at the host's 30 samples per second.
  auto r = boneplay("render " + clip + " --speed file --fps 40 --size 32x32 -o " + quote(a + ".gif"));
  EXPECT_NE(r.out.find(": 5 frames"), std::string::npos) << r.out << r.err;
  r = boneplay("render " + clip + " --fps 40 --size 32x32 -o " + quote(b + ".gif"));
  EXPECT_NE(r.out.find(": 17 frames"), std::string::npos) << r.out << r.err;
  // 0.05 s of the file's own time is 0.2 s of the host's: the same picture.
  r = boneplay("render " + clip + " --speed file --fps 40 --at 0.05 -o " + quote(a));
  ASSERT_EQ(r.status, 0) << r.err;
  r = boneplay("render " + clip + " --fps 10 --to 0.4 --at 0.2 -o " + quote(b));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(isPng(a));
  EXPECT_EQ(clitest::slurp(a), clitest::slurp(b));
}

TEST(CliRenderFiles, UpZStandsAZUpClipUp) {
  // One figure, written with Y up and with Z up: a point (x, y, z) of the
  // first is (x, -z, y) in the second.
  const char* form =
      "HIERARCHY\nROOT Hips\n{\nOFFSET 0 0 0\nCHANNELS 3 Xposition Yposition Zposition\n"
      "JOINT Chest\n{\nOFFSET %s\nJOINT Arm\n{\nOFFSET %s\nEnd Site\n{\nOFFSET %s\n}\n}\n}\n}\n"
      "MOTION\nFrames: 1\nFrame Time: 0.1\n0 0 0\n";
  char yUp[512], zUp[512];
  std::snprintf(yUp, sizeof yUp, form, "0 5 0", "2 0 1", "0 -3 0");
  std::snprintf(zUp, sizeof zUp, form, "0 0 5", "2 -1 0", "0 0 -3");
  const std::string y = quote(clitest::writeTemp("yup.bvh", yUp)), z = quote(clitest::writeTemp("zup.bvh", zUp));
  const std::string py = clitest::writeTemp("yup.png", ""), pz = clitest::writeTemp("zup.png", ""),
                    pzz = clitest::writeTemp("zupz.png", "");
  const std::string common = " --at 0 --view front --size 64x64 -o ";
  ASSERT_EQ(boneplay("render " + y + common + quote(py)).status, 0);
  ASSERT_EQ(boneplay("render " + z + common + quote(pz)).status, 0);
  ASSERT_EQ(boneplay("render " + z + " --up z" + common + quote(pzz)).status, 0);
  EXPECT_NE(clitest::slurp(py), clitest::slurp(pz));
  EXPECT_EQ(clitest::slurp(py), clitest::slurp(pzz));
}

TEST(CliRenderFiles, TheCarryingItemsTransformCancelsForABvhClip) {
  // The instance draws with the inverse of the item's matrix as root matrix;
  // the host carries its lines out by the item's matrix again.
  const std::string turned = clitest::writeTemp(
      "turned.json", R"({"items": [{"name": "C", "type": "object", "position": [3, 1, -2], "rotation": [40, 10, 5],)"
                     R"( "scaling": [2, 2, 2]}]})");
  const std::string moved =
      clitest::writeTemp("moved.json", R"({"items": [{"name": "C", "type": "object", "position": [3, 1, -2]}]})");
  struct Picture {
    std::string args;
    std::string bytes;
  };
  Picture pictures[] = {{"", ""},
                        {"--scene " + quote(turned), ""},
                        {"--scale 2", ""},
                        {"--scale 2 --scene " + quote(moved), ""},
                        {"--scale 2 --scene " + quote(turned), ""}};
  const std::string png = clitest::writeTemp("carried.png", "");
  for (Picture& p : pictures) {
    ASSERT_EQ(boneplay("render --at 1 --size 64x64 -o " + quote(png) + " " + p.args).status, 0) << p.args;
    p.bytes = clitest::slurp(png);
  }
  EXPECT_EQ(pictures[0].bytes, pictures[1].bytes);
  // A panel scale acts about the point where the item's origin lands.
  EXPECT_NE(pictures[2].bytes, pictures[3].bytes);
  EXPECT_EQ(pictures[3].bytes, pictures[4].bytes);
}

TEST(CliRenderFiles, EveryCorpusClipInOneGallery) {
  const std::string corpus = std::string(BONEPLAY_CORPUS_DIR) + "/bvh";
  const std::vector<std::string> clips = filesIn(corpus);
  if (clips.empty()) GTEST_SKIP() << "no corpus at " << corpus;
  const std::string out = clitest::makeTempFolder("corpus");
  const auto start = std::chrono::steady_clock::now();
  const auto r = boneplay("render --size 96x72 --fps 2 --out-dir " + quote(out) + " " + quote(corpus));
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("rendered %zu corpus clips in %.2f s\n", clips.size(), seconds);
  // Clips that cannot be shown are named on stderr; every other one has a picture.
  const std::size_t failed = count(r.err, "boneplay: cannot read");
  EXPECT_EQ(r.status, failed ? 1 : 0) << r.err;
  const std::string html = clitest::slurp(out + "/index.html");
  for (const std::string& clip : clips) EXPECT_NE(html.find(clip), std::string::npos) << clip;
  EXPECT_EQ(count(html, "<img "), clips.size() - failed);
  EXPECT_EQ(filesIn(out).size(), clips.size() - failed + 1);
  EXPECT_GE(clips.size() - failed, clips.size() * 3 / 4) << r.err;
}

// Everything a command gave, in one text: its status, both streams and the
// files it wrote into the folder pics/ of where it ran.
std::string everythingFrom(const std::string& command, const std::string& where) {
  const auto r = boneplay(command, where);
  std::string all = "status " + std::to_string(r.status) + "\n--- stdout\n" + r.out + "--- stderr\n" + r.err;
  for (const std::string& name : filesIn(where + "/pics"))
    all += "--- pics/" + name + "\n" + clitest::slurp(where + "/pics/" + name);
  return all;
}

// "" when both are the same, else where they part.
std::string firstDifference(const std::string& a, const std::string& b) {
  if (a == b) return "";
  const std::size_t at =
      std::mismatch(a.begin(), a.begin() + std::min(a.size(), b.size()), b.begin()).first - a.begin();
  const std::size_t from = at < 80 ? 0 : at - 80;
  return "they part at byte " + std::to_string(at) + ":\n" + a.substr(from, 160) + "\n--- against ---\n" +
         b.substr(from, 160);
}

// Runs the command with --jobs 1, then with each of `jobs`, each in a folder
// of its own, expects the same from all; returns what --jobs 1 gave.
std::string expectSameAsOneJob(const std::string& command, std::initializer_list<const char*> jobs) {
  static int runs = 0;
  const std::string serial =
      everythingFrom(command + " --jobs 1", clitest::makeTempFolder("jobs-" + std::to_string(++runs)));
  for (const char* n : jobs) {
    const std::string several =
        everythingFrom(command + " --jobs " + n, clitest::makeTempFolder("jobs-" + std::to_string(++runs)));
    EXPECT_EQ(firstDifference(serial, several), "") << command << " --jobs " << n;
  }
  return serial;
}

// A batch of clips that read cleanly, with warnings or not at all, two of one
// name, an FBX clip, and a folder without clips: every command worked with
// several jobs writes the bytes, in the order, and ends with the status that
// one job gives.
TEST(CliJobs, SeveralJobsWriteWhatOneJobWrites) {
  const std::string batch = clitest::makeTempFolder("jobs-batch");
  const std::string none = quote(clitest::makeTempFolder("jobs-none"));
  for (const char* name : {"worked.bvh", "extra.bvh", "empty.bvh", "colon.bvh", "cut.bvh"})
    clitest::writeTemp(std::string("jobs-batch/") + name, clitest::slurp(clitest::clip(name)));
  for (const char* name : {"walk.bvh", "walk.fbx"})
    clitest::writeTemp(std::string("jobs-batch/") + name,
                       clitest::slurp(std::string(BONEPLAY_SOURCE_DIR) + "/samples/" + name));
  for (const std::string& command : {
           "info " + quote(batch) + " " + none,
           "--strict info --format json " + quote(batch) + " " + none,
           "pose " + none + " " + quote(batch) + " --format csv --times 0,0.5",
           "-v pose " + quote(batch) + " " + none,
           "render --size 48x36 --fps 5 --out-dir pics " + quote(batch) + " " + none,
       }) {
    const std::string serial = expectSameAsOneJob(command, {"2", "5"});
    // Every clip was worked, and the worst of them failed.
    EXPECT_EQ(serial.compare(0, 9, "status 1\n"), 0) << command;
    for (const char* clip : {"worked", "extra", "empty", "colon", "cut", "walk", "jobs-none"})
      EXPECT_NE(serial.find(clip), std::string::npos) << command << ": " << clip;
  }
}

TEST(CliJobs, TheCorpusWithTwoJobsAsWithOne) {
  const std::string corpus = std::string(BONEPLAY_CORPUS_DIR) + "/bvh";
  if (filesIn(corpus).empty()) GTEST_SKIP() << "no corpus at " << corpus;
  for (const std::string& command : {"info " + quote(corpus), "pose " + quote(corpus) + " --format csv --times 0,1.5",
                                     "render --size 96x72 --fps 2 --out-dir pics " + quote(corpus)})
    EXPECT_NE(expectSameAsOneJob(command, {"2"}).find("pybvh_cmu_12_01_walk"), std::string::npos) << command;
}

}  // namespace
