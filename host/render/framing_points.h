#pragma once
// A few points that stand in for a whole clip when a camera is framed on it:
// seen from any orbit view, their extent on the screen's axes is the clip's
// (exactly for the named views, to within a hair between them). The HTML
// player frames a world-framed page on these rather than on the clip it
// draws, which it does not carry.

#include <vector>

#include "animation.h"
#include "projection.h"

namespace Boneplay {
namespace Render {

struct FramingPoints {
  std::vector<Point3> box;    // points of the clip
  std::vector<Point3> reach;  // points less the first joint of their pose, for following
  FloorArea floor;            // the floor under the clip
};

FramingPoints framingPoints(const Animation& clip);

}  // namespace Render
}  // namespace Boneplay
