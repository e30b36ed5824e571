#include "clip_commands.h"

#include <iostream>

#include "batch.h"
#include "info_json.h"
#include "skeleton_report.h"

namespace Boneplay {
namespace Cli {

namespace {

// Loads each clip in turn and hands the ones to use over; the status is the worst.
template <typename Use>
int forEachClip(const std::vector<std::string>& arguments, const LoadOptions& load, const GlobalOptions& options,
                Use use) {
  BatchStatus status;
  const std::vector<std::string> given = arguments.empty() ? std::vector<std::string>{bundledSample()} : arguments;
  for (const ClipArgument& argument : expandClips(given)) {
    if (!argument.error.empty()) {
      std::cerr << "boneplay: " << argument.error << "\n";
      status.add(1);
      continue;
    }
    LoadedClip clip = loadClip(argument.path, load);
    const int loaded = announceLoad(clip, options);
    status.add(loaded != 0 ? loaded : use(clip));
  }
  std::cout.flush();
  if (!std::cout) {
    std::cerr << "boneplay: cannot write to standard output\n";
    status.add(1);
  }
  return status.worst();
}

}  // namespace

int announceLoad(const LoadedClip& clip, const GlobalOptions& options) {
  if (options.verbose) std::cerr << readerOutputForDisplay(clip.diagnostics);
  if (!clip.error.empty()) {
    std::cerr << "boneplay: " << clip.error << "\n";
    return clip.usage ? 2 : 1;
  }
  const char* prefix = options.strict ? "boneplay: error (--strict): '" : "boneplay: warning: '";
  for (const std::string& w : clip.warnings) std::cerr << prefix << clip.path << "': " << w << "\n";
  // Notes tell of faults that cost nothing: --strict leaves them notes.
  for (const std::string& n : clip.notes) std::cerr << "boneplay: note: '" << clip.path << "': " << n << "\n";
  return options.strict && !clip.warnings.empty() ? 1 : 0;
}

int runInfo(const InfoRequest& request, const GlobalOptions& options) {
  bool first = true;
  return forEachClip(request.clips, request.load, options, [&](LoadedClip& clip) {
    if (request.format == "json") {
      writeInfoJson(clip, std::cout);
    } else {
      if (!first) std::cout << "\n";
      writeInfo(clip, std::cout);
    }
    first = false;
    return 0;
  });
}

int runPose(const PoseCommand& request, const GlobalOptions& options) {
  bool header = true;
  return forEachClip(request.clips, request.load, options, [&](LoadedClip& clip) {
    PoseRequest pose{request.everySample ? everySampleTime(clip) : request.times, request.scale};
    const std::string fault = nonFinitePose(clip, pose);
    if (!fault.empty()) {
      std::cerr << (options.strict ? "boneplay: error (--strict): '" : "boneplay: warning: '") << clip.path
                << "': " << fault << "\n";
      if (options.strict) return 1;
    }
    if (request.format == "csv")
      writePoseCsv(clip, pose, std::cout, header);
    else
      writePoseJson(clip, pose, std::cout);
    header = false;
    return 0;
  });
}

}  // namespace Cli
}  // namespace Boneplay
