#pragma once
// What `boneplay pose` and `boneplay info` print about a clip.

#include <ostream>
#include <string>
#include <vector>

#include "clip_loader.h"

namespace Boneplay {
namespace Cli {

struct PoseRequest {
  std::vector<double> times;  // seconds of the host's time
  double scale = 1.0;
};

// Poses the skeleton at each time (identity root matrix) and writes every
// node's world matrix, row-major, in full double precision, with its role
// and, where the tree renamed it, the file's own name. JSON is one line; CSV
// is one row per node and time, under the header written once per output.
void writePoseJson(LoadedClip& clip, const PoseRequest& request, std::ostream& out);
void writePoseCsv(LoadedClip& clip, const PoseRequest& request, std::ostream& out);
void writePoseCsvHeader(std::ostream& out);

// The first joint (in time, then in pre-order) whose world matrix holds a
// number that is not finite, as a sentence naming the joint and the time;
// "" when every pose is finite. CSV writes such numbers as nan, inf and
// -inf, JSON as null.
std::string nonFinitePose(LoadedClip& clip, const PoseRequest& request);

// The skeleton tree with offsets and channels, the samples read and the
// file's own frame count and frame time.
void writeInfo(LoadedClip& clip, std::ostream& out);

// Times 0, 1/30, ... for every sample a BVH clip holds; for an FBX clip the
// distinct key times of its skeleton in the current take.
std::vector<double> everySampleTime(const LoadedClip& clip);

}  // namespace Cli
}  // namespace Boneplay
