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

namespace {

// Cuts the segment to the box, moving an outside end along the line onto the
// side it is beyond until both are in; false when nothing is left. Far-off
// ends come in close, so the pixel arithmetic cannot overflow.
bool clipToBox(Point2& a, Point2& b, double left, double top, double right, double bottom) {
  enum { kLeft = 1, kRight = 2, kTop = 4, kBottom = 8 };
  auto code = [&](const Point2& p) {
    return (p.x < left ? kLeft : p.x > right ? kRight : 0) | (p.y < top ? kTop : p.y > bottom ? kBottom : 0);
  };
  for (int moves = 0; moves < 8; ++moves) {  // each end crosses at most two sides, then stays in
    const int ca = code(a), cb = code(b);
    if (!(ca | cb)) return true;
    if (ca & cb) return false;
    const double dx = b.x - a.x, dy = b.y - a.y;
    if (!std::isfinite(dx) || !std::isfinite(dy)) return false;
    const int c = ca ? ca : cb;
    Point2& p = ca ? a : b;
    if (c & kLeft)
      p = {left, p.y + (left - p.x) * (dy / dx)};
    else if (c & kRight)
      p = {right, p.y + (right - p.x) * (dy / dx)};
    else if (c & kTop)
      p = {p.x + (top - p.y) * (dx / dy), top};
    else
      p = {p.x + (bottom - p.y) * (dx / dy), bottom};
  }
  return false;
}

}  // namespace

void Canvas::line(Layer layer, Point2 a, Point2 b, double widthPx) {
  if (!std::isfinite(a.x) || !std::isfinite(a.y) || !std::isfinite(b.x) || !std::isfinite(b.y)) return;
  const double half = std::max(0.5, widthPx / 2.0);
  // Coverage falls from 1 to 0 over the pixel beyond the solid core.
  const double reach = half + 0.5;
  if (!clipToBox(a, b, -reach - 1, -reach - 1, m_iWidth + reach + 1, m_iHeight + reach + 1)) return;
  const int y0 = std::max(0, static_cast<int>(std::floor(std::min(a.y, b.y) - reach)));
  const int y1 = std::min(m_iHeight - 1, static_cast<int>(std::ceil(std::max(a.y, b.y) + reach)));
  const double dx = b.x - a.x, dy = b.y - a.y;
  const double len2 = dx * dx + dy * dy;
  std::vector<uint8_t>& cover = m_vCover[static_cast<int>(layer)];
  for (int y = y0; y <= y1; ++y) {
    // Only the part of the segment within reach of this row can cover it:
    // its x range, widened by the reach, bounds the pixels to look at.
    const double cy = y + 0.5;
    double t0 = 0, t1 = 1;
    if (dy != 0) {
      t0 = std::clamp((cy - reach - a.y) / dy, 0.0, 1.0);
      t1 = std::clamp((cy + reach - a.y) / dy, 0.0, 1.0);
    }
    const double xa = a.x + t0 * dx, xb = a.x + t1 * dx;
    const int x0 = std::max(0, static_cast<int>(std::floor(std::min(xa, xb) - reach)));
    const int x1 = std::min(m_iWidth - 1, static_cast<int>(std::ceil(std::max(xa, xb) + reach)));
    uint8_t* row = &cover[static_cast<std::size_t>(y) * m_iWidth];
    for (int x = x0; x <= x1; ++x) {
      const double px = x + 0.5 - a.x, py = cy - a.y;
      const double t = len2 > 0 ? std::clamp((px * dx + py * dy) / len2, 0.0, 1.0) : 0.0;
      const double ex = px - t * dx, ey = py - t * dy;
      const double c = reach - std::sqrt(ex * ex + ey * ey);
      if (c <= 0) continue;
      const uint8_t v = c >= 1 ? 255 : static_cast<uint8_t>(std::lround(c * 255));
      row[x] = std::max(row[x], v);
    }
  }
}

void Canvas::box(Layer layer, int x, int y, int w, int h) {
  const int xa = std::max(0, x), xb = std::min(m_iWidth, x + w);
  const int ya = std::max(0, y), yb = std::min(m_iHeight, y + h);
  std::vector<uint8_t>& cover = m_vCover[static_cast<int>(layer)];
  for (int r = ya; r < yb; ++r)
    for (int c = xa; c < xb; ++c) cover[static_cast<std::size_t>(r) * m_iWidth + c] = 255;
}

double lineWidthFor(const Style& style, int width, int height) {
  return style.lineWidth * std::max(1.0, std::min(width, height) / 400.0);
}

namespace {

// A floor grid: lines every "nice" step (1, 2 or 5 times a power of ten) so
// that about ten cells span the area.
double gridStep(double extent) {
  if (!(extent > 0)) return 1;
  const double raw = extent / 10.0;
  const double p = std::pow(10.0, std::floor(std::log10(raw)));
  for (double m : {1.0, 2.0, 5.0})
    if (raw <= m * p) return m * p;
  return 10 * p;
}

constexpr double kMaxGridLines = 400;  // each way; more only happens where the step vanishes in precision

}  // namespace

std::vector<Line2> gridLines(const Projection& proj) {
  std::vector<Line2> lines;
  const FloorArea& area = proj.floorArea();
  const double extent = std::max(area.maxX - area.minX, area.maxZ - area.minZ);
  const double step = gridStep(std::max(extent, 1e-6));
  const double pad = std::max(step, extent * 0.15);
  const double xa = std::floor((area.minX - pad) / step) * step, xb = std::ceil((area.maxX + pad) / step) * step;
  const double za = std::floor((area.minZ - pad) / step) * step, zb = std::ceil((area.maxZ + pad) / step) * step;
  // Lines are counted, not stepped to: far from the origin a small step may
  // vanish in the coordinates' precision.
  const double nx = std::round((xb - xa) / step), nz = std::round((zb - za) / step);
  if (!(nx >= 0 && nx <= kMaxGridLines && nz >= 0 && nz <= kMaxGridLines)) return lines;
  for (int i = 0; i <= static_cast<int>(nx); ++i) {
    const double x = xa + i * step;
    lines.push_back({proj.toPicture({x, area.y, za}), proj.toPicture({x, area.y, zb})});
  }
  for (int i = 0; i <= static_cast<int>(nz); ++i) {
    const double z = za + i * step;
    lines.push_back({proj.toPicture({xa, area.y, z}), proj.toPicture({xb, area.y, z})});
  }
  return lines;
}

namespace {

double over(double under, double top, double coverage) { return under + (top - under) * coverage; }

uint8_t channel(double v) { return static_cast<uint8_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255)); }

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
  const double t = canvas.coverage(Layer::Text, x, y) / 255.0;
  rgb[0] = channel(over(over(over(style.background.r, style.grid.r, g), line.r, l), style.text.r, t));
  rgb[1] = channel(over(over(over(style.background.g, style.grid.g, g), line.g, l), style.text.g, t));
  rgb[2] = channel(over(over(over(style.background.b, style.grid.b, g), line.b, l), style.text.b, t));
}

}  // namespace Render
}  // namespace Boneplay
