#pragma once
// The nodes of a clip's skeleton as the command line reports them: in
// pre-order from the top node, with their parent, their role and, where the
// tree renamed a joint, the name the file gave it.

#include <string>
#include <vector>

#include "bvh_facts.h"
#include "kv_node.h"

namespace Boneplay {
namespace Cli {

// What a node stands for, and its name in the reports.
enum class Role { Top, Joint, EndSite };
const char* roleName(Role role);

struct ClipNode {
  Kvat::Secne::Node* node = nullptr;
  int parent = -1;  // index into the list; -1 for the top node
  int depth = 0;
  Role role = Role::Joint;
  std::string fileName;  // the file's own name where it differs from the node's; else ""
};

// The joint's name as its file writes it, for matching joints across files
// and conversions: the file's own name of a BVH joint; an FBX node's name
// without "Model::" and without its namespace ("Model::Char1:Hips" is
// "Hips").
std::string jointName(const ClipNode& node);

// Walks with an explicit stack, so a deep tree from a file never deepens the
// call stack. With the file's facts, roles and file names come from its
// ROOT, JOINT and End lines; without them (or when they do not match the
// tree), a leaf without channels is taken as an end site.
std::vector<ClipNode> clipNodes(Kvat::Secne::Root& root, const BvhFacts* facts);

// The most samples of any channel (0 without motion).
std::size_t sampleCount(Kvat::Secne::Root& root);
// The time of the last sample at the host's 30 samples per second.
double clipLength(Kvat::Secne::Root& root);

}  // namespace Cli
}  // namespace Boneplay
