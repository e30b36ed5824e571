#pragma once
// The user's choices about an FBX clip, beside the module's: which take
// plays (--take) and where the skeleton starts (--root), and what to
// suggest when the module finds no start.

#include <string>
#include <vector>

#include "fbx_skl_generator.h"

namespace Boneplay {
namespace Cli {

// Every take the clip has: the scene's take names (the module's list,
// "Default" first), then takes the file describes that no object holds.
std::vector<std::string> fbxTakeList(const Kvat::Secne::FbxRoot& root);

// Makes the named take current. "" when done; else why not, listing the
// clip's takes.
std::string chooseFbxTake(Kvat::Secne::FbxRoot& root, const std::string& take);

// Starts the skeleton at the named node ("Model::" optional). "" when done;
// else why not.
std::string chooseFbxRoot(Kvat::Secne::FbxRoot& root, const std::string& node);

// For a clip without a usable start: its top-level models and every node
// whose name ends in "Hips" (any case), and the --root suggestion.
std::string fbxStartCandidates(const Kvat::Secne::FbxRoot& root);

}  // namespace Cli
}  // namespace Boneplay
