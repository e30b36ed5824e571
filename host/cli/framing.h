#pragma once
// How `boneplay render` frames its pictures. Fitted, the camera is framed on
// what is drawn, so the figure fills the picture whatever its display scale
// or carrying item. In world units, the camera is framed on the clip posed at
// scale 1 on an unmoved item, and what is drawn (scaled, on a moved item) is
// shown through that camera over a floor grid in world units: a scale of 2
// stands twice as tall as 1 against the grid.

#include <string>

#include "playback.h"
#include "writers.h"

namespace Boneplay {
namespace Cli {

struct RenderRequest;

// --frame, else world units when the request sets a scale, presses
// AutoResize or names a scene; fitted otherwise.
bool framesInWorldUnits(const RenderRequest& request);

// The clip of these settings played at scale 1 with its carrying item at
// rest: what a world-framed camera is framed on. Returns "" or the error.
std::string playAtRest(const Host::ItemScene& scene, Host::PlaybackSettings settings, Render::Animation& framing);

// Whether some drawn line reaches outside the picture these options frame.
bool reachesOutside(const Render::Animation& drawn, const Render::RenderOptions& options);

}  // namespace Cli
}  // namespace Boneplay
