#pragma once
// A sampled clip as an FBX scene, laid out for the writer: a "Reference"
// null above the joints, one limb node per joint whose local transform has
// no pre- or post-rotation and inherits its parent's whole transform, and
// one take whose translation, rotation and scale curves hold a linear key
// per sample.

#include <string>
#include <vector>

#include "clip_samples.h"
#include "fbxsdk/fileio/kfbx_writer.h"

class KFbxSceneGraph;
class KFbxSdkManager;

namespace Boneplay {
namespace Cli {

struct FbxClipLayout {
  int version = 6100;  // the file's version (5800 and later: objects and connections)
  std::string takeName = "Take 001";
  double framesPerSecond = 30.0;  // stored in the settings; 0 leaves it out
};

// Joint names as the file stores them (without the "Model::" prefix): the
// first joint is "Hips" so that loaders find the skeleton, and every name is
// unique in the file ("Reference" included), made so by a "_2", "_3"... suffix.
std::vector<std::string> fbxJointNames(const std::vector<std::string>& names);

// The scene, made through the manager (which owns it).
KFbxSceneGraph* buildClipScene(KFbxSdkManager& manager, const ClipSamples& samples, const std::vector<LocalTrs>& tracks,
                               const std::string& takeName);

// The whole file as one section for the writer.
KFbxWriteSection fbxClipSection(const ClipSamples& samples, const std::vector<LocalTrs>& tracks,
                                const FbxClipLayout& layout);

}  // namespace Cli
}  // namespace Boneplay
