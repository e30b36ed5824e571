#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "writers.h"

namespace Boneplay {
namespace Render {

namespace {

std::string rgb(const Colour& c) {
  char buf[40];
  auto v = [](double x) { return static_cast<int>(std::lround(std::min(1.0, std::max(0.0, x)) * 255)); };
  std::snprintf(buf, sizeof buf, "rgb(%d,%d,%d)", v(c.r), v(c.g), v(c.b));
  return buf;
}

std::string num(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.1f", std::isfinite(v) ? v : 0.0);
  return buf;
}

void pathOf(std::ostream& out, const Projection& p, const Frame& frame) {
  out << "<path d=\"";
  for (const Segment& s : frame.segments) {
    const Point2 a = p.toPicture(s.a), b = p.toPicture(s.b);
    out << 'M' << num(a.x) << ' ' << num(a.y) << 'L' << num(b.x) << ' ' << num(b.y);
  }
  out << "\"/>";
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
  const Projection projection(options.view, animation, options.width, options.height);
  const Style& st = options.style;
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) return "cannot create the file";
  out << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << options.width << "\" height=\"" << options.height
      << "\" viewBox=\"0 0 " << options.width << ' ' << options.height << "\">\n";
  out << "<rect width=\"100%\" height=\"100%\" fill=\"" << rgb(st.background) << "\"/>\n";
  out << "<g stroke=\"" << rgb(st.grid) << "\" stroke-width=\"" << st.gridWidth << "\">";
  for (const Line2& g : gridLines(projection))
    out << "<line x1=\"" << num(g.a.x) << "\" y1=\"" << num(g.a.y) << "\" x2=\"" << num(g.b.x) << "\" y2=\""
        << num(g.b.y) << "\"/>";
  out << "</g>\n";
  out << "<g fill=\"none\" stroke=\"" << rgb(animation.lineColour) << "\" stroke-width=\""
      << lineWidthFor(st, options.width, options.height) << "\" stroke-linecap=\"round\">\n";
  const std::size_t n = animation.frames.size();
  if (options.stillIndex >= 0 && static_cast<std::size_t>(options.stillIndex) < n) {
    pathOf(out, projection, animation.frames[static_cast<std::size_t>(options.stillIndex)]);
    out << "\n";
  } else {
    const double loop = n / (animation.fps > 0 ? animation.fps : 30);
    for (std::size_t k = 0; k < n; ++k) {
      out << "<g visibility=\"" << (k == 0 ? "visible" : "hidden") << "\">";
      visibilityAnimation(out, k, n, loop);
      pathOf(out, projection, animation.frames[k]);
      out << "</g>\n";
    }
  }
  out << "</g>\n</svg>\n";
  out.close();
  return out ? "" : "cannot write the file";
}

}  // namespace Render
}  // namespace Boneplay
