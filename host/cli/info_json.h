#pragma once
// `boneplay info --format json`: what `info` shows, for pipelines. One JSON
// object on one line per clip:
//   {"file", "kind", "takes" (null for BVH), "samples", "samples_per_second",
//    "duration", "declared_frames", "frame_time", "rows",
//    "duration_at_file_rate", "nodes": [{"name", "parent", "role",
//    "file_name" (only where the tree renamed the joint), "offset",
//    "channels"}], "warnings"}
// A number the file does not declare is null.

#include <ostream>

#include "clip_loader.h"

namespace Boneplay {
namespace Cli {

void writeInfoJson(LoadedClip& clip, std::ostream& out);

}  // namespace Cli
}  // namespace Boneplay
