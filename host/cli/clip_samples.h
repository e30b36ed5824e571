#pragma once
// A clip sampled into world matrices, as `pose` sees it (identity root
// matrix, scale 1), and the local translation, rotation and scale that each
// joint needs at each sample to reproduce those matrices.

#include <string>
#include <vector>

#include "kv_node.h"

namespace Boneplay {
namespace Cli {

struct ClipSamples {
  std::vector<double> times;
  // The joints below the top node, in pre-order; parents index this list
  // (-1 for a child of the top node).
  std::vector<std::string> names;
  std::vector<int> parents;
  // times.size() rows of names.size() world matrices.
  std::vector<Kvat::Matrix4> worlds;

  const Kvat::Matrix4& world(std::size_t time, std::size_t joint) const { return worlds[time * names.size() + joint]; }
};

// Poses the root at every time and keeps every joint's world matrix.
ClipSamples sampleClip(Kvat::Secne::Root& root, const std::vector<double>& times);

// A local transform as an FBX model stores it: scale, then rotation by Euler
// angles in degrees (X first, then Y, then Z), then translation.
struct LocalTrs {
  double t[3];
  double r[3];
  double s[3];
};

// The local matrix M = diag(s) * EulerXYZ(r), translated by t. Rows that are
// not orthogonal (a shear) cannot be stored and come out as their nearest
// rotation. With previousR the angles are the equivalent set closest to it,
// so that curves between samples stay continuous.
LocalTrs decomposeLocal(const Kvat::Matrix4& local, const double* previousR);

// Each joint's local matrix at each sample: its world matrix times the
// inverse of its parent's (the first joints' worlds as they are).
std::vector<LocalTrs> localTracks(const ClipSamples& samples);

// The diagonal of the box around every joint position at every sample; 1
// when that box is a point.
double skeletonSize(const ClipSamples& samples);

// The largest difference between two samplings of the same times and joint
// count: translations relative to size, the 3x3 parts as they are. -1 when
// the two do not have the same shape.
double worstDeviation(const ClipSamples& a, const ClipSamples& b, double size);

}  // namespace Cli
}  // namespace Boneplay
