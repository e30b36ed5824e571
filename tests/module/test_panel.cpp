#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "module_fixture.h"

namespace {

// A clip whose first joint (the first child of the ROOT joint) stands at the given height at time 0.
std::string clipWithFirstJointAt(const char* y) {
  std::ostringstream s;
  s << "HIERARCHY\nROOT Hips\n{\nOFFSET 0 0 0\nCHANNELS 3 Xposition Yposition Zposition\n"
       "JOINT Chest\n{\nOFFSET 0 "
    << y
    << " 0\nEnd Site\n{\nOFFSET 0 10 0\n}\n}\n}\n"
       "MOTION\nFrames: 1\nFrame Time: 0.0333\n0 0 0\n";
  return s.str();
}

double shownScale(Boneplay::Host::PanelService& panels, LWXPanelID panel) {
  return *static_cast<double*>(panels.getValue(panel, 0x8002));
}

TEST_F(ModuleTest, PanelControlsDescriptionAndHints) {
  start();
  const auto& p = panel();
  EXPECT_EQ(p.type, 1);
  ASSERT_EQ(p.controls.size(), 3u);
  const std::tuple<unsigned, const char*, const char*> controls[] = {
      {0x8001, "Motion File", "sFileName"}, {0x8002, "Scale", "float"}, {0x8003, "AutoResize", "vButton"}};
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(p.controls[i].id, std::get<0>(controls[i]));
    EXPECT_EQ(p.controls[i].label, std::get<1>(controls[i]));
    EXPECT_EQ(p.controls[i].kind, std::get<2>(controls[i]));
  }
  ASSERT_EQ(p.data.size(), 2u);
  EXPECT_EQ(p.data[0].label, "Motion File");
  EXPECT_EQ(p.data[0].kind, "string");
  EXPECT_EQ(p.data[1].id, 0x8002u);
  EXPECT_EQ(p.data[1].kind, "float");
  EXPECT_EQ(p.title, "Boneplay(bvh/fbx)");
  ASSERT_EQ(p.requesters.size(), 1u);
  EXPECT_EQ(p.requesters[0].id, 0x8001u);
  EXPECT_EQ(p.requesters[0].mode, 0);
  EXPECT_EQ(p.requesters[0].title, "bvh&fbx");
  EXPECT_EQ(p.requesters[0].filter, "*.bvh *.fbx");
  EXPECT_EQ(p.buttons.count(0x8003), 1u);
  EXPECT_TRUE(p.hintProblems.empty());
  EXPECT_EQ(p.instance, m_pInstance);
  EXPECT_EQ(p.dataSlots.at(0), m_pInstance);
}

TEST_F(ModuleTest, GetAndSetValues) {
  start();
  // Unknown ids and a missing instance.
  EXPECT_EQ(m_xPanels.getValue(m_pPanel, 0x8003), nullptr);
  EXPECT_EQ(m_xPanels.getValue(m_pPanel, 0), nullptr);
  double v = 3;
  EXPECT_EQ(m_xPanels.setValue(m_pPanel, 0x8003, &v), 0);
  EXPECT_EQ(m_xPanels.setValue(m_pPanel, 0x9999, &v), 0);
  EXPECT_EQ(panel().get(nullptr, 0x8001), nullptr);
  EXPECT_EQ(panel().set(nullptr, 0x8002, &v), 0);

  EXPECT_STREQ(static_cast<char*>(m_xPanels.getValue(m_pPanel, 0x8001)), "");
  EXPECT_EQ(shownScale(m_xPanels, m_pPanel), 1.0);
  EXPECT_EQ(setScale(-2.5), 1);
  EXPECT_EQ(shownScale(m_xPanels, m_pPanel), -2.5);

  // A long name reaches the panel cut to 511 characters.
  const std::string longName = "/nonexistent/" + std::string(587, 'a');
  ASSERT_EQ(longName.size(), 600u);
  EXPECT_EQ(setFile(longName), 1);
  const char* shown = static_cast<char*>(m_xPanels.getValue(m_pPanel, 0x8001));
  EXPECT_EQ(std::string(shown), longName.substr(0, 511));
}

struct ResizeCase {
  const char* name;
  const char* firstJointY;  // as written in the file (the reader wants a decimal point for tiny values)
  double expectedScale;     // 0: unchanged (stays at the previous scale of 1)
};

TEST_F(ModuleTest, AutoResizeBringsTheFirstJointToHeightOne) {
  const ResizeCase cases[] = {
      {"standing", "90", 1.0 / 90},
      {"below the origin", "-40", -1.0 / 40},
      {"almost at the origin", "0.0000000000000001", 0},
  };
  for (const ResizeCase& c : cases) {
    SCOPED_TRACE(c.name);
    start();
    ASSERT_EQ(setFile(writeClip("resize.bvh", clipWithFirstJointAt(c.firstJointY))), 1);
    m_pHost->clearRecords();
    ASSERT_TRUE(m_xPanels.press(m_pPanel, 0x8003));
    EXPECT_TRUE(boxes().empty());
    if (c.expectedScale == 0) {
      EXPECT_EQ(shownScale(m_xPanels, m_pPanel), 1.0);
      EXPECT_TRUE(commands().empty());
      EXPECT_TRUE(panel().formSets.empty());
      continue;
    }
    EXPECT_DOUBLE_EQ(shownScale(m_xPanels, m_pPanel), c.expectedScale);
    EXPECT_EQ(commands(), std::vector<std::string>{"RefreshNow"});
    ASSERT_EQ(panel().formSets.size(), 1u);
    EXPECT_EQ(panel().formSets[0].first, 0x8002u);
    EXPECT_DOUBLE_EQ(*static_cast<double*>(panel().formSets[0].second), c.expectedScale);
    // At the next time step the first joint stands at height 1 (the carrier is at the origin).
    const auto lines = drawAt(0);
    ASSERT_EQ(lines.size(), 2u);  // Chest to the ROOT joint, Site to Chest
    EXPECT_NEAR(lines[0].from[1], 1.0, 1e-12);
  }
}

TEST_F(ModuleTest, AutoResizeRefusals) {
  // The rig sample: the host rig skeleton is never resized.
  std::ifstream rigFile(BONEPLAY_SOURCE_DIR "/samples/rig.json");
  std::stringstream rig;
  rig << rigFile.rdbuf();
  start(rig.str(), "Figure");
  ASSERT_TRUE(m_xPanels.press(m_pPanel, 0x8003));
  EXPECT_EQ(boxes(), std::vector<std::string>{"Kestrel: do not resize"});
  EXPECT_TRUE(commands().empty());

  // No skeleton before any clip (a failed load right away): state still the rig's.
  m_pHost->clearRecords();
  setFile("/nonexistent/none.bvh");
  ASSERT_TRUE(m_xPanels.press(m_pPanel, 0x8003));
  EXPECT_EQ(boxes(), (std::vector<std::string>{"Motion ERROR: no motion!", "Kestrel: do not resize"}));

  // A failed load after a good one: the state says clip, so only "no motion!".
  m_pHost->clearRecords();
  ASSERT_EQ(setFile(writeClip("good.bvh", clipWithFirstJointAt("90"))), 1);
  setFile("/nonexistent/none.bvh");
  m_pHost->clearRecords();
  ASSERT_TRUE(m_xPanels.press(m_pPanel, 0x8003));
  EXPECT_EQ(boxes(), std::vector<std::string>{"Motion ERROR: no motion!"});
  EXPECT_TRUE(commands().empty());
}

}  // namespace
