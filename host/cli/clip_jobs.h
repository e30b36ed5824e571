#pragma once
// A batch of clips on several cores. The module and the clip readers keep
// their state in globals, so two clips cannot share a process: each clip in
// flight gets a process of its own, forked from this one once the command
// line is read. What such a process writes is held back and written out in
// the batch's order, so that the output is the one a run of one clip after
// the other gives, byte for byte.

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "batch.h"

namespace Boneplay {
namespace Cli {

struct ClipJobs {
  std::vector<std::string> clips;  // one per piece of work, as given; named in progress and messages
  int jobs = 0;                    // processes at once; 0: one per core
  // One clip's work: writes to std::cout and std::cerr as it would alone,
  // may leave a note for `done`, and returns the clip's exit status.
  std::function<int(std::size_t index, BatchProgress& progress, std::string& note)> work;
  // Called in this process, in the batch's order, after the clip's output is
  // written (the note is empty when the clip's process ended abnormally).
  std::function<void(std::size_t index, int status, const std::string& note)> done;
};

// Runs every clip's work, returns the worst status. With one job, or one
// clip, the work runs in this process, one clip after the other; with more,
// progress counts the clips done. A process that cannot be started waits for
// a running one to end, and when none runs its clip is worked in this process.
int runClipJobs(const ClipJobs& batch);

// The processors this process may run on.
int coreCount();

}  // namespace Cli
}  // namespace Boneplay
