#pragma once
// What the command line says about an FBX clip: its takes, where its
// skeleton starts, its time span, why it gave no skeleton.

#include <cstddef>
#include <ostream>
#include <string>
#include <vector>

#include "fbx_skl_generator.h"

namespace Boneplay {
namespace Cli {

// The FBX root behind a skeleton, or null for other kinds.
const Kvat::Secne::FbxRoot* asFbxRoot(const Kvat::Secne::Root& root);

// Why the load gave no skeleton ("" when it gave one), for a message that
// names the file first.
std::string fbxLoadFailure(const Kvat::Secne::FbxRoot& root);

// The current take's span in seconds: the take's own local span when the
// file gives one, else the range of the skeleton's keys; false with neither.
bool fbxTakeSpan(const Kvat::Secne::FbxRoot& root, double& start, double& stop);

// The distinct key times (seconds, ascending) of the skeleton's curves in
// the current take, at most limit of them (truncated set when more).
std::vector<double> fbxKeyTimes(const Kvat::Secne::FbxRoot& root, std::size_t limit, bool& truncated);

// Warnings about parent links of the file that the reader dropped (a model
// linked to itself, to a second parent, or closing a cycle), each saying
// which models then stand outside the skeleton; none for a clean file.
std::vector<std::string> fbxLinkWarnings(const Kvat::Secne::FbxRoot& root);

// What `info` tells of each take (fbxTakeList's order): its span and key
// times over the skeleton, and whose choice it is.
struct FbxTakeFacts {
  std::string name;
  bool spanned = false;
  double start = 0.0, stop = 0.0;
  std::size_t keyTimes = 0;
  bool shown = false;         // the take this command shows
  bool moduleChoice = false;  // the take the module plays
  bool fileCurrent = false;   // the take the file names current
};
// Selects each take in turn and the shown one again after.
std::vector<FbxTakeFacts> fbxTakeFacts(const Kvat::Secne::FbxRoot& root);

// The "takes:", "take ...:", "skeleton start:" and "span:" lines of `info`.
void writeFbxSummary(const Kvat::Secne::FbxRoot& root, std::ostream& out);

}  // namespace Cli
}  // namespace Boneplay
