#pragma once
// `boneplay convert`: writes any clip the program reads as an FBX file
// (5.8, 6.1, or 7.x through our 7.x writer) or as a BVH file, streamed as
// it is made, under a temporary name; reads the file back, checks that it
// poses like the source, and only then gives it its name. A BVH clip is
// written to FBX with a linear key per sample; an FBX clip as the scene it
// is (see convert_fbx.h); any clip to BVH as rows (see convert_bvh.h).

#include <string>

#include "clip_commands.h"

namespace Boneplay {
namespace Cli {

struct ConvertRequest {
  std::string clip;
  std::string output;
  bool ascii = false;
  int version = 6100;  // FBX: 6100, 5800, 7400 or 7500
  double fps = 0.0;    // BVH: rows per second; 0 for the clip's own rate
  std::string take;    // FBX clips: write only this take (exact name); empty: every take
  std::string root;    // FBX clips: the node to make the file's "Hips"; empty: "Hips" itself
};

// The round trip must pose within this fraction of the skeleton's size.
constexpr double kRoundTripTolerance = 1e-5;

// Returns the exit status: 0, or 1 (the clip cannot be read or, with
// --strict, has warnings; the file cannot be written; or the written file
// does not pose like the source: then no file is left; one line on stderr
// names the file and the fault), or 2 (a usage error). On success one line
// on stdout gives the joints, samples or takes and the worst deviation of
// the round trip.
int runConvert(const ConvertRequest& request, const GlobalOptions& global);

}  // namespace Cli
}  // namespace Boneplay
