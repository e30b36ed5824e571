#pragma once
// Views and automatic framing: world points to picture coordinates, fitted
// over the whole clip so the figure fills the picture and never leaves it.
// A view is an orbit camera (turned about the vertical, tilted down); the
// named views are fixed angles of it, the same ones the HTML player offers.
// Following, the camera keeps the skeleton's first joint in the middle.

#include <optional>
#include <string>

#include "animation.h"

namespace Boneplay {
namespace Render {

enum class View { Front, Side, Top, ThreeQuarter };

// "front", "side", "top", "three-quarter"; none for any other text.
std::optional<View> parseView(const std::string& name);
const char* viewName(View view);

// Where a view's camera stands, in degrees: yaw turns it about the vertical
// from +z towards +x, pitch raises it to look down (90: straight down).
struct ViewAngles {
  double yaw = 0, pitch = 0;
};
ViewAngles viewAngles(View view);

struct Point2 {
  double x = 0, y = 0;  // picture coordinates: x right, y down
};

// The module draws a line from every joint to its parent in pre-order, so the
// frame's first line ends at the skeleton's first joint; none without lines.
const Point3* firstJoint(const Frame& frame);

// The floor rectangle the grid covers, at the clip's lowest height.
struct FloorArea {
  double y = 0, minX = 0, maxX = 0, minZ = 0, maxZ = 0;
};

class Projection {
 public:
  // Fits every segment of every frame into width x height with a margin;
  // following, fits every frame's pose around its first joint instead.
  Projection(View view, const Animation& animation, int width, int height, bool follow = false);
  Projection(ViewAngles angles, const Animation& animation, int width, int height, bool follow = false);

  // Following: centres the picture on this frame's first joint (a frame
  // without lines keeps the last centre). Otherwise nothing changes.
  void track(const Frame& frame);

  Point2 toPicture(const Point3& p) const;
  // The view's screen axes before framing: x right, y up, depth away.
  Point3 toView(const Point3& p) const;
  double scale() const { return m_dScale; }
  bool follows() const { return m_bFollow; }
  // Where the floor grid goes for the frame last tracked.
  const FloorArea& floorArea() const { return m_xFloor; }

 private:
  void fitClip(const Animation& animation, int width, int height);
  void fitAroundFirstJoint(const Animation& animation, int width, int height);

  double m_dRight[3], m_dUp[3], m_dAway[3];  // the camera's axes in world space
  double m_dScale = 1, m_dOffsetX = 0, m_dOffsetY = 0;
  bool m_bFollow;
  int m_iWidth, m_iHeight;
  double m_dFollowRadius = 1;  // half the floor's side around a followed joint
  FloorArea m_xFloor;
};

}  // namespace Render
}  // namespace Boneplay
