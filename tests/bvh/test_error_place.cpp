// Where the parser's errors happen, as the reader tells its sink: the line
// and column of the token at fault, through both load entries.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "bvh_root.h"
#include "test_tmpdir.h"

namespace {

struct Place {
  std::string message;
  int line;
  int column;
  std::string text;
};

struct PlaceSink : Kvat::Bvh::CollectedDiagnostics {
  void errorAt(const char* message, const Kvat::Bvh::ErrorPlace& place) override {
    places.push_back({message, place.line, place.column, std::string(place.text, place.size)});
  }
  std::vector<Place> places;
};

const std::string kWorked =
    "HIERARCHY\nROOT Hips\n{\nOFFSET 0 0 0\n"
    "CHANNELS 6 Xposition Yposition Zposition Zrotation Xrotation Yrotation\n"
    "JOINT Chest\n{\nOFFSET 0 5 0\nCHANNELS 3 Zrotation Xrotation Yrotation\n"
    "End Site\n{\nOFFSET 0 5 0\n}\n}\n}\n"
    "MOTION\nFrames: 2\nFrame Time: 0.01\n0 0 0 0 0 0 0 0 0\n1 2 3 0 90 0 0 0 45\n";

std::string withCrLf(const std::string& text) {
  std::string s;
  for (char c : text) s += c == '\n' ? std::string("\r\n") : std::string(1, c);
  return s;
}

std::string motionWith(const std::string& motion) { return kWorked.substr(0, kWorked.find("MOTION")) + motion; }

TEST(BvhErrorPlace, TheSinkHearsTheLineColumnAndTokenOfEachParserError) {
  const std::string longName(20000, 'A');
  std::string manyNames = "HIERARCHY\nROOT H\n{\nCHANNELS 3";
  for (int i = 0; i < 9000; ++i) manyNames += " X";
  const int badColumn = static_cast<int>(std::string("CHANNELS 3").size() + 2 * 9000 + 2);
  manyNames += " 5\n}\n";
  const struct {
    const char* name;
    std::string text;
    Place first;
  } table[] = {
      {"a name split at a colon", "HIERARCHY\nROOT mixamorig:Hips\n{\n", {"syntax error", 2, 16, "Hips"}},
      {"no line end after the last row", kWorked.substr(0, kWorked.size() - 1), {"syntax error", 20, 20, ""}},
      {"an empty line at the end", kWorked + "\n", {"syntax error", 21, 1, "\n"}},
      {"an empty line at the end, CR LF", withCrLf(kWorked + "\n"), {"syntax error", 21, 1, "\n"}},
      {"an empty line among the rows",
       motionWith("MOTION\nFrames: 1\nFrame Time: 1\n0\n\n1\n"),
       {"syntax error", 20, 1, "\n"}},
      {"a header without its number",
       motionWith("MOTION\nFrames: 1\nFrame Time:\n0\n"),
       {"syntax error", 18, 12, "\n"}},
      {"MOTION not alone on its line", motionWith("MOTION Frames: 1\n"), {"syntax error", 16, 8, "Frames"}},
      {"the end of the input inside the hierarchy",
       "HIERARCHY\nROOT Hips\n{\nOFFSET 0 0 0\n",
       {"syntax error", 5, 1, ""}},
      {"a token after a name longer than the buffer",
       "HIERARCHY\nROOT H\n{\nJOINT " + longName + " x\n",
       {"syntax error", 4, 20008, "x"}},
      {"a token far into a line of many", manyNames, {"syntax error", 4, badColumn, "5"}},
  };
  for (const auto& row : table) {
    SCOPED_TRACE(row.name);
    const std::string path = boneplay_test::TempPath("place.bvh");
    std::FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(row.text.data(), 1, row.text.size(), f);
    std::fclose(f);
    PlaceSink fromBytes, fromFile;
    std::unique_ptr<Kvat::Secne::BvhRoot>(
        Kvat::Secne::createBvhRootFromBytes(row.text.data(), row.text.size(), fromBytes));
    std::unique_ptr<Kvat::Secne::BvhRoot>(Kvat::Secne::createBvhRoot(path.c_str(), fromFile));
    for (const PlaceSink* sink : {&fromBytes, &fromFile}) {
      ASSERT_FALSE(sink->places.empty());
      const Place& p = sink->places.front();
      EXPECT_EQ(p.message, row.first.message);
      EXPECT_EQ(p.line, row.first.line);
      EXPECT_EQ(p.column, row.first.column);
      EXPECT_EQ(p.text, row.first.text);
      // The report itself is written as before.
      EXPECT_NE(sink->out.find("ERROR: syntax error\n"), std::string::npos) << sink->out.substr(0, 80);
    }
  }
}

}  // namespace
