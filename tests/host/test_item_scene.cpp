#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>
#include <string>
#include <vector>

#include "item_scene.h"

using Boneplay::Host::Channel;
using Boneplay::Host::ItemScene;
using Boneplay::Host::Triple;

namespace {

constexpr double kPi = 3.14159265358979323846;

void expectTriple(const Triple& actual, const Triple& expected) {
  for (int i = 0; i < 3; ++i) EXPECT_NEAR(actual[i], expected[i], 1e-12) << "component " << i;
}

TEST(Channel, KeysInterpolateLinearlyAndHoldAtBothEnds) {
  // Given out of order on purpose: keys are sorted by time.
  const Channel channel({{2.0, {10.0, 0.0, -4.0}}, {0.0, {0.0, 2.0, 0.0}}, {1.0, {5.0, 4.0, 0.0}}});
  struct Case {
    double time;
    Triple expected;
  };
  const Case cases[] = {
      {-3.0, {0.0, 2.0, 0.0}}, {0.0, {0.0, 2.0, 0.0}},   {0.25, {1.25, 2.5, 0.0}}, {1.0, {5.0, 4.0, 0.0}},
      {1.5, {7.5, 2.0, -2.0}}, {2.0, {10.0, 0.0, -4.0}}, {9.0, {10.0, 0.0, -4.0}}, {NAN, {0.0, 2.0, 0.0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.time);
    expectTriple(channel.at(c.time), c.expected);
  }
}

TEST(Channel, ConstantAndSingleKeyHoldEverywhere) {
  const Channel constant(Triple{1.0, 2.0, 3.0});
  const Channel single(std::vector<Channel::Key>{{4.0, {7.0, 8.0, 9.0}}});
  for (double t : {-1.0, 0.0, 4.0, 100.0}) {
    expectTriple(constant.at(t), {1.0, 2.0, 3.0});
    expectTriple(single.at(t), {7.0, 8.0, 9.0});
  }
  EXPECT_THROW(Channel(std::vector<Channel::Key>{}), std::invalid_argument);
}

TEST(ItemScene, ServesChannelsWithRotationsInRadiansAndDefaults) {
  const ItemScene scene = ItemScene::parse(R"({"items": [
    {"name": "A", "type": "null", "position": [1, 2, 3], "rotation": [90, -45, 180],
     "pivot": [0.5, 0, 0], "pivotRotation": [[0, [0, 0, 0]], [2, [0, 0, 90]]]},
    {"name": "B"}]})");
  const auto a = scene.find("A");
  const auto b = scene.find("B");
  expectTriple(scene.param(a, LWIP_POSITION, 0.0), {1.0, 2.0, 3.0});
  expectTriple(scene.param(a, LWIP_ROTATION, 0.0), {kPi / 2, -kPi / 4, kPi});
  expectTriple(scene.param(a, LWIP_SCALING, 0.0), {1.0, 1.0, 1.0});
  expectTriple(scene.param(a, LWIP_PIVOT, 0.0), {0.5, 0.0, 0.0});
  expectTriple(scene.param(a, LWIP_PIVOT_ROT, 1.0), {0.0, 0.0, kPi / 4});
  // Defaults: nothing moved, unit scaling; unknown codes and items give zeros.
  expectTriple(scene.param(b, LWIP_POSITION, 0.0), {0.0, 0.0, 0.0});
  expectTriple(scene.param(b, LWIP_SCALING, 3.0), {1.0, 1.0, 1.0});
  expectTriple(scene.param(b, 2, 0.0), {0.0, 0.0, 0.0});
  expectTriple(scene.param(nullptr, LWIP_SCALING, 0.0), {0.0, 0.0, 0.0});
}

// Figure (object) with bones Hip > Thigh and a bone-less child null; a second
// object Prop with its own bone.
const char* const kBoneScene = R"({"items": [
  {"name": "Figure", "type": "object"},
  {"name": "Hip", "type": "bone", "parent": "Figure"},
  {"name": "Handle", "type": "null", "parent": "Figure"},
  {"name": "Thigh", "type": "bone", "parent": "Hip"},
  {"name": "Prop", "type": "object", "parent": "Handle"},
  {"name": "Lid", "type": "bone", "object": "Prop"},
  {"name": "Light", "type": "light"},
  {"name": "Tag", "type": "null", "parent": "Figure"}]})";

TEST(ItemScene, BonesComeFromTheirObjectAndChildrenSkipBones) {
  const ItemScene scene = ItemScene::parse(kBoneScene);
  const auto figure = scene.find("Figure");
  const auto hip = scene.find("Hip");
  const auto thigh = scene.find("Thigh");
  const auto handle = scene.find("Handle");
  const auto prop = scene.find("Prop");
  const auto lid = scene.find("Lid");
  const auto tag = scene.find("Tag");

  EXPECT_EQ(scene.first(LWI_BONE, figure), hip);
  EXPECT_EQ(scene.next(hip), thigh);
  EXPECT_EQ(scene.next(thigh), nullptr);
  EXPECT_EQ(scene.first(LWI_BONE, prop), lid);
  EXPECT_EQ(scene.next(lid), nullptr);
  EXPECT_EQ(scene.first(LWI_BONE, handle), nullptr);

  EXPECT_EQ(scene.firstChild(figure), handle);
  EXPECT_EQ(scene.nextChild(figure, handle), tag);
  EXPECT_EQ(scene.nextChild(figure, tag), nullptr);
  EXPECT_EQ(scene.firstChild(hip), nullptr);  // Thigh is a bone
  EXPECT_EQ(scene.firstChild(handle), prop);

  EXPECT_EQ(scene.parent(thigh), hip);
  EXPECT_EQ(scene.parent(hip), figure);
  EXPECT_EQ(scene.parent(lid), prop);  // a bone without parent hangs from its object
  EXPECT_EQ(scene.parent(figure), nullptr);

  // Nulls are objects: objects are walked in scene order across the whole scene.
  EXPECT_EQ(scene.first(LWI_OBJECT, nullptr), figure);
  EXPECT_EQ(scene.next(figure), handle);
  EXPECT_EQ(scene.next(handle), prop);
  EXPECT_EQ(scene.next(prop), tag);
  EXPECT_EQ(scene.first(LWI_LIGHT, nullptr), scene.find("Light"));
  EXPECT_EQ(scene.first(LWI_CAMERA, nullptr), nullptr);
  EXPECT_STREQ(scene.name(lid), "Lid");
  EXPECT_EQ(scene.name(nullptr), nullptr);
  EXPECT_EQ(scene.name(ItemScene::idOf(scene.size())), nullptr);
}

TEST(ItemScene, ReferencesByIndexOrFirstNameMayPointForwards) {
  const ItemScene scene = ItemScene::parse(R"({"items": [
    {"name": "Child", "parent": "Twin"},
    {"name": "Twin"},
    {"name": "Twin"},
    {"name": "Other", "parent": 2}]})",
                                           ItemScene::Names::MayRepeat);
  EXPECT_EQ(scene.parent(ItemScene::idOf(0)), ItemScene::idOf(1));
  EXPECT_EQ(scene.parent(ItemScene::idOf(3)), ItemScene::idOf(2));
  EXPECT_EQ(scene.firstChild(ItemScene::idOf(2)), ItemScene::idOf(3));
}

TEST(ItemScene, RejectsMalformedScenesWithAReason) {
  struct Case {
    const char* text;
    const char* reason;
  };
  const Case cases[] = {
      {"{", "not JSON"},
      {R"({"objects": []})", "\"items\""},
      {R"({"items": [{"type": "null"}]})", "needs a name"},
      {R"({"items": [{"name": "A", "type": "mesh"}]})", "unknown item type"},
      {R"({"items": [{"name": "A", "position": [1, 2]}]})", "three numbers"},
      {R"({"items": [{"name": "A", "rotation": [[0, [1, 2, 3]], [1]]}]})", "[seconds, [x, y, z]]"},
      {R"({"items": [{"name": "A", "parent": "B"}]})", "no item named \"B\""},
      {R"({"items": [{"name": "A", "parent": 5}]})", "no item at that index"},
      {R"({"items": [{"name": "A", "parent": "B"}, {"name": "B", "parent": "A"}]})", "cycle"},
      {R"({"items": [{"name": "A", "parent": "A"}]})", "cycle"},
      {R"({"items": [{"name": "Bone", "type": "bone"}]})", "needs an object"},
      {R"({"items": [{"name": "L"}, {"name": "B", "type": "bone", "object": "L2"}, {"name": "L2", "type": "light"}]})",
       "needs an object"},
      {R"({"items": [{"name": "A", "positon": [1, 2, 3]}]})", "item 0 (A): unknown key \"positon\""},
      {R"({"items": [], "camera": {}})", "unknown key \"camera\""},
      {R"({"items": [{"name": "A"}, {"name": "B"}, {"name": "A"}]})", "item 2 (A): the name is already item 0's"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    try {
      ItemScene::parse(c.text);
      ADD_FAILURE() << "accepted";
    } catch (const std::runtime_error& e) {
      EXPECT_NE(std::string(e.what()).find(c.reason), std::string::npos) << e.what();
    }
  }
}

TEST(ItemScene, LoadNamesTheFileInErrorsAndReadsTheRigSample) {
  try {
    ItemScene::load("/nonexistent/scene.json");
    ADD_FAILURE() << "loaded a missing file";
  } catch (const std::runtime_error& e) {
    EXPECT_NE(std::string(e.what()).find("/nonexistent/scene.json"), std::string::npos);
  }
  const ItemScene rig = ItemScene::load(BONEPLAY_SOURCE_DIR "/samples/rig.json");
  EXPECT_EQ(rig.size(), 77u);
  const auto foot = rig.find("L_FootDir");
  ASSERT_NE(foot, nullptr);
  EXPECT_EQ(rig.item(rig.indexOf(foot)).type, LWI_BONE);
  EXPECT_EQ(rig.first(LWI_BONE, rig.find("L_FootMesh")), foot);
}

}  // namespace
