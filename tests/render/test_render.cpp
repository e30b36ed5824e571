#include <gif_lib.h>
#include <gtest/gtest.h>
#include <png.h>
#include <unistd.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "canvas.h"
#include "projection.h"
#include "test_tmpdir.h"
#include "writers.h"

using namespace Boneplay::Render;

namespace {

std::string temp(const std::string& name) { return boneplay_test::TempPath(name); }

// A stick figure walking along +z, two metres tall, arms swinging.
Animation walker(std::size_t frames, double fps = 10) {
  Animation a;
  a.fps = fps;
  for (std::size_t k = 0; k < frames; ++k) {
    Frame f;
    f.time = k / fps;
    const double z = 50.0 * f.time, swing = 30.0 * std::sin(f.time * 6);
    const Point3 hip{0, 100, z}, neck{0, 170, z}, head{0, 200, z};
    // Built as a new vector and moved in: assigning the braced list into the
    // empty member trips GCC 12's -Wnonnull false positive at -O3.
    f.segments = std::vector<Segment>{{hip, neck},
                                      {neck, head},
                                      {hip, {10, 0, z + swing}},
                                      {hip, {-10, 0, z - swing}},
                                      {neck, {40, 110, z - swing}},
                                      {neck, {-40, 110, z + swing}}};
    a.frames.push_back(f);
  }
  return a;
}

TEST(Projection, FramingKeepsEveryPointInsideForEveryView) {
  const Animation a = walker(30);
  for (View v : {View::Front, View::Side, View::Top, View::ThreeQuarter}) {
    for (auto size : {std::pair<int, int>{640, 480}, {200, 600}, {1000, 100}}) {
      const Projection p(v, a, size.first, size.second);
      double minX = 1e9, maxX = -1e9, minY = 1e9, maxY = -1e9;
      for (const Frame& f : a.frames)
        for (const Segment& s : f.segments)
          for (const Point3& q : {s.a, s.b}) {
            const Point2 pt = p.toPicture(q);
            minX = std::min(minX, pt.x);
            maxX = std::max(maxX, pt.x);
            minY = std::min(minY, pt.y);
            maxY = std::max(maxY, pt.y);
          }
      SCOPED_TRACE(std::string(viewName(v)) + " " + std::to_string(size.first) + "x" + std::to_string(size.second));
      EXPECT_GE(minX, 0);
      EXPECT_LE(maxX, size.first);
      EXPECT_GE(minY, 0);
      EXPECT_LE(maxY, size.second);
      // ... and fills it along at least one axis (up to the margins).
      const double fill = std::max((maxX - minX) / size.first, (maxY - minY) / size.second);
      EXPECT_GT(fill, 0.8);
    }
  }
}

TEST(Projection, ViewsLookFromWhereTheirNamesSay) {
  Animation a = walker(1);
  const Projection front(View::Front, a, 400, 400), side(View::Side, a, 400, 400), top(View::Top, a, 400, 400);
  // Up is up on the picture in the front and side views.
  EXPECT_LT(front.toPicture({0, 200, 0}).y, front.toPicture({0, 0, 0}).y);
  EXPECT_LT(side.toPicture({0, 200, 0}).y, side.toPicture({0, 0, 0}).y);
  // The front view sees +x on the right; the top view sees +z down the picture.
  EXPECT_GT(front.toPicture({40, 100, 0}).x, front.toPicture({-40, 100, 0}).x);
  EXPECT_GT(top.toPicture({0, 0, 10}).y, top.toPicture({0, 0, -10}).y);
  EXPECT_DOUBLE_EQ(front.floorHeight(), 0.0);
}

TEST(Projection, FloorGridStaysBoundedFarFromTheOrigin) {
  // Far out, a step of the grid may vanish in the coordinates' precision.
  struct Case {
    double offset, size;
  };
  const Case cases[] = {{1e10, 1e-3}, {1e20, 1.0}, {0, 0}, {-5, 200}};
  for (const Case& c : cases) {
    Animation a;
    Frame f;
    f.segments = std::vector<Segment>{{{c.offset, 0, c.offset}, {c.offset + c.size, c.size, c.offset + c.size}}};
    a.frames.push_back(f);
    const std::vector<Line2> grid = gridLines(Projection(View::Front, a, 100, 100));
    EXPECT_LE(grid.size(), 802u) << c.offset;
  }
  Animation walk = walker(3);
  EXPECT_GT(gridLines(Projection(View::Top, walk, 100, 100)).size(), 4u);
}

TEST(Render, NamesAndTables) {
  const std::pair<const char*, bool> views[] = {{"front", true},         {"side", true},   {"top", true},
                                                {"three-quarter", true}, {"Front", false}, {"", false}};
  for (const auto& v : views) EXPECT_EQ(parseView(v.first).has_value(), v.second) << v.first;

  Format f = Format::Gif;
  EXPECT_TRUE(formatFromPath("out/a.PNG", f));
  EXPECT_EQ(f, Format::Png);
  EXPECT_TRUE(formatFromPath("x.html", f));
  EXPECT_EQ(f, Format::Html);
  EXPECT_FALSE(formatFromPath("x.jpg", f));
  EXPECT_FALSE(formatFromPath("dir.gif/x", f));

  EXPECT_EQ(sheetFrames(100, 12).size(), 12u);
  EXPECT_EQ(sheetFrames(100, 12).front(), 0u);
  EXPECT_EQ(sheetFrames(100, 12).back(), 99u);
  EXPECT_EQ(sheetFrames(3, 12), (std::vector<std::size_t>{0, 1, 2}));
  EXPECT_EQ(sheetFrames(7, 1), (std::vector<std::size_t>{0}));
  EXPECT_TRUE(sheetFrames(0, 12).empty());
}

TEST(Canvas, LinesAreClippedAndAntiAliased) {
  Canvas c(20, 10);
  c.line(Layer::Line, {-100, 5}, {100, 5}, 2);  // far outside on both ends
  EXPECT_EQ(c.coverage(Layer::Line, 0, 4), 255);
  EXPECT_EQ(c.coverage(Layer::Line, 19, 5), 255);
  EXPECT_EQ(c.coverage(Layer::Line, 10, 0), 0);
  EXPECT_EQ(c.coverage(Layer::Grid, 10, 5), 0);
  c.line(Layer::Line, {NAN, 0}, {5, 5}, 2);  // ignored, not drawn across the picture
  c.line(Layer::Grid, {3.3, -5}, {3.3, 50}, 1);
  const int edge = c.coverage(Layer::Grid, 2, 1);
  EXPECT_GT(edge, 0);
  EXPECT_LT(edge, 255);
}

struct GifInfo {
  int frames = 0, width = 0, height = 0, totalDelay = 0;
  int redPixelsLastFrame = 0;
  bool loops = false;
};

GifInfo readGif(const std::string& path) {
  GifInfo info;
  int error = 0;
  GifFileType* gif = DGifOpenFileName(path.c_str(), &error);
  if (!gif) return info;
  if (DGifSlurp(gif) == GIF_OK) {
    info.frames = gif->ImageCount;
    info.width = gif->SWidth;
    info.height = gif->SHeight;
    for (int i = 0; i < gif->ImageCount; ++i) {
      GraphicsControlBlock gcb;
      if (DGifSavedExtensionToGCB(gif, i, &gcb) == GIF_OK) info.totalDelay += gcb.DelayTime;
    }
    // The loop block comes before the first image, so it is saved with it.
    const SavedImage& first = gif->SavedImages[0];
    for (int i = 0; i < first.ExtensionBlockCount; ++i)
      if (first.ExtensionBlocks[i].Function == APPLICATION_EXT_FUNC_CODE && first.ExtensionBlocks[i].ByteCount == 11 &&
          std::memcmp(first.ExtensionBlocks[i].Bytes, "NETSCAPE2.0", 11) == 0)
        info.loops = true;
    // Later frames may cover only what changed: paste them all to get the last picture.
    std::vector<GifPixelType> picture(static_cast<std::size_t>(info.width) * info.height, 0);
    for (int i = 0; i < gif->ImageCount; ++i) {
      const GifImageDesc& desc = gif->SavedImages[i].ImageDesc;
      for (int y = 0; y < desc.Height; ++y)
        for (int x = 0; x < desc.Width; ++x)
          picture[static_cast<std::size_t>(desc.Top + y) * info.width + desc.Left + x] =
              gif->SavedImages[i].RasterBits[y * desc.Width + x];
    }
    for (GifPixelType p : picture) {
      const GifColorType& c = gif->SColorMap->Colors[p];
      if (c.Red > 200 && c.Green < 60 && c.Blue < 60) ++info.redPixelsLastFrame;
    }
  }
  DGifCloseFile(gif, &error);
  return info;
}

TEST(Render, GifHasOneFrameEachAndLoopsAtTheClipRate) {
  const Animation a = walker(25, 10);
  RenderOptions o;
  o.width = 160;
  o.height = 120;
  const std::string path = temp("walk.gif");
  ASSERT_EQ(writeGif(a, o, path), "");
  const GifInfo info = readGif(path);
  EXPECT_EQ(info.frames, 25);
  EXPECT_EQ(info.width, 160);
  EXPECT_EQ(info.height, 120);
  EXPECT_EQ(info.totalDelay, 250);  // 25 frames at 10 per second
  EXPECT_TRUE(info.loops);
  EXPECT_GT(info.redPixelsLastFrame, 100);
  EXPECT_NE(writeGif(a, o, "/nonexistent/dir/x.gif"), "");
  EXPECT_NE(writeGif(Animation(), o, path), "");
}

TEST(Render, PngStillAndContactSheet) {
  const Animation a = walker(30);
  RenderOptions o;
  o.width = 200;
  o.height = 100;
  struct Case {
    int still;
    int w, h;
  };
  const Case cases[] = {{5, 200, 100}, {-1, 400, 150}};  // 12 tiles of 100x50, four to a row
  for (const Case& c : cases) {
    o.stillIndex = c.still;
    const std::string path = temp("still.png");
    ASSERT_EQ(writePng(a, o, path), "");
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(&image, path.c_str()));
    image.format = PNG_FORMAT_RGB;
    std::vector<uint8_t> px(PNG_IMAGE_SIZE(image));
    ASSERT_TRUE(png_image_finish_read(&image, nullptr, px.data(), 0, nullptr));
    EXPECT_EQ(static_cast<int>(image.width), c.w);
    EXPECT_EQ(static_cast<int>(image.height), c.h);
    int red = 0;
    for (std::size_t i = 0; i < px.size(); i += 3) red += px[i] > 200 && px[i + 1] < 60 && px[i + 2] < 60;
    EXPECT_GT(red, 50);
  }
}

TEST(Render, SvgAnimatesEveryFrameOrShowsOne) {
  const Animation a = walker(8);
  RenderOptions o;
  const std::string path = temp("walk.svg");
  ASSERT_EQ(writeSvg(a, o, path), "");
  std::ifstream in(path);
  std::stringstream ss;
  ss << in.rdbuf();
  const std::string svg = ss.str();
  std::size_t animations = 0;
  for (std::size_t at = svg.find("<animate "); at != std::string::npos; at = svg.find("<animate ", at + 1))
    ++animations;
  EXPECT_EQ(animations, 8u);
  EXPECT_NE(svg.find("stroke=\"rgb(255,0,0)\""), std::string::npos);
  EXPECT_NE(svg.find("dur=\"0.8s\""), std::string::npos);

  o.stillIndex = 3;
  ASSERT_EQ(writeSvg(a, o, path), "");
  std::ifstream in2(path);
  std::stringstream ss2;
  ss2 << in2.rdbuf();
  EXPECT_EQ(ss2.str().find("<animate"), std::string::npos);
  EXPECT_NE(ss2.str().find("<path d=\"M"), std::string::npos);
}

TEST(Render, HtmlPlayerCarriesEveryFrame) {
  Animation a = walker(5);
  a.title = "walk <1>";
  RenderOptions o;
  const std::string path = temp("walk.html");
  ASSERT_EQ(writeHtml(a, o, path), "");
  std::ifstream in(path);
  std::stringstream ss;
  ss << in.rdbuf();
  const std::string html = ss.str();
  std::size_t frames = 0;
  for (std::size_t at = html.find("{t:"); at != std::string::npos; at = html.find("{t:", at + 1)) ++frames;
  EXPECT_EQ(frames, 5u);
  EXPECT_NE(html.find("walk &lt;1&gt;"), std::string::npos);
  EXPECT_NE(html.find("id=\"play\""), std::string::npos);
}

}  // namespace
