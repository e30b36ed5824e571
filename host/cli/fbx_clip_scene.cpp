#include "fbx_clip_scene.h"

#include <cstdio>
#include <new>
#include <set>

#include "fbxsdk/core/ktime.h"
#include "fbxsdk/fileio/kfbx_scene_fields.h"
#include "fbxsdk/scene/kfbx_node.h"
#include "fbxsdk/scene/kfbx_scene_graph.h"
#include "fbxsdk/scene/kfbx_sdk_manager.h"

namespace Boneplay {
namespace Cli {

namespace {

constexpr const char* kReferenceName = "Reference";
constexpr const char* kFirstJointName = "Hips";
// Inherit the parent's whole transform, so that a joint's global matrix is
// its local matrix times its parent's even under a non-uniform scale.
constexpr int kInheritParentTransform = 1;
constexpr const char* kChannelPaths[3][3] = {{"Transform/T/X", "Transform/T/Y", "Transform/T/Z"},
                                             {"Transform/R/X", "Transform/R/Y", "Transform/R/Z"},
                                             {"Transform/S/X", "Transform/S/Y", "Transform/S/Z"}};

const double* channelValues(const LocalTrs& trs, int channel) {
  return channel == 0 ? trs.t : channel == 1 ? trs.r : trs.s;
}

// Ticks exactly as the loader turns a time in seconds into ticks, so that a
// pose at a sample time lands on its key.
KTime sampleTime(double seconds) {
  KTime time;
  time.SetSeconds(seconds);
  return time;
}

KFbxNode* addNode(KFbxSdkManager& manager, KFbxSceneGraph& scene, KFbxNode& parent, const std::string& name,
                  KFbxNodeAttribute* attribute) {
  KFbxNode* node = manager.CreateNode(name.c_str());
  if (!node || !attribute) throw std::bad_alloc();
  node->SetAttribute(attribute);
  node->SetInheritType(kInheritParentTransform);
  parent.AddChild(node);
  scene.AddTakeObject(node);
  return node;
}

// The "Default" take holds the first sample; the take a linear key per sample.
void fillCurves(KFbxNode& node, const ClipSamples& samples, const std::vector<LocalTrs>& tracks, std::size_t joint,
                const std::string& takeName) {
  const std::size_t joints = samples.names.size();
  for (int c = 0; c < 3; ++c)
    for (int axis = 0; axis < 3; ++axis)
      node.GetTakeNode(0)
          ->GetKFCurveNode()
          ->Find(kChannelPaths[c][axis])
          ->FCurveGet()
          ->SetValue(static_cast<float>(channelValues(tracks[joint], c)[axis]));
  TakeNode* take = node.AddTakeNode(takeName.c_str());
  if (!take) throw std::bad_alloc();
  for (int c = 0; c < 3; ++c)
    for (int axis = 0; axis < 3; ++axis) {
      KFCurve* curve = take->GetKFCurveNode()->Find(kChannelPaths[c][axis])->FCurveGet();
      for (std::size_t t = 0; t < samples.times.size(); ++t) {
        const float value = static_cast<float>(channelValues(tracks[t * joints + joint], c)[axis]);
        const int key = curve->KeyAppend(sampleTime(samples.times[t]), value);
        if (key >= 0) curve->KeySetInterpolation(key, KFCURVE_INTERPOLATION_LINEAR);
      }
    }
}

}  // namespace

std::vector<std::string> fbxJointNames(const std::vector<std::string>& names) {
  std::set<std::string> taken{kReferenceName, kFirstJointName};
  std::vector<std::string> out;
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (i == 0) {
      out.push_back(kFirstJointName);
      continue;
    }
    // The loader's names carry "Model::"; the file stores the bare name.
    std::string base = names[i];
    const std::size_t prefix = base.find("::");
    if (prefix != std::string::npos) base = base.substr(prefix + 2);
    if (base.empty()) base = "Joint";
    std::string name = base;
    for (int n = 2; taken.count(name); ++n) name = base + "_" + std::to_string(n);
    taken.insert(name);
    out.push_back(name);
  }
  return out;
}

KFbxSceneGraph* buildClipScene(KFbxSdkManager& manager, const ClipSamples& samples, const std::vector<LocalTrs>& tracks,
                               const std::string& takeName) {
  KFbxSceneGraph* scene = manager.CreateScene();
  if (!scene) throw std::bad_alloc();
  KFbxNode* reference =
      addNode(manager, *scene, *scene->RootNode(), kReferenceName, manager.CreateNull(kReferenceName));
  if (!reference->AddTakeNode(takeName.c_str())) throw std::bad_alloc();
  const std::vector<std::string> names = fbxJointNames(samples.names);
  std::vector<KFbxNode*> nodes;
  for (std::size_t j = 0; j < names.size(); ++j) {
    KFbxNode* parent = samples.parents[j] < 0 ? reference : nodes[samples.parents[j]];
    nodes.push_back(addNode(manager, *scene, *parent, names[j],
                            manager.CreateSkeleton(names[j].c_str(), KFbxSkeleton::eLIMB_NODE)));
    fillCurves(*nodes.back(), samples, tracks, j, takeName);
  }
  KFbxTakeRecord record(takeName.c_str());
  if (!samples.times.empty())
    record.m_xLocalTimeSpan = record.m_xReferenceTimeSpan =
        KTimeSpan(sampleTime(samples.times.front()), sampleTime(samples.times.back()));
  scene->AddTakeInfo(record);
  scene->SelectTake(takeName.c_str());
  return scene;
}

KFbxWriteSection fbxClipSection(const ClipSamples& samples, const std::vector<LocalTrs>& tracks,
                                const FbxClipLayout& layout) {
  KFbxSdkManager manager;
  KFbxSceneGraph* scene = buildClipScene(manager, samples, tracks, layout.takeName);
  KFbxSceneFieldsOptions options;
  options.m_iVersion = layout.version;
  options.m_bTypeField = true;
  KFbxWriteSection section = KFbxSceneToFields(*scene, options).m_xMain;
  if (layout.framesPerSecond > 0) {
    char rate[32];
    std::snprintf(rate, sizeof rate, "%g", layout.framesPerSecond);
    KFbxWriteField settings("Settings");
    settings.Block();
    settings.Child("FrameRate", {KFbxWriteValue::String(rate)});
    section.push_back(std::move(settings));
  }
  return section;
}

}  // namespace Cli
}  // namespace Boneplay
