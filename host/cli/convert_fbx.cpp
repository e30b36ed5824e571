#include "convert_fbx.h"

#include <algorithm>
#include <cstring>
#include <set>

#include "clip_samples.h"
#include "fbx_choice.h"
#include "fbxsdk/scene/kfbx_node.h"
#include "fbxsdk/scene/kfbx_scene_graph.h"
#include "fbxsdk/scene/kfbx_sdk_manager.h"

namespace Boneplay {
namespace Cli {

namespace {

using Kvat::Secne::FbxRoot;

constexpr const char* kStartName = "Hips";
constexpr const char* kReferenceName = "Reference";

std::vector<KFbxNode*> sceneNodes(const KFbxSceneGraph& scene) {
  std::vector<KFbxNode*> out, pending{scene.RootNode()};
  while (!pending.empty()) {
    KFbxNode* node = pending.back();
    pending.pop_back();
    if (node != scene.RootNode()) out.push_back(node);
    for (int i = node->ChildCount() - 1; i >= 0; --i) pending.push_back(node->Child(i));
  }
  return out;
}

// A bare name no node has yet: base, then base_2, base_3...
std::string unusedName(const std::set<std::string>& taken, const std::string& base) {
  std::string name = base;
  for (int n = 2; taken.count(name); ++n) name = base + "_" + std::to_string(n);
  return name;
}

TakeNode* takeNodeOf(KFbxNode& node, const std::string& take) {
  for (int i = 0; i < node.GetTakeNodeCount(); ++i)
    if (take == node.GetTakeNodeName(i)) return node.GetTakeNode(i);
  return nullptr;
}

// Every key time (ticks) of every curve any node has in the take: keys
// above the skeleton move it too.
std::set<int64_t> keyTimes(const KFbxSceneGraph& scene, const std::string& take) {
  std::set<int64_t> times;
  for (KFbxNode* node : sceneNodes(scene)) {
    TakeNode* takeNode = takeNodeOf(*node, take);
    std::vector<const KFCurveNode*> pending;
    if (takeNode && takeNode->GetKFCurveNode()) pending.push_back(takeNode->GetKFCurveNode());
    while (!pending.empty()) {
      const KFCurveNode* curveNode = pending.back();
      pending.pop_back();
      if (const KFCurve* curve = curveNode->FCurveGet())
        for (int k = 0; k < curve->KeyGetCount(); ++k) times.insert(curve->KeyGet(k).GetTime().Get());
      for (int i = 0; i < curveNode->GetCount(); ++i) pending.push_back(curveNode->Get(i));
    }
  }
  return times;
}

// Key times and the span's ends, in seconds, with the halfway times.
std::vector<double> checkTimes(const KFbxSceneGraph& scene, const std::string& take) {
  std::set<int64_t> ticks = keyTimes(scene, take);
  if (const KFbxTakeRecord* record = scene.FindTakeInfo(take.c_str())) {
    ticks.insert(record->m_xLocalTimeSpan.m_xStart.Get());
    ticks.insert(record->m_xLocalTimeSpan.m_xStop.Get());
  }
  if (ticks.empty()) ticks.insert(0);
  std::vector<double> seconds;
  for (int64_t t : ticks) seconds.push_back(KTime(t).GetSeconds());
  return withMidpoints(seconds);
}

std::string spanText(const KTimeSpan& span) {
  return std::to_string(span.m_xStart.GetSeconds()) + " s to " + std::to_string(span.m_xStop.GetSeconds()) + " s";
}

// Why the copy's record of a take differs from the source's; "" when not.
std::string recordDifference(const KFbxSceneGraph& source, const KFbxSceneGraph& copy, const std::string& take) {
  const KFbxTakeRecord* mine = source.FindTakeInfo(take.c_str());
  const KFbxTakeRecord* theirs = copy.FindTakeInfo(take.c_str());
  if (!mine) return std::string();
  if (!theirs) return "take \"" + take + "\" is missing";
  if (!(mine->m_xLocalTimeSpan == theirs->m_xLocalTimeSpan))
    return "take \"" + take + "\" spans " + spanText(theirs->m_xLocalTimeSpan) + " instead of " +
           spanText(mine->m_xLocalTimeSpan);
  if (!(mine->m_xReferenceTimeSpan == theirs->m_xReferenceTimeSpan))
    return "take \"" + take + "\" has the reference span " + spanText(theirs->m_xReferenceTimeSpan) + " instead of " +
           spanText(mine->m_xReferenceTimeSpan);
  return std::string();
}

}  // namespace

void makeStartTheHips(FbxRoot& clip) {
  KFbxSceneGraph* scene = clip.scene();
  const auto* first = clip.top()->children().empty()
                          ? nullptr
                          : dynamic_cast<const Kvat::Secne::FbxAttribute*>(clip.top()->children().front()->attrib());
  KFbxNode* start = first ? first->fbxNode() : nullptr;
  if (!scene || !start) return;
  std::set<std::string> taken;
  for (KFbxNode* node : sceneNodes(*scene)) taken.insert(KFbxStripNamePrefix(node->Name()).Buffer());
  KFbxNode* top = start;
  while (top->GetParent() && top->GetParent() != scene->RootNode()) top = top->GetParent();
  std::string space;
  if (top == start) {
    const std::string name = unusedName(taken, kReferenceName);
    KFbxNode* reference = clip.manager()->CreateNode(name.c_str());
    if (!reference) throw std::bad_alloc();
    reference->SetAttribute(clip.manager()->CreateNull(name.c_str()));
    taken.insert(name);
    scene->RootNode()->AddChild(reference);
    reference->AddChild(start);
  } else {
    // Loaders look for "Hips" in the namespace of its top-level node.
    const std::string topName = KFbxStripNamePrefix(top->Name()).Buffer();
    const std::size_t colon = topName.rfind(':');
    if (colon != std::string::npos) space = topName.substr(0, colon + 1);
  }
  const std::string wanted = space + kStartName;
  for (KFbxNode* node : sceneNodes(*scene))
    if (node != start && wanted == KFbxStripNamePrefix(node->Name()).Buffer()) {
      const std::string name = unusedName(taken, wanted);
      taken.insert(name);
      node->SetName(name.c_str());
    }
  start->SetName(wanted.c_str());
}

std::vector<std::string> takesToWrite(const FbxRoot& clip, const std::string& only) {
  if (!only.empty()) return {only};
  std::vector<std::string> out;
  for (const std::string& take : fbxTakeList(clip))
    if (take != kDefaultTakeNodeName) out.push_back(take);
  return out;
}

CopyCheck checkFbxCopy(FbxRoot& source, FbxRoot& copy, const std::vector<std::string>& takes) {
  CopyCheck check;
  KFbxSceneGraph& from = *source.scene();
  KFbxSceneGraph& to = *copy.scene();
  const std::string current = from.GetCurrentTakeName();
  std::vector<std::string> all{kDefaultTakeNodeName};
  all.insert(all.end(), takes.begin(), takes.end());
  for (const std::string& take : all) {
    check.error = recordDifference(from, to, take);
    if (!check.error.empty()) break;
    from.SelectTake(take.c_str());
    to.SelectTake(take.c_str());
    const std::vector<double> times = checkTimes(from, take);
    const Deviation d = worstDeviation(source, copy, times);
    if (d.worst < 0.0) {
      check.error = "its skeleton does not have the joints of the source";
      break;
    }
    check.times += times.size();
    if (d.worst >= check.worst) check = {d.worst, take, d.time, check.times, std::string()};
  }
  from.SelectTake(current.c_str());
  to.SelectTake(current.c_str());
  return check;
}

}  // namespace Cli
}  // namespace Boneplay
