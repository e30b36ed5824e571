#include "clip_nodes.h"

#include <algorithm>

#include "attribute_bvh.h"
#include "kv_motion.h"

namespace Boneplay {
namespace Cli {

namespace {

std::vector<ClipNode> preOrder(Kvat::Secne::Node* top) {
  std::vector<ClipNode> out;
  std::vector<std::pair<Kvat::Secne::Node*, int>> stack{{top, -1}};
  while (!stack.empty()) {
    const auto [node, parent] = stack.back();
    stack.pop_back();
    ClipNode entry;
    entry.node = node;
    entry.parent = parent;
    entry.depth = parent < 0 ? 0 : out[parent].depth + 1;
    out.push_back(entry);
    const int index = static_cast<int>(out.size()) - 1;
    const auto& children = node->children();
    for (auto child = children.rbegin(); child != children.rend(); ++child) stack.push_back({*child, index});
  }
  return out;
}

bool hasChannels(const Kvat::Secne::Node* node) {
  const auto* bvh = dynamic_cast<const Kvat::Secne::AttributeBvh*>(node->attrib());
  return bvh && !bvh->channels().empty();
}

// The sibling rule appends " (n)" to a repeated name; the file's name may
// also hold characters the reader split it at.
bool fileNameFits(const std::string& nodeName, const std::string& fileName) {
  if (nodeName == fileName) return true;
  if (nodeName.compare(0, fileName.size(), fileName) == 0 && nodeName.size() > fileName.size() + 3 &&
      nodeName.compare(fileName.size(), 2, " (") == 0)
    return true;
  return !isDialectName(fileName) && fileName.compare(0, nodeName.size(), nodeName) == 0;
}

// Node 1 is the ROOT joint (the tree calls it "Root"); nodes from 2 on were
// made by JOINT and End lines in file order. False when the file's lines do
// not match the tree, so that nothing wrong is claimed.
bool applyFacts(std::vector<ClipNode>& nodes, const BvhFacts& facts) {
  std::vector<const BvhJointLine*> roots, blocks;
  for (const BvhJointLine& j : facts.joints) (j.keyword == BvhJointLine::Keyword::Root ? roots : blocks).push_back(&j);
  if (nodes.size() < 2 || roots.empty() || nodes.size() - 2 > blocks.size()) return false;
  for (std::size_t i = 2; i < nodes.size(); ++i)
    if (!fileNameFits(nodes[i].node->name(), blocks[i - 2]->name)) return false;
  if (nodes[1].node->name() != roots.front()->name) nodes[1].fileName = roots.front()->name;
  for (std::size_t i = 2; i < nodes.size(); ++i) {
    const BvhJointLine& line = *blocks[i - 2];
    if (line.keyword == BvhJointLine::Keyword::End) nodes[i].role = Role::EndSite;
    if (nodes[i].node->name() != line.name) nodes[i].fileName = line.name;
  }
  return true;
}

}  // namespace

std::string jointName(const ClipNode& node) {
  if (!node.fileName.empty()) return node.fileName;
  std::string name = node.node->name();
  if (!dynamic_cast<const Kvat::Secne::AttributeBvh*>(node.node->attrib())) {
    const std::size_t prefix = name.find("::");
    if (prefix != std::string::npos) name = name.substr(prefix + 2);
    const std::size_t colon = name.find_last_of(':');
    if (colon != std::string::npos && colon + 1 < name.size()) name = name.substr(colon + 1);
  }
  return name;
}

const char* roleName(Role role) {
  switch (role) {
    case Role::Top:
      return "top";
    case Role::EndSite:
      return "end site";
    case Role::Joint:
      break;
  }
  return "joint";
}

std::vector<ClipNode> clipNodes(Kvat::Secne::Root& root, const BvhFacts* facts) {
  std::vector<ClipNode> nodes = preOrder(root.top());
  nodes.front().role = Role::Top;
  if (facts && applyFacts(nodes, *facts)) return nodes;
  for (std::size_t i = 1; i < nodes.size(); ++i) {
    nodes[i].fileName.clear();
    const bool leaf = nodes[i].node->children().empty();
    nodes[i].role = leaf && i > 1 && !hasChannels(nodes[i].node) ? Role::EndSite : Role::Joint;
  }
  return nodes;
}

std::size_t sampleCount(Kvat::Secne::Root& root) {
  std::size_t n = 0;
  for (const ClipNode& c : preOrder(root.top()))
    if (auto* bvh = dynamic_cast<Kvat::Secne::AttributeBvh*>(c.node->attrib()))
      for (Kvat::Motion::Fx* fx : bvh->channels()) n = std::max(n, fx->function()->samples().size());
  return n;
}

double clipLength(Kvat::Secne::Root& root) {
  const std::size_t n = sampleCount(root);
  return n > 1 ? static_cast<double>(n - 1) * Kvat::Motion::FxPlot::kSamplingInterval : 0.0;
}

}  // namespace Cli
}  // namespace Boneplay
