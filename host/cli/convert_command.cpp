#include "convert_command.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iostream>

#include "clip_commands.h"
#include "clip_loader.h"
#include "clip_nodes.h"
#include "clip_samples.h"
#include "fbx_clip_scene.h"
#include "fbx_report.h"
#include "fbxsdk/core/kstring.h"
#include "fbxsdk/fileio/kfbx_writer.h"
#include "kv_motion.h"
#include "skeleton_report.h"

namespace Boneplay {
namespace Cli {

namespace {

int failure(const std::string& message) {
  std::cerr << "boneplay: " << message << "\n";
  return 1;
}

// Where the clip is sampled: every BVH sample, or every key time of an FBX
// clip's current take (its start alone when it has no keys). False when
// that makes more than kMaxConvertKeys keys for the joints.
bool sampleTimes(const LoadedClip& clip, std::size_t joints, std::vector<double>& times) {
  const std::size_t maxSamples = kMaxConvertKeys / (9 * std::max<std::size_t>(joints, 1));
  times.clear();
  if (const Kvat::Secne::FbxRoot* fbx = asFbxRoot(*clip.root)) {
    bool truncated = false;
    times = fbxKeyTimes(*fbx, maxSamples + 1, truncated);
    if (times.empty()) {
      double start = 0, stop = 0;
      times.push_back(fbxTakeSpan(*fbx, start, stop) ? start : 0.0);
    }
    return times.size() <= maxSamples;
  }
  const double interval = Kvat::Motion::FxPlot::kSamplingInterval;
  const double samples = std::round(clipLength(*clip.root) / interval) + 1;
  if (samples > static_cast<double>(maxSamples)) return false;
  for (std::size_t k = 0; k < static_cast<std::size_t>(samples); ++k)
    times.push_back(static_cast<double>(k) * interval);
  return true;
}

// Every node below the top node.
std::size_t jointCount(Kvat::Secne::Node* top) {
  std::size_t count = 0;
  std::vector<Kvat::Secne::Node*> pending(top->children().begin(), top->children().end());
  while (!pending.empty()) {
    Kvat::Secne::Node* node = pending.back();
    pending.pop_back();
    ++count;
    pending.insert(pending.end(), node->children().begin(), node->children().end());
  }
  return count;
}

double framesPerSecond(const std::vector<double>& times) {
  return times.size() >= 2 && times[1] > times[0] ? 1.0 / (times[1] - times[0]) : 0.0;
}

std::string number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3g", value);
  return text;
}

}  // namespace

int runConvert(const ConvertRequest& request, const GlobalOptions& global) {
  const std::string& out = request.output;
  if (out.size() < 4 || KString(out.substr(out.size() - 4)).Lower() != ".fbx") {
    std::cerr << "boneplay: the output '" << out << "' must end in .fbx\n";
    return 2;
  }
  LoadedClip clip = loadClip(request.clip);
  if (const int status = announceLoad(clip, global)) return status;
  if (clip.root->top()->children().size() != 1)
    return failure("cannot convert '" + request.clip + "': its skeleton does not have exactly one first joint");
  std::vector<double> times;
  if (!sampleTimes(clip, jointCount(clip.root->top()), times))
    return failure("cannot convert '" + request.clip + "': its joints and samples make more than " +
                   std::to_string(kMaxConvertKeys) + " keys");

  const ClipSamples source = sampleClip(*clip.root, times);
  FbxClipLayout layout;
  layout.version = request.version;
  layout.framesPerSecond = framesPerSecond(times);
  KFbxWriteOptions options;
  options.m_bBinary = !request.ascii;
  options.m_iHeaderVersion = request.version;
  std::string error;
  if (!KFbxWriteFile(out.c_str(), {fbxClipSection(source, localTracks(source), layout)}, options, &error))
    return failure("cannot write '" + out + "': " + error);

  // The file must pose like its source, or it is not a conversion.
  LoadedClip back = loadClip(out);
  if (!back.error.empty()) return failure("wrote '" + out + "' but " + back.error);
  const double size = skeletonSize(source);
  const double worst = worstDeviation(source, sampleClip(*back.root, times), size);
  if (worst < 0.0)
    return failure("wrote '" + out + "' but its skeleton does not have the joints of '" + request.clip + "'");
  if (worst > kRoundTripTolerance)
    return failure("wrote '" + out + "' but it poses up to " + number(worst) + " of the skeleton's size away from '" +
                   request.clip + "'");
  std::cout << "wrote " << out << ": " << source.names.size() << " joints, " << times.size() << " samples";
  if (layout.framesPerSecond > 0) std::cout << " at " << number(layout.framesPerSecond) << " per second";
  std::cout << ", take \"" << layout.takeName << "\"; poses within " << number(worst) << " of the skeleton's size ("
            << number(size) << ")\n";
  return 0;
}

}  // namespace Cli
}  // namespace Boneplay
