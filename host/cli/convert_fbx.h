#pragma once
// `convert` of an FBX clip: the imported scene itself is written, every
// take with its name and span and every curve with its keys as they are
// (interpolation, tangents, weights, extrapolation), the nodes with their
// properties and hierarchy; nothing is resampled. The copy is then read
// back and must pose like the source in every take written, at every key
// time, halfway between consecutive key times and at the take's span ends.

#include <string>
#include <vector>

#include "fbx_skl_generator.h"

namespace Boneplay {
namespace Cli {

// Makes the node where the clip's skeleton starts the file's "Hips" (in
// the namespace of its top-level node), renaming any other node of that
// name, with a "Reference" null above it when it stands at the top, so
// that loaders that look for "Hips" start there. Poses do not change.
void makeStartTheHips(Kvat::Secne::FbxRoot& clip);

// The takes a copy holds: the clip's takes but "Default", or only the one
// asked for.
std::vector<std::string> takesToWrite(const Kvat::Secne::FbxRoot& clip, const std::string& only);

struct CopyCheck {
  double worst = 0.0;  // of the skeleton's size (per take), over every take
  std::string take;    // where the worst was found
  double time = 0.0;
  std::size_t times = 0;  // poses compared, over every take
  std::string error;      // why the copy is not a copy; empty when it is
};

// Compares the copy with its source in every take of the list (and in
// "Default", which the file's properties make), and the takes' spans.
CopyCheck checkFbxCopy(Kvat::Secne::FbxRoot& source, Kvat::Secne::FbxRoot& copy, const std::vector<std::string>& takes);

}  // namespace Cli
}  // namespace Boneplay
