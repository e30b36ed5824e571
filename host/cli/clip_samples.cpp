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

double rowLength(const Kvat::Matrix4& m, int r) {
  return std::sqrt(m(r, 0) * m(r, 0) + m(r, 1) * m(r, 1) + m(r, 2) * m(r, 2));
}

// Angles (degrees) of the rotation matrix whose rows are e[0..2], for the
// row-vector product Rx * Ry * Rz.
void eulerXyz(const double e[3][3], double r[3]) {
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
}

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

}  // namespace

ClipSamples sampleClip(Kvat::Secne::Root& root, const std::vector<double>& times) {
  ClipSamples out;
  out.times = times;
  std::vector<Kvat::Secne::Node*> nodes;
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
    const int index = static_cast<int>(nodes.size());
    nodes.push_back(item.node);
    out.names.push_back(item.node->name());
    out.parents.push_back(item.parent);
    for (auto it = item.node->children().rbegin(); it != item.node->children().rend(); ++it)
      pending.push_back({*it, index});
  }
  root.rootMatrix().setIdentity();
  root.setScale(Kvat::Vector3(1, 1, 1));
  out.worlds.reserve(times.size() * nodes.size());
  for (double t : times) {
    root.evaluate(t);
    for (Kvat::Secne::Node* node : nodes) out.worlds.push_back(node->attrib()->world());
  }
  return out;
}

LocalTrs decomposeLocal(const Kvat::Matrix4& local, const double* previousR) {
  LocalTrs out;
  double e[3][3];
  for (int r = 0; r < 3; ++r) {
    out.t[r] = local(3, r);
    out.s[r] = rowLength(local, r);
    for (int c = 0; c < 3; ++c) e[r][c] = out.s[r] > 0.0 ? local(r, c) / out.s[r] : (r == c ? 1.0 : 0.0);
  }
  // A mirrored frame keeps a proper rotation and a negative X scale.
  if (local.determinant() < 0.0) {
    out.s[0] = -out.s[0];
    for (int c = 0; c < 3; ++c) e[0][c] = -e[0][c];
  }
  eulerXyz(e, out.r);
  if (previousR) keepContinuous(out.r, previousR);
  return out;
}

std::vector<LocalTrs> localTracks(const ClipSamples& samples) {
  const std::size_t joints = samples.names.size();
  std::vector<LocalTrs> out(samples.times.size() * joints);
  for (std::size_t t = 0; t < samples.times.size(); ++t)
    for (std::size_t j = 0; j < joints; ++j) {
      Kvat::Matrix4 local = samples.world(t, j);
      if (samples.parents[j] >= 0) {
        Kvat::Matrix4 inverse = samples.world(t, samples.parents[j]);
        inverse.invert();
        local = Kvat::Matrix4::multiply(local, inverse);
      }
      out[t * joints + j] = decomposeLocal(local, t > 0 ? out[(t - 1) * joints + j].r : nullptr);
    }
  return out;
}

double skeletonSize(const ClipSamples& samples) {
  if (samples.worlds.empty()) return 1.0;
  double lo[3], hi[3];
  for (int i = 0; i < 3; ++i) lo[i] = hi[i] = samples.worlds[0](3, i);
  for (const Kvat::Matrix4& m : samples.worlds)
    for (int i = 0; i < 3; ++i) {
      lo[i] = std::min(lo[i], m(3, i));
      hi[i] = std::max(hi[i], m(3, i));
    }
  const double size = std::sqrt((hi[0] - lo[0]) * (hi[0] - lo[0]) + (hi[1] - lo[1]) * (hi[1] - lo[1]) +
                                (hi[2] - lo[2]) * (hi[2] - lo[2]));
  return size > 0.0 ? size : 1.0;
}

double worstDeviation(const ClipSamples& a, const ClipSamples& b, double size) {
  if (a.times != b.times || a.names.size() != b.names.size() || a.parents != b.parents) return -1.0;
  double worst = 0.0;
  for (std::size_t i = 0; i < a.worlds.size(); ++i)
    for (int k = 0; k < 16; ++k) {
      const double d = std::fabs(a.worlds[i][k] - b.worlds[i][k]) / (k >= 12 ? size : 1.0);
      worst = std::max(worst, d);
    }
  return worst;
}

}  // namespace Cli
}  // namespace Boneplay
