#include "render_range.h"

#include <cmath>
#include <cstdio>

#include "clip_nodes.h"
#include "fbx_report.h"
#include "kv_motion.h"

namespace Boneplay {
namespace Cli {

namespace {

// The host plays every clip at this many samples per second.
const double kHostRate = 1.0 / Kvat::Motion::FxPlot::kSamplingInterval;
// A declared rate this close to the host's plays as recorded; nothing is told.
constexpr double kSameRate = 0.005;

std::string plain(double v, const char* format = "%.6g") {
  char buf[40];
  std::snprintf(buf, sizeof buf, format, v);
  return buf;
}

std::string seconds(double v) { return plain(v) + " s"; }

// Brings one asked time into [start, end], telling when it moved it.
double clampTold(const char* option, double asked, const ClipSpan& span, std::vector<std::string>& notes) {
  if (asked < span.start) {
    notes.push_back(std::string(option) + " " + plain(asked) + " lies before the clip's start (" + seconds(span.start) +
                    "): it is taken as " + plain(span.start));
    return span.start;
  }
  if (asked > span.end) {
    notes.push_back(std::string(option) + " " + plain(asked) + " lies past the clip's end (" + seconds(span.end) +
                    "): it is taken as " + plain(span.end));
    return span.end;
  }
  return asked;
}

}  // namespace

RangeChosen chooseRange(const std::optional<ClipSpan>& span, const RangeAsked& asked, double fallbackEnd) {
  RangeChosen chosen;
  if (!span) {
    chosen.from = asked.from.value_or(0.0);
    chosen.to = asked.to.value_or(std::max(chosen.from, fallbackEnd));
    chosen.at = asked.at;
    return chosen;
  }
  chosen.from = asked.from ? clampTold("--from", *asked.from, *span, chosen.notes) : span->start;
  if (asked.to) {
    chosen.to = clampTold("--to", *asked.to, *span, chosen.notes);
  } else if (span->declaredEnd && *span->declaredEnd >= chosen.from) {
    chosen.to = *span->declaredEnd;
    chosen.notes.push_back("the picture ends at frame " + std::to_string(span->declaredFrames) +
                           ", the last the file declares (" + seconds(*span->declaredEnd) + "); rows " +
                           std::to_string(span->declaredFrames + 1) + " to " + std::to_string(span->rows) +
                           " follow it: --to " + plain(span->end) + " shows them");
  } else {
    chosen.to = std::max(chosen.from, span->end);
  }
  if (asked.at) chosen.at = clampTold("--at", *asked.at, *span, chosen.notes);
  return chosen;
}

ClipSpan bvhSpan(std::size_t samples, double secondsPerSample, const BvhFacts& facts) {
  ClipSpan span;
  span.end = samples > 1 ? static_cast<double>(samples - 1) * secondsPerSample : 0.0;
  span.rows = samples;
  if (facts.declaredFrames && *facts.declaredFrames >= 1 && samples > *facts.declaredFrames) {
    span.declaredFrames = static_cast<std::size_t>(*facts.declaredFrames);
    span.declaredEnd = static_cast<double>(span.declaredFrames - 1) * secondsPerSample;
  }
  return span;
}

std::optional<ClipSpan> clipSpan(const LoadedClip& clip, bool fileSpeed, double& timeScale) {
  if (const Kvat::Secne::FbxRoot* fbx = asFbxRoot(*clip.root)) {
    ClipSpan span;
    // A take without keys plays nothing.
    if (!fbxTakeSpan(*fbx, span.start, span.end)) span.start = span.end = 0.0;
    return span;
  }
  if (!clip.facts) return ClipSpan{0.0, clipLength(*clip.root), std::nullopt, 0, clip.samples};
  double secondsPerSample = Kvat::Motion::FxPlot::kSamplingInterval;
  if (fileSpeed) {
    const std::optional<double> rate = clip.facts->fileRate();
    if (!rate) return std::nullopt;
    timeScale = Kvat::Motion::FxPlot::kSamplingInterval * *rate;
    secondsPerSample = 1.0 / *rate;
  }
  return bvhSpan(clip.samples, secondsPerSample, *clip.facts);
}

std::string rateNote(const BvhFacts& facts) {
  const std::optional<double> rate = facts.fileRate();
  if (!rate || std::fabs(*rate / kHostRate - 1.0) < kSameRate) return "";
  const bool slower = *rate > kHostRate;
  const double factor = slower ? *rate / kHostRate : kHostRate / *rate;
  return "it is declared at " + plain(*rate, "%.4g") + " frames per second, and the host plays every clip at " +
         plain(kHostRate, "%g") + " samples per second, so it plays " + plain(factor, "%.3g") + "\u00d7 " +
         (slower ? "slower" : "faster") + " than recorded; --speed file plays it at its own rate";
}

}  // namespace Cli
}  // namespace Boneplay
