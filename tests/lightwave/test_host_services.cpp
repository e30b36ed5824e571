#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host_fixture.h"
#include "host_services.h"

using Kvat::HostServices;

namespace {

class HostServicesTest : public HostTest {
 protected:
  HostServices filled() {
    HostServices services;
    services.fill(host().globalFunc());
    return services;
  }
};

TEST_F(HostServicesTest, CommandTextsReachTheHostAsFormatted) {
  startHost(R"({"items": []})");
  host().setCommandResult(5);
  const HostServices services = filled();
  struct Case {
    const char* format;
    const char* sent;
  };
  const Case cases[] = {
      {"RefreshNow", "RefreshNow"},
      {"Scale 100%%", "Scale 100%"},
      {"", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.format);
    host().clearRecords();
    EXPECT_EQ(services.sendCommand(c.format), 5);
    EXPECT_EQ(host().commands(), std::vector<std::string>{c.sent});
  }
}

TEST_F(HostServicesTest, MalformedFormatsSendNothingAndGiveMinusOne) {
  startHost(R"({"items": []})");
  const HostServices services = filled();
  // A stray percent, a directive with no argument fed, a numbered one.
  for (const char* format : {"50%", "Go %d", "Go %1%", "%|"}) {
    SCOPED_TRACE(format);
    EXPECT_EQ(services.sendCommand(format), -1);
  }
  EXPECT_EQ(services.sendCommand(nullptr), -1);
  EXPECT_TRUE(host().commands().empty());
}

TEST_F(HostServicesTest, MissingServicesLeaveNullsAndCommandsGiveMinusOne) {
  startHost(R"({"items": []})");
  host().disableService(LWCOMMANDINTERFACE_GLOBAL);
  host().disableService(LWMESSAGEFUNCS_GLOBAL);
  const HostServices services = filled();
  EXPECT_EQ(services.commandFunc(), nullptr);
  EXPECT_EQ(services.messageFuncs(), nullptr);
  EXPECT_EQ(services.sendCommand("RefreshNow"), -1);
  EXPECT_TRUE(host().commands().empty());

  HostServices none;
  none.fill(nullptr);
  EXPECT_EQ(none.global(), nullptr);
  EXPECT_EQ(none.sendCommand("RefreshNow"), -1);
}

TEST_F(HostServicesTest, ErrorsShowAModalErrorBox) {
  startHost(R"({"items": []})");
  const HostServices services = filled();
  services.showError("Motion ERROR", "no motion!");
  ASSERT_EQ(host().messages().size(), 1u);
  EXPECT_EQ(host().messages()[0].kind, "error");
  EXPECT_EQ(host().messages()[0].title, "Motion ERROR");
  EXPECT_EQ(host().messages()[0].text, "no motion!");
}

TEST_F(HostServicesTest, ErrorWithoutMessageServiceStopsNamingIt) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  startHost(R"({"items": []})");
  host().disableService(LWMESSAGEFUNCS_GLOBAL);
  const HostServices services = filled();
  EXPECT_DEATH(services.showError("T", "x"), "m_xMsgfuncs");
}

}  // namespace
