#include "fbx_report.h"

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <set>

#include "fbx_choice.h"
#include "fbxsdk/scene/kfbx_node.h"
#include "fbxsdk/scene/kfbx_scene_graph.h"

namespace Boneplay {
namespace Cli {

namespace {

using Kvat::Secne::FbxAttribute;
using Kvat::Secne::FbxRoot;

// The FBX nodes the skeleton's joints follow, in pre-order.
std::vector<KFbxNode*> jointNodes(const FbxRoot& root) {
  std::vector<KFbxNode*> out;
  std::vector<Kvat::Secne::Node*> pending{root.top()};
  while (!pending.empty()) {
    Kvat::Secne::Node* node = pending.back();
    pending.pop_back();
    if (auto* joint = dynamic_cast<FbxAttribute*>(node->attrib()))
      if (joint->fbxNode()) out.push_back(joint->fbxNode());
    for (auto it = node->children().rbegin(); it != node->children().rend(); ++it) pending.push_back(*it);
  }
  return out;
}

// A curve's key times, which come in time order, merged into the sorted
// times. Only a curve that would pass the limit is taken key by key,
// stopping at the first new time beyond it; false then.
bool mergeKeyTimes(const KFCurve& curve, std::vector<int64_t>& times, std::size_t limit) {
  std::vector<int64_t> curveTimes;
  curveTimes.reserve(static_cast<std::size_t>(curve.KeyGetCount()));
  for (int k = 0; k < curve.KeyGetCount(); ++k) curveTimes.push_back(curve.KeyGet(k).GetTime().Get());
  // The curves of one clip mostly share their times: nothing to merge then.
  if (std::includes(times.begin(), times.end(), curveTimes.begin(), curveTimes.end())) return true;
  std::vector<int64_t> merged;
  merged.reserve(times.size() + curveTimes.size());
  std::set_union(times.begin(), times.end(), curveTimes.begin(), curveTimes.end(), std::back_inserter(merged));
  if (merged.size() <= limit) {
    times.swap(merged);
    return true;
  }
  for (int64_t t : curveTimes) {
    const auto at = std::lower_bound(times.begin(), times.end(), t);
    if (at != times.end() && *at == t) continue;
    if (times.size() >= limit) return false;
    times.insert(at, t);
  }
  return true;
}

// Every key time of every curve in a take's curve tree, into the sorted times.
void collectKeyTimes(KFCurveNode* top, std::vector<int64_t>& times, std::size_t limit, bool& truncated) {
  std::vector<KFCurveNode*> pending{top};
  while (!pending.empty()) {
    KFCurveNode* node = pending.back();
    pending.pop_back();
    if (const KFCurve* curve = node->FCurveGet())
      if (!mergeKeyTimes(*curve, times, limit)) {
        truncated = true;
        return;
      }
    for (int i = 0; i < node->GetCount(); ++i) pending.push_back(node->Get(i));
  }
}

// Links listed one by one; the rest are counted.
constexpr std::size_t kListedLinks = 10;

// What standing at the top costs a model whose parent link was dropped: the
// models of its subtree, unless the skeleton starts inside it.
std::string outsideTheSkeleton(KFbxNode* node, const std::set<const KFbxNode*>& joints) {
  if (!node) return std::string();
  std::size_t count = 0;
  std::vector<KFbxNode*> pending{node};
  while (!pending.empty()) {
    KFbxNode* n = pending.back();
    pending.pop_back();
    if (joints.count(n)) return std::string();
    ++count;
    for (int i = 0; i < n->ChildCount(); ++i) pending.push_back(n->Child(i));
  }
  const std::string name = node->Name();
  if (count == 1) return "; " + name + " stands outside the skeleton";
  return "; " + name + " and the " + std::to_string(count - 1) + (count == 2 ? " model" : " models") +
         " below it stand outside the skeleton";
}

std::string seconds(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3f", value);
  return text;
}

}  // namespace

const FbxRoot* asFbxRoot(const Kvat::Secne::Root& root) { return dynamic_cast<const FbxRoot*>(&root); }

std::string fbxLoadFailure(const FbxRoot& root) {
  const std::string because = root.importMessage().empty() ? std::string() : ": " + root.importMessage();
  switch (root.outcome()) {
    case FbxRoot::Outcome::kSkeleton:
      return std::string();
    case FbxRoot::Outcome::kNoScene:
      return "the FBX library could not make a scene to read it into";
    case FbxRoot::Outcome::kOpenFailed:
      return "the FBX importer cannot open it" + because;
    case FbxRoot::Outcome::kImportFailed:
      return "the FBX importer cannot read it" + because;
    case FbxRoot::Outcome::kNoTakes:
      return "the scene it gives has no takes";
    case FbxRoot::Outcome::kNoSkeletonNode:
      return "it holds no skeleton (no model is a limb, limb node, root or effector)";
    case FbxRoot::Outcome::kNoHips:
      return "it has skeleton models but no \"Hips\" below a top-level model, where a skeleton starts";
  }
  return "unknown failure";
}

bool fbxTakeSpan(const FbxRoot& root, double& start, double& stop) {
  KFbxSceneGraph* scene = root.scene();
  const std::string take = scene ? scene->GetCurrentTakeName() : "";
  const KFbxTakeRecord* record = scene && !take.empty() ? scene->FindTakeInfo(take.c_str()) : nullptr;
  if (record && record->m_xLocalTimeSpan.m_xStop > record->m_xLocalTimeSpan.m_xStart) {
    start = record->m_xLocalTimeSpan.m_xStart.GetSeconds();
    stop = record->m_xLocalTimeSpan.m_xStop.GetSeconds();
    return true;
  }
  bool truncated = false;
  const std::vector<double> keys = fbxKeyTimes(root, static_cast<std::size_t>(-1), truncated);
  if (keys.empty()) return false;
  start = keys.front();
  stop = keys.back();
  return true;
}

std::vector<double> fbxKeyTimes(const FbxRoot& root, std::size_t limit, bool& truncated) {
  truncated = false;
  std::vector<int64_t> times;
  for (KFbxNode* node : jointNodes(root)) {
    TakeNode* take = node->GetCurrentTakeNode();
    if (take && take->GetKFCurveNode()) collectKeyTimes(take->GetKFCurveNode(), times, limit, truncated);
    if (truncated) break;
  }
  std::vector<double> out;
  out.reserve(times.size());
  for (int64_t t : times) out.push_back(KTime(t).GetSeconds());
  return out;
}

std::vector<std::string> fbxLinkWarnings(const FbxRoot& root) {
  std::vector<std::string> out;
  const KFbxSceneGraph* scene = root.scene();
  if (!scene || scene->GetDroppedLinkCount() == 0) return out;
  const std::vector<KFbxNode*> jointList = jointNodes(root);
  const std::set<const KFbxNode*> joints(jointList.begin(), jointList.end());
  const auto& links = scene->GetDroppedLinks();
  for (std::size_t i = 0; i < links.size() && i < kListedLinks; ++i) {
    const KFbxDroppedLink& link = links[i];
    const std::string child = link.m_xChild.Buffer(), parent = link.m_xParent.Buffer();
    KFbxNode* node = scene->RootNode()->FindDescendant(child.c_str());
    switch (link.m_eKind) {
      case KFbxDroppedLink::eSELF:
        out.push_back("model " + child + " is linked to itself: the link was ignored and it has no parent" +
                      outsideTheSkeleton(node, joints));
        break;
      case KFbxDroppedLink::eCYCLE:
        out.push_back("the link of model " + child + " to " + parent + " closes a cycle: it was cut and " + child +
                      " has no parent" + outsideTheSkeleton(node, joints));
        break;
      case KFbxDroppedLink::eSECOND_PARENT: {
        const KFbxNode* kept = node ? node->GetParent() : nullptr;
        out.push_back("model " + child + " is linked to a second parent " + parent + ": that link was ignored" +
                      (kept ? std::string(" and it stays below ") + kept->Name() : std::string()));
        break;
      }
    }
  }
  const int more = scene->GetDroppedLinkCount() - static_cast<int>(std::min(links.size(), kListedLinks));
  if (more > 0) out.push_back(std::to_string(more) + " more parent links of the file were dropped");
  return out;
}

std::vector<FbxTakeFacts> fbxTakeFacts(const FbxRoot& root) {
  std::vector<FbxTakeFacts> out;
  KFbxSceneGraph* scene = root.scene();
  if (!scene) return out;
  const std::string shown = scene->GetCurrentTakeName();
  for (const std::string& name : fbxTakeList(root)) {
    FbxTakeFacts facts;
    facts.name = name;
    facts.shown = name == shown;
    facts.moduleChoice = name == root.currentTakeName();
    facts.fileCurrent = name == scene->GetFileCurrentTakeName();
    scene->SelectTake(name.c_str());
    facts.spanned = fbxTakeSpan(root, facts.start, facts.stop);
    bool truncated = false;
    facts.keyTimes = fbxKeyTimes(root, static_cast<std::size_t>(-1), truncated).size();
    out.push_back(facts);
  }
  scene->SelectTake(shown.c_str());
  return out;
}

void writeFbxSummary(const FbxRoot& root, std::ostream& out) {
  const std::vector<FbxTakeFacts> takes = fbxTakeFacts(root);
  out << "takes:";
  for (std::size_t i = 0; i < takes.size(); ++i)
    out << (i ? ", " : " ") << '"' << takes[i].name << '"' << (takes[i].shown ? " (current)" : "");
  out << "\n";
  for (const FbxTakeFacts& take : takes) {
    out << "take \"" << take.name << "\": ";
    if (take.spanned) out << seconds(take.start) << " s to " << seconds(take.stop) << " s, ";
    out << (take.keyTimes ? std::to_string(take.keyTimes) + " key times" : std::string("no keys"));
    if (take.moduleChoice) out << "; the module plays it";
    if (take.fileCurrent) out << "; the file's current take";
    out << "\n";
  }
  const auto& joints = root.top()->children();
  out << "skeleton start: " << (joints.empty() ? std::string("none") : joints.front()->name()) << "\n";
  double start = 0, stop = 0;
  if (fbxTakeSpan(root, start, stop))
    out << "span: " << seconds(start) << " s to " << seconds(stop) << " s\n";
  else
    out << "span: none (the take has no keys)\n";
  if (root.skippedJoints() > 0)
    out << "left out: " << root.skippedJoints() << " joint subtrees deeper than " << Kvat::Secne::kMaxFbxJointDepth
        << " levels\n";
}

}  // namespace Cli
}  // namespace Boneplay
