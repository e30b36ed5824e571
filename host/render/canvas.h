#pragma once
// A picture in three coverage layers (floor grid, skeleton lines, text) over
// a plain background. Lines are drawn with anti-aliased coverage; keeping
// coverage rather than colours lets each file format choose its own colours:
// a small palette for GIF, full colour for PNG.

#include <cstdint>
#include <string>
#include <vector>

#include "animation.h"
#include "projection.h"

namespace Boneplay {
namespace Render {

enum class Layer { Grid = 0, Line = 1, Text = 2 };
constexpr int kLayers = 3;

class Canvas {
 public:
  Canvas(int width, int height);

  int width() const { return m_iWidth; }
  int height() const { return m_iHeight; }
  void clear();
  // An anti-aliased line of the given width in pixels; parts outside are
  // clipped, a line with a coordinate that is not finite is not drawn.
  void line(Layer layer, Point2 a, Point2 b, double widthPx);
  // A solid box, clipped to the picture.
  void box(Layer layer, int x, int y, int w, int h);
  // Coverage 0..255 of a layer at a pixel.
  uint8_t coverage(Layer layer, int x, int y) const {
    return m_vCover[static_cast<int>(layer)][static_cast<std::size_t>(y) * m_iWidth + x];
  }
  // A layer's row of coverage, width() values.
  const uint8_t* row(Layer layer, int y) const {
    return &m_vCover[static_cast<int>(layer)][static_cast<std::size_t>(y) * m_iWidth];
  }

 private:
  int m_iWidth, m_iHeight;
  std::vector<uint8_t> m_vCover[kLayers];
};

struct Style {
  Colour background{1, 1, 1};
  Colour grid{0.78, 0.80, 0.84};
  Colour text{0.25, 0.25, 0.30};
  Colour gutter{0.86, 0.87, 0.90};  // between a contact sheet's cells
  double lineWidth = 2.5;           // pixels at the reference size, grows with the picture
  double gridWidth = 1.0;
};

struct Line2 {
  Point2 a, b;
};
// The floor grid under the clip (or around the followed joint), in picture coordinates.
std::vector<Line2> gridLines(const Projection& projection);

// Draws the floor grid and one frame's segments; the projection is expected
// to have tracked the frame already.
void drawFrame(Canvas& canvas, const Projection& projection, const Frame& frame, const Style& style);
// The line width for a picture of this size (thicker lines for bigger pictures).
double lineWidthFor(const Style& style, int width, int height);

// The colour of a pixel: text over line over grid over background.
void pixelColour(const Canvas& canvas, const Style& style, const Colour& line, int x, int y, uint8_t rgb[3]);

}  // namespace Render
}  // namespace Boneplay
