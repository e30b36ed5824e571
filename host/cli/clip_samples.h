#pragma once
// A clip's skeleton posed at given times as `pose` sees it (identity root
// matrix, scale 1), and two skeletons compared pose by pose. Nothing is
// kept per time: a clip of hours compares in the memory of one pose.

#include <string>
#include <vector>

#include "kv_node.h"

namespace Boneplay {
namespace Cli {

// The joints below the top node, in pre-order; parents index this list
// (-1 for a child of the top node).
struct ClipJoints {
  std::vector<Kvat::Secne::Node*> nodes;
  std::vector<int> parents;
};
ClipJoints clipJoints(const Kvat::Secne::Root& root);

struct Deviation {
  double worst = 0.0;  // -1: the skeletons do not have the same joints
  double time = 0.0;   // where the worst was found
  std::size_t joint = 0;
  // The diagonal of the box around a's joint positions at every time; 1
  // when that box is a point.
  double size = 1.0;
};

// The largest difference between the two skeletons' world matrices at the
// times, joint by joint in pre-order: translations relative to the size of
// a's skeleton, the 3x3 parts as they are. One pass: each skeleton is posed
// once per time.
Deviation worstDeviation(Kvat::Secne::Root& a, Kvat::Secne::Root& b, const std::vector<double>& times);

// Each time, and halfway between each two consecutive times.
std::vector<double> withMidpoints(const std::vector<double>& times);

// Angles (degrees) of a rotation matrix's rows e[0..2] for the row-vector
// product Rx * Ry * Rz (X acts first); with previous, the equivalent set
// nearest to it, so that curves between samples stay continuous.
void eulerXyz(const double e[3][3], const double* previous, double r[3]);

}  // namespace Cli
}  // namespace Boneplay
