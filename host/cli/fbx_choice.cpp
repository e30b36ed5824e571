#include "fbx_choice.h"

#include <algorithm>

#include "fbxsdk/scene/kfbx_node.h"
#include "fbxsdk/scene/kfbx_scene_graph.h"

namespace Boneplay {
namespace Cli {

namespace {

using Kvat::Secne::FbxRoot;

// Names listed in a message; the rest are counted.
constexpr std::size_t kListedNames = 12;

std::string quotedList(const std::vector<std::string>& names) {
  std::string out;
  for (std::size_t i = 0; i < names.size() && i < kListedNames; ++i) out += (i ? ", \"" : "\"") + names[i] + "\"";
  if (names.size() > kListedNames) out += " and " + std::to_string(names.size() - kListedNames) + " more";
  return out;
}

bool endsWithHips(const std::string& name) {
  if (name.size() < 4) return false;
  std::string tail = name.substr(name.size() - 4);
  std::transform(tail.begin(), tail.end(), tail.begin(), [](unsigned char c) { return std::tolower(c); });
  return tail == "hips";
}

}  // namespace

std::vector<std::string> fbxTakeList(const FbxRoot& root) {
  std::vector<std::string> out;
  for (const auto& name : root.takeNames()) out.emplace_back(name->Buffer());
  if (const KFbxSceneGraph* scene = root.scene())
    for (int i = 0; i < scene->GetTakeInfoCount(); ++i) {
      const std::string name = scene->GetTakeInfo(i)->m_xName.Buffer();
      if (std::find(out.begin(), out.end(), name) == out.end()) out.push_back(name);
    }
  return out;
}

std::string chooseFbxTake(FbxRoot& root, const std::string& take) {
  const std::vector<std::string> takes = fbxTakeList(root);
  if (!root.scene() || std::find(takes.begin(), takes.end(), take) == takes.end())
    return "it has no take \"" + take + "\"; its takes: " + quotedList(takes);
  root.scene()->SelectTake(take.c_str());
  return std::string();
}

std::string chooseFbxRoot(FbxRoot& root, const std::string& node) {
  KFbxSceneGraph* scene = root.scene();
  KFbxNode* start = scene ? scene->RootNode()->FindDescendant(node.c_str()) : nullptr;
  if (!start) return "it has no node \"" + node + "\" to start the skeleton at" + fbxStartCandidates(root);
  root.startSkeletonAt(start);
  return std::string();
}

std::string fbxStartCandidates(const FbxRoot& root) {
  const KFbxSceneGraph* scene = root.scene();
  if (!scene) return std::string();
  std::vector<std::string> top, hips;
  std::vector<const KFbxNode*> pending;
  for (int i = scene->RootNode()->ChildCount() - 1; i >= 0; --i) {
    top.emplace_back(scene->RootNode()->Child(i)->Name());
    pending.push_back(scene->RootNode()->Child(i));
  }
  std::reverse(top.begin(), top.end());
  while (!pending.empty()) {
    const KFbxNode* node = pending.back();
    pending.pop_back();
    if (endsWithHips(node->Name())) hips.emplace_back(node->Name());
    for (int i = node->ChildCount() - 1; i >= 0; --i) pending.push_back(node->Child(i));
  }
  std::string out;
  if (!top.empty()) out += "; its top-level models: " + quotedList(top);
  if (!hips.empty()) out += "; nodes named like hips: " + quotedList(hips);
  if (!top.empty()) out += "; name the skeleton's first joint with --root";
  return out;
}

}  // namespace Cli
}  // namespace Boneplay
