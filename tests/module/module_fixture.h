#pragma once
// The loaded module on the stand-in host: one instance on an item, with its panel.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "draw_recorder.h"
#include "item_scene.h"
#include "module_loader.h"
#include "panel_service.h"
#include "stand_in_host.h"

class ModuleTest : public ::testing::Test {
 protected:
  static constexpr unsigned int kFile = 0x8001, kScale = 0x8002, kAutoResize = 0x8003;

  ModuleTest();
  ~ModuleTest() override;

  // Starts the host on a scene, activates both servers and makes an instance
  // on the named item with its panel.
  void start(const std::string& sceneJson = R"({"items":[{"name":"Carrier","type":"object"}]})",
             const std::string& itemName = "Carrier");

  int setFile(const std::string& path);
  int setScale(double scale);
  std::vector<std::string> commands() const { return m_pHost->commands(); }
  std::vector<std::string> boxes() const;  // "title: text" of each error box
  // One time step and a drawing call; the lines in object coordinates.
  std::vector<Boneplay::Host::DrawRecorder::Line> drawAt(double time);
  std::vector<Boneplay::Host::DrawRecorder::Line> drawNow();
  Boneplay::Host::PanelService::Panel& panel() { return *m_xPanels.panel(m_pPanel); }

  // A BVH file in the test's temporary folder.
  static std::string writeClip(const std::string& name, const std::string& text);

  std::unique_ptr<Boneplay::Host::StandInHost> m_pHost;
  Boneplay::Host::PanelService m_xPanels;
  std::unique_ptr<Boneplay::Host::LoadedModule> m_pModule;
  LWInstanceFuncs m_xInst{};
  LWItemFuncs m_xItem{};
  LWRenderFuncs m_xRend{};
  LWCustomObjHandler m_xHandler{};
  LWInstance m_pInstance = nullptr;
  LWXPanelID m_pPanel = nullptr;
};
