#include "time_text.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>

namespace Boneplay {
namespace Render {

namespace {

struct Glyph {
  char c;
  uint8_t rows[7];  // five dots a row, the leftmost in bit 4
};
constexpr Glyph kFont[] = {
    {'0', {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E}}, {'1', {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E}},
    {'2', {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F}}, {'3', {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E}},
    {'4', {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02}}, {'5', {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E}},
    {'6', {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E}}, {'7', {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08}},
    {'8', {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E}}, {'9', {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C}},
    {'.', {0x00, 0x00, 0x00, 0x00, 0x00, 0x0C, 0x0C}}, {'-', {0x00, 0x00, 0x00, 0x1F, 0x00, 0x00, 0x00}},
    {':', {0x00, 0x0C, 0x0C, 0x00, 0x0C, 0x0C, 0x00}}, {'s', {0x00, 0x00, 0x0E, 0x10, 0x0E, 0x01, 0x1E}},
};
constexpr int kGlyphW = 5, kGlyphH = 7, kAdvance = 6;

const Glyph* glyphOf(char c) {
  for (const Glyph& g : kFont)
    if (g.c == c) return &g;
  return nullptr;
}

}  // namespace

std::string timeText(double seconds, int decimals) {
  char buf[48];
  // Rounding may give "-0.00"; a time of zero reads without its sign.
  const double shown = std::abs(seconds) < 0.5 * std::pow(10.0, -decimals) ? 0.0 : seconds;
  std::snprintf(buf, sizeof buf, "%.*f s", std::clamp(decimals, 0, 6), std::isfinite(shown) ? shown : 0.0);
  return buf;
}

int textWidth(const std::string& text, int size) {
  return text.empty() ? 0 : (static_cast<int>(text.size()) * kAdvance - (kAdvance - kGlyphW)) * size;
}

int textHeight(int size) { return kGlyphH * size; }

int textSizeFor(int width, int height) { return std::max(1, (std::min(width, height) + 80) / 160); }

void drawText(Canvas& canvas, int x, int y, const std::string& text, int size) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const Glyph* g = glyphOf(text[i]);
    if (!g) continue;
    const int left = x + static_cast<int>(i) * kAdvance * size;
    for (int r = 0; r < kGlyphH; ++r)
      for (int c = 0; c < kGlyphW; ++c)
        if (g->rows[r] & (0x10 >> c)) canvas.box(Layer::Text, left + c * size, y + r * size, size, size);
  }
}

void drawStamp(Canvas& canvas, double seconds) {
  const int size = textSizeFor(canvas.width(), canvas.height());
  drawText(canvas, 4 * size, 4 * size, timeText(seconds, 3), size);
}

}  // namespace Render
}  // namespace Boneplay
