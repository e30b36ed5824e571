#include "projection.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace Boneplay {
namespace Render {

namespace {

struct NamedView {
  View view;
  const char* name;
  ViewAngles angles;
};
// The three-quarter view stands in front of the figure, turned 45 degrees
// towards +x and looking 25 degrees down.
constexpr NamedView kViews[] = {{View::Front, "front", {0, 0}},
                                {View::Side, "side", {90, 0}},
                                {View::Top, "top", {0, 90}},
                                {View::ThreeQuarter, "three-quarter", {45, 25}}};

constexpr double kMargin = 0.08;  // of the picture's smaller side, on every edge
constexpr double kDegree = 3.14159265358979323846 / 180;
// Following, the floor reaches this many half-diagonals of the picture from
// the joint, so that even a low camera sees no edge of it.
constexpr double kFollowFloorReach = 2.5;

bool finite(const Point3& p) { return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z); }

}  // namespace

std::optional<View> parseView(const std::string& name) {
  for (const NamedView& v : kViews)
    if (name == v.name) return v.view;
  return std::nullopt;
}

const char* viewName(View view) {
  for (const NamedView& v : kViews)
    if (v.view == view) return v.name;
  return "front";
}

ViewAngles viewAngles(View view) {
  for (const NamedView& v : kViews)
    if (v.view == view) return v.angles;
  return {};
}

const Point3* firstJoint(const Frame& frame) { return frame.segments.empty() ? nullptr : &frame.segments.front().b; }

Projection::Projection(View view, const Animation& animation, int width, int height, bool follow)
    : Projection(viewAngles(view), animation, width, height, follow) {}

Projection::Projection(ViewAngles angles, const Animation& animation, int width, int height, bool follow)
    : m_bFollow(follow), m_iWidth(width), m_iHeight(height) {
  // The host's world: y up; the front view looks from +z, so +x is on the
  // picture's right. The camera's right, up and viewing axes:
  const double cy = std::cos(angles.yaw * kDegree), sy = std::sin(angles.yaw * kDegree);
  const double cp = std::cos(angles.pitch * kDegree), sp = std::sin(angles.pitch * kDegree);
  const double right[3] = {cy, 0, -sy}, up[3] = {-sy * sp, cp, -cy * sp}, away[3] = {-sy * cp, -sp, -cy * cp};
  std::copy(right, right + 3, m_dRight);
  std::copy(up, up + 3, m_dUp);
  std::copy(away, away + 3, m_dAway);
  if (follow)
    fitAroundFirstJoint(animation, width, height);
  else
    fitClip(animation, width, height);
}

Point3 Projection::toView(const Point3& p) const {
  auto dot = [&](const double* axis) { return axis[0] * p.x + axis[1] * p.y + axis[2] * p.z; };
  return {dot(m_dRight), dot(m_dUp), dot(m_dAway)};
}

void Projection::fitClip(const Animation& animation, int width, int height) {
  const double inf = std::numeric_limits<double>::infinity();
  double lo[2] = {inf, inf}, hi[2] = {-inf, -inf};
  FloorArea area{inf, inf, -inf, inf, -inf};
  for (const Frame& f : animation.frames)
    for (const Segment& s : f.segments)
      for (const Point3* p : {&s.a, &s.b}) {
        if (!finite(*p)) continue;
        const Point3 v = toView(*p);
        lo[0] = std::min(lo[0], v.x), hi[0] = std::max(hi[0], v.x);
        lo[1] = std::min(lo[1], v.y), hi[1] = std::max(hi[1], v.y);
        area.y = std::min(area.y, p->y);
        area.minX = std::min(area.minX, p->x), area.maxX = std::max(area.maxX, p->x);
        area.minZ = std::min(area.minZ, p->z), area.maxZ = std::max(area.maxZ, p->z);
      }
  if (!(lo[0] <= hi[0])) {  // nothing drawn: a unit box around the origin
    lo[0] = lo[1] = area.minX = area.minZ = -1;
    hi[0] = hi[1] = area.maxX = area.maxZ = 1;
    area.y = 0;
  }
  m_xFloor = area;

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

void Projection::fitAroundFirstJoint(const Animation& animation, int width, int height) {
  // The largest reach of any pose from its own first joint, on each screen axis.
  double reachX = 0, reachY = 0, floorY = std::numeric_limits<double>::infinity();
  const Frame* firstTracked = nullptr;
  for (const Frame& f : animation.frames) {
    const Point3* joint = firstJoint(f);
    if (!joint || !finite(*joint)) continue;
    if (!firstTracked) firstTracked = &f;
    const Point3 centre = toView(*joint);
    for (const Segment& s : f.segments)
      for (const Point3* p : {&s.a, &s.b}) {
        if (!finite(*p)) continue;
        const Point3 v = toView(*p);
        reachX = std::max(reachX, std::abs(v.x - centre.x));
        reachY = std::max(reachY, std::abs(v.y - centre.y));
        floorY = std::min(floorY, p->y);
      }
  }
  const double margin = kMargin * std::min(width, height);
  const double usableW = std::max(1.0, width - 2 * margin);
  const double usableH = std::max(1.0, height - 2 * margin);
  m_dScale = std::min(usableW / 2 / std::max(reachX, 1e-9), usableH / 2 / std::max(reachY, 1e-9));
  if (!firstTracked) {  // nothing drawn: the origin in the middle at unit scale
    m_dScale = std::min(usableW, usableH) / 2;
    floorY = 0;
  }
  m_dFollowRadius = kFollowFloorReach * std::hypot(width, height) / 2 / m_dScale;
  m_xFloor = {floorY, -m_dFollowRadius, m_dFollowRadius, -m_dFollowRadius, m_dFollowRadius};
  m_dOffsetX = width / 2.0;
  m_dOffsetY = height / 2.0;
  if (firstTracked) track(*firstTracked);
}

void Projection::track(const Frame& frame) {
  if (!m_bFollow) return;
  const Point3* joint = firstJoint(frame);
  if (!joint || !finite(*joint)) return;
  const Point3 v = toView(*joint);
  m_dOffsetX = m_iWidth / 2.0 - m_dScale * v.x;
  m_dOffsetY = m_iHeight / 2.0 + m_dScale * v.y;
  m_xFloor.minX = joint->x - m_dFollowRadius, m_xFloor.maxX = joint->x + m_dFollowRadius;
  m_xFloor.minZ = joint->z - m_dFollowRadius, m_xFloor.maxZ = joint->z + m_dFollowRadius;
}

Point2 Projection::toPicture(const Point3& p) const {
  const Point3 v = toView(p);
  return {m_dOffsetX + m_dScale * v.x, m_dOffsetY - m_dScale * v.y};
}

}  // namespace Render
}  // namespace Boneplay
