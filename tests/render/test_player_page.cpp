#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iostream>
#include <limits>
#include <nlohmann/json.hpp>
#include <string>

#include "packed_clip.h"
#include "render_test_util.h"
#include "writers.h"

using namespace Boneplay::Render;
using rendertest::slurp;
using rendertest::tempPath;
using rendertest::walker;

namespace {

// Reads a packed clip back the way the page does, into each frame's lines.
struct Unpacked {
  std::vector<std::vector<std::pair<Point3, Point3>>> frames;  // a missing end is NaN
  std::vector<double> times;
};

template <typename T>
T readLittle(const std::string& bytes, std::size_t at) {
  unsigned char raw[sizeof(T)];
  for (std::size_t i = 0; i < sizeof(T); ++i) raw[i] = static_cast<unsigned char>(bytes.at(at + i));
  T value;
  std::memcpy(&value, raw, sizeof(T));  // this machine is little-endian, as the page assumes
  return value;
}

Unpacked unpack(const PackedClip& packed, std::size_t frames) {
  Unpacked u;
  std::size_t pointAt = 32 * frames, run = 0;
  for (std::size_t k = 0; k < frames; ++k) {
    while (run + 1 < packed.runs.size() && packed.runs[run + 1][0] <= k) ++run;
    const std::vector<uint32_t>& shape = packed.shapes.at(packed.runs.at(run)[1]);
    u.times.push_back(readLittle<double>(packed.bytes, 8 * k));
    double joint[3];
    for (int i = 0; i < 3; ++i) joint[i] = readLittle<double>(packed.bytes, 8 * frames + 24 * k + 8 * i);
    std::vector<Point3> points;
    for (uint32_t p = 0; p < shape[0]; ++p, pointAt += 6) {
      double c[3];
      for (int i = 0; i < 3; ++i) {
        const uint16_t q = readLittle<uint16_t>(packed.bytes, pointAt + 2 * i);
        c[i] = q == kMissingPoint ? NAN : joint[i] + packed.offsetMin[i] + q * packed.offsetStep[i];
      }
      points.push_back({c[0], c[1], c[2]});
    }
    u.frames.emplace_back();
    for (std::size_t i = 1; i + 1 < shape.size(); i += 2)
      u.frames.back().push_back({points.at(shape[i]), points.at(shape[i + 1])});
  }
  EXPECT_EQ(pointAt, packed.bytes.size());
  return u;
}

bool near(const Point3& a, const Point3& b, const double* step) {
  if (std::isnan(b.x))
    return std::isnan(a.x) || std::isinf(a.x) || std::isnan(a.y) || std::isinf(a.y) || std::isnan(a.z) ||
           std::isinf(a.z);
  return std::abs(a.x - b.x) <= step[0] * 0.51 && std::abs(a.y - b.y) <= step[1] * 0.51 &&
         std::abs(a.z - b.z) <= step[2] * 0.51;
}

TEST(PackedClip, EveryFrameComesBackWithinHalfAStep) {
  const double inf = std::numeric_limits<double>::infinity();
  struct Case {
    const char* name;
    Animation animation;
    std::size_t shapes;
  };
  Case cases[] = {{"walker", walker(20), 1}, {"gaps", walker(6), 3}, {"far", walker(4), 1}, {"broken", walker(3), 2}};
  // Frames without lines, and a frame with one line fewer.
  cases[1].animation.frames[1].segments.clear();
  cases[1].animation.frames[4].segments.clear();
  cases[1].animation.frames[5].segments.pop_back();
  // Far from the origin: offsets from the first joint keep the precision.
  for (Frame& f : cases[2].animation.frames)
    for (Segment& s : f.segments) s.a.x += 1e9, s.b.x += 1e9;
  // Points that are not finite, one of them the first joint.
  cases[3].animation.frames[1].segments[2].a.y = NAN;
  cases[3].animation.frames[2].segments[0].b = {inf, 0, 0};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const PackedClip packed = packClip(c.animation);
    EXPECT_EQ(packed.shapes.size(), c.shapes);
    const Unpacked u = unpack(packed, c.animation.frames.size());
    ASSERT_EQ(u.frames.size(), c.animation.frames.size());
    for (std::size_t k = 0; k < u.frames.size(); ++k) {
      const std::vector<Segment>& want = c.animation.frames[k].segments;
      EXPECT_EQ(u.times[k], c.animation.frames[k].time);
      ASSERT_EQ(u.frames[k].size(), want.size()) << "frame " << k;
      for (std::size_t i = 0; i < want.size(); ++i) {
        EXPECT_TRUE(near(want[i].a, u.frames[k][i].first, packed.offsetStep)) << "frame " << k << " line " << i;
        EXPECT_TRUE(near(want[i].b, u.frames[k][i].second, packed.offsetStep)) << "frame " << k << " line " << i;
      }
    }
    // A figure 200 units tall keeps steps under 0.01 of a unit.
    for (double step : packed.offsetStep) EXPECT_LT(step, 0.01);
  }
}

TEST(PackedClip, Base64) {
  const std::pair<const char*, const char*> cases[] = {{"", ""},
                                                       {"f", "Zg=="},
                                                       {"fo", "Zm8="},
                                                       {"foo", "Zm9v"},
                                                       {"foob", "Zm9vYg=="},
                                                       {"fooba", "Zm9vYmE="},
                                                       {"\xff\xfe", "//4="}};
  for (const auto& c : cases) EXPECT_EQ(base64(c.first), c.second) << c.first;
}

// The JSON a page carries about its clip.
nlohmann::json metaOf(const std::string& html) {
  const std::string open = "<script id=\"clip-meta\" type=\"application/json\">";
  const std::size_t at = html.find(open), end = html.find("</script>", at);
  if (at == std::string::npos || end == std::string::npos) return nullptr;
  return nlohmann::json::parse(html.substr(at + open.size(), end - at - open.size()), nullptr, false);
}

TEST(PlayerPage, CarriesTheClipItsViewsAndAnEscapedTitle) {
  Animation a = walker(5);
  a.title = "walk <1> </script>";
  RenderOptions o;
  o.view = View::Side;
  o.follow = true;
  const std::string path = tempPath("walk.html");
  ASSERT_EQ(writeHtml(a, o, path), "");
  const std::string html = slurp(path);
  EXPECT_NE(html.find("<title>walk &lt;1&gt; &lt;/script&gt;</title>"), std::string::npos);
  EXPECT_EQ(html.find("http"), std::string::npos);  // nothing to fetch: the page works offline
  const nlohmann::json meta = metaOf(html);
  ASSERT_TRUE(meta.is_object());
  EXPECT_EQ(meta["frames"], 5);
  EXPECT_EQ(meta["view"], nlohmann::json::parse("[90, 0]"));
  EXPECT_EQ(meta["views"]["three-quarter"], nlohmann::json::parse("[45, 25]"));
  EXPECT_EQ(meta["follow"], true);
  EXPECT_EQ(meta["colour"], "rgb(255,0,0)");
  // Five frames of seven distinct points: times and joints, then the points.
  EXPECT_EQ(meta["shapes"], nlohmann::json::parse("[[7, 0,1, 2,0, 3,1, 4,1, 5,0, 6,0]]"));
  const std::string open = "<script id=\"clip-data\" type=\"application/octet-stream\">";
  const std::size_t at = html.find(open) + open.size(), end = html.find("</script>", at);
  std::string data = html.substr(at, end - at);
  data.erase(std::remove(data.begin(), data.end(), '\n'), data.end());
  EXPECT_EQ(data, base64(packClip(a).bytes));
  EXPECT_EQ(data.size(), (5 * 32 + 5 * 7 * 6 + 2) / 3 * 4);
}

TEST(PlayerPage, TenMinutesOfSixtyJointsStaysUnderThirtyMegabytes) {
  // 30 frames a second for ten minutes, 60 lines joining 61 joints.
  Animation a;
  a.frames.resize(30 * 600);
  for (std::size_t k = 0; k < a.frames.size(); ++k) {
    Frame& f = a.frames[k];
    f.time = k / 30.0;
    const double t = f.time;
    // A chain of joints: each line joins a joint to the one before it.
    auto joint = [&](int j) { return Point3{std::sin(t + j) * 20, 100.0 + j * 2, 125 * t + j}; };
    for (int j = 1; j <= 60; ++j) f.segments.push_back({joint(j), joint(j - 1)});
  }
  const std::string path = tempPath("long.html");
  ASSERT_EQ(writeHtml(a, RenderOptions(), path), "");
  const std::size_t size = slurp(path).size();
  EXPECT_LT(size, 30u * 1000 * 1000);
  // About 4/3 of 32 bytes of time and joint and 61 x 6 bytes of points a frame.
  EXPECT_GT(size, 18000u * (32 + 61 * 6) * 4 / 3);
  std::cout << "ten minutes of 60 joints at 30 fps: " << size << " bytes\n";
}

}  // namespace
