#include "cli_clips.h"

#include <map>

#include "cli_runner.h"

namespace clitest {

const char* const kWorkedClip =
    "HIERARCHY\nROOT Hips\n{\nOFFSET 0 0 0\n"
    "CHANNELS 6 Xposition Yposition Zposition Zrotation Xrotation Yrotation\n"
    "JOINT Chest\n{\nOFFSET 0 5 0\nCHANNELS 3 Zrotation Xrotation Yrotation\n"
    "End Site\n{\nOFFSET 0 5 0\n}\n}\n}\n"
    "MOTION\nFrames: 2\nFrame Time: 0.01\n0 0 0 0 0 0 0 0 0\n1 2 3 0 90 0 0 0 45\n";

std::string clipWithMotion(const std::string& motion) {
  const std::string worked = kWorkedClip;
  return worked.substr(0, worked.find("MOTION\n")) + "MOTION\n" + motion;
}

namespace {

const std::string kRow = "0 0 0 0 0 0 0 0 0\n";

std::string repeated(const std::string& text, std::size_t times) {
  std::string s;
  for (std::size_t i = 0; i < times; ++i) s += text;
  return s;
}

std::map<std::string, std::string> contents() {
  const std::string worked = kWorkedClip;
  std::string crOnly = worked;
  for (char& c : crOnly)
    if (c == '\n') c = '\r';
  return {
      {"worked.bvh", worked},
      {"empty.bvh", ""},
      {"picture.bvh", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16)},
      {"mixamo.bvh", "HIERARCHY\nROOT mixamorig:Hips\n{\nOFFSET 0 0 0\n}\nMOTION\nFrames: 1\nFrame Time: 0.1\n0\n"},
      {"colon.bvh",
       "HIERARCHY\nROOT Hips\n{\nOFFSET 0 0 0\nCHANNELS 3 Xposition Yposition Zposition\n"
       "JOINT mixamorig:Spine\n{\nOFFSET 0 1 0\n}\n}\nMOTION\nFrames: 1\nFrame Time: 0.1\n0 0 0\n"},
      {"noeol.bvh", worked.substr(0, worked.size() - 1)},
      {"blankend.bvh", worked + "\n"},
      {"extra.bvh", clipWithMotion("Frames: 2\nFrame Time: 0.01\n" + kRow + kRow + kRow + kRow)},
      {"gap.bvh", clipWithMotion("Frames: 2\nFrame Time: 0.01\n" + kRow + "\n" + kRow)},
      {"blankmotion.bvh", clipWithMotion("\nFrames: 2\nFrame Time: 0.01\n" + kRow + kRow)},
      {"mostframes.bvh", clipWithMotion("Frames: 2147483647\nFrame Time: 0.01\n" + kRow + kRow)},
      {"toomanyframes.bvh", clipWithMotion("Frames: 2147483648\nFrame Time: 1.0e999\n" + kRow + kRow)},
      {"quote40.bvh", "HIERARCHY\nROOT H\n{\nOFFSET 0 0 " + std::string(40, 'A') + "\n}\n"},
      {"quote41.bvh", "HIERARCHY\nROOT H\n{\nOFFSET 0 0 " + std::string(41, 'A') + "\n}\n"},
      {"cut.bvh", clipWithMotion("Frames: 5\nFrame Time: 0.01\n" + kRow + kRow)},
      {"notime.bvh", clipWithMotion("Frames: 2\n" + kRow + kRow)},
      {"hierarchy.bvh", worked.substr(0, worked.find("MOTION"))},
      {"badheader.bvh", clipWithMotion("Frame Time: 0.01\nFrames: x\n" + kRow + kRow)},
      {"cronly.bvh", crOnly},
      {"Upper.BVH", worked},
      // Numbers with an exponent but no decimal point, in a row and in the hierarchy.
      {"pyexp.bvh", clipWithMotion("Frames: 2\nFrame Time: 0.01\n" + kRow + "1 2 3 0 1e-05 0 0 0 45\n")},
      {"exp3e2.bvh", clipWithMotion("Frames: 3\nFrame Time: 0.01\n" + kRow + "1 2 3 0 3e2 0 0 0 45\n" + kRow)},
      {"negexp.bvh", clipWithMotion("Frames: 2\nFrame Time: 0.01\n" + kRow + "1 2 3 0 -1e-05 0 0 0 45\n")},
      {"expoffset.bvh", "HIERARCHY\nROOT H\n{\nOFFSET 1e-05 0 0\n}\n"},
      {"truncrow.bvh", worked.substr(0, worked.size() - 3)},
      {"rate120.bvh", clipWithMotion("Frames: 2\nFrame Time: 0.008333333333333333\n" + kRow + kRow)},
      // 101 rows one second apart: 100 s at the file's own rate.
      // A key that overflows: the pose is not finite.
      {"huge.bvh", clipWithMotion("Frames: 2\nFrame Time: 0.01\n" + kRow + "0 1.0e308 0 0 0 0 0 0 0\n")},
      {"long.bvh", clipWithMotion("Frames: 101\nFrame Time: 1\n" + repeated(kRow, 101))},
  };
}

}  // namespace

std::string clip(const std::string& name) {
  static std::map<std::string, std::string> written;
  auto found = written.find(name);
  if (found != written.end()) return found->second;
  const std::map<std::string, std::string> all = contents();
  const auto content = all.find(name);
  const std::string path = writeTemp(name, content == all.end() ? std::string() : content->second);
  written[name] = path;
  return path;
}

}  // namespace clitest
