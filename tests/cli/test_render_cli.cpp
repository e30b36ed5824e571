#include <gif_lib.h>
#include <gtest/gtest.h>

#include <fstream>
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
      {"--to 0.25 --fps 12 --view top --auto-resize", 4},
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

}  // namespace
