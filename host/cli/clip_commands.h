#pragma once
// `boneplay info` and `boneplay pose` over one or more clips, and what every
// command says about a clip it loaded.

#include <string>
#include <vector>

#include "clip_loader.h"

namespace Boneplay {
namespace Cli {

// Options that apply to every subcommand.
struct GlobalOptions {
  bool verbose = false;  // show the reader's own reports
  bool strict = false;   // every warning about a clip is an error
  int jobs = 0;          // clips worked at once (render, info, pose); 0: one per core
};

// Shows what loading said: the reader's reports with --verbose, then the
// error or the warnings and notes, each a line naming the file. Returns 0
// when the clip is to be used, 1 when it failed (or has warnings under
// --strict; notes never count), 2
// when an option named a take or a node the clip does not have.
int announceLoad(const LoadedClip& clip, const GlobalOptions& options);

struct InfoRequest {
  std::vector<std::string> clips;
  LoadOptions load;
  std::string format = "text";  // "text" or "json"
};
int runInfo(const InfoRequest& request, const GlobalOptions& options);

struct PoseCommand {
  std::vector<std::string> clips;
  LoadOptions load;
  std::vector<double> times{0.0};
  bool everySample = false;
  double scale = 1.0;
  std::string format = "json";  // "json" or "csv"
};
int runPose(const PoseCommand& request, const GlobalOptions& options);

}  // namespace Cli
}  // namespace Boneplay
