#pragma once
// A drawing access that keeps what a custom object draws instead of showing
// it: the colours it sets and every line with the colour it was drawn in.

#include <array>
#include <vector>

#include "lightwave/lwsdk/lw_custom_object.h"

namespace Boneplay {
namespace Host {

class DrawRecorder {
 public:
  using Color = std::array<float, 4>;
  struct Line {
    std::array<double, 3> from;
    std::array<double, 3> to;
    int csys;
    Color color;
  };

  // Lines drawn before any setColor come out in opaque white.
  static constexpr Color kDefaultColor = {1.0f, 1.0f, 1.0f, 1.0f};

  explicit DrawRecorder(int view = 0);
  DrawRecorder(const DrawRecorder&) = delete;
  DrawRecorder& operator=(const DrawRecorder&) = delete;

  // Hand this to evaluate; it stays valid as long as the recorder.
  const LWCustomObjAccess* access() const { return &m_xAccess; }

  const std::vector<Color>& colors() const { return m_vxColors; }
  const std::vector<Line>& lines() const { return m_vxLines; }
  void clear();

 private:
  static void setColor(void* dispData, float rgba[4]);
  static void line(void* dispData, LWDVector a, LWDVector b, int csys);

  LWCustomObjAccess m_xAccess;
  Color m_xColor = kDefaultColor;
  std::vector<Color> m_vxColors;
  std::vector<Line> m_vxLines;
};

}  // namespace Host
}  // namespace Boneplay
