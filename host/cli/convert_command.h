#pragma once
// `boneplay convert`: writes any clip the program reads as an FBX file
// through our own writer, then reads the file back and checks that it poses
// like the source at every sample.

#include <string>

#include "clip_commands.h"

namespace Boneplay {
namespace Cli {

struct ConvertRequest {
  std::string clip;
  std::string output;
  bool ascii = false;
  int version = 6100;  // 6100 or 5800
};

// The most keys a conversion writes (nine per joint per sample): the writer
// holds every key as fields, about 250 bytes each, before the file is
// written. Four million is a 60-joint clip of four minutes at 30 per second.
constexpr std::size_t kMaxConvertKeys = 4000000;
// The round trip must pose within this fraction of the skeleton's size.
constexpr double kRoundTripTolerance = 1e-5;

// Returns the exit status: 0, or 1 (the clip cannot be read or, with
// --strict, has warnings; the file cannot be written; or the written file
// does not pose like the source; one line on stderr names the file and the
// fault). On success one line on stdout gives
// the joints, samples and the worst deviation of the round trip.
int runConvert(const ConvertRequest& request, const GlobalOptions& global);

}  // namespace Cli
}  // namespace Boneplay
