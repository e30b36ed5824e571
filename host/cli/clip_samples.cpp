#include "clip_samples.h"

#include <algorithm>
#include <cmath>

namespace Boneplay {
namespace Cli {

namespace {

constexpr double kRadiansToDegrees = 57.29577951308232;
// Below this cos(y) the X and Z rotations turn about the same axis and only
// their sum is defined: Z is taken as 0.
constexpr double kGimbalCosine = 1e-12;

// The angle plus the whole turns that bring it nearest to the reference.
double nearestTurn(double angle, double reference) { return angle + 360.0 * std::round((reference - angle) / 360.0); }

// Of the two angle sets of one rotation, the one nearest to previous.
void keepContinuous(double r[3], const double previous[3]) {
  double a[3], b[3] = {r[0] + 180.0, 180.0 - r[1], r[2] + 180.0};
  double da = 0.0, db = 0.0;
  for (int i = 0; i < 3; ++i) {
    a[i] = nearestTurn(r[i], previous[i]);
    b[i] = nearestTurn(b[i], previous[i]);
    da += std::fabs(a[i] - previous[i]);
    db += std::fabs(b[i] - previous[i]);
  }
  for (int i = 0; i < 3; ++i) r[i] = db < da ? b[i] : a[i];
}

// Identity root matrix and scale, as `pose` poses a clip.
void poseAt(Kvat::Secne::Root& root, double time) {
  root.rootMatrix().setIdentity();
  root.evaluate(time);
}

}  // namespace

ClipJoints clipJoints(const Kvat::Secne::Root& root) {
  ClipJoints out;
  struct Pending {
    Kvat::Secne::Node* node;
    int parent;
  };
  std::vector<Pending> pending;
  for (auto it = root.top()->children().rbegin(); it != root.top()->children().rend(); ++it)
    pending.push_back({*it, -1});
  while (!pending.empty()) {
    const Pending item = pending.back();
    pending.pop_back();
    const int index = static_cast<int>(out.nodes.size());
    out.nodes.push_back(item.node);
    out.parents.push_back(item.parent);
    for (auto it = item.node->children().rbegin(); it != item.node->children().rend(); ++it)
      pending.push_back({*it, index});
  }
  return out;
}

Deviation worstDeviation(Kvat::Secne::Root& a, Kvat::Secne::Root& b, const std::vector<double>& times) {
  const ClipJoints ja = clipJoints(a), jb = clipJoints(b);
  Deviation out;
  if (ja.parents != jb.parents) {
    out.worst = -1.0;
    return out;
  }
  a.setScale(Kvat::Vector3(1, 1, 1));
  b.setScale(Kvat::Vector3(1, 1, 1));
  // The worst of the 3x3 parts and of the translations apart: the size,
  // which the translations are measured by, is known only at the end.
  Deviation linear, moved;
  double lo[3] = {HUGE_VAL, HUGE_VAL, HUGE_VAL}, hi[3] = {-HUGE_VAL, -HUGE_VAL, -HUGE_VAL};
  for (double t : times) {
    poseAt(a, t);
    poseAt(b, t);
    for (std::size_t j = 0; j < ja.nodes.size(); ++j) {
      const Kvat::Matrix4& ma = ja.nodes[j]->attrib()->world();
      const Kvat::Matrix4& mb = jb.nodes[j]->attrib()->world();
      for (int i = 0; i < 3; ++i) {
        lo[i] = std::min(lo[i], ma(3, i));
        hi[i] = std::max(hi[i], ma(3, i));
      }
      for (int k = 0; k < 16; ++k) {
        const double d = std::fabs(ma[k] - mb[k]);
        Deviation& worst = k >= 12 ? moved : linear;
        // A NaN on either side is as far off as a pose can be.
        if (d > worst.worst || d != d) worst = {d != d ? HUGE_VAL : d, t, j, 1.0};
      }
    }
  }
  double size = 0.0;
  for (int i = 0; i < 3 && !times.empty() && !ja.nodes.empty(); ++i) size += (hi[i] - lo[i]) * (hi[i] - lo[i]);
  size = size > 0.0 ? std::sqrt(size) : 1.0;
  moved.worst /= size;
  out = moved.worst >= linear.worst ? moved : linear;
  out.size = size;
  return out;
}

std::vector<double> withMidpoints(const std::vector<double>& times) {
  std::vector<double> out;
  out.reserve(times.size() * 2);
  for (std::size_t i = 0; i < times.size(); ++i) {
    if (i > 0) out.push_back(0.5 * (times[i - 1] + times[i]));
    out.push_back(times[i]);
  }
  return out;
}

void eulerXyz(const double e[3][3], const double* previous, double r[3]) {
  const double cy = std::hypot(e[0][0], e[0][1]);
  r[1] = std::atan2(-e[0][2], cy);
  if (cy > kGimbalCosine) {
    r[0] = std::atan2(e[1][2], e[2][2]);
    r[2] = std::atan2(e[0][1], e[0][0]);
  } else {
    r[0] = std::atan2(-e[2][1], e[1][1]);
    r[2] = 0.0;
  }
  for (int i = 0; i < 3; ++i) r[i] *= kRadiansToDegrees;
  if (previous) keepContinuous(r, previous);
}

}  // namespace Cli
}  // namespace Boneplay
