// The HTML player opened in a real (headless) browser: the page is asked, by
// its address, to do what a user would (move the slider, play, follow, pick
// a view); the test reads the state the page writes into itself and looks at
// a screenshot's pixels. Skipped, saying why, when no browser is installed.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
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
                    const std::string& screenshot = "", int windowW = kWidth, int windowH = kHeight + 200) {
  static int runs = 0;
  const std::string run = tempPath("browser" + std::to_string(++runs));
  const std::string out = run + ".out", err = run + ".err";
  // A fresh profile, and the browser's own temporary files, inside our folder.
  std::string cmd = "TMPDIR='" + tempPath("") + "' HOME='" + tempPath("") + "' timeout 120 '" + browser +
                    "' --headless --no-sandbox --disable-gpu --disable-background-networking --disable-component-update"
                    " --disable-sync --no-first-run --hide-scrollbars --force-device-scale-factor=1"
                    " --enable-logging=stderr --v=0 --user-data-dir='" +
                    run + ".profile' --window-size=" + std::to_string(windowW) + "," + std::to_string(windowH) +
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
  nlohmann::json state(const std::string& fragment, int budgetMs, int windowW = kWidth, int windowH = kHeight + 200) {
    const BrowserRun r = openPage(m_sBrowser, m_sPage, fragment, budgetMs, "", windowW, windowH);
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

TEST_F(Browser, TheWheelZoomsAboutThePointerAndKeepsTheFigureOnTheCanvas) {
  // Frame 0 stands at one end of the walk, away from the middle of the picture.
  Projection p(View::ThreeQuarter, m_xClip, kWidth, kHeight);
  const Point2 hip = p.toPicture(*firstJoint(m_xClip.frames[0]));
  ASSERT_GT(std::hypot(hip.x - kWidth / 2.0, hip.y - kHeight / 2.0), 60);
  // A wheel event's place is in whole pixels.
  const double pointerX = std::round(hip.x), pointerY = std::round(hip.y);
  char at[64];
  std::snprintf(at, sizeof at, "%.0f,%.0f", pointerX, pointerY);
  struct Case {
    std::string where;
    bool hipStays;  // zoomed at the hip, the hip stays where it was about the pointer
  };
  // -600 zooms in by e^0.9; -4000 as far as the page goes (50 times), at a
  // corner far from the figure, which would leave the canvas but is kept on it.
  const Case cases[] = {{std::string(at) + ",-600", true}, {"5,5,-4000", false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.where);
    const nlohmann::json s = state("frame=0&zoom=" + c.where, 500);
    ASSERT_TRUE(s.is_object());
    EXPECT_GT(s["zoom"].get<double>(), 2.4);
    if (c.hipStays) {
      const double f = s["zoom"].get<double>();
      EXPECT_NEAR(s["joint"][0].get<double>(), pointerX + f * (hip.x - pointerX), 0.5);
      EXPECT_NEAR(s["joint"][1].get<double>(), pointerY + f * (hip.y - pointerY), 0.5);
    }
    // At least a quarter of the canvas (or the whole figure) on each axis.
    const nlohmann::json& box = s["box"];
    ASSERT_TRUE(box.is_array());
    const double left = box[0], top = box[1], right = box[2], bottom = box[3];
    EXPECT_GE(std::min(right, double(kWidth)) - std::max(left, 0.0), std::min(right - left, kWidth / 4.0) - 0.5);
    EXPECT_GE(std::min(bottom, double(kHeight)) - std::max(top, 0.0), std::min(bottom - top, kHeight / 4.0) - 0.5);
  }
  // And what the page says it drew is what is on the canvas.
  const Picture shot = screenshot("frame=0&zoom=" + std::string(at) + ",-600");
  EXPECT_TRUE(shot.redNear(hip.x, hip.y, 3));
}

TEST_F(Browser, APageLargerThanTheWindowShowsItselfSmallerWithItsControls) {
  RenderOptions big = m_xOptions;
  big.width = 1200, big.height = 900;
  m_sPage = tempPath("big.html");
  ASSERT_EQ(writeHtml(m_xClip, big, m_sPage), "");
  struct Case {
    int windowW, windowH;
  };
  for (const Case& c : {Case{kWidth, kHeight + 200}, Case{1400, 600}, Case{1400, 1200}}) {
    SCOPED_TRACE(std::to_string(c.windowW) + "x" + std::to_string(c.windowH));
    const nlohmann::json s = state("frame=3", 500, c.windowW, c.windowH);
    ASSERT_TRUE(s.is_object());
    const double shownW = s["shown"][0], shownH = s["shown"][1];
    const int windowW = s["window"][0], windowH = s["window"][1];
    EXPECT_LE(shownW, windowW + 0.5);
    EXPECT_LE(s["controlsBottom"].get<double>(), windowH + 0.5);
    EXPECT_NEAR(shownW / shownH, 1200.0 / 900.0, 0.01);
    // No smaller than it must be: it fills the width or the height left.
    EXPECT_TRUE(shownW > windowW - 2 || s["pageBottom"].get<double>() > windowH - 2 || shownW == 1200) << s.dump();
  }
}

TEST_F(Browser, AWorldFramedPageIsFramedAsThePictures) {
  // The clip drawn twice as large as the clip it is framed on.
  Animation twice = m_xClip;
  for (Frame& f : twice.frames)
    for (Segment& seg : f.segments)
      for (Point3* q : {&seg.a, &seg.b}) *q = Point3{2 * q->x, 2 * q->y, 2 * q->z};
  RenderOptions world = m_xOptions;
  world.framing = &m_xClip;
  m_sPage = tempPath("world.html");
  ASSERT_EQ(writeHtml(twice, world, m_sPage), "");
  for (const bool follow : {false, true}) {
    SCOPED_TRACE(follow ? "following" : "still camera");
    const nlohmann::json s = state(std::string("frame=20") + (follow ? "&follow" : ""), 500);
    ASSERT_TRUE(s.is_object());
    Projection p(View::ThreeQuarter, m_xClip, kWidth, kHeight, follow);
    p.track(twice.frames[20]);
    const Point2 hip = p.toPicture(*firstJoint(twice.frames[20]));
    EXPECT_NEAR(s["joint"][0].get<double>(), hip.x, 0.5);
    EXPECT_NEAR(s["joint"][1].get<double>(), hip.y, 0.5);
    // The pose's box where the pictures put it: twice the size of the fitted one.
    double top = 1e9, bottom = -1e9, left = 1e9, right = -1e9;
    for (const Segment& seg : twice.frames[20].segments)
      for (const Point3* q : {&seg.a, &seg.b}) {
        const Point2 v = p.toPicture(*q);
        top = std::min(top, v.y), bottom = std::max(bottom, v.y), left = std::min(left, v.x),
        right = std::max(right, v.x);
      }
    const nlohmann::json& box = s["box"];
    ASSERT_TRUE(box.is_array());
    EXPECT_NEAR(box[0].get<double>(), left, 0.5);
    EXPECT_NEAR(box[1].get<double>(), top, 0.5);
    EXPECT_NEAR(box[2].get<double>(), right, 0.5);
    EXPECT_NEAR(box[3].get<double>(), bottom, 0.5);
  }
}

}  // namespace
