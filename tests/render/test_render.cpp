#include <gif_lib.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include "canvas.h"
#include "projection.h"
#include "render_test_util.h"
#include "time_text.h"
#include "writers.h"

using namespace Boneplay::Render;
using rendertest::Picture;
using rendertest::readPng;
using rendertest::slurp;
using rendertest::tempPath;
using rendertest::walker;

namespace {

constexpr View kViews[] = {View::Front, View::Side, View::Top, View::ThreeQuarter};

TEST(Projection, FramingKeepsEveryPointInsideForEveryViewFollowingOrNot) {
  const Animation a = walker(30);
  for (bool follow : {false, true})
    for (View v : kViews)
      for (auto size : {std::pair<int, int>{640, 480}, {200, 600}, {1000, 100}}) {
        SCOPED_TRACE(std::string(viewName(v)) + (follow ? " following " : " ") + std::to_string(size.first) + "x" +
                     std::to_string(size.second));
        Projection p(v, a, size.first, size.second, follow);
        double minX = 1e9, maxX = -1e9, minY = 1e9, maxY = -1e9;
        for (const Frame& f : a.frames) {
          p.track(f);
          if (follow) {  // the first joint stands in the middle of every frame
            EXPECT_NEAR(p.toPicture(*firstJoint(f)).x, size.first / 2.0, 1e-9);
            EXPECT_NEAR(p.toPicture(*firstJoint(f)).y, size.second / 2.0, 1e-9);
          }
          for (const Segment& s : f.segments)
            for (const Point3& q : {s.a, s.b}) {
              const Point2 pt = p.toPicture(q);
              minX = std::min(minX, pt.x), maxX = std::max(maxX, pt.x);
              minY = std::min(minY, pt.y), maxY = std::max(maxY, pt.y);
            }
        }
        EXPECT_GE(minX, 0);
        EXPECT_LE(maxX, size.first);
        EXPECT_GE(minY, 0);
        EXPECT_LE(maxY, size.second);
        // ... and fills it along at least one axis (up to the margins);
        // following, it reaches that far from the middle on one side.
        const double w = size.first, h = size.second;
        const double fill = follow ? std::max(std::max(w / 2 - minX, maxX - w / 2) / (w / 2),
                                              std::max(h / 2 - minY, maxY - h / 2) / (h / 2))
                                   : std::max((maxX - minX) / w, (maxY - minY) / h);
        EXPECT_GT(fill, 0.8);
      }
}

TEST(Projection, ViewsLookFromWhereTheirNamesSay) {
  const Animation a = walker(1);
  const Projection front(View::Front, a, 400, 400), side(View::Side, a, 400, 400), top(View::Top, a, 400, 400);
  const Projection quarter(View::ThreeQuarter, a, 400, 400);
  for (const Projection* p : {&front, &side, &quarter})  // up is up on the picture
    EXPECT_LT(p->toPicture({0, 200, 0}).y, p->toPicture({0, 0, 0}).y);
  // The front view sees +x on the right, the side view (from +x) sees +z on the left.
  EXPECT_GT(front.toPicture({40, 100, 0}).x, front.toPicture({-40, 100, 0}).x);
  EXPECT_LT(side.toPicture({0, 100, 40}).x, side.toPicture({0, 100, -40}).x);
  // The top view sees +z down the picture.
  EXPECT_GT(top.toPicture({0, 0, 10}).y, top.toPicture({0, 0, -10}).y);
  // The three-quarter camera stands in front at +x and looks down: nearer
  // floor points are lower on the picture, and nearer points are less deep.
  EXPECT_GT(quarter.toPicture({0, 0, 50}).y, quarter.toPicture({0, 0, -50}).y);
  EXPECT_GT(quarter.toPicture({50, 0, 0}).y, quarter.toPicture({-50, 0, 0}).y);
  EXPECT_LT(quarter.toView({50, 0, 50}).z, quarter.toView({-50, 0, -50}).z);
  EXPECT_DOUBLE_EQ(front.floorArea().y, 0.0);
}

TEST(Projection, FollowingMovesTheFloorAndHoldsWithoutLines) {
  Animation a = walker(3);
  a.frames.insert(a.frames.begin() + 1, Frame{});  // the module drew nothing this frame
  Projection p(View::Top, a, 200, 200, true);
  p.track(a.frames[0]);
  const FloorArea first = p.floorArea();
  const Point2 before = p.toPicture({0, 0, 0});
  p.track(a.frames[1]);
  EXPECT_EQ(p.toPicture({0, 0, 0}).y, before.y);
  p.track(a.frames[3]);  // the hip has walked 10 along z: the floor goes with it
  EXPECT_NEAR(p.floorArea().minZ - first.minZ, 10, 1e-9);
  EXPECT_NEAR(p.toPicture({0, 0, 0}).y - before.y, -10 * p.scale(), 1e-9);
  EXPECT_GT(gridLines(p).size(), 4u);
}

TEST(Projection, FloorGridStaysBoundedFarFromTheOrigin) {
  // Far out, a step of the grid may vanish in the coordinates' precision.
  struct Case {
    double offset, size;
  };
  const Case cases[] = {{1e10, 1e-3}, {1e20, 1.0}, {0, 0}, {-5, 200}};
  for (const Case& c : cases)
    for (bool follow : {false, true}) {
      Animation a;
      Frame f;
      f.segments = std::vector<Segment>{{{c.offset, 0, c.offset}, {c.offset + c.size, c.size, c.offset + c.size}}};
      a.frames.push_back(f);
      const std::vector<Line2> grid = gridLines(Projection(View::Front, a, 100, 100, follow));
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

  const std::pair<double, std::string> times[] = {
      {1.5, "1.50 s"}, {-0.001, "0.00 s"}, {-2.25, "-2.25 s"}, {NAN, "0.00 s"}};
  for (const auto& t : times) EXPECT_EQ(timeText(t.first, 2), t.second);
  EXPECT_EQ(cssColour({1, 0, 0.5}), "rgb(255,0,128)");
}

// The coverage a line should leave at a pixel: one pixel of soft edge
// around the solid core, found by looking at every pixel of the picture.
int referenceCoverage(Point2 a, Point2 b, double width, int x, int y) {
  const double half = std::max(0.5, width / 2), dx = b.x - a.x, dy = b.y - a.y, len2 = dx * dx + dy * dy;
  const double px = x + 0.5 - a.x, py = y + 0.5 - a.y;
  const double t = len2 > 0 ? std::clamp((px * dx + py * dy) / len2, 0.0, 1.0) : 0.0;
  const double c = std::clamp(half + 0.5 - std::hypot(px - t * dx, py - t * dy), 0.0, 1.0);
  return static_cast<int>(std::lround(c * 255));
}

TEST(Canvas, LinesCoverExactlyTheirPixels) {
  // Steep, shallow, diagonal, tiny, single-point, off the picture and across it.
  const Line2 lines[] = {{{3.2, 1.1}, {5.7, 28.3}},    {{-10, 4.4}, {50, 6.1}}, {{1, 1}, {38, 29}},
                         {{20.2, 10.2}, {20.4, 10.3}}, {{7, 7}, {7, 7}},        {{-30, -30}, {-5, -2}},
                         {{39.5, -5}, {0.5, 45}},      {{10, 0.5}, {10, 29.5}}};
  for (double width : {1.0, 2.5, 6.0})
    for (const Line2& l : lines) {
      Canvas c(40, 30);
      c.line(Layer::Line, l.a, l.b, width);
      int wrong = 0;
      for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x)
          wrong += std::abs(c.coverage(Layer::Line, x, y) - referenceCoverage(l.a, l.b, width, x, y)) > 1;
      EXPECT_EQ(wrong, 0) << l.a.x << "," << l.a.y << " to " << l.b.x << "," << l.b.y << " width " << width;
      EXPECT_EQ(c.coverage(Layer::Grid, 20, 15), 0);
    }
  // Ends far outside: a line across the picture, or none when even its
  // length is beyond the numbers (and one that is not a number at all).
  struct Far {
    Point2 a, b;
    int covered;
  };
  const Far far[] = {{{-1e300, 5.5}, {1e300, 5.5}, 20 * 3},
                     {{-1.7e308, 1}, {1.7e308, 1}, 0},
                     {{NAN, 0}, {5, 5}, 0},
                     {{1e300, -1e300}, {1e300, 1e300}, 0}};
  for (const Far& f : far) {
    Canvas c(20, 10);
    c.line(Layer::Line, f.a, f.b, 2);
    int covered = 0;
    for (int y = 0; y < 10; ++y)
      for (int x = 0; x < 20; ++x) covered += c.coverage(Layer::Line, x, y) > 0;
    EXPECT_EQ(covered, f.covered) << f.a.x << " to " << f.b.x;
  }
}

struct GifInfo {
  int frames = 0, width = 0, height = 0, totalDelay = 0;
  int redPixelsLastFrame = 0, textPixelsInCorner = 0;
  bool loops = false;
};

GifInfo readGif(const std::string& path, const Style& style) {
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
    const auto byte = [](double v) { return static_cast<int>(std::lround(v * 255)); };
    for (int y = 0; y < info.height; ++y)
      for (int x = 0; x < info.width; ++x) {
        const GifColorType& c = gif->SColorMap->Colors[picture[static_cast<std::size_t>(y) * info.width + x]];
        if (c.Red > 200 && c.Green < 60 && c.Blue < 60) ++info.redPixelsLastFrame;
        if (x < info.width / 2 && y < info.height / 6 && c.Red == byte(style.text.r) && c.Green == byte(style.text.g) &&
            c.Blue == byte(style.text.b))
          ++info.textPixelsInCorner;
      }
  }
  DGifCloseFile(gif, &error);
  return info;
}

TEST(Render, GifHasOneFrameEachLoopsAtTheClipRateAndStampsOnRequest) {
  const Animation a = walker(25, 10);
  RenderOptions o;
  o.width = 160;
  o.height = 120;
  const std::string path = tempPath("walk.gif");
  for (bool stamp : {false, true}) {
    SCOPED_TRACE(stamp ? "stamped" : "plain");
    o.stamp = stamp;
    o.follow = stamp;
    ASSERT_EQ(writeGif(a, o, path), "");
    const GifInfo info = readGif(path, o.style);
    EXPECT_EQ(info.frames, 25);
    EXPECT_EQ(info.width, 160);
    EXPECT_EQ(info.height, 120);
    EXPECT_EQ(info.totalDelay, 250);  // 25 frames at 10 per second
    EXPECT_TRUE(info.loops);
    EXPECT_GT(info.redPixelsLastFrame, 100);
    // "2.400 s": 5 x 7 dots a glyph at one pixel a dot, a few dozen of them lit.
    if (stamp) {
      EXPECT_GT(info.textPixelsInCorner, 60);
    } else {
      EXPECT_EQ(info.textPixelsInCorner, 0);
    }
  }
  EXPECT_NE(writeGif(a, o, "/nonexistent/dir/x.gif"), "");
  EXPECT_NE(writeGif(Animation(), o, path), "");
}

// Text-coloured pixels in a box of the picture.
int textPixels(const Picture& p, const Style& style, int x0, int y0, int x1, int y1) {
  int n = 0;
  const auto byte = [](double v) { return static_cast<int>(std::lround(v * 255)); };
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x)
      n += p.at(x, y)[0] == byte(style.text.r) && p.at(x, y)[1] == byte(style.text.g) &&
           p.at(x, y)[2] == byte(style.text.b);
  return n;
}

TEST(Render, PngStillAndLabelledContactSheet) {
  const Animation a = walker(30);
  RenderOptions o;
  o.width = 400;
  o.height = 200;
  o.stamp = true;
  o.view = View::ThreeQuarter;  // the floor seen from above
  // A still is the picture's size; a sheet is 12 cells of 200x100, four to a
  // row, each with a strip under it for its time (7 dots of 1 pixel + 6), in
  // gutters of 5 pixels (a fortieth of a cell's width) around and between them.
  const std::string still = tempPath("still.png"), sheet = tempPath("sheet.png");
  o.stillIndex = 5;
  ASSERT_EQ(writePng(a, o, still), "");
  o.stillIndex = -1;
  ASSERT_EQ(writePng(a, o, sheet), "");
  const Picture s = readPng(still), c = readPng(sheet);
  ASSERT_EQ(s.width, 400);
  ASSERT_EQ(s.height, 200);
  EXPECT_GT(s.count(&Picture::red), 50);
  EXPECT_GT(textPixels(s, o.style, 0, 0, 100, 30), 40);  // the stamp
  constexpr int kGutter = 5, kCellW = 200 + kGutter, kCellH = 113 + kGutter;
  ASSERT_EQ(c.width, 4 * kCellW + kGutter);
  ASSERT_EQ(c.height, 3 * kCellH + kGutter);
  int w = 0, h = 0;
  pictureSize(Format::Png, a, o, w, h);
  EXPECT_EQ(w, c.width);
  EXPECT_EQ(h, c.height);
  const auto byte = [](double v) { return static_cast<uint8_t>(std::lround(v * 255)); };
  const auto isGutter = [&](int x, int y) {
    return c.at(x, y)[0] == byte(o.style.gutter.r) && c.at(x, y)[1] == byte(o.style.gutter.g) &&
           c.at(x, y)[2] == byte(o.style.gutter.b);
  };
  const auto inCell = [&](int x, int y) {
    return x % kCellW >= kGutter && y % kCellH >= kGutter && x < c.width - kGutter && y < c.height - kGutter;
  };
  int gutterPixels = 0, strayPixels = 0;
  for (int y = 0; y < c.height; ++y)
    for (int x = 0; x < c.width; ++x) {
      gutterPixels += !inCell(x, y);
      strayPixels += !inCell(x, y) && !isGutter(x, y);
    }
  EXPECT_EQ(gutterPixels, c.width * c.height - 12 * 200 * 113);
  EXPECT_EQ(strayPixels, 0) << "the floor or a figure runs into the gutters";
  for (int cell = 0; cell < 12; ++cell) {
    SCOPED_TRACE("cell " + std::to_string(cell));
    const int x0 = kGutter + cell % 4 * kCellW, y0 = kGutter + cell / 4 * kCellH;
    EXPECT_GT(textPixels(c, o.style, x0 + 60, y0 + 100, x0 + 140, y0 + 113), 20);  // its label
    EXPECT_EQ(textPixels(c, o.style, x0, y0, x0 + 200, y0 + 100), 0);              // no stamp on cells
    // Every cell has its own floor and figure, and no gutter colour inside.
    int grid = 0, red = 0, gutterInside = 0;
    for (int y = y0; y < y0 + 100; ++y)
      for (int x = x0; x < x0 + 200; ++x) {
        red += c.red(x, y);
        const uint8_t* p = c.at(x, y);  // grey-blue, between the grid's colour and white
        grid += p[0] < 250 && p[0] >= byte(o.style.grid.r) && p[2] >= p[0] && p[1] + 10 >= p[0];
        gutterInside += isGutter(x, y);
      }
    EXPECT_GT(red, 50);
    EXPECT_GT(grid, 50);
    EXPECT_EQ(gutterInside, 0);
  }
}

TEST(Render, PngSheetCarriesTheTitleInABandAboveItsCells) {
  struct Case {
    const char* name;
    std::size_t frames;
    int still;
    std::string title;
    bool band, cut;
  };
  const std::string take = "walk.fbx, take \"Take 001\"";
  std::string longTitle;
  while (longTitle.size() < 200) longTitle += "walk-\xc3\xa9-";
  const Case cases[] = {
      {"sheet", 30, -1, take, true, false},
      {"long title", 30, -1, longTitle, true, true},
      {"still", 30, 5, take, false, false},
      {"clip of one frame", 1, -1, take, false, false},
  };
  RenderOptions o;
  o.width = 400;
  o.height = 200;
  o.stamp = true;
  // Cells of 200x100 with 13-pixel labels; the band is as tall as a label
  // and its text starts 3 pixels in from the left and top.
  constexpr int kBand = 13, kMargin = 3;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Animation a = walker(c.frames);
    o.stillIndex = c.still;
    const std::string plainPath = tempPath("plain.png"), titledPath = tempPath("titled.png");
    ASSERT_EQ(writePng(a, o, plainPath), "");
    a.title = c.title;
    ASSERT_EQ(writePng(a, o, titledPath), "");
    const Picture plain = readPng(plainPath), titled = readPng(titledPath);
    ASSERT_FALSE(plain.rgb.empty());
    ASSERT_FALSE(titled.rgb.empty());
    int w = 0, h = 0;
    pictureSize(Format::Png, a, o, w, h);
    EXPECT_EQ(w, titled.width);
    EXPECT_EQ(h, titled.height);
    if (!c.band) {
      EXPECT_EQ(slurp(titledPath), slurp(plainPath));
      continue;
    }
    ASSERT_EQ(titled.width, plain.width);
    ASSERT_EQ(titled.height, plain.height + kBand);
    // Below the band the sheet is the untitled one, pixel for pixel.
    EXPECT_TRUE(std::equal(plain.rgb.begin(), plain.rgb.end(),
                           titled.rgb.begin() + static_cast<std::ptrdiff_t>(kBand) * titled.width * 3));
    // The text sits in the band's top-left, one dot a pixel, within the margins.
    const int inBand = textPixels(titled, o.style, 0, 0, titled.width, kBand);
    const int reach = std::min(textWidth(c.title, 1), titled.width - 2 * kMargin);
    EXPECT_GT(inBand, 3 * static_cast<int>(c.title.size()) / 2);
    EXPECT_EQ(textPixels(titled, o.style, kMargin, kMargin, kMargin + reach, kMargin + 7), inBand);
    if (c.cut) {
      // It runs to within a glyph and its spacing of the margin and ends in
      // three dots: in the last 14 pixels only the bottom two rows are lit.
      int right = 0;
      for (int x = 0; x < titled.width; ++x)
        if (textPixels(titled, o.style, x, 0, x + 1, kBand) > 0) right = x;
      EXPECT_GE(right, titled.width - kMargin - 7);
      EXPECT_LT(right, titled.width - kMargin);
      EXPECT_EQ(textPixels(titled, o.style, right - 13, kMargin + 5, right + 1, kMargin + 7), 12);
      EXPECT_EQ(textPixels(titled, o.style, right - 13, 0, right + 1, kBand), 12);
    }
  }
}

TEST(Render, SvgAnimatesEveryFrameOrShowsOne) {
  const Animation a = walker(8);
  RenderOptions o;
  const std::string path = tempPath("walk.svg");
  auto count = [](const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
  };
  struct Case {
    bool follow, stamp;
    int still;
    std::size_t animations, grids, stamps;
  };
  // A still camera shares one grid; a following one draws it in every frame.
  const Case cases[] = {{false, false, -1, 8, 1, 0}, {true, true, -1, 8, 8, 8}, {false, true, 3, 0, 1, 1}};
  for (const Case& c : cases) {
    o.follow = c.follow, o.stamp = c.stamp, o.stillIndex = c.still;
    ASSERT_EQ(writeSvg(a, o, path), "");
    const std::string svg = slurp(path);
    SCOPED_TRACE(svg.substr(0, 400));
    EXPECT_EQ(count(svg, "<animate "), c.animations);
    EXPECT_EQ(count(svg, "<g stroke="), c.grids);
    EXPECT_EQ(count(svg, "<text "), c.stamps);
    EXPECT_EQ(count(svg, "<path "), c.still >= 0 ? 1u : 8u);
    EXPECT_NE(svg.find("stroke=\"rgb(255,0,0)\""), std::string::npos);
    if (c.still < 0) {
      EXPECT_NE(svg.find("dur=\"0.8s\""), std::string::npos);
    }
  }
  EXPECT_NE(slurp(path).find(">0.300 s</text>"), std::string::npos);
}

}  // namespace
