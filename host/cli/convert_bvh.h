#pragma once
// `convert CLIP -o OUT.bvh`: any clip written as BVH. The skeleton becomes
// the hierarchy (each joint's offset its translation from its parent in the
// rest pose: a BVH clip's own offsets, an FBX clip's "Default" take), the
// first joint a ROOT with position and rotation channels, every joint
// rotation channels ("Zrotation Yrotation Xrotation": X acts first), and
// leaves end sites. Each row samples the chosen take at the rate asked for
// (default: an FBX clip's key rate where its keys are evenly spaced, else
// 30 per second). A joint whose translation from its parent moves gets
// position channels, one that scales gets scale channels; a shear (a
// parent's scale seen through the child's rotation, as inherit types make)
// has no BVH form and is baked into the nearest rotation and scale, and
// the deviation that leaves is reported.

#include <string>

#include "clip_loader.h"

namespace Boneplay {
namespace Cli {

struct BvhOutcome {
  std::string error;    // why nothing was written; empty on success
  std::string summary;  // joints, rows, rate and the round trip's worst deviation
  std::string warning;  // what BVH could not hold, with its worst deviation; empty when all of it
};

// Writes the clip to path (rows per second fps, 0 for the default), reads
// the file back with the BVH reader and compares it with the clip at every
// row: within tolerance of the skeleton's size, or only a reported
// deviation where the clip shears.
BvhOutcome writeClipAsBvh(LoadedClip& clip, const std::string& path, double fps, double tolerance);

}  // namespace Cli
}  // namespace Boneplay
