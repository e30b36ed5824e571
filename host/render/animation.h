#pragma once
// What the renderers draw: per frame, the line segments the module drew
// (already carried into world space), with the colour the module set.

#include <string>
#include <vector>

namespace Boneplay {
namespace Render {

struct Point3 {
  double x = 0, y = 0, z = 0;
};

struct Segment {
  Point3 a, b;
};

struct Colour {
  double r = 1, g = 0, b = 0;  // 0..1
};

struct Frame {
  double time = 0;  // seconds
  std::vector<Segment> segments;
};

struct Animation {
  std::vector<Frame> frames;
  double fps = 30;
  Colour lineColour;
  std::string title;  // shown by the players that have room for it
};

}  // namespace Render
}  // namespace Boneplay
