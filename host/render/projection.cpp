#include "projection.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace Boneplay {
namespace Render {

namespace {

struct ViewName {
  View view;
  const char* name;
};
constexpr ViewName kViews[] = {
    {View::Front, "front"}, {View::Side, "side"}, {View::Top, "top"}, {View::ThreeQuarter, "three-quarter"}};

// Three-quarter view: turned 45 degrees about the vertical, looking 25 degrees down.
constexpr double kYaw = 0.7853981633974483;
constexpr double kPitch = 0.4363323129985824;

constexpr double kMargin = 0.08;  // of the picture's smaller side, on every edge

}  // namespace

std::optional<View> parseView(const std::string& name) {
  for (const ViewName& v : kViews)
    if (name == v.name) return v.view;
  return std::nullopt;
}

const char* viewName(View view) {
  for (const ViewName& v : kViews)
    if (v.view == view) return v.name;
  return "front";
}

Point3 Projection::toView(const Point3& p) const {
  // The host's world: y up, the figure faces +z when unturned; the front view
  // looks at it from +z (so its left hand, +x, is on the picture's right).
  switch (m_eView) {
    case View::Front:
      return {p.x, p.y, -p.z};
    case View::Side:
      return {-p.z, p.y, -p.x};
    case View::Top:
      return {p.x, -p.z, -p.y};
    case View::ThreeQuarter: {
      const double cy = std::cos(kYaw), sy = std::sin(kYaw);
      const double x = cy * p.x + sy * p.z;
      const double z = -sy * p.x + cy * p.z;
      const double cp = std::cos(kPitch), sp = std::sin(kPitch);
      return {x, cp * p.y + sp * z, sp * p.y - cp * z};
    }
  }
  return p;
}

Projection::Projection(View view, const Animation& animation, int width, int height) : m_eView(view) {
  const double inf = std::numeric_limits<double>::infinity();
  double lo[2] = {inf, inf}, hi[2] = {-inf, -inf};
  double floor = inf, minX = inf, maxX = -inf, minZ = inf, maxZ = -inf;
  auto take = [&](const Point3& p) {
    if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z)) return;
    const Point3 v = toView(p);
    lo[0] = std::min(lo[0], v.x);
    hi[0] = std::max(hi[0], v.x);
    lo[1] = std::min(lo[1], v.y);
    hi[1] = std::max(hi[1], v.y);
    floor = std::min(floor, p.y);
    minX = std::min(minX, p.x);
    maxX = std::max(maxX, p.x);
    minZ = std::min(minZ, p.z);
    maxZ = std::max(maxZ, p.z);
  };
  for (const Frame& f : animation.frames)
    for (const Segment& s : f.segments) {
      take(s.a);
      take(s.b);
    }
  if (!(lo[0] <= hi[0])) {  // nothing drawn: a unit box around the origin
    lo[0] = lo[1] = floor = minX = minZ = -1;
    hi[0] = hi[1] = maxX = maxZ = 1;
    floor = 0;
  }
  m_dFloor = floor;
  m_dMinX = minX;
  m_dMaxX = maxX;
  m_dMinZ = minZ;
  m_dMaxZ = maxZ;

  const double margin = kMargin * std::min(width, height);
  const double usableW = std::max(1.0, width - 2 * margin);
  const double usableH = std::max(1.0, height - 2 * margin);
  const double spanX = std::max(hi[0] - lo[0], 1e-9);
  const double spanY = std::max(hi[1] - lo[1], 1e-9);
  m_dScale = std::min(usableW / spanX, usableH / spanY);
  // Centre the clip's box in the picture.
  m_dOffsetX = width / 2.0 - m_dScale * (lo[0] + hi[0]) / 2.0;
  m_dOffsetY = height / 2.0 + m_dScale * (lo[1] + hi[1]) / 2.0;
}

Point2 Projection::toPicture(const Point3& p) const {
  const Point3 v = toView(p);
  return {m_dOffsetX + m_dScale * v.x, m_dOffsetY - m_dScale * v.y};
}

}  // namespace Render
}  // namespace Boneplay
