#pragma once
// What `boneplay pose` and `boneplay info` print about a skeleton.

#include <ostream>
#include <string>
#include <vector>

#include "kv_node.h"

namespace Boneplay {
namespace Cli {

// Every node in pre-order from the top node, with its parent's index (-1 for the top).
struct FlatNode {
  Kvat::Secne::Node* node;
  int parent;
};
std::vector<FlatNode> flatten(Kvat::Secne::Node* top);

struct PoseRequest {
  std::string file;
  std::string kind;
  std::string take;  // FBX clips: the current take (JSON null for other kinds)
  std::vector<double> times;
  double scale = 1.0;
};

// Poses the skeleton at each time (identity root matrix) and writes the world
// matrices, row-major, in full double precision.
void writePoseJson(Kvat::Secne::Root& root, const PoseRequest& request, std::ostream& out);
void writePoseCsv(Kvat::Secne::Root& root, const PoseRequest& request, std::ostream& out);

// The skeleton tree with offsets and channels, the number of samples and the length.
void writeInfo(Kvat::Secne::Root& root, const std::string& file, const std::string& kind, std::ostream& out);

// The time of the last sample of any channel (0 without motion).
double clipLength(Kvat::Secne::Root& root);

// The clip's own time range: from 0 to its length, or an FBX clip's current
// take's span (0 to 0 when the take has no keys).
void clipRange(Kvat::Secne::Root& root, double& from, double& to);

}  // namespace Cli
}  // namespace Boneplay
