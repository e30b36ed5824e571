// The HTML player opened in a real (headless) browser: the page is asked, by
// its address, to do what a user would (move the slider, play, follow, pick
// a view); the test reads the state the page writes into itself and looks at
// a screenshot's pixels. Skipped, saying why, when no browser is installed.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <nlohmann/json.hpp>
#include <string>

#include "projection.h"
#include "render_test_util.h"
#include "writers.h"

using namespace Boneplay::Render;
using rendertest::Picture;
using rendertest::tempPath;

namespace {

constexpr int kWidth = 480, kHeight = 360;

// The browser: BONEPLAY_BROWSER if set, else the headless shell or the full
// browser from the PATH; empty when there is none.
std::string findBrowser() {
  if (const char* chosen = std::getenv("BONEPLAY_BROWSER")) return access(chosen, X_OK) == 0 ? chosen : "";
  const char* path = std::getenv("PATH");
  for (const char* name : {"chromium-headless-shell", "chromium"}) {
    std::string dirs = path ? path : "/usr/bin";
    for (std::size_t at = 0; at <= dirs.size();) {
      const std::size_t colon = std::min(dirs.find(':', at), dirs.size());
      const std::string candidate = dirs.substr(at, colon - at) + "/" + name;
      if (access(candidate.c_str(), X_OK) == 0) return candidate;
      at = colon + 1;
    }
  }
  return "";
}

struct BrowserRun {
  int status = -1;
  std::string out, err;
};

// Opens the page at `fragment` and either dumps its DOM after `budgetMs` of
// virtual time or takes a screenshot into `screenshot`.
BrowserRun openPage(const std::string& browser, const std::string& page, const std::string& fragment, int budgetMs,
                    const std::string& screenshot = "") {
  static int runs = 0;
  const std::string run = tempPath("browser" + std::to_string(++runs));
  const std::string out = run + ".out", err = run + ".err";
  // A fresh profile, and the browser's own temporary files, inside our folder.
  std::string cmd = "TMPDIR='" + tempPath("") + "' HOME='" + tempPath("") + "' timeout 120 '" + browser +
                    "' --headless --no-sandbox --disable-gpu --disable-background-networking --disable-component-update"
                    " --disable-sync --no-first-run --hide-scrollbars --force-device-scale-factor=1"
                    " --enable-logging=stderr --v=0 --user-data-dir='" +
                    run + ".profile' --window-size=" + std::to_string(kWidth) + "," + std::to_string(kHeight + 200) +
                    " --virtual-time-budget=" + std::to_string(budgetMs);
  cmd += screenshot.empty() ? " --dump-dom" : " --screenshot='" + screenshot + "'";
  cmd += " 'file://" + page + "#" + fragment + "' >'" + out + "' 2>'" + err + "'";
  BrowserRun r;
  const int raw = std::system(cmd.c_str());
  r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  r.out = rendertest::slurp(out);
  r.err = rendertest::slurp(err);
  return r;
}

// The state the page keeps in #state, or null when there is none.
nlohmann::json stateOf(const std::string& dom) {
  const std::string open = "<output id=\"state\" hidden=\"\">";
  const std::size_t at = dom.find(open), end = dom.find("</output>", at);
  if (at == std::string::npos || end == std::string::npos) return nullptr;
  return nlohmann::json::parse(dom.substr(at + open.size(), end - at - open.size()), nullptr, false);
}

// No uncaught error in the console, none caught by the page itself.
void expectNoScriptError(const BrowserRun& r) {
  EXPECT_EQ(r.err.find("Uncaught"), std::string::npos) << r.err;
  EXPECT_EQ(r.out.find("data-errors"), std::string::npos) << r.out.substr(0, 2000);
}

// Red along every line of the frame where the pictures' own projection puts
// it, for a view and following or not.
void expectFrameDrawn(const Picture& shot, const Animation& clip, std::size_t k, View view, bool follow) {
  Projection p(view, clip, kWidth, kHeight, follow);
  p.track(clip.frames[k]);
  for (const Segment& s : clip.frames[k].segments) {
    const Point2 a = p.toPicture(s.a), b = p.toPicture(s.b);
    for (double t : {0.25, 0.5, 0.75})
      EXPECT_TRUE(shot.redNear(a.x + t * (b.x - a.x), a.y + t * (b.y - a.y), 2))
          << "frame " << k << " at " << a.x + t * (b.x - a.x) << "," << a.y + t * (b.y - a.y);
  }
}

class Browser : public ::testing::Test {
 protected:
  void SetUp() override {
    m_sBrowser = findBrowser();
    if (m_sBrowser.empty())
      GTEST_SKIP() << "no headless browser (chromium-headless-shell or chromium) on the PATH; "
                      "scripts/install-browser.sh installs one";
    m_xClip = rendertest::walker(40, 10);
    m_xOptions.width = kWidth;
    m_xOptions.height = kHeight;
    m_xOptions.view = View::ThreeQuarter;
    m_sPage = tempPath("player.html");
    ASSERT_EQ(writeHtml(m_xClip, m_xOptions, m_sPage), "");
  }

  // The page after the address's actions: a screenshot, or the state it
  // keeps after `budgetMs` of (virtual) time. Either way without a script error.
  Picture screenshot(const std::string& fragment) {
    const std::string shot = tempPath(fragment + ".png");
    const BrowserRun r = openPage(m_sBrowser, m_sPage, fragment, 500, shot);
    EXPECT_EQ(r.status, 0) << r.err;
    expectNoScriptError(r);
    return rendertest::readPng(shot);
  }
  nlohmann::json state(const std::string& fragment, int budgetMs) {
    const BrowserRun r = openPage(m_sBrowser, m_sPage, fragment, budgetMs);
    EXPECT_EQ(r.status, 0) << r.err;
    expectNoScriptError(r);
    const nlohmann::json s = stateOf(r.out);
    EXPECT_TRUE(s.is_object()) << r.out.substr(0, 2000);
    EXPECT_TRUE(s.is_object() && s["errors"].empty()) << s.dump();
    return s;
  }

  std::string m_sBrowser, m_sPage;
  Animation m_xClip;
  RenderOptions m_xOptions;
};

TEST_F(Browser, TheSliderPutsTheChosenFrameWhereThePicturesDo) {
  // Frame 0 and frame 30 stand 150 units apart: moving the slider moves the pose.
  const Picture picture = screenshot("frame=30");
  ASSERT_GE(picture.height, kHeight);
  expectFrameDrawn(picture, m_xClip, 30, View::ThreeQuarter, false);
  Projection p(View::ThreeQuarter, m_xClip, kWidth, kHeight);
  const Point2 headAt0 = p.toPicture(m_xClip.frames[0].segments[1].a);
  EXPECT_FALSE(picture.redNear(headAt0.x, headAt0.y, 3)) << "frame 0's head is still drawn";

  const nlohmann::json s = state("frame=30", 500);
  ASSERT_TRUE(s.is_object());
  EXPECT_EQ(s["frame"], 30);
  EXPECT_DOUBLE_EQ(s["time"].get<double>(), 3.0);
  EXPECT_EQ(s["playing"], false);
  const Point2 hip = p.toPicture(*firstJoint(m_xClip.frames[30]));
  EXPECT_NEAR(s["joint"][0].get<double>(), hip.x, 0.5);
  EXPECT_NEAR(s["joint"][1].get<double>(), hip.y, 0.5);
}

TEST_F(Browser, FollowingAndTheSideViewMatchThePictures) {
  const Picture picture = screenshot("view=side&follow&frame=12");
  ASSERT_GE(picture.height, kHeight);
  expectFrameDrawn(picture, m_xClip, 12, View::Side, true);
  EXPECT_TRUE(picture.redNear(kWidth / 2.0, kHeight / 2.0, 2)) << "the hip is not in the middle";
}

TEST_F(Browser, PlayingRunsThroughTheClipAndLoops) {
  // 40 frames at 10 a second loop every 4 seconds; after 5.5 the clip has
  // come round again to about frame 15.
  const nlohmann::json s = state("play", 5500);
  ASSERT_TRUE(s.is_object());
  EXPECT_EQ(s["playing"], true);
  EXPECT_GE(s["frame"].get<int>(), 10);
  EXPECT_LE(s["frame"].get<int>(), 20);
}

}  // namespace
