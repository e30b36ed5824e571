#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "time_text.h"
#include "writers.h"

namespace Boneplay {
namespace Render {

namespace {

std::string num(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.1f", std::isfinite(v) ? v : 0.0);
  return buf;
}

// The floor grid as one group of lines.
void gridOf(std::ostream& out, const Projection& p, const Style& st) {
  out << "<g stroke=\"" << cssColour(st.grid) << "\" stroke-width=\"" << st.gridWidth << "\">";
  for (const Line2& g : gridLines(p))
    out << "<line x1=\"" << num(g.a.x) << "\" y1=\"" << num(g.a.y) << "\" x2=\"" << num(g.b.x) << "\" y2=\""
        << num(g.b.y) << "\"/>";
  out << "</g>";
}

// One frame: its grid when the camera follows, its lines, its time when stamped.
void frameOf(std::ostream& out, Projection& p, const Frame& frame, const Animation& animation,
             const RenderOptions& options) {
  p.track(frame);
  if (p.follows()) gridOf(out, p, options.style);
  out << "<path fill=\"none\" stroke=\"" << cssColour(animation.lineColour) << "\" stroke-width=\""
      << lineWidthFor(options.style, options.width, options.height) << "\" stroke-linecap=\"round\" d=\"";
  for (const Segment& s : frame.segments) {
    const Point2 a = p.toPicture(s.a), b = p.toPicture(s.b);
    out << 'M' << num(a.x) << ' ' << num(a.y) << 'L' << num(b.x) << ' ' << num(b.y);
  }
  out << "\"/>";
  if (!options.stamp) return;
  const int size = textSizeFor(options.width, options.height);
  out << "<text x=\"" << 4 * size << "\" y=\"" << 4 * size + textHeight(size) << "\" font-family=\"monospace\" "
      << "font-size=\"" << textHeight(size) * 1.4 << "\" fill=\"" << cssColour(options.style.text) << "\">"
      << timeText(frame.time, 3) << "</text>";
}

// Shows frame k of n during its share of the loop and hides it otherwise.
void visibilityAnimation(std::ostream& out, std::size_t k, std::size_t n, double loopSeconds) {
  std::ostringstream values, times;
  auto key = [&](const char* value, double t, bool first) {
    values << (first ? "" : ";") << value;
    times << (first ? "" : ";") << t;
  };
  const double start = static_cast<double>(k) / n, end = static_cast<double>(k + 1) / n;
  if (k == 0) {
    key("visible", 0, true);
  } else {
    key("hidden", 0, true);
    key("visible", start, false);
  }
  if (k + 1 < n) key("hidden", end, false);
  out << "<animate attributeName=\"visibility\" calcMode=\"discrete\" repeatCount=\"indefinite\" dur=\"" << loopSeconds
      << "s\" values=\"" << values.str() << "\" keyTimes=\"" << times.str() << "\"/>";
}

}  // namespace

std::string writeSvg(const Animation& animation, const RenderOptions& options, const std::string& path) {
  if (animation.frames.empty()) return "no frames to draw";
  Projection projection(options.view, framedOn(animation, options), options.width, options.height, options.follow);
  const Style& st = options.style;
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) return "cannot create the file";
  out << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << options.width << "\" height=\"" << options.height
      << "\" viewBox=\"0 0 " << options.width << ' ' << options.height << "\">\n";
  out << "<rect width=\"100%\" height=\"100%\" fill=\"" << cssColour(st.background) << "\"/>\n";
  // A still camera shares one grid among all frames.
  if (!options.follow) {
    gridOf(out, projection, st);
    out << "\n";
  }
  const std::size_t n = animation.frames.size();
  if (options.stillIndex >= 0 && static_cast<std::size_t>(options.stillIndex) < n) {
    frameOf(out, projection, animation.frames[static_cast<std::size_t>(options.stillIndex)], animation, options);
    out << "\n";
  } else {
    const double loop = n / (animation.fps > 0 ? animation.fps : 30);
    for (std::size_t k = 0; k < n; ++k) {
      out << "<g visibility=\"" << (k == 0 ? "visible" : "hidden") << "\">";
      visibilityAnimation(out, k, n, loop);
      frameOf(out, projection, animation.frames[k], animation, options);
      out << "</g>\n";
    }
  }
  out << "</svg>\n";
  out.close();
  return out ? "" : "cannot write the file";
}

}  // namespace Render
}  // namespace Boneplay
