#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host_fixture.h"
#include "lw_skl_generator.h"
#include "rig_outline.h"

using Kvat::Secne::AttributeLW;
using Kvat::Secne::lw_skl_generator;
using RigOutline::outline;

namespace {

TEST(CleanItemName, StripsAParenthesisedSuffix) {
  struct Case {
    const char* text;
    const char* cleaned;
  };
  const Case cases[] = {
      {"Spine1 (2)", "Spine1"},
      {"R_Arm(3)", "R_Arm"},
      {"Left Arm(3)", "Left Ar"},  // any blank left makes the last
                                   // character go
      {"Head (x", "Head (x"},      // no closing parenthesis: left whole
      {"a)b(c", "a)b(c"},          // the ")" must follow the "("
      {"Neck (1) (2)", "Neck"},
      {"(2)", ""},
      {"Plain", "Plain"},
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(lw_skl_generator::cleanItemName(c.text), c.cleaned) << c.text;
}

class GeneratorTest : public HostTest {
 protected:
  std::vector<std::string> build(const std::string& start) {
    const lw_skl_generator generator(itemInfo());
    const auto root = generator.buildSkeleton(item(start));
    EXPECT_NE(root, nullptr);
    return root ? outline(root->top()) : std::vector<std::string>{};
  }
};

TEST_F(GeneratorTest, RigSampleGivesTheWholeRig) {
  startRigSample();
  EXPECT_EQ(build("Figure"), RigOutline::fullRig());
}

TEST_F(GeneratorTest, JointsCarryTheirHostItems) {
  startRigSample();
  const lw_skl_generator generator(itemInfo());
  const auto root = generator.buildSkeleton(item("Figure"));
  ASSERT_NE(root, nullptr);
  for (const char* name : {"Root", "Spine3", "L_Foot", "R_HandEff"}) {
    SCOPED_TRACE(name);
    Kvat::Secne::Node* node = root->top()->children().at(0)->find(name);
    ASSERT_NE(node, nullptr);
    auto* attribute = dynamic_cast<AttributeLW*>(node->attrib());
    ASSERT_NE(attribute, nullptr);
    EXPECT_EQ(attribute->item(), item(name));
  }
  EXPECT_EQ(dynamic_cast<AttributeLW*>(root->top()->attrib()), nullptr);
}

TEST_F(GeneratorTest, CleanedItemNamesMatchButBonesNeedTheExactName) {
  startHost(R"json({"items": [
    {"name": "Start", "type": "object"},
    {"name": "Body", "type": "object", "parent": "Start"},
    {"name": "Root (3)", "parent": "Body"},
    {"name": "Spine1 (2)", "type": "bone", "object": "Body"},
    {"name": "Spine2", "type": "bone", "object": "Body"}]})json");
  // The node keeps the item's full name; the bone "Spine1 (2)" is not Spine1.
  EXPECT_EQ(build("Start"), (std::vector<std::string>{"Root", "Root (3) < Root", "Spine2 < Root (3)"}));
  const lw_skl_generator generator(itemInfo());
  EXPECT_EQ(generator.findItem(item("Start"), "Spine1"), nullptr);
  EXPECT_EQ(generator.findItem(item("Start"), "Spine1 (2)"), item("Spine1 (2)"));
  EXPECT_EQ(generator.findBone("Spine2", item("Body")), item("Spine2"));
  EXPECT_EQ(generator.findBone("Spine", item("Body")), nullptr);
}

TEST_F(GeneratorTest, SearchIsDepthFirstAndSkipsTheStartItemsOwnBones) {
  startHost(R"({"items": [
    {"name": "Start", "type": "object"},
    {"name": "Own", "type": "bone", "object": "Start"},
    {"name": "First"},
    {"name": "Deep", "parent": "First"},
    {"name": "Head", "parent": "Deep"},
    {"name": "Head", "parent": "Start"},
    {"name": "First", "parent": "Start"}]})");
  const auto& scene = host().scene();
  const lw_skl_generator generator(itemInfo());
  // "First" at index 2 is a top-level item, not below Start: the one found is index 6.
  EXPECT_EQ(generator.findItem(item("Start"), "First"), scene.idOf(6));
  // Start's children in order: Head (index 5) comes before First's subtree.
  EXPECT_EQ(generator.findItem(item("Start"), "Head"), scene.idOf(5));
  EXPECT_EQ(generator.findItem(item("First"), "Head"), scene.idOf(4));
  EXPECT_EQ(generator.findItem(item("Start"), "Own"), nullptr);
  EXPECT_EQ(generator.findItem(item("Start"), "Start"), item("Start"));
  EXPECT_EQ(generator.findItem(nullptr, "Start"), nullptr);
}

TEST_F(GeneratorTest, MissingJointsAreSkippedAndTheirChainGoesOn) {
  struct Case {
    const char* name;
    const char* scene;
    std::vector<std::string> outline;
  };
  const Case cases[] = {
      {"no Spine3: arms and neck hang from Spine2",
       R"({"items": [{"name": "S"}, {"name": "Root", "parent": "S"}, {"name": "Spine2", "parent": "Root"},
                     {"name": "L_Arm", "parent": "Spine2"}, {"name": "R_Hand", "parent": "Spine2"},
                     {"name": "Head", "parent": "Spine2"}]})",
       {"Root", "Root < Root", "Spine2 < Root", "L_Arm < Spine2", "R_Hand < Spine2", "Head < Spine2"}},
      {"no Root: RootSpin, legs and spine hang from the top node",
       R"({"items": [{"name": "S"}, {"name": "RootSpin", "parent": "S"}, {"name": "L_Knee", "parent": "S"},
                     {"name": "SpineNull", "parent": "S"}]})",
       {"Root", "RootSpin < Root", "L_Knee < RootSpin", "SpineNull < Root"}},
      {"no RootSpin: legs hang from Root",
       R"({"items": [{"name": "S"}, {"name": "Root", "parent": "S"}, {"name": "R_Foot", "parent": "Root"}]})",
       {"Root", "Root < Root", "R_Foot < Root"}},
      {"nothing matches: the top node alone",
       R"({"items": [{"name": "S"}, {"name": "Cube", "parent": "S"}]})",
       {"Root"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    startHost(c.scene);
    EXPECT_EQ(build("S"), c.outline);
  }
}

TEST_F(GeneratorTest, AStartItemNamedRootIsTheRootJoint) {
  startHost(R"({"items": [{"name": "Root"}, {"name": "SpineNull", "parent": "Root"},
                          {"name": "RootSpin", "parent": "Root"}]})");
  EXPECT_EQ(build("Root"), (std::vector<std::string>{"Root", "Root < Root", "RootSpin < Root", "SpineNull < Root"}));
}

TEST_F(GeneratorTest, BuildingWithoutItemInfoStopsNamingIt) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  const lw_skl_generator generator(nullptr);
  EXPECT_DEATH(generator.buildSkeleton(nullptr), "m_pxItemInfo");
}

}  // namespace
