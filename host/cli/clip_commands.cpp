#include "clip_commands.h"

#include <iostream>
#include <sstream>

#include "batch.h"
#include "clip_jobs.h"
#include "info_json.h"
#include "skeleton_report.h"

namespace Boneplay {
namespace Cli {

namespace {

// Loads each clip and hands the ones to use over; `use` writes a clip's
// results into its note and returns the clip's status (its results are
// shown only when that is 0), and `show` writes the notes out in the clip order,
// told whether an earlier clip was shown. The status is the worst.
template <typename Use, typename Show>
int forEachClip(const std::vector<std::string>& arguments, const LoadOptions& load, const GlobalOptions& options,
                Use use, Show show) {
  const std::vector<ClipArgument> clips =
      expandClips(arguments.empty() ? std::vector<std::string>{bundledSample()} : arguments);
  ClipJobs batch;
  for (const ClipArgument& argument : clips) batch.clips.push_back(argument.path);
  batch.jobs = options.jobs;
  batch.work = [&](std::size_t i, BatchProgress&, std::string& note) {
    if (!clips[i].error.empty()) {
      std::cerr << "boneplay: " << clips[i].error << "\n";
      return 1;
    }
    LoadedClip clip = loadClip(clips[i].path, load);
    const int loaded = announceLoad(clip, options);
    if (loaded != 0) return loaded;
    std::ostringstream results;
    const int used = use(clip, results);
    if (used == 0) note = results.str();
    return used;
  };
  bool shown = false;
  batch.done = [&](std::size_t, int status, const std::string& note) {
    if (status != 0) return;
    show(note, shown);
    shown = true;
  };
  BatchStatus status;
  status.add(runClipJobs(batch));
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
  const bool json = request.format == "json";
  return forEachClip(
      request.clips, request.load, options,
      [&](LoadedClip& clip, std::ostream& out) {
        if (json)
          writeInfoJson(clip, out);
        else
          writeInfo(clip, out);
        return 0;
      },
      [&](const std::string& results, bool shown) { std::cout << (shown && !json ? "\n" : "") << results; });
}

int runPose(const PoseCommand& request, const GlobalOptions& options) {
  const bool csv = request.format == "csv";
  return forEachClip(
      request.clips, request.load, options,
      [&](LoadedClip& clip, std::ostream& out) {
        PoseRequest pose{request.everySample ? everySampleTime(clip) : request.times, request.scale};
        const std::string fault = nonFinitePose(clip, pose);
        if (!fault.empty()) {
          std::cerr << (options.strict ? "boneplay: error (--strict): '" : "boneplay: warning: '") << clip.path
                    << "': " << fault << "\n";
          if (options.strict) return 1;
        }
        if (csv)
          writePoseCsv(clip, pose, out);
        else
          writePoseJson(clip, pose, out);
        return 0;
      },
      [&](const std::string& results, bool shown) {
        if (csv && !shown) writePoseCsvHeader(std::cout);
        std::cout << results;
      });
}

}  // namespace Cli
}  // namespace Boneplay
