#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "custom_object.h"
#include "draw_recorder.h"
#include "host_fixture.h"
#include "item_matrix.h"
#include "rig_outline.h"

using Boneplay::Host::DrawRecorder;
using Kvat::CustomObjectInstance;
using Kvat::Matrix4;
using Kvat::Vector3;
using Kvat::Secne::Node;
using Kvat::Secne::Root;

namespace {

constexpr double kPi = 3.14159265358979323846;

class InstanceTest : public HostTest {
 protected:
  ~InstanceTest() override {
    for (LWInstance inst : m_vInstances) m_xInstanceFuncs.destroy(inst);
  }

  // An instance made by the host's create call, destroyed with the fixture.
  CustomObjectInstance* create(const std::string& itemName) {
    LWError error = nullptr;
    LWInstance inst = m_xInstanceFuncs.create(nullptr, item(itemName), &error);
    EXPECT_EQ(error, nullptr);
    if (inst) m_vInstances.push_back(inst);
    return static_cast<CustomObjectInstance*>(inst);
  }
  void destroy(CustomObjectInstance* instance) {
    m_vInstances.erase(std::remove(m_vInstances.begin(), m_vInstances.end(), instance), m_vInstances.end());
    m_xInstanceFuncs.destroy(instance);
  }
  void newTime(CustomObjectInstance* instance, double time) {
    EXPECT_EQ(m_xRenderFuncs.newTime(instance, static_cast<LWFrame>(time * 30), time), nullptr);
  }
  std::vector<DrawRecorder::Line> draw(CustomObjectInstance* instance) {
    DrawRecorder recorder;
    m_xHandler.evaluate(instance, recorder.access());
    m_vxLastColors = recorder.colors();
    return recorder.lines();
  }
  static Vector3 position(CustomObjectInstance* instance, const std::string& joint) {
    Node* node = instance->skeleton()->top()->children().at(0)->find(joint);
    EXPECT_NE(node, nullptr) << joint;
    return node ? node->position() : Vector3();
  }

  std::vector<LWInstance> m_vInstances;
  std::vector<DrawRecorder::Color> m_vxLastColors;
};

void expectNear(const Vector3& actual, const Vector3& expected) {
  EXPECT_NEAR(actual.x, expected.x, 1e-9);
  EXPECT_NEAR(actual.y, expected.y, 1e-9);
  EXPECT_NEAR(actual.z, expected.z, 1e-9);
}

void expectIdentity(const Matrix4& m) {
  for (int i = 0; i < 16; ++i) EXPECT_NEAR(m[i], (i % 5 == 0) ? 1.0 : 0.0, 1e-12) << "entry " << i;
}

TEST_F(InstanceTest, CreateOnTheRigSampleBuildsTheRig) {
  startRigSample();
  CustomObjectInstance* instance = create("Figure");
  ASSERT_NE(instance, nullptr);
  EXPECT_EQ(instance->stateCode(), CustomObjectInstance::kHostRig);
  ASSERT_NE(instance->skeleton(), nullptr);
  EXPECT_EQ(RigOutline::outline(instance->skeleton()->top()), RigOutline::fullRig());
  EXPECT_EQ(instance->scale(), 1.0);
  EXPECT_EQ(instance->time(), 0.0);
  EXPECT_EQ(instance->fileName(), "");
  EXPECT_EQ(instance->hostItem(), item("Figure"));
  EXPECT_EQ(std::string(instance->panelText()), "");
  EXPECT_EQ(Kvat::Module::itemInfo(), itemInfo());
}

TEST_F(InstanceTest, CreateWithoutRigItemsHoldsTheTopNodeAlone) {
  startHost(R"({"items": [{"name": "Cube", "type": "object"}, {"name": "Lamp", "parent": "Cube"}]})");
  CustomObjectInstance* instance = create("Cube");
  ASSERT_NE(instance, nullptr);
  // A skeleton was built, even if it is only its top node.
  EXPECT_EQ(instance->stateCode(), CustomObjectInstance::kHostRig);
  ASSERT_NE(instance->skeleton(), nullptr);
  EXPECT_EQ(RigOutline::outline(instance->skeleton()->top()), std::vector<std::string>{"Root"});
  newTime(instance, 0.0);
  EXPECT_TRUE(draw(instance).empty());
}

TEST_F(InstanceTest, CreateFetchesItsServicesFromTheGlobalFunction) {
  startRigSample();
  host().disableService(LWCOMMANDINTERFACE_GLOBAL);
  CustomObjectInstance* instance = create("Figure");
  ASSERT_NE(instance, nullptr);
  EXPECT_EQ(instance->hostServices().global(), host().globalFunc());
  EXPECT_EQ(instance->hostServices().messageFuncs(), host().messageFuncs());
  EXPECT_EQ(instance->hostServices().commandFunc(), nullptr);
  // Without a command function the rescale still happens, silently.
  EXPECT_EQ(instance->setScale(2.0), 1);
  EXPECT_EQ(instance->skeleton()->scaleMatrix()(1, 1), 2.0);
}

TEST_F(InstanceTest, CreateWithoutItemInfoStopsNamingIt) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  startRigSample();
  host().disableService(LWITEMINFO_GLOBAL);
  EXPECT_DEATH(create("Figure"), "m_pxItemInfo");
}

TEST_F(InstanceTest, NewTimeInvertsTheCarryingItemsWorldMatrix) {
  struct Case {
    const char* name;
    const char* figure;  // channels of the carrying item, which hangs under a parent at (0, 0, -3)
  };
  const Case cases[] = {
      {"moved", R"("position": [5, 0, 1])"},
      {"turned and scaled", R"("rotation": [30, 10, -20], "scaling": [2, 1, 0.5])"},
      {"with a pivot", R"("pivot": [0, 1, 0], "pivotRotation": [45, 0, 0], "position": [1, 2, 3])"},
      {"keyed", R"("position": [[0, [0, 0, 0]], [2, [4, 4, 4]]])"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    startHost(std::string(R"({"items": [{"name": "Stage", "position": [0, 0, -3]},
                                       {"name": "Figure", "parent": "Stage", )") +
              c.figure + "}]}");
    CustomObjectInstance* instance = create("Figure");
    newTime(instance, 1.0);
    EXPECT_EQ(instance->time(), 1.0);
    const Matrix4 world = Kvat::itemWorldMatrix(*itemInfo(), item("Figure"), 1.0);
    expectIdentity(Matrix4::multiply(instance->skeleton()->rootMatrix(), world));
    destroy(instance);
  }
}

TEST_F(InstanceTest, NewTimeAtTheOriginGivesTheIdentity) {
  startRigSample();
  CustomObjectInstance* instance = create("Figure");
  newTime(instance, 0.25);
  expectIdentity(instance->skeleton()->rootMatrix());
}

TEST_F(InstanceTest, NewTimeLeavesASingularItemMatrixUninverted) {
  startHost(R"({"items": [{"name": "Flat", "scaling": [0, 0, 0], "position": [1, 2, 3]}]})");
  CustomObjectInstance* instance = create("Flat");
  newTime(instance, 0.0);
  const double expected[16] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 2, 3, 1};
  for (int i = 0; i < 16; ++i) EXPECT_EQ(instance->skeleton()->rootMatrix()[i], expected[i]) << i;
}

TEST_F(InstanceTest, NewTimePosesTheRigFromItsItems) {
  startRigSample();
  CustomObjectInstance* instance = create("Figure");
  // The spine is straight up: Root at 1.0, then 0.05 + 3 * 0.12 to Spine3 and
  // 0.10 + 0.04 + 0.08 to the head.
  newTime(instance, 0.0);
  expectNear(position(instance, "Head"), Vector3(0.0, 1.63, 0.0));
  // The thigh swings about X: pitch +20 degrees at 0 s, 0 at 0.5 s, -20 at 1 s;
  // the knee hangs 0.42 below it.
  const double c = 0.42 * std::cos(20 * kPi / 180), s = 0.42 * std::sin(20 * kPi / 180);
  struct Case {
    double time;
    Vector3 kneeFromThigh;
  };
  for (const Case& k : {Case{0.0, {0, -c, -s}}, Case{0.5, {0, -0.42, 0}}, Case{1.0, {0, -c, s}}}) {
    SCOPED_TRACE(k.time);
    newTime(instance, k.time);
    const Vector3 knee = position(instance, "L_Knee");
    const Vector3 thigh = position(instance, "L_Thigh");
    expectNear(Vector3(knee.x - thigh.x, knee.y - thigh.y, knee.z - thigh.z), k.kneeFromThigh);
  }
}

TEST_F(InstanceTest, NewTimeDrawsInTheCarryingItemsObjectCoordinates) {
  startHost(R"({"items": [{"name": "Figure", "position": [5, 0, 0]},
                          {"name": "Root", "parent": "Figure", "position": [0, 1, 0]}]})");
  CustomObjectInstance* instance = create("Figure");
  newTime(instance, 0.0);
  // The rig chains its own items from the root matrix: the inverted item
  // matrix moves the joint by -5 along X.
  expectNear(position(instance, "Root"), Vector3(-5, 1, 0));
}

TEST_F(InstanceTest, EvaluateDrawsOneRedLinePerJointBelowTheSecondLevel) {
  startRigSample();
  CustomObjectInstance* instance = create("Figure");
  newTime(instance, 0.0);
  const std::vector<DrawRecorder::Line> lines = draw(instance);
  ASSERT_EQ(m_vxLastColors.size(), 1u);
  EXPECT_EQ(m_vxLastColors[0], (DrawRecorder::Color{1.0f, 0.0f, 0.0f, 1.0f}));

  // Every node two or more levels down, in pre-order, to its parent.
  std::vector<Node*> expected;
  instance->skeleton()->top()->traverse(&expected, [](void* context, Node* node) {
    if (node->parent() && node->parent()->parent()) static_cast<std::vector<Node*>*>(context)->push_back(node);
  });
  ASSERT_EQ(expected.size(), 73u);  // 75 nodes less the top node and the "Root" joint
  ASSERT_EQ(lines.size(), expected.size());
  for (std::size_t i = 0; i < lines.size(); ++i) {
    SCOPED_TRACE(expected[i]->name());
    const Vector3 from = expected[i]->position();
    const Vector3 to = expected[i]->parent()->position();
    EXPECT_EQ(lines[i].from, (std::array<double, 3>{from.x, from.y, from.z}));
    EXPECT_EQ(lines[i].to, (std::array<double, 3>{to.x, to.y, to.z}));
    EXPECT_EQ(lines[i].csys, LWCSYS_OBJECT);
    EXPECT_EQ(lines[i].color, (DrawRecorder::Color{1.0f, 0.0f, 0.0f, 1.0f}));
  }
  // One by hand: the head's line ends at the neck, 0.08 lower.
  const auto head = std::find_if(expected.begin(), expected.end(), [](Node* n) { return n->name() == "Head"; });
  const std::size_t h = head - expected.begin();
  EXPECT_NEAR(lines[h].from[1], 1.63, 1e-9);
  EXPECT_NEAR(lines[h].to[1], 1.55, 1e-9);
}

TEST_F(InstanceTest, EvaluateWithATopNodeAndOneChildDrawsNoLine) {
  startHost(R"({"items": [{"name": "Root", "position": [0, 1, 0]}]})");
  CustomObjectInstance* instance = create("Root");
  newTime(instance, 0.0);
  EXPECT_TRUE(draw(instance).empty());
  EXPECT_EQ(m_vxLastColors.size(), 1u);
}

TEST_F(InstanceTest, EvaluateWithoutSkeletonDrawsNothing) {
  startRigSample();
  CustomObjectInstance* instance = create("Figure");
  instance->releaseSkeleton();
  newTime(instance, 0.5);
  EXPECT_EQ(instance->time(), 0.0);  // no skeleton: the time step is skipped
  EXPECT_TRUE(draw(instance).empty());
  EXPECT_TRUE(m_vxLastColors.empty());
  m_xHandler.evaluate(nullptr, nullptr);
  EXPECT_EQ(m_xRenderFuncs.newTime(nullptr, 0, 0.0), nullptr);
}

TEST_F(InstanceTest, SetScaleRescalesAndAsksForARefreshOnlyWithASkeleton) {
  startRigSample();
  CustomObjectInstance* instance = create("Figure");
  for (double scale : {2.0, 0.0, -1.0}) {
    SCOPED_TRACE(scale);
    host().clearRecords();
    EXPECT_EQ(instance->setScale(scale), 1);
    EXPECT_EQ(instance->scale(), scale);
    EXPECT_EQ(host().commands(), std::vector<std::string>{"RefreshNow"});
    const Matrix4& m = instance->skeleton()->scaleMatrix();
    EXPECT_EQ(m(0, 0), scale);
    EXPECT_EQ(m(1, 1), scale);
    EXPECT_EQ(m(2, 2), scale);
    EXPECT_EQ(m(3, 3), 1.0);
    // The drawing changes only at the next time step.
    newTime(instance, 0.0);
    expectNear(position(instance, "Head"), Vector3(0.0, 1.63 * scale, 0.0));
  }
  instance->releaseSkeleton();
  host().clearRecords();
  EXPECT_EQ(instance->setScale(3.0), 1);
  EXPECT_EQ(instance->scale(), 3.0);
  EXPECT_TRUE(host().commands().empty());
}

TEST_F(InstanceTest, TheOtherOperationsAnswerAsTheHostExpects) {
  startRigSample();
  CustomObjectInstance* instance = create("Figure");
  EXPECT_EQ(m_xInstanceFuncs.load(instance, nullptr), nullptr);
  EXPECT_EQ(m_xInstanceFuncs.save(instance, nullptr), nullptr);
  EXPECT_STREQ(m_xInstanceFuncs.descln(instance), "");
  EXPECT_EQ(m_xItemFuncs.useItems(instance), nullptr);
  const LWItemID ids[] = {item("Root"), nullptr};
  m_xItemFuncs.changeID(instance, ids);
  EXPECT_EQ(instance->hostItem(), item("Figure"));
  EXPECT_EQ(m_xRenderFuncs.init(instance, 1), nullptr);
  m_xRenderFuncs.cleanup(instance);
  EXPECT_EQ(m_xHandler.flags(instance), 0u);
  // None of them touched the instance.
  EXPECT_EQ(instance->stateCode(), CustomObjectInstance::kHostRig);
  EXPECT_EQ(RigOutline::outline(instance->skeleton()->top()), RigOutline::fullRig());
  EXPECT_TRUE(host().commands().empty());
  EXPECT_TRUE(host().messages().empty());
}

TEST_F(InstanceTest, CopyTakesOverEveryFieldAndSharesTheSkeleton) {
  startHost(R"({"items": [{"name": "A"}, {"name": "Root", "parent": "A"}, {"name": "SpineNull", "parent": "Root"},
                          {"name": "Spine1", "parent": "SpineNull", "position": [0, 1, 0]},
                          {"name": "B"}]})");
  CustomObjectInstance* source = create("A");
  CustomObjectInstance* target = create("B");
  source->setScale(2.0);
  newTime(source, 0.75);
  source->setFileName("walk.bvh");
  std::snprintf(source->panelText(), CustomObjectInstance::kPanelTextSize, "%s", "walk.bvh");
  Root* const shared = source->skeleton();

  EXPECT_EQ(m_xInstanceFuncs.copy(target, source), nullptr);
  EXPECT_EQ(target->skeleton(), shared);
  EXPECT_EQ(target->scale(), 2.0);
  EXPECT_EQ(target->time(), 0.75);
  EXPECT_EQ(target->fileName(), "walk.bvh");
  EXPECT_STREQ(target->panelText(), "walk.bvh");
  EXPECT_EQ(target->stateCode(), CustomObjectInstance::kHostRig);
  EXPECT_EQ(target->hostItem(), item("A"));
  EXPECT_EQ(target->hostServices().commandFunc(), source->hostServices().commandFunc());
  EXPECT_EQ(m_xInstanceFuncs.copy(target, target), nullptr);
  EXPECT_EQ(m_xInstanceFuncs.copy(nullptr, source), nullptr);
  EXPECT_EQ(target->skeleton(), shared);

  // Rescaling one rescales the one skeleton both show.
  target->setScale(3.0);
  EXPECT_EQ(source->skeleton()->scaleMatrix()(0, 0), 3.0);

  // Destroying the source leaves the target's skeleton alive and drawable
  // (under the sanitizer build a dangling one would be reported here).
  destroy(source);
  newTime(target, 0.0);
  const auto lines = draw(target);
  ASSERT_EQ(lines.size(), 2u);  // SpineNull and Spine1 below the "Root" joint
  EXPECT_NEAR(lines[1].from[1] - lines[1].to[1], 3.0, 1e-12);
}

TEST_F(InstanceTest, ReleasingOrReplacingOneCopysSkeletonKeepsTheOthers) {
  startRigSample();
  CustomObjectInstance* first = create("Figure");
  CustomObjectInstance* second = create("Figure");
  m_xInstanceFuncs.copy(second, first);
  ASSERT_EQ(second->skeleton(), first->skeleton());

  // A reload: drop the skeleton, then adopt what the reader made.
  first->releaseSkeleton();
  auto clip = std::make_unique<Root>();
  clip->top()->addChild(new Node("Hips"))->addChild(new Node("Chest"))->addChild(new Node("Neck"));
  Root* const clipRoot = clip.get();
  host().clearRecords();
  first->adoptSkeleton(std::move(clip), CustomObjectInstance::kBvhClip);
  EXPECT_EQ(first->skeleton(), clipRoot);
  EXPECT_EQ(first->stateCode(), CustomObjectInstance::kBvhClip);
  EXPECT_EQ(host().commands(), std::vector<std::string>{"RefreshNow"});

  newTime(second, 0.0);
  EXPECT_EQ(draw(second).size(), 73u);
  destroy(second);
  newTime(first, 0.0);
  EXPECT_EQ(draw(first).size(), 2u);  // Chest to Hips, Neck to Chest
}

TEST_F(InstanceTest, AdoptingAClipScalesAndPosesIt) {
  startRigSample();
  CustomObjectInstance* instance = create("Figure");
  instance->setScale(2.0);
  instance->releaseSkeleton();
  auto clip = std::make_unique<Root>();
  clip->rootMatrix().setIdentity();
  Node* hips = clip->top()->addChild(new Node("Hips"));
  hips->attrib()->local().setTranslation(Vector3(0, 1, 0));
  host().clearRecords();
  instance->adoptSkeleton(std::move(clip), CustomObjectInstance::kFbxClip);
  EXPECT_EQ(instance->stateCode(), CustomObjectInstance::kFbxClip);
  // Scaled by the instance's scale and posed right away.
  expectNear(hips->position(), Vector3(0, 2, 0));
  EXPECT_EQ(host().commands(), std::vector<std::string>{"RefreshNow"});

  // A failed load: no skeleton, and the state code stays.
  instance->releaseSkeleton();
  host().clearRecords();
  instance->adoptSkeleton(nullptr, CustomObjectInstance::kBvhClip);
  EXPECT_EQ(instance->skeleton(), nullptr);
  EXPECT_EQ(instance->stateCode(), CustomObjectInstance::kFbxClip);
  EXPECT_TRUE(host().commands().empty());
}

}  // namespace
