#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "attribute_bvh.h"

using Kvat::Matrix4;
using Kvat::Vector3;
using Kvat::Motion::Fx;
using Kvat::Motion::FxPlot;
using Kvat::Secne::AttributeBvh;

namespace {

// Channels with one constant sample each, owned by the fixture.
class Channels {
 public:
  std::vector<Fx*> make(const std::vector<std::pair<std::string, double>>& values) {
    std::vector<Fx*> list;
    for (const auto& v : values) {
      auto* plot = new FxPlot(0);
      plot->appendSample(v.second);
      m_owned.emplace_back(new Fx(v.first, plot));
      list.push_back(m_owned.back().get());
    }
    return list;
  }

 private:
  std::vector<std::unique_ptr<Fx>> m_owned;
};

TEST(AttributeBvh, ChannelCodes) {
  const std::pair<const char*, int32_t> table[] = {
      {"Xposition", 1},  {"Yposition", 2}, {"Zposition", 3}, {"Xrotation", 16}, {"Yrotation", 32},
      {"Zrotation", 48}, {"Xscale", 256},  {"Yscale", 512},  {"Zscale", 768},   {"xrotation", 0},
      {"Wrotation", 0},  {"", 0},          {"Xposition ", 0}};
  for (const auto& row : table) EXPECT_EQ(AttributeBvh::channelCode(row.first), row.second) << row.first;
}

struct PoseCase {
  const char* name;
  Vector3 offset;
  bool setOffset;
  std::vector<std::pair<std::string, double>> channels;
  Vector3 in, out;
};

TEST(AttributeBvh, Poses) {
  const PoseCase cases[] = {
      {"no offset line", {}, false, {}, {0, 0, 0}, {1, 1, 1}},
      {"end site", {0, 5, 0}, true, {}, {1, 0, 0}, {1, 5, 0}},
      {"root quarter turn",
       {0, 0, 0},
       true,
       {{"Xposition", 1}, {"Yposition", 2}, {"Zposition", 3}, {"Zrotation", 0}, {"Xrotation", 90}, {"Yrotation", 0}},
       {0, 1, 0},
       {1, 2, 4}},
      {"position adds to offset", {10, 0, 0}, true, {{"Xposition", 1}}, {0, 0, 0}, {11, 0, 0}},
      // Listed Z, X, Y: a point turns about Y first, then X (+Z to -Y), then Z (-Y to +X).
      {"rotation order",
       {0, 0, 0},
       true,
       {{"Zrotation", 90}, {"Xrotation", 90}, {"Yrotation", 0}},
       {0, 0, 1},
       {1, 0, 0}},
      // Listed Y, X, Z: Z acts first and leaves +Z alone, then X takes it to -Y.
      {"rotation order reversed",
       {0, 0, 0},
       true,
       {{"Yrotation", 0}, {"Xrotation", 90}, {"Zrotation", 90}},
       {0, 0, 1},
       {0, -1, 0}},
      {"unknown channel ignored", {0, 0, 0}, true, {{"Wrotation", 45}, {"Yposition", 3}}, {1, 0, 0}, {1, 3, 0}},
      {"lone scale collapses the other axes", {0, 0, 0}, true, {{"Xscale", 2}}, {1, 1, 1}, {2, 0, 0}},
      {"scale before rotation",
       {0, 0, 0},
       true,
       {{"Zrotation", 90}, {"Xscale", 2}, {"Yscale", 1}, {"Zscale", 1}},
       {1, 0, 0},
       {0, 2, 0}},
  };
  for (const PoseCase& c : cases) {
    SCOPED_TRACE(c.name);
    Channels owned;
    AttributeBvh attr;
    if (c.setOffset) attr.setOffset(c.offset);
    attr.setChannels(owned.make(c.channels));
    attr.evaluate(0.0);
    const Vector3 p = attr.local().transformPoint(c.in);
    EXPECT_NEAR(p.x, c.out.x, 1e-12);
    EXPECT_NEAR(p.y, c.out.y, 1e-12);
    EXPECT_NEAR(p.z, c.out.z, 1e-12);
  }
}

TEST(AttributeBvh, EvaluationDoesNotAccumulate) {
  Channels owned;
  AttributeBvh attr;
  attr.setOffset({0, 1, 0});
  attr.setChannels(owned.make({{"Yrotation", 30}, {"Xposition", 2}}));
  attr.evaluate(0.25);
  const Matrix4 first = attr.local();
  attr.evaluate(0.25);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(attr.local()[i], first[i]);
  // A second setChannels replaces the first list.
  attr.setChannels(owned.make({{"Zposition", 4}}));
  EXPECT_EQ(attr.channelCodes(), std::vector<int32_t>{3});
  attr.evaluate(0.0);
  EXPECT_EQ(attr.local()(3, 2), 4.0);
  EXPECT_EQ(attr.local()(3, 0), 0.0);
}

}  // namespace
