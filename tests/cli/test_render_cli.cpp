#include <gif_lib.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "cli_runner.h"

using clitest::boneplay;

namespace {

struct Decoded {
  int frames = 0;
  int width = 0, height = 0;
  int framesWithRed = 0;
  int redOnTheEdge = 0;
  int redLeft = 1 << 30, redTop = 1 << 30, redRight = -1, redBottom = -1;  // over every frame
  int redHeight() const { return redBottom - redTop + 1; }
};

bool isRed(const GifColorType& c) { return c.Red > 200 && c.Green < 80 && c.Blue < 80; }

Decoded decode(const std::string& path) {
  Decoded d;
  int error = 0;
  GifFileType* gif = DGifOpenFileName(path.c_str(), &error);
  if (!gif) return d;
  if (DGifSlurp(gif) == GIF_OK) {
    d.frames = gif->ImageCount;
    d.width = gif->SWidth;
    d.height = gif->SHeight;
    // Frames after the first may cover only the box that changed: paste each
    // onto the picture so far, as a viewer does.
    std::vector<GifPixelType> picture(static_cast<std::size_t>(d.width) * d.height, 0);
    for (int i = 0; i < gif->ImageCount; ++i) {
      const SavedImage& img = gif->SavedImages[i];
      const GifImageDesc& desc = img.ImageDesc;
      for (int y = 0; y < desc.Height; ++y)
        for (int x = 0; x < desc.Width; ++x)
          picture[static_cast<std::size_t>(desc.Top + y) * d.width + desc.Left + x] =
              img.RasterBits[y * desc.Width + x];
      const ColorMapObject* map = desc.ColorMap ? desc.ColorMap : gif->SColorMap;
      int red = 0;
      for (int y = 0; y < d.height; ++y)
        for (int x = 0; x < d.width; ++x) {
          if (!isRed(map->Colors[picture[static_cast<std::size_t>(y) * d.width + x]])) continue;
          ++red;
          d.redLeft = std::min(d.redLeft, x), d.redRight = std::max(d.redRight, x);
          d.redTop = std::min(d.redTop, y), d.redBottom = std::max(d.redBottom, y);
          if (x == 0 || y == 0 || x == d.width - 1 || y == d.height - 1) ++d.redOnTheEdge;
        }
      if (red > 20) ++d.framesWithRed;
    }
  }
  DGifCloseFile(gif, &error);
  return d;
}

TEST(CliRender, GifFramesFollowTheRangeAndStayInsideThePicture) {
  const std::string out = clitest::writeTemp("walk.gif", "");
  struct Case {
    const char* args;
    int frames;
  };
  const Case cases[] = {
      {"--from 0 --to 1 --fps 10", 11},
      {"--from 0.5 --to 2 --fps 4 --view side --size 200x150", 7},
      {"--to 0.25 --fps 12 --view top --auto-resize --frame fit", 4},
      {"--to 2 --fps 5 --follow --stamp", 11},
  };
  for (const Case& c : cases) {
    const auto r = boneplay(std::string("render -o '") + out + "' " + c.args);
    ASSERT_EQ(r.status, 0) << c.args << ": " << r.err;
    EXPECT_NE(r.out.find("wrote"), std::string::npos);
    const Decoded d = decode(out);
    EXPECT_EQ(d.frames, c.frames) << c.args;
    EXPECT_EQ(d.framesWithRed, c.frames) << c.args;
    EXPECT_EQ(d.redOnTheEdge, 0) << c.args;
  }
  // The whole bundled clip by default: 120 samples at 30 per second.
  const auto r = boneplay("render --size 160x120 -o '" + out + "'");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(decode(out).frames, 120);
}

TEST(CliRender, OtherFormatsAndTheRig) {
  const std::string png = clitest::writeTemp("still.png", "");
  auto r = boneplay("render --at 1.5 -o '" + png + "'");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("one frame"), std::string::npos);
  const std::string html = clitest::writeTemp("walk.html", "");
  r = boneplay("render --to 0.5 -o '" + html + "'");
  EXPECT_EQ(r.status, 0) << r.err;
  std::stringstream page;
  page << std::ifstream(html).rdbuf();
  // The page is titled with the clip's file name, not its path.
  EXPECT_NE(page.str().find("<title>walk.bvh</title>"), std::string::npos);
  const std::string gif = clitest::writeTemp("rig.gif", "");
  r = boneplay(std::string("render --no-clip --scene '") + BONEPLAY_SOURCE_DIR +
               "/samples/rig.json' --to 1 --fps 5 -o '" + gif + "'");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(decode(gif).framesWithRed, 6);
}

// The walk at its first frame from the front, 200 pixels square: the red
// figure's box in the picture under each framing.
TEST(CliRender, WorldFramingShowsTheScaleAndTheCarryingItem) {
  const std::string moved =
      clitest::writeTemp("moved.json", R"({"items": [{"name": "C", "type": "object", "position": [60, 0, 0]}]})");
  const std::string fbx = std::string(" '") + BONEPLAY_SOURCE_DIR + "/samples/walk.fbx'";
  struct Case {
    std::string name, args;
    bool outside;  // the figure reaches outside the picture, and a line says so
  };
  const Case cases[] = {
      {"fit", "", false},
      {"scale 0.5", "--scale 0.5", false},
      {"scale 1", "--scale 1", false},
      {"scale 2", "--scale 2", true},
      {"fit 0.01", "--scale 0.01 --frame fit", false},
      {"fit 100", "--scale 100 --frame fit", false},
      {"fbx", fbx + " --frame world", false},
      {"fbx moved", fbx + " --scene '" + moved + "'", false},
      {"fbx moved fit", fbx + " --scene '" + moved + "' --frame fit", false},
  };
  std::map<std::string, Decoded> seen;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string out = clitest::writeTemp("framed.gif", "");
    const auto r = boneplay("render --to 0 --view front --size 200x200 -o '" + out + "' " + c.args);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.find("world frame") != std::string::npos,
              c.args.find("--frame fit") == std::string::npos && c.name != "fit")
        << r.out;
    EXPECT_EQ(r.err.find("reaches outside the picture") != std::string::npos, c.outside) << r.err;
    seen[c.name] = decode(out);
    ASSERT_GT(seen[c.name].redHeight(), 20);
  }
  const Decoded &fit = seen["fit"], &half = seen["scale 0.5"], &one = seen["scale 1"], &two = seen["scale 2"];
  // At scale 1 on an unmoved item the world frame is the fitted one.
  EXPECT_EQ(one.redTop, fit.redTop);
  EXPECT_EQ(one.redBottom, fit.redBottom);
  // Twice the scale, twice as tall, standing on the same floor; at 2 the
  // figure reaches out of the top of the picture.
  EXPECT_NEAR(one.redHeight(), 2 * half.redHeight(), 2);
  EXPECT_NEAR(half.redBottom, one.redBottom, 1);
  EXPECT_NEAR(two.redBottom, one.redBottom, 1);
  EXPECT_EQ(two.redTop, 0);
  // Fitted, the scale does not show.
  for (const char* name : {"fit 0.01", "fit 100"}) {
    EXPECT_NEAR(seen[name].redTop, fit.redTop, 1) << name;
    EXPECT_NEAR(seen[name].redBottom, fit.redBottom, 1) << name;
    EXPECT_NEAR(seen[name].redLeft, fit.redLeft, 1) << name;
  }
  // The FBX clip moves with its item (60 units to the right, about a third of
  // its height): in world units the figure moves right; fitted, it does not.
  const Decoded &still = seen["fbx"], &carried = seen["fbx moved"], &fitted = seen["fbx moved fit"];
  EXPECT_NEAR(carried.redLeft - still.redLeft, 60.0 / 170 * still.redHeight(), 0.2 * still.redHeight());
  EXPECT_NEAR(carried.redTop, still.redTop, 1);
  EXPECT_NEAR(fitted.redLeft, still.redLeft, 1);
  EXPECT_NEAR(fitted.redRight, still.redRight, 1);
}

TEST(CliRender, AGalleryHoldsAnyKindOfPicture) {
  struct Case {
    const char* as;
    const char* element;
  };
  const Case cases[] = {{"gif", "<img "}, {"png", "<img "}, {"svg", "<img "}, {"html", "<iframe "}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.as);
    const std::string dir = clitest::makeTempFolder(std::string("gallery-") + c.as);
    const auto r = boneplay(std::string("render --to 0.2 --size 64x48 --as ") + c.as + " --out-dir '" + dir + "' '" +
                            BONEPLAY_SOURCE_DIR + "/samples/walk.bvh' '" + BONEPLAY_SOURCE_DIR + "/samples/walk.fbx'");
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string index = clitest::slurp(dir + "/index.html");
    for (const std::string name : {"walk", "walk-2"}) {
      const std::string file = name + "." + c.as;
      EXPECT_FALSE(clitest::slurp(dir + "/" + file).empty()) << file;
      EXPECT_NE(index.find(std::string(c.element) + "src=\"" + file + "\""), std::string::npos) << index;
    }
  }
}

}  // namespace
