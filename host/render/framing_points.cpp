#include "framing_points.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace Boneplay {
namespace Render {

namespace {

constexpr int kSphereDirections = 160;
constexpr View kNamedViews[] = {View::Front, View::Side, View::Top, View::ThreeQuarter};

double dot(const Point3& a, const Point3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

bool finite(const Point3& p) { return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z); }

// Both ways along the named views' screen axes, and directions spread evenly
// over the sphere for the views between them.
std::vector<Point3> directions() {
  std::vector<Point3> out;
  for (View v : kNamedViews) {
    const Animation none;
    const Projection p(v, none, 100, 100);
    // The screen axes in world space, from where the world's axes land.
    const Point3 o = p.toView({0, 0, 0});
    const Point3 ex = p.toView({1, 0, 0}), ey = p.toView({0, 1, 0}), ez = p.toView({0, 0, 1});
    const Point3 right{ex.x - o.x, ey.x - o.x, ez.x - o.x}, up{ex.y - o.y, ey.y - o.y, ez.y - o.y};
    for (const Point3& d : {right, up}) {
      out.push_back(d);
      out.push_back({-d.x, -d.y, -d.z});
    }
  }
  const double golden = 3.14159265358979323846 * (3 - std::sqrt(5.0));
  for (int i = 0; i < kSphereDirections; ++i) {
    const double y = 1 - 2 * (i + 0.5) / kSphereDirections, r = std::sqrt(1 - y * y);
    out.push_back({r * std::cos(golden * i), y, r * std::sin(golden * i)});
  }
  return out;
}

// The point furthest along each direction, of the points offered.
class Extremes {
 public:
  explicit Extremes(const std::vector<Point3>& dirs)
      : m_vDirs(dirs), m_vBest(dirs.size()), m_vReach(dirs.size(), -std::numeric_limits<double>::infinity()) {}
  void offer(const Point3& p) {
    for (std::size_t d = 0; d < m_vDirs.size(); ++d) {
      const double v = dot(p, m_vDirs[d]);
      if (v > m_vReach[d]) m_vReach[d] = v, m_vBest[d] = p;
    }
  }
  // Each point once; none when nothing was offered.
  std::vector<Point3> points() const {
    std::vector<Point3> out;
    for (std::size_t d = 0; d < m_vDirs.size(); ++d) {
      if (!std::isfinite(m_vReach[d])) continue;
      const Point3& p = m_vBest[d];
      const bool seen =
          std::any_of(out.begin(), out.end(), [&](const Point3& q) { return q.x == p.x && q.y == p.y && q.z == p.z; });
      if (!seen) out.push_back(p);
    }
    return out;
  }

 private:
  std::vector<Point3> m_vDirs, m_vBest;
  std::vector<double> m_vReach;
};

}  // namespace

FramingPoints framingPoints(const Animation& clip) {
  const std::vector<Point3> dirs = directions();
  Extremes box(dirs), reach(dirs);
  for (const Frame& f : clip.frames) {
    const Point3* joint = firstJoint(f);
    const bool tracked = joint && finite(*joint);
    for (const Segment& s : f.segments)
      for (const Point3* p : {&s.a, &s.b}) {
        if (!finite(*p)) continue;
        box.offer(*p);
        if (tracked) reach.offer({p->x - joint->x, p->y - joint->y, p->z - joint->z});
      }
  }
  return {box.points(), reach.points(), Projection(View::Front, clip, 100, 100).floorArea()};
}

}  // namespace Render
}  // namespace Boneplay
