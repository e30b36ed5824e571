// One table of command lines: the exit status and what the program says.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "cli_clips.h"
#include "cli_runner.h"
#include "test_tmpdir.h"

namespace {

using clitest::boneplay;

const std::string kWalkFbx = std::string(BONEPLAY_SOURCE_DIR) + "/samples/walk.fbx";
const std::string kRigScene = std::string(BONEPLAY_SOURCE_DIR) + "/samples/rig.json";

struct Line {
  std::string args;  // {NAME} stands for a fixture clip or a path in the temporary folder
  int status;
  std::string err;     // a pattern stderr must match (see matches)
  std::string out;     // ... and stdout
  std::string absent;  // texts, separated by '|', that neither may contain
};

// "^$" matches only nothing at all; any other pattern is texts separated by
// '*' that must all appear in this order ("" matches anything).
bool matches(const std::string& text, const std::string& pattern) {
  if (pattern == "^$") return text.empty();
  std::size_t at = 0, from = 0;
  for (;;) {
    const std::size_t star = pattern.find('*', from);
    const std::string piece = pattern.substr(from, star == std::string::npos ? std::string::npos : star - from);
    const std::size_t found = text.find(piece, at);
    if (found == std::string::npos) return false;
    if (star == std::string::npos) return true;
    at = found + piece.size();
    from = star + 1;
  }
}

// Fixture names become their paths; other names, paths in the temporary folder.
std::string expand(const std::string& args) {
  std::string s;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::size_t close = args[i] == '{' ? args.find('}', i) : std::string::npos;
    if (close == std::string::npos) {
      s += args[i];
      continue;
    }
    const std::string name = args.substr(i + 1, close - i - 1);
    const bool fixture = name.find(".bvh") != std::string::npos || name.find(".BVH") != std::string::npos;
    s += clitest::quote(fixture ? clitest::clip(name) : boneplay_test::TempPath(name));
    i = close;
  }
  return s;
}

void writeFolders() {
  clitest::makeTempFolder("nothing");
  const std::string two = clitest::makeTempFolder("two");
  clitest::writeTemp("two/a.bvh", clitest::kWorkedClip);
  clitest::writeTemp("two/b.bvh", clitest::kWorkedClip);
  clitest::writeTemp("two/notes.txt", "not a clip");
  clitest::writeTemp("misspelt.json", R"({"items": [{"name": "A", "positon": [1, 2, 3]}]})");
  clitest::writeTemp("twice.json", R"({"items": [{"name": "A"}, {"name": "A"}]})");
  clitest::writeTemp("clip.fbx", "; not really\n");
  clitest::writeTemp("typeless.json", R"({"items":[{"name":"A","type":3}]})");
  // FBX under other names: alone, and beside a file of that name with .fbx appended.
  const std::string fbx = clitest::slurp(kWalkFbx);
  clitest::writeTemp("clip.dat", fbx);
  clitest::writeTemp("beside.dat", "not read");
  clitest::writeTemp("beside.dat.fbx", fbx);
  clitest::writeTemp("norig.json",
                     R"({"items":[{"name":"Fig"},{"name":"A","parent":"Fig"},{"name":"B","parent":"A"}]})");
}

const Line kLines[] = {
    // Nothing to show is a failure naming the file and the reason.
    {"info {empty.bvh}", 1, R"(cannot read '*empty.bvh': the file is empty)", "^$", ""},
    {"pose {empty.bvh}", 1, "the file is empty", "^$", ""},
    {"render {empty.bvh} -o {e.gif}", 1, "the file is empty", "^$", ""},
    {"pose {picture.bvh}", 1, R"(picture.bvh': it holds no BVH hierarchy)", "^$", ""},
    {"info {hierarchy.bvh}", 1, "its 3 joints have no motion sample: the file has no MOTION section", "^$", ""},
    {"info {mixamo.bvh}", 1,
     R"(no joint was read from it: syntax error at line 2, column 16, at "Hips": the joint name "mixamorig:Hips" )"
     R"(holds ':', but a name may hold only letters, digits and underscores)",
     "^$", ""},
    {"pose {colon.bvh}", 1,
     R"(its 2 joints have no motion sample: syntax error at line 6, column 17, at "Spine": the joint name )"
     R"("mixamorig:Spine" holds ':')",
     "^$", ""},
    {"info {noeol.bvh}", 0,
     R"(note: '*noeol.bvh': syntax error at line 20, column 20, at the end of the file, after all 2 declared )"
     R"(frames were read; nothing was lost)",
     "samples: 2 read", "warning"},
    {"info {blankend.bvh}", 0,
     "syntax error at line 21, column 1, an empty line, after all 2 declared frames were read", "", ""},
    {"--strict info {noeol.bvh}", 0, R"(note: '*noeol.bvh': syntax error)", "samples: 2 read",
     "error (--strict)|warning"},
    {"info {cronly.bvh}", 1, "carriage return alone, which the reader does not take as a line end", "^$", ""},
    {"pose {Upper.BVH}", 1, R"(Upper.BVH': only the lower-case extension .bvh selects the BVH reader)", "^$", ""},
    {"pose /nonexistent/walk.bvh", 1, "boneplay: cannot open '/nonexistent/walk.bvh': No such file or directory\n",
     "^$", ""},
    {"pose {clip.fbx}", 1, "the FBX importer cannot open it: File is corrupted", "^$", ""},
    // Warnings say where and whether every declared frame was read.
    {"info {gap.bvh}", 0,
     "line 20, column 1, an empty line, after 1 frame was read; the reader stops there and the rows after it are "
     "lost (1 of 2 rows read)",
     "", ""},
    {"info {blankmotion.bvh}", 0,
     "line 17, column 1, an empty line, before the first frame; the reader went on and read 2 frames in all",
     "samples: 2 read", ""},
    {"info {extra.bvh}", 0,
     R"(declares 2 frames but holds 4 rows of numbers: rows 3 to 4 (lines 21 to 22) are beyond the declared count)",
     "samples: 4 read (the file declares 2 frames)", ""},
    {"info {cut.bvh}", 0, "declares 5 frames but holds 2 rows of numbers: frames 3 to 5 are missing", "", ""},
    // The largest frame count a file can declare, and one more (no count at all).
    {"info {mostframes.bvh}", 0, "declares 2147483647 frames but holds 2 rows of numbers: frames 3 to 2147483647", "",
     ""},
    {"info {toomanyframes.bvh}", 0, "^$",
     "samples: 2 read (the file declares no frame count)\nframe time: none declared", ""},
    // The text at fault is quoted up to 40 bytes.
    {"info {quote40.bvh}", 1, "line 4, column 12, at \"" + std::string(40, 'A') + "\"; the reader stops", "^$", ""},
    {"info {quote41.bvh}", 1, "line 4, column 12, at \"" + std::string(40, 'A') + "...\"; the reader stops", "^$", ""},
    {"info {worked.bvh}", 0, "^$", "frame time: 0.01 s in the file (100 per second)", ""},
    // --strict, and global options after the subcommand.
    {"info {extra.bvh} --strict", 1, "error (--strict)", "^$", ""},
    {"info {worked.bvh} --strict", 0, "^$", "samples: 2", ""},
    {"info {badheader.bvh} -v", 0, "FRAMES atari\xE3\x81\xA7\xE3\x82\xA8\xE3\x83\xA9\xE3\x83\xBC", "", "\x82\xC5"},
    {"info {worked.bvh} {empty.bvh} {extra.bvh}", 1, "empty.bvh", "file: *worked*file: *extra", ""},
    {"info {two}", 0, "^$", "file: *two/a.bvh*file: *two/b.bvh", "notes"},
    {"info {nothing}", 1, "nothing' is a folder without .bvh or .fbx clips", "^$", ""},
    {"info --format json {worked.bvh}", 0, "^$", R"("takes":null,*"declared_frames":2,"frame_time":0.01)", ""},
    // Usage errors.
    {"pose {worked.bvh} --times 0 --every-sample", 2, "excludes", "^$", ""},
    {"pose --times 0,abc", 2, "not a number: abc", "^$", ""},
    {"pose --times nan", 2, "not a finite number", "^$", ""},
    {"pose --format xml", 2, "--format", "^$", ""},
    {"info --format yaml", 2, "--format", "^$", ""},
    {"info --jobs 0", 2, "--jobs: wants a whole number of clips worked at once, 1 or more, not '0'", "^$", ""},
    {"pose -j -1", 2, "not '-1'", "^$", ""},
    {"render --jobs two", 2, "not 'two'", "^$", ""},
    {"", 2, "subcommand", "^$", ""},
    {"frobnicate", 2, "", "^$", "did you mean"},
    {"render {worked.bvh} --no-clip", 2, "--no-clip shows the scene's own rig: give no CLIP", "^$", ""},
    {"render {worked.bvh} {extra.bvh} -o {x.gif}", 2, "-o names one picture, but 2 clips were given", "^$", ""},
    {"render {worked.bvh} -o {x.gif} --out-dir {d}", 2, "excludes", "^$", ""},
    {"render --no-clip --speed file", 2, "--speed file needs a clip", "^$", ""},
    {"render --speed slow", 2, "--speed", "^$", ""},
    {"render --up x", 2, "--up", "^$", ""},
    {"render -o out.jpg", 2, ".gif, .png, .svg or .html", "", ""},
    {"render --size 10x10 -o {x.gif}", 2, "--size", "", ""},
    {"render --view back -o {x.gif}", 2, "--view", "", ""},
    {"render --at 1 -o {x.gif}", 2, "--at makes a still picture", "", ""},
    {"render --scale 2 --auto-resize -o {x.gif}", 2, "excludes", "", ""},
    {"render --from 2 --to 1 -o {x.gif}", 2, "--to comes before --from", "", ""},
    {"render {long.bvh} --speed file --fps 240 -o {x.gif}", 2,
     "the range and --fps give 24001 frames; at most 20000 are drawn", "", "e+"},
    // Framing, scale and the pictures' kind.
    {"render --scale 0 -o {x.gif}", 2, "--scale: the scale must be above 0, not 0", "^$", ""},
    {"render --scale -1 -o {x.gif}", 2, "--scale: the scale must be above 0, not -1", "^$", ""},
    {"render --scale nan -o {x.gif}", 2, "--scale: not a finite number: nan", "^$", ""},
    {"pose --scale 0", 2, "--scale: the scale must be above 0, not 0", "^$", ""},
    {"render --frame bogus -o {x.gif}", 2, "--frame: bogus not in {fit,world}", "^$", ""},
    {"render --as bogus --out-dir {d}", 2, "--as: bogus not in {gif,png,svg,html}", "^$", ""},
    {"render --as svg -o {x.gif}", 2, "excludes", "^$", ""},
    {"render --as gif --at 1 --out-dir {d}", 2, "--at makes a still picture", "^$", ""},
    {"render --scale 3 --to 0 --size 32x32 -o {big.gif}", 0,
     "walk.bvh' reaches outside the picture*--frame fit frames the picture on what is drawn",
     "big.gif: 1 frame, 32x32, three-quarter view, world frame", ""},
    {"render --help", 0, "^$", "--from SECONDS*--fps N*--up y|z", "FLOAT|NUMBER|TEXT"},
    // Render failures and what it writes.
    {"render {notime.bvh} --speed file -o {x.gif}", 1, "declares no usable Frame Time, which --speed file needs", "",
     ""},
    {"render {worked.bvh} --speed host --to 0 --size 32x32 -o {one.gif}", 0, "^$", "one.gif: 1 frame, 32x32", ""},
    {"render {worked.bvh} {empty.bvh} --to 0 --size 32x32 --out-dir {worst}", 1, "the file is empty",
     "worst/worked.gif: 1 frame", ""},
    {"render /nonexistent/clip.bvh -o {x.gif}", 1, "cannot open '/nonexistent/clip.bvh'", "", ""},
    {"render {picture.bvh} -o {x.gif}", 1, "no BVH hierarchy", "", ""},
    {"render --module /nonexistent/mod.so -o {x.gif}", 1, "cannot load module '/nonexistent/mod.so'", "", ""},
    {"render --scene /nonexistent/scene.json -o {x.gif}", 1, "/nonexistent/scene.json", "", ""},
    {"render --scene {typeless.json} -o {x.gif}", 1, "typeless.json: item 0: the item type is a name", "", ""},
    {"render --scene {misspelt.json} -o {x.gif}", 1, "misspelt.json: item 0 (A): unknown key \"positon\"", "", ""},
    {"render --scene {twice.json} -o {x.gif}", 1, "twice.json: item 1 (A): the name is already item 0's", "", ""},
    {"render --item Nobody -o {x.gif}", 1, "no item named 'Nobody'", "", ""},
    {"render -o /nonexistent/dir/out.gif --to 0.1", 1, "cannot write '/nonexistent/dir/out.gif'", "", ""},
    // Notes tell of faults that lost nothing: printed, never an error, --strict or not.
    {"--strict info {blankend.bvh}", 0,
     "note: '*blankend.bvh': syntax error at line 21, column 1, an empty line, after all 2 declared frames were "
     "read; nothing was lost",
     "samples: 2", "warning|error (--strict)"},
    {"--strict info {truncrow.bvh}", 1, "error (--strict): '*truncrow.bvh': syntax error at line 20*end of the file",
     "^$", "note"},
    {"info --format json {noeol.bvh} {extra.bvh}", 0, "",
     R"("warnings":[],"notes":["syntax error at line 20*"warnings":["the file declares 2 frames*"notes":[])", ""},
    // A number with an exponent and no decimal point: named, its dialect form, and the channel it changes.
    {"info {pyexp.bvh}", 0,
     R"(warning: '*pyexp.bvh': syntax error at line 20, column 9, at "1e": "1e-05" is not a number in this BVH )"
     R"(dialect, which needs a decimal point in a number with an exponent: write 1.0e-05; the reader reads it )"
     R"(as -5, so Hips Xrotation is -5 in row 2)",
     "samples: 2", ""},
    {"--strict pose {pyexp.bvh}", 1, "error (--strict)*write 1.0e-05", "^$", ""},
    {"info {exp3e2.bvh}", 0,
     R"("3e2" is not a number*write 3.0e2; the reader skips it, so from Hips Xrotation on the values in row 2 )"
     R"(land one channel early, and the values of Chest Yrotation, the last channel, are shifted one frame early )"
     R"(from that row on)",
     "", ""},
    {"info {negexp.bvh}", 0,
     R"(at "e": "-1e-05" is not a number*write -1.0e-05; the reader reads it as -1, so Hips Xrotation is -1 in row )"
     R"(2 and from Hips Yrotation on the row's values land 1 channel late)",
     "", ""},
    {"info {expoffset.bvh}", 1,
     R"(no joint was read from it: syntax error at line 4, column 8, at "1e": "1e-05" is not a number*write )"
     R"(1.0e-05; the reader stops reading the skeleton there)",
     "^$", ""},
    // render tells a clip's own rate, ends at the declared frames and brings the range into the clip.
    {"render {rate120.bvh} --size 32x32 -o {r.gif}", 0,
     "note: '*rate120.bvh': it is declared at 120 frames per second, and the host plays every clip at 30 samples "
     "per second, so it plays 4\u00d7 slower than recorded; --speed file plays it at its own rate",
     "r.gif: 2 frames", ""},
    {"render {rate120.bvh} --speed file --fps 240 --size 32x32 -o {r.gif}", 0, "^$", "r.gif: 3 frames", ""},
    {"render {rate120.bvh} --speed host --size 32x32 -o {r.gif}", 0, "^$", "r.gif: 2 frames", ""},
    {"render " + clitest::quote(kWalkFbx) + " --speed file --to 0.1 --size 32x32 -o {f.gif}", 0, "^$",
     "f.gif: 4 frames", "Frame Time"},
    {"render {extra.bvh} --speed host --size 32x32 -o {x.gif}", 0,
     "note: '*extra.bvh': the picture ends at frame 2, the last the file declares (0.0333333 s); rows 3 to 4 follow "
     "it: --to 0.1 shows them",
     "x.gif: 2 frames", ""},
    {"render {extra.bvh} --speed host --to 0.1 --size 32x32 -o {x.gif}", 0, "declares 2 frames but holds 4 rows",
     "x.gif: 4 frames", "picture ends"},
    {"render {worked.bvh} --speed host --from -1 --to 5 --size 32x32 -o {c.gif}", 0,
     "--from -1 lies before the clip's start (0 s): it is taken as 0*--to 5 lies past the clip's end (0.0333333 s): "
     "it is taken as 0.0333333",
     "c.gif: 2 frames", ""},
    {"render {worked.bvh} --speed host --at 9 --size 32x32 -o {c.png}", 0,
     "--at 9 lies past the clip's end (0.0333333 s): it is taken as 0.0333333", "c.png: one frame", ""},
    // What the FBX reader opens for a name, the module's message boxes, a scene without the rig's names.
    {"pose {clip.dat}", 1,
     "cannot read '*clip.dat': it holds FBX, but FBX files are read under a .fbx name: the reader looked for "
     "'*clip.dat.fbx', which does not exist (rename the file to end in .fbx)",
     "^$", ""},
    {"info {two/notes.txt}", 1,
     "the reader looked for '*notes.txt.fbx', which does not exist (a clip is read as BVH under a .bvh name, as "
     "FBX under a .fbx name)",
     "^$", "holds FBX"},
    {"info {beside.dat}", 0,
     "warning: '*beside.dat': FBX files are read under a .fbx name: the reader read "
     "'*beside.dat.fbx' in its place",
     "take \"Take 001\"", ""},
    {"render --no-clip --scene " + clitest::quote(kRigScene) + " --auto-resize --to 0 --size 32x32 -o {k.gif}", 0,
     R"(the module shows "do not resize" (Kestrel): AutoResize works on a clip, not on the rig built from the scene)",
     "k.gif: 1 frame", ""},
    {"render --no-clip --scene {norig.json} -o {x.gif}", 1,
     "cannot show the scene's rig: 0 of the scene's 3 items carry a joint name of the standard rig; the module "
     "looks for Root, SpineNull, Spine1, Spine2, Spine3, NeckNull, Neck, Head, ...",
     "^$", ""},
    // A pose that is not finite: named by joint and time; nan/inf in CSV, null in JSON.
    {"pose {huge.bvh} --times 0.04 --format csv", 0, "warning: '*huge.bvh': the pose of Hips at 0.04 s is not finite",
     "0.040000000000000001,1,Root,0,1,0,0,0,0,1,0,0,0,0,1,0,nan,inf,nan,nan,joint", "-nan"},
    {"pose {huge.bvh} --times 0.04", 0, "the pose of Hips at 0.04 s is not finite", R"("world":[[null,null,)", ""},
    {"--strict pose {huge.bvh} --times 0.04", 1, "error (--strict): '*huge.bvh': the pose of Hips at 0.04 s", "^$", ""},
    // Did you mean: at most two edits away, a swap of neighbours counting one.
    {"rendr", 2, "boneplay: did you mean 'render'?", "^$", ""},
    {"render --spede file", 2, "--spede*boneplay: did you mean '--speed'?", "^$", ""},
    {"--strcit info", 2, "did you mean '--strict'?", "^$", ""},
    {"info --fromat=json", 2, "did you mean '--format'?", "^$", ""},
    {"pose --xyz", 2, "--xyz", "^$", "did you mean"},
};

TEST(CliLines, ExitStatusAndMessages) {
  writeFolders();
  for (const Line& line : kLines) {
    const std::string args = expand(line.args);
    SCOPED_TRACE(args);
    const auto r = boneplay(args);
    EXPECT_EQ(r.status, line.status) << r.err;
    EXPECT_TRUE(matches(r.err, line.err)) << "stderr:\n" << r.err;
    EXPECT_TRUE(matches(r.out, line.out)) << "stdout:\n" << r.out;
    std::size_t from = 0;
    while (!line.absent.empty() && from <= line.absent.size()) {
      const std::size_t bar = std::min(line.absent.find('|', from), line.absent.size());
      const std::string text = line.absent.substr(from, bar - from);
      EXPECT_EQ((r.out + r.err).find(text), std::string::npos) << text;
      from = bar + 1;
    }
  }
}

}  // namespace
