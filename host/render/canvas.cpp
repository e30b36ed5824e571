#include "canvas.h"

#include <algorithm>
#include <cmath>

namespace Boneplay {
namespace Render {

Canvas::Canvas(int width, int height) : m_iWidth(std::max(1, width)), m_iHeight(std::max(1, height)) {
  for (auto& layer : m_vCover) layer.assign(static_cast<std::size_t>(m_iWidth) * m_iHeight, 0);
}

void Canvas::clear() {
  for (auto& layer : m_vCover) std::fill(layer.begin(), layer.end(), 0);
}

void Canvas::line(Layer layer, Point2 a, Point2 b, double widthPx) {
  if (!std::isfinite(a.x) || !std::isfinite(a.y) || !std::isfinite(b.x) || !std::isfinite(b.y)) return;
  const double half = std::max(0.5, widthPx / 2.0);
  // Pixels within half + 1 of the segment, clipped to the picture.
  const int x0 = std::max(0, static_cast<int>(std::floor(std::min(a.x, b.x) - half - 1)));
  const int x1 = std::min(m_iWidth - 1, static_cast<int>(std::ceil(std::max(a.x, b.x) + half + 1)));
  const int y0 = std::max(0, static_cast<int>(std::floor(std::min(a.y, b.y) - half - 1)));
  const int y1 = std::min(m_iHeight - 1, static_cast<int>(std::ceil(std::max(a.y, b.y) + half + 1)));
  if (x0 > x1 || y0 > y1) return;
  const double dx = b.x - a.x, dy = b.y - a.y;
  const double len2 = dx * dx + dy * dy;
  std::vector<uint8_t>& cover = m_vCover[static_cast<int>(layer)];
  for (int y = y0; y <= y1; ++y) {
    for (int x = x0; x <= x1; ++x) {
      const double px = x + 0.5 - a.x, py = y + 0.5 - a.y;
      double t = len2 > 0 ? (px * dx + py * dy) / len2 : 0.0;
      t = std::clamp(t, 0.0, 1.0);
      const double ex = px - t * dx, ey = py - t * dy;
      const double d = std::sqrt(ex * ex + ey * ey);
      // One pixel of soft edge around the solid core.
      const double c = std::clamp(half + 0.5 - d, 0.0, 1.0);
      if (c <= 0) continue;
      uint8_t& cell = cover[static_cast<std::size_t>(y) * m_iWidth + x];
      cell = std::max<uint8_t>(cell, static_cast<uint8_t>(std::lround(c * 255)));
    }
  }
}

double lineWidthFor(const Style& style, int width, int height) {
  return style.lineWidth * std::max(1.0, std::min(width, height) / 400.0);
}

namespace {

// A floor grid under the clip: lines every "nice" step (1, 2 or 5 times a
// power of ten) so that about ten cells span the clip's extent.
double gridStep(double extent) {
  if (!(extent > 0)) return 1;
  const double raw = extent / 10.0;
  const double p = std::pow(10.0, std::floor(std::log10(raw)));
  for (double m : {1.0, 2.0, 5.0})
    if (raw <= m * p) return m * p;
  return 10 * p;
}

}  // namespace

std::vector<Line2> gridLines(const Projection& proj) {
  std::vector<Line2> lines;
  const double extent = std::max(proj.maxX() - proj.minX(), proj.maxZ() - proj.minZ());
  const double step = gridStep(std::max(extent, 1e-6));
  const double pad = std::max(step, extent * 0.15);
  const double xa = std::floor((proj.minX() - pad) / step) * step, xb = std::ceil((proj.maxX() + pad) / step) * step;
  const double za = std::floor((proj.minZ() - pad) / step) * step, zb = std::ceil((proj.maxZ() + pad) / step) * step;
  const double y = proj.floorHeight();
  // Lines are counted, not stepped to: far from the origin a small step may
  // vanish in the coordinates' precision. At most a few hundred, else none.
  const double nx = std::round((xb - xa) / step), nz = std::round((zb - za) / step);
  if (!(nx >= 0 && nx <= 400 && nz >= 0 && nz <= 400)) return lines;
  for (int i = 0; i <= static_cast<int>(nx); ++i) {
    const double x = xa + i * step;
    lines.push_back({proj.toPicture({x, y, za}), proj.toPicture({x, y, zb})});
  }
  for (int i = 0; i <= static_cast<int>(nz); ++i) {
    const double z = za + i * step;
    lines.push_back({proj.toPicture({xa, y, z}), proj.toPicture({xb, y, z})});
  }
  return lines;
}

namespace {

uint8_t channel(double background, double over, double coverage) {
  const double v = background + (over - background) * coverage;
  return static_cast<uint8_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255));
}

}  // namespace

void drawFrame(Canvas& canvas, const Projection& projection, const Frame& frame, const Style& style) {
  canvas.clear();
  for (const Line2& g : gridLines(projection)) canvas.line(Layer::Grid, g.a, g.b, style.gridWidth);
  const double w = lineWidthFor(style, canvas.width(), canvas.height());
  for (const Segment& s : frame.segments)
    canvas.line(Layer::Line, projection.toPicture(s.a), projection.toPicture(s.b), w);
}

void pixelColour(const Canvas& canvas, const Style& style, const Colour& line, int x, int y, uint8_t rgb[3]) {
  const double g = canvas.coverage(Layer::Grid, x, y) / 255.0;
  const double l = canvas.coverage(Layer::Line, x, y) / 255.0;
  const double base[3] = {style.background.r + (style.grid.r - style.background.r) * g,
                          style.background.g + (style.grid.g - style.background.g) * g,
                          style.background.b + (style.grid.b - style.background.b) * g};
  rgb[0] = channel(base[0], line.r, l);
  rgb[1] = channel(base[1], line.g, l);
  rgb[2] = channel(base[2], line.b, l);
}

}  // namespace Render
}  // namespace Boneplay
