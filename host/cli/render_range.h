#pragma once
// The time range `render` plays for a clip, and what it tells about it: a
// --from, --to or --at outside the clip is brought to its span; rows beyond
// the frame count a BVH file declares are left out of the default range (the
// reader keeps them; --to reaches them); and a clip declared at another rate
// than the host's 30 samples per second is said to play slower or faster.

#include <optional>
#include <string>
#include <vector>

#include "bvh_facts.h"
#include "clip_loader.h"

namespace Boneplay {
namespace Cli {

// The clip's times, in seconds of the picture.
struct ClipSpan {
  double start = 0.0;
  double end = 0.0;
  // A BVH clip with rows beyond its declared frames: the last declared
  // frame's time, and the rows that follow it.
  std::optional<double> declaredEnd;
  std::size_t declaredFrames = 0;
  std::size_t rows = 0;
};

struct RangeAsked {
  std::optional<double> from, to, at;
};

struct RangeChosen {
  double from = 0.0;
  double to = 0.0;
  std::optional<double> at;
  std::vector<std::string> notes;  // sentences without the file's name
};

// With a span, the asked times are brought into it (each one told); without
// one (a scene alone), they are taken as asked and the default range is
// [0, fallbackEnd].
RangeChosen chooseRange(const std::optional<ClipSpan>& span, const RangeAsked& asked, double fallbackEnd);

// The span of a BVH clip of `samples` samples, `secondsPerSample` apart,
// with what its file declares.
ClipSpan bvhSpan(std::size_t samples, double secondsPerSample, const BvhFacts& facts);

// The clip's span at the speed asked (FBX clips: the current take's, its
// times being its own at either speed), and the host seconds per second of
// the picture. Nothing when --speed file meets a BVH clip without a usable
// frame time.
std::optional<ClipSpan> clipSpan(const LoadedClip& clip, bool fileSpeed, double& timeScale);

// "it is declared at 120 frames per second ... plays 4× slower than recorded
// ...", or "" when the file declares no rate or the host's own.
std::string rateNote(const BvhFacts& facts);

}  // namespace Cli
}  // namespace Boneplay
