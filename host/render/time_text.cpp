#include "time_text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace Boneplay {
namespace Render {

std::string timeText(double seconds, int decimals) {
  char buf[48];
  // Rounding may give "-0.00"; a time of zero reads without its sign.
  const double shown = std::abs(seconds) < 0.5 * std::pow(10.0, -decimals) ? 0.0 : seconds;
  std::snprintf(buf, sizeof buf, "%.*f s", std::clamp(decimals, 0, 6), std::isfinite(shown) ? shown : 0.0);
  return buf;
}

int textSizeFor(int width, int height) { return std::max(1, (std::min(width, height) + 80) / 160); }

void drawStamp(Canvas& canvas, double seconds) {
  const int size = textSizeFor(canvas.width(), canvas.height());
  drawText(canvas, 4 * size, 4 * size, timeText(seconds, 3), size);
}

}  // namespace Render
}  // namespace Boneplay
