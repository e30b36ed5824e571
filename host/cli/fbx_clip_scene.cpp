#include "fbx_clip_scene.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <new>
#include <set>

#include "attribute_bvh.h"
#include "clip_samples.h"
#include "fbxsdk/core/ktime.h"
#include "fbxsdk/scene/kfbx_node.h"
#include "fbxsdk/scene/kfbx_scene_graph.h"
#include "fbxsdk/scene/kfbx_sdk_manager.h"

namespace Boneplay {
namespace Cli {

namespace {

constexpr const char* kReferenceName = "Reference";
constexpr const char* kFirstJointName = "Hips";
// Inherit the parent's whole transform, as a BVH joint does: its world
// matrix is its local matrix times its parent's, even under a non-uniform
// scale.
constexpr int kInheritParentTransform = eINHERIT_RSrs;
enum Channel { kTranslation, kRotation, kScaling };
constexpr const char* kChannelPaths[3][3] = {{"Transform/T/X", "Transform/T/Y", "Transform/T/Z"},
                                             {"Transform/R/X", "Transform/R/Y", "Transform/R/Z"},
                                             {"Transform/S/X", "Transform/S/Y", "Transform/S/Z"}};
constexpr const char* kLocalProperties[3] = {"Lcl Translation", "Lcl Rotation", "Lcl Scaling"};
// FBX rotation orders by the axes in the order they act on a point.
struct OrderEntry {
  int axes[3];
  int order;
};
constexpr OrderEntry kRotationOrders[] = {{{0, 1, 2}, eEULER_XYZ}, {{0, 2, 1}, eEULER_XZY}, {{1, 2, 0}, eEULER_YZX},
                                          {{1, 0, 2}, eEULER_YXZ}, {{2, 0, 1}, eEULER_ZXY}, {{2, 1, 0}, eEULER_ZYX}};

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

void setProperty(KFbxNode& node, const char* name, const double* values, int count) {
  KProperty* property = node.GetProperties().Find(name);
  for (int i = 0; i < count; ++i) property->SetComponent(i, values[i]);
}

// The order whose axes act in this order; the axes a joint has no channel
// for come after its own (their angle is 0, so where does not matter).
int rotationOrder(std::vector<int> axes) {
  for (int a = 0; a < 3; ++a)
    if (std::find(axes.begin(), axes.end(), a) == axes.end()) axes.push_back(a);
  for (const OrderEntry& entry : kRotationOrders)
    if (std::equal(axes.begin(), axes.end(), entry.axes)) return entry.order;
  return eEULER_XYZ;
}

double sampleAt(const Kvat::Motion::FxPlot& plot, std::size_t k) {
  const auto& samples = plot.samples();
  return samples.empty() ? 0.0 : samples[std::min(k, samples.size() - 1)];
}

}  // namespace

// Where the keys of a joint's nine curves come from: a channel's samples,
// the rotation baked at each sample, or nothing (the curve keeps its
// default value).
struct BvhClipScene::Joint {
  KFbxNode* node = nullptr;
  Kvat::Secne::AttributeBvh* bvh = nullptr;
  const Kvat::Motion::FxPlot* plots[3][3] = {};
  bool bakedRotation = false;
  int order = eEULER_XYZ;
  bool scaled = false;

  explicit Joint(Kvat::Secne::AttributeBvh* attribute) : bvh(attribute) {
    if (!bvh) return;
    std::vector<int> rotations;
    const std::vector<int32_t>& codes = bvh->channelCodes();
    for (std::size_t i = 0; i < codes.size(); ++i) {
      const Kvat::Motion::FxPlot* plot = bvh->channels()[i]->function();
      const int32_t code = codes[i];
      if (code & 0xF0) {
        rotations.push_back(((code & 0xF0) >> 4) - 1);
        plots[kRotation][rotations.back()] = plot;
      } else if (code >= 1 && code <= 3) {
        plots[kTranslation][code - 1] = plot;  // the last of an axis counts, as in the clip
      } else if (code == 0x100 || code == 0x200 || code == 0x300) {
        plots[kScaling][(code >> 8) - 1] = plot;
        scaled = true;
      }
    }
    // The channel listed last acts first.
    std::reverse(rotations.begin(), rotations.end());
    std::vector<int> distinct = rotations;
    std::sort(distinct.begin(), distinct.end());
    bakedRotation = std::unique(distinct.begin(), distinct.end()) != distinct.end() || rotations.size() > 3;
    if (bakedRotation)
      for (const Kvat::Motion::FxPlot*& plot : plots[kRotation]) plot = nullptr;
    else
      order = rotationOrder(rotations);
  }

  bool keyed(int channel, int axis) const { return plots[channel][axis] || (channel == kRotation && bakedRotation); }

  // What a curve without keys holds: the offset (on the translation curves
  // of a joint without position channels), no turn, and a scale of 1, or
  // of 0 on an axis without a channel when others have one (the clip
  // collapses that axis).
  double unkeyedValue(int channel, int axis) const {
    if (channel == kTranslation) return hasPositions() || !bvh ? 0.0 : offset()[axis];
    return channel == kScaling && !scaled ? 1.0 : 0.0;
  }

  std::array<double, 3> offset() const {
    const Kvat::Vector3& o = bvh->offset();
    return {o.x, o.y, o.z};
  }

  bool hasPositions() const { return plots[kTranslation][0] || plots[kTranslation][1] || plots[kTranslation][2]; }

  // The curve values at sample k: channel values as they are; a baked
  // rotation from the joint's local matrix, continuing previousR.
  void values(std::size_t k, double time, const double* previousR, double out[3][3]) const {
    for (int c = 0; c < 3; ++c)
      for (int a = 0; a < 3; ++a) out[c][a] = plots[c][a] ? sampleAt(*plots[c][a], k) : unkeyedValue(c, a);
    if (!bakedRotation) return;
    bvh->evaluate(time);
    const Kvat::Matrix4& local = bvh->local();
    double e[3][3];
    for (int r = 0; r < 3; ++r) {
      const double length =
          std::sqrt(local(r, 0) * local(r, 0) + local(r, 1) * local(r, 1) + local(r, 2) * local(r, 2));
      for (int c = 0; c < 3; ++c) e[r][c] = length > 0.0 ? local(r, c) / length : (r == c ? 1.0 : 0.0);
    }
    eulerXyz(e, previousR, out[kRotation]);
  }
};

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

BvhClipScene::BvhClipScene(KFbxSdkManager& manager, const Kvat::Secne::Root& clip, const std::vector<double>& times,
                           const std::string& takeName)
    : m_times(times) {
  m_scene = manager.CreateScene();
  if (!m_scene) throw std::bad_alloc();
  KFbxNode* reference =
      addNode(manager, *m_scene, *m_scene->RootNode(), kReferenceName, manager.CreateNull(kReferenceName));
  if (!reference->AddTakeNode(takeName.c_str())) throw std::bad_alloc();
  const ClipJoints joints = clipJoints(clip);
  std::vector<std::string> sourceNames;
  for (const Kvat::Secne::Node* node : joints.nodes) sourceNames.push_back(node->name());
  const std::vector<std::string> names = fbxJointNames(sourceNames);
  for (std::size_t j = 0; j < names.size(); ++j) {
    KFbxNode* parent = joints.parents[j] < 0 ? reference : m_joints[joints.parents[j]]->node;
    auto joint = std::make_unique<Joint>(dynamic_cast<Kvat::Secne::AttributeBvh*>(joints.nodes[j]->attrib()));
    KFbxNode* node = addNode(manager, *m_scene, *parent, names[j],
                             manager.CreateSkeleton(names[j].c_str(), KFbxSkeleton::eLIMB_NODE));
    joint->node = node;
    if (joint->bakedRotation) m_baked.push_back(joints.nodes[j]->name());
    // The first sample stands in the properties and in every curve's default.
    double first[3][3];
    joint->values(0, times.empty() ? 0.0 : times.front(), nullptr, first);
    for (int c = 0; c < 3; ++c) setProperty(*node, kLocalProperties[c], first[c], 3);
    if (joint->hasPositions()) {
      setProperty(*node, "RotationOffset", joint->offset().data(), 3);
    }
    if (joint->order != eEULER_XYZ) {
      // The order takes part only in a rotation space: active, with no limit.
      const double on = 1.0, order = joint->order;
      setProperty(*node, "RotationActive", &on, 1);
      setProperty(*node, "RotationOrder", &order, 1);
    }
    node->GetProperties().SyncEvaluationState();
    for (int c = 0; c < 3; ++c)
      for (int a = 0; a < 3; ++a)
        node->GetTakeNode(0)
            ->GetKFCurveNode()
            ->Find(kChannelPaths[c][a])
            ->FCurveGet()
            ->SetValue(static_cast<float>(first[c][a]));
    if (!node->AddTakeNode(takeName.c_str())) throw std::bad_alloc();
    m_byNode[node] = joint.get();
    m_joints.push_back(std::move(joint));
  }
  KFbxTakeRecord record(takeName.c_str());
  if (!times.empty())
    record.m_xLocalTimeSpan = record.m_xReferenceTimeSpan =
        KTimeSpan(sampleTime(times.front()), sampleTime(times.back()));
  m_scene->AddTakeInfo(record);
  m_scene->SelectTake(takeName.c_str());
}

BvhClipScene::~BvhClipScene() = default;

void BvhClipScene::TakeNodeBegin(KFbxNode& node, TakeNode& take) {
  auto it = m_byNode.find(&node);
  if (it == m_byNode.end()) return;
  const Joint& joint = *it->second;
  KFCurve* curves[3][3] = {};
  for (int c = 0; c < 3; ++c)
    for (int a = 0; a < 3; ++a)
      if (joint.keyed(c, a)) curves[c][a] = take.GetKFCurveNode()->Find(kChannelPaths[c][a])->FCurveGet();
  double values[3][3], previous[3] = {0, 0, 0};
  for (std::size_t k = 0; k < m_times.size(); ++k) {
    joint.values(k, m_times[k], k > 0 ? previous : nullptr, values);
    std::copy(values[kRotation], values[kRotation] + 3, previous);
    const KTime time = sampleTime(m_times[k]);
    for (int c = 0; c < 3; ++c)
      for (int a = 0; a < 3; ++a)
        if (KFCurve* curve = curves[c][a]) {
          const int key = curve->KeyAppend(time, static_cast<float>(values[c][a]));
          if (key >= 0) curve->KeySetInterpolation(key, KFCURVE_INTERPOLATION_LINEAR);
        }
  }
}

void BvhClipScene::TakeNodeEnd(KFbxNode&, TakeNode& take) {
  for (const auto& row : kChannelPaths)
    for (const char* path : row)
      if (KFCurveNode* curveNode = take.GetKFCurveNode()->Find(path))
        if (KFCurve* curve = curveNode->FCurveGet()) curve->KeyClear();
}

}  // namespace Cli
}  // namespace Boneplay
