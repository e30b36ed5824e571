#pragma once
// What `info` tells of an FBX 7.x clip beside what it tells of any FBX
// clip: the file's version and encoding, that boneplay's own reader read
// it (the module refuses 7.x files), and the layers of every animation
// stack, of which only the first makes the take.

#include <nlohmann/json.hpp>
#include <ostream>

#include "fbxsdk/fileio7/kfbx7_reader.h"

namespace Boneplay {
namespace Cli {

// The "format:" and "layers:" lines.
void writeFbx7Summary(const KFbx7FileInfo& info, std::ostream& out);
// "fbx_version", "fbx_encoding" and "stacks" (name, layers) of the JSON object.
void addFbx7Json(const KFbx7FileInfo& info, nlohmann::ordered_json& doc);

}  // namespace Cli
}  // namespace Boneplay
