#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "draw_recorder.h"
#include "stand_in_host.h"

using Boneplay::Host::DrawRecorder;
using Boneplay::Host::ItemScene;
using Boneplay::Host::StandInHost;

namespace {

TEST(StandInHost, GlobalFunctionAnswersItsServicesAndRecordsRequests) {
  StandInHost host(ItemScene::parse(R"({"items": [{"name": "A"}]})"));
  GlobalFunc* global = host.globalFunc();
  auto* info = static_cast<const LWItemInfo*>(global(LWITEMINFO_GLOBAL, GFUSE_TRANSIENT));
  auto* messages = static_cast<const LWMessageFuncs*>(global(LWMESSAGEFUNCS_GLOBAL, GFUSE_TRANSIENT));
  auto* command = reinterpret_cast<LWCommandFunc*>(global(LWCOMMANDINTERFACE_GLOBAL, GFUSE_TRANSIENT));
  ASSERT_NE(info, nullptr);
  ASSERT_NE(messages, nullptr);
  ASSERT_NE(command, nullptr);
  EXPECT_EQ(global("No Such Service", GFUSE_TRANSIENT), nullptr);
  EXPECT_EQ(global(nullptr, GFUSE_TRANSIENT), nullptr);
  EXPECT_EQ(host.serviceRequests(), (std::vector<std::string>{LWITEMINFO_GLOBAL, LWMESSAGEFUNCS_GLOBAL,
                                                              LWCOMMANDINTERFACE_GLOBAL, "No Such Service"}));

  // The item-info table reads the host's scene.
  const LWItemID a = info->first(LWI_OBJECT, nullptr);
  ASSERT_NE(a, nullptr);
  EXPECT_STREQ(info->name(a), "A");
  LWDVector scaling = {0, 0, 0};
  info->param(a, LWIP_SCALING, 0.0, scaling);
  EXPECT_EQ(scaling[1], 1.0);
}

TEST(StandInHost, SwitchedOffServicesLookMissing) {
  StandInHost host;
  for (const char* name : {LWITEMINFO_GLOBAL, LWMESSAGEFUNCS_GLOBAL, LWCOMMANDINTERFACE_GLOBAL}) {
    SCOPED_TRACE(name);
    host.disableService(name);
    EXPECT_EQ(host.globalFunc()(name, GFUSE_TRANSIENT), nullptr);
    host.enableService(name);
    EXPECT_NE(host.globalFunc()(name, GFUSE_TRANSIENT), nullptr);
  }
}

TEST(StandInHost, RecordsMessagesAndCommandsInOrder) {
  StandInHost host;
  host.setCommandResult(7);
  const LWMessageFuncs* messages = host.messageFuncs();
  auto* command = reinterpret_cast<LWCommandFunc*>(host.globalFunc()(LWCOMMANDINTERFACE_GLOBAL, GFUSE_TRANSIENT));
  messages->error("Motion ERROR", "no motion!");
  EXPECT_EQ(command("RefreshNow"), 7);
  messages->info("T", "i");
  messages->warning(nullptr, "w");
  EXPECT_EQ(command("Other"), 7);

  ASSERT_EQ(host.messages().size(), 3u);
  EXPECT_EQ(host.messages()[0].kind, "error");
  EXPECT_EQ(host.messages()[0].title, "Motion ERROR");
  EXPECT_EQ(host.messages()[0].text, "no motion!");
  EXPECT_EQ(host.messages()[1].kind, "info");
  EXPECT_EQ(host.messages()[2].kind, "warning");
  EXPECT_EQ(host.messages()[2].title, "");
  EXPECT_EQ(host.commands(), (std::vector<std::string>{"RefreshNow", "Other"}));
  host.clearRecords();
  EXPECT_TRUE(host.messages().empty());
  EXPECT_TRUE(host.commands().empty());
}

TEST(StandInHost, TheLatestLiveHostIsCurrent) {
  EXPECT_EQ(StandInHost::current(), nullptr);
  const LWItemInfo* info = nullptr;
  {
    StandInHost outer(ItemScene::parse(R"({"items": [{"name": "Outer"}]})"));
    info = outer.itemInfo();
    auto inner = std::make_unique<StandInHost>(ItemScene::parse(R"({"items": [{"name": "Inner"}]})"));
    EXPECT_EQ(StandInHost::current(), inner.get());
    EXPECT_STREQ(info->name(ItemScene::idOf(0)), "Inner");
    inner.reset();
    EXPECT_EQ(StandInHost::current(), &outer);
    EXPECT_STREQ(info->name(ItemScene::idOf(0)), "Outer");
  }
  // With no host alive the services answer "none" instead of crashing.
  EXPECT_EQ(StandInHost::current(), nullptr);
  EXPECT_EQ(info->name(ItemScene::idOf(0)), nullptr);
  EXPECT_EQ(info->first(LWI_OBJECT, nullptr), nullptr);
}

TEST(DrawRecorder, LinesCarryTheColourSetBeforeThem) {
  DrawRecorder recorder;
  const LWCustomObjAccess* access = recorder.access();
  LWDVector a = {1, 2, 3};
  LWDVector b = {4, 5, 6};
  access->line(access->dispData, a, b, LWCSYS_WORLD);
  float red[4] = {1, 0, 0, 1};
  access->setColor(access->dispData, red);
  access->line(access->dispData, b, a, LWCSYS_OBJECT);

  ASSERT_EQ(recorder.lines().size(), 2u);
  EXPECT_EQ(recorder.lines()[0].color, DrawRecorder::kDefaultColor);
  EXPECT_EQ(recorder.lines()[0].csys, LWCSYS_WORLD);
  EXPECT_EQ(recorder.lines()[1].color, (DrawRecorder::Color{1, 0, 0, 1}));
  EXPECT_EQ(recorder.lines()[1].from, (std::array<double, 3>{4, 5, 6}));
  EXPECT_EQ(recorder.lines()[1].to, (std::array<double, 3>{1, 2, 3}));
  EXPECT_EQ(recorder.lines()[1].csys, LWCSYS_OBJECT);
  EXPECT_EQ(recorder.colors().size(), 1u);
  recorder.clear();
  EXPECT_TRUE(recorder.lines().empty());
}

}  // namespace
