#pragma once
// Views and automatic framing: world points to picture coordinates, fitted
// over the whole clip so the figure fills the picture and never leaves it.

#include <optional>
#include <string>

#include "animation.h"

namespace Boneplay {
namespace Render {

enum class View { Front, Side, Top, ThreeQuarter };

// "front", "side", "top", "three-quarter"; none for any other text.
std::optional<View> parseView(const std::string& name);
const char* viewName(View view);

struct Point2 {
  double x = 0, y = 0;  // picture coordinates: x right, y down
};

class Projection {
 public:
  // Fits every segment of every frame into width x height with a margin.
  Projection(View view, const Animation& animation, int width, int height);

  Point2 toPicture(const Point3& p) const;
  // The view's screen axes before framing: x right, y up, depth away.
  Point3 toView(const Point3& p) const;
  // The lowest world height the clip reaches: where the floor is drawn.
  double floorHeight() const { return m_dFloor; }
  // The clip's extent on the floor (world x and z).
  double minX() const { return m_dMinX; }
  double maxX() const { return m_dMaxX; }
  double minZ() const { return m_dMinZ; }
  double maxZ() const { return m_dMaxZ; }

 private:
  View m_eView;
  double m_dScale = 1, m_dOffsetX = 0, m_dOffsetY = 0;
  double m_dFloor = 0, m_dMinX = 0, m_dMaxX = 0, m_dMinZ = 0, m_dMaxZ = 0;
};

}  // namespace Render
}  // namespace Boneplay
