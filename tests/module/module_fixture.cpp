#include "module_fixture.h"

#include <unistd.h>

#include <fstream>

#include "test_tmpdir.h"

using Boneplay::Host::DrawRecorder;

ModuleTest::ModuleTest() {
  m_xHandler.inst = &m_xInst;
  m_xHandler.item = &m_xItem;
  m_xHandler.rend = &m_xRend;
  std::string error;
  m_pModule = Boneplay::Host::LoadedModule::open(BONEPLAY_MODULE, error);
  EXPECT_TRUE(m_pModule) << error;
}

ModuleTest::~ModuleTest() {
  if (m_pInstance && m_xInst.destroy) m_xInst.destroy(m_pInstance);
}

void ModuleTest::start(const std::string& sceneJson, const std::string& itemName) {
  ASSERT_TRUE(m_pModule);
  // A test may start over: the instance of the last start goes first.
  if (m_pInstance) m_xInst.destroy(m_pInstance);
  m_pInstance = nullptr;
  m_pHost = std::make_unique<Boneplay::Host::StandInHost>(Boneplay::Host::ItemScene::parse(sceneJson));
  m_pHost->provide(LWXPANELFUNCS_GLOBAL, m_xPanels.funcs());
  ASSERT_EQ(m_pModule->activate(LWCUSTOMOBJ_HCLASS, "boneplay", 5, m_pHost->globalFunc(), &m_xHandler), AFUNC_OK);
  LWError error = nullptr;
  const LWItemID item = m_pHost->scene().find(itemName);
  ASSERT_NE(item, nullptr);
  m_pInstance = m_xInst.create(m_xInst.priv, item, &error);
  ASSERT_NE(m_pInstance, nullptr);
  LWInterface iface{m_pInstance, item, nullptr, nullptr, nullptr};
  ASSERT_EQ(m_pModule->activate(LWCUSTOMOBJ_ICLASS, "boneplay", 4, m_pHost->globalFunc(), &iface), AFUNC_OK);
  ASSERT_NE(iface.panel, nullptr);
  m_pPanel = iface.panel;
  m_pHost->clearRecords();
}

int ModuleTest::setFile(const std::string& path) {
  std::string text = path;
  return m_xPanels.setValue(m_pPanel, kFile, &text[0]);
}

int ModuleTest::setScale(double scale) { return m_xPanels.setValue(m_pPanel, kScale, &scale); }

std::vector<std::string> ModuleTest::boxes() const {
  std::vector<std::string> out;
  for (const auto& m : m_pHost->messages()) out.push_back(m.title + ": " + m.text);
  return out;
}

std::vector<DrawRecorder::Line> ModuleTest::drawAt(double time) {
  m_xRend.newTime(m_pInstance, 0, time);
  return drawNow();
}

std::vector<DrawRecorder::Line> ModuleTest::drawNow() {
  DrawRecorder recorder;
  m_xHandler.evaluate(m_pInstance, recorder.access());
  return recorder.lines();
}

std::string ModuleTest::writeClip(const std::string& name, const std::string& text) {
  const std::string path = boneplay_test::TempPath(name);
  std::ofstream(path, std::ios::binary) << text;
  return path;
}
