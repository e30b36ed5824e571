#pragma once
// A BVH clip as an FBX scene, laid out for the writer: a "Reference" null
// above the joints and one limb node per joint, each inheriting its
// parent's whole transform, and one take with a linear key per sample on
// each curve a channel drives. The keys hold the channels' own values:
// the rotation order is the channels' (the one listed last acts first),
// positions go on the translation curves and the joint's offset beside
// them in the rotation offset, which the reader adds in double precision.
// So the 32-bit key values are the file's own numbers, and a chain of
// joints poses in the file as in the clip at every sample and, the keys
// being linear like the clip's samples, in between.
//
// The keys are made while the file is written (the scene is the writer's
// key source), one joint at a time: the scene never holds more.

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "fbxsdk/fileio/kfbx_scene_fields.h"
#include "kv_node.h"

class KFbxSceneGraph;
class KFbxSdkManager;

namespace Boneplay {
namespace Cli {

// Joint names as the file stores them (without the "Model::" prefix): the
// first joint is "Hips" so that loaders find the skeleton, and every name is
// unique in the file ("Reference" included), made so by a "_2", "_3"... suffix.
std::vector<std::string> fbxJointNames(const std::vector<std::string>& names);

class BvhClipScene : public KFbxSceneKeySource {
 public:
  // The clip's joints below its top node, sampled at the times (seconds,
  // sample k at index k of every channel).
  BvhClipScene(KFbxSdkManager& manager, const Kvat::Secne::Root& clip, const std::vector<double>& times,
               const std::string& takeName);
  ~BvhClipScene() override;

  KFbxSceneGraph& scene() const { return *m_scene; }
  // Joints whose rotation channels no FBX rotation order holds (an axis
  // listed twice, or more than three): their rotations are baked into
  // X-Y-Z angles at each sample, exact there but not in between.
  const std::vector<std::string>& bakedJoints() const { return m_baked; }

  void TakeNodeBegin(KFbxNode& node, TakeNode& take) override;
  void TakeNodeEnd(KFbxNode& node, TakeNode& take) override;

  struct Joint;

 private:
  KFbxSceneGraph* m_scene = nullptr;  // owned by the manager
  std::vector<double> m_times;
  std::vector<std::unique_ptr<Joint>> m_joints;
  std::unordered_map<const KFbxNode*, Joint*> m_byNode;
  std::vector<std::string> m_baked;
};

}  // namespace Cli
}  // namespace Boneplay
