#pragma once
// Runs the module's code against the stand-in host: a scene, the module's
// global function pointing at that host, and the handler tables filled the
// way the host's activation would have them.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "custom_object_handler.h"
#include "item_scene.h"
#include "module_globals.h"
#include "stand_in_host.h"

class HostTest : public ::testing::Test {
 protected:
  HostTest() {
    m_xHandler.inst = &m_xInstanceFuncs;
    m_xHandler.item = &m_xItemFuncs;
    m_xHandler.rend = &m_xRenderFuncs;
    Kvat::fillCustomObjHandler(&m_xHandler);
  }
  ~HostTest() override {
    Kvat::Module::setHostGlobal(nullptr);
    Kvat::Module::setItemInfo(nullptr);
  }

  // Starts the stand-in host on a scene and hands its global function to the module.
  // Scenes here may repeat names, as a real host's may.
  void startHost(const std::string& sceneJson) {
    startHost(Boneplay::Host::ItemScene::parse(sceneJson, Boneplay::Host::ItemScene::Names::MayRepeat));
  }
  void startHost(Boneplay::Host::ItemScene scene) {
    m_pHost.reset();
    m_pHost = std::make_unique<Boneplay::Host::StandInHost>(std::move(scene));
    Kvat::Module::setHostGlobal(m_pHost->globalFunc());
  }
  void startRigSample() { startHost(Boneplay::Host::ItemScene::load(BONEPLAY_SOURCE_DIR "/samples/rig.json")); }

  Boneplay::Host::StandInHost& host() { return *m_pHost; }
  LWItemID item(const std::string& name) {
    const LWItemID id = m_pHost->scene().find(name);
    EXPECT_NE(id, nullptr) << name;
    return id;
  }
  const LWItemInfo* itemInfo() const { return m_pHost->itemInfo(); }

  LWInstanceFuncs m_xInstanceFuncs{};
  LWItemFuncs m_xItemFuncs{};
  LWRenderFuncs m_xRenderFuncs{};
  LWCustomObjHandler m_xHandler{};
  std::unique_ptr<Boneplay::Host::StandInHost> m_pHost;
};
