#include <cmath>
#include <cstdio>
#include <fstream>

#include "writers.h"

namespace Boneplay {
namespace Render {

namespace {

std::string num(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.1f", std::isfinite(v) ? v : 0.0);
  return buf;
}

std::string css(const Colour& c) {
  char buf[40];
  auto v = [](double x) { return static_cast<int>(std::lround(std::min(1.0, std::max(0.0, x)) * 255)); };
  std::snprintf(buf, sizeof buf, "rgb(%d,%d,%d)", v(c.r), v(c.g), v(c.b));
  return buf;
}

// The player: draws the grid and one frame's lines on a canvas; a button
// plays and pauses at the clip's rate, a slider picks any frame.
const char* const kPlayerScript = R"JS(
const cv = document.getElementById('view'), cx = cv.getContext('2d');
const slider = document.getElementById('frame'), button = document.getElementById('play');
const label = document.getElementById('time');
function draw(k) {
  cx.fillStyle = clip.background; cx.fillRect(0, 0, cv.width, cv.height);
  cx.strokeStyle = clip.grid; cx.lineWidth = 1; cx.beginPath();
  for (const g of clip.gridLines) { cx.moveTo(g[0], g[1]); cx.lineTo(g[2], g[3]); }
  cx.stroke();
  const f = clip.frames[k];
  cx.strokeStyle = clip.colour; cx.lineWidth = clip.lineWidth; cx.lineCap = 'round'; cx.beginPath();
  for (let i = 0; i + 3 < f.s.length; i += 4) { cx.moveTo(f.s[i], f.s[i + 1]); cx.lineTo(f.s[i + 2], f.s[i + 3]); }
  cx.stroke();
  slider.value = k; label.textContent = f.t.toFixed(3) + ' s';
}
let timer = null;
function stop() { clearInterval(timer); timer = null; button.textContent = 'Play'; }
button.onclick = () => {
  if (timer) { stop(); return; }
  button.textContent = 'Pause';
  timer = setInterval(() => draw((Number(slider.value) + 1) % clip.frames.length), 1000 / clip.fps);
};
slider.max = clip.frames.length - 1;
slider.oninput = () => { stop(); draw(Number(slider.value)); };
draw(0);
)JS";

}  // namespace

std::string escapeHtml(const std::string& s) {
  std::string out;
  for (char c : s) {
    switch (c) {
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '&':
        out += "&amp;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string writeHtml(const Animation& animation, const RenderOptions& options, const std::string& path) {
  if (animation.frames.empty()) return "no frames to draw";
  const Projection projection(options.view, animation, options.width, options.height);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) return "cannot create the file";
  const std::string title = escapeHtml(animation.title.empty() ? std::string("boneplay") : animation.title);
  out << "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>" << title << "</title>\n"
      << "<style>body{font-family:sans-serif;margin:1em}#frame{width:" << options.width
      << "px}canvas{display:block;border:1px solid #ccc;margin-bottom:.5em}</style></head>\n<body>\n"
      << "<div>" << title << "</div>\n<canvas id=\"view\" width=\"" << options.width << "\" height=\"" << options.height
      << "\"></canvas>\n"
      << "<button id=\"play\">Play</button> <span id=\"time\"></span><br>\n"
      << "<input id=\"frame\" type=\"range\" min=\"0\" value=\"0\">\n<script>\nconst clip = {";
  out << "fps:" << (animation.fps > 0 ? animation.fps : 30) << ",colour:'" << css(animation.lineColour)
      << "',background:'" << css(options.style.background) << "',grid:'" << css(options.style.grid)
      << "',lineWidth:" << lineWidthFor(options.style, options.width, options.height) << ",\ngridLines:[";
  bool first = true;
  for (const Line2& g : gridLines(projection)) {
    out << (first ? "" : ",") << '[' << num(g.a.x) << ',' << num(g.a.y) << ',' << num(g.b.x) << ',' << num(g.b.y)
        << ']';
    first = false;
  }
  out << "],\nframes:[\n";
  for (std::size_t k = 0; k < animation.frames.size(); ++k) {
    const Frame& f = animation.frames[k];
    out << (k ? ",\n" : "") << "{t:" << f.time << ",s:[";
    for (std::size_t i = 0; i < f.segments.size(); ++i) {
      const Point2 a = projection.toPicture(f.segments[i].a), b = projection.toPicture(f.segments[i].b);
      out << (i ? "," : "") << num(a.x) << ',' << num(a.y) << ',' << num(b.x) << ',' << num(b.y);
    }
    out << "]}";
  }
  out << "]};\n" << kPlayerScript << "</script>\n</body></html>\n";
  out.close();
  return out ? "" : "cannot write the file";
}

}  // namespace Render
}  // namespace Boneplay
