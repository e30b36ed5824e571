#include <png.h>

#include <cstring>
#include <vector>

#include "time_text.h"
#include "writers.h"

namespace Boneplay {
namespace Render {

namespace {
constexpr std::size_t kSheetFrames = 12;
constexpr int kSheetColumns = 4;

// One frame when a still is asked for, else a contact sheet of up to twelve
// frames spread over the clip, four to a row, each at half the picture size
// with its time written under it, under a band with the animation's title
// when it has one. Gutters frame every cell, so that one cell's floor does
// not run on into the next.
struct Layout {
  std::vector<std::size_t> frames;
  int tileW, tileH, labelH, columns, rows;
  int textSize;
  int titleH;  // 0: no title band
  int gutter;  // around and between the cells; 0 for a still
  int width() const { return tileW * columns + gutter * (columns + 1); }
  int height() const { return titleH + (tileH + labelH) * rows + gutter * (rows + 1); }
  // The top-left corner of cell t.
  int cellX(std::size_t t) const { return gutter + static_cast<int>(t % columns) * (tileW + gutter); }
  int cellY(std::size_t t) const { return titleH + gutter + static_cast<int>(t / columns) * (tileH + labelH + gutter); }
};

Layout layoutOf(const Animation& animation, const RenderOptions& options) {
  Layout l{{}, options.width, options.height, 0, 1, 1, 1, 0, 0};
  if (options.stillIndex >= 0 && static_cast<std::size_t>(options.stillIndex) < animation.frames.size()) {
    l.frames.push_back(static_cast<std::size_t>(options.stillIndex));
    return l;
  }
  l.frames = sheetFrames(animation.frames.size(), kSheetFrames);
  if (l.frames.size() > 1) {
    l.tileW = std::max(1, options.width / 2);
    l.tileH = std::max(1, options.height / 2);
    l.textSize = std::max(1, l.tileH / 100);  // labels stay legible under small cells
    l.labelH = textHeight(l.textSize) + 6 * l.textSize;
    l.columns = std::min<int>(kSheetColumns, static_cast<int>(l.frames.size()));
    l.rows = static_cast<int>((l.frames.size() + l.columns - 1) / l.columns);
    if (!animation.title.empty()) l.titleH = l.labelH;
    l.gutter = std::max(2, l.tileW / 40);
  }
  return l;
}

// Copies a canvas into the picture with its top-left corner at (ox, oy).
void paste(const Canvas& canvas, const RenderOptions& options, const Colour& line, std::vector<uint8_t>& pixels,
           int pictureW, int ox, int oy) {
  for (int y = 0; y < canvas.height(); ++y)
    for (int x = 0; x < canvas.width(); ++x)
      pixelColour(canvas, options.style, line, x, y,
                  &pixels[(static_cast<std::size_t>(oy + y) * pictureW + ox + x) * 3]);
}

}  // namespace

void pictureSize(Format format, const Animation& animation, const RenderOptions& options, int& width, int& height) {
  width = options.width;
  height = options.height;
  if (format != Format::Png) return;
  const Layout l = layoutOf(animation, options);
  width = l.width();
  height = l.height();
}

std::string writePng(const Animation& animation, const RenderOptions& options, const std::string& path) {
  if (animation.frames.empty()) return "no frames to draw";
  const Layout layout = layoutOf(animation, options);
  const int w = layout.width(), h = layout.height();
  std::vector<uint8_t> pixels(static_cast<std::size_t>(w) * h * 3);
  // Unused cells stay the background colour.
  uint8_t bg[3];
  const Canvas blank(1, 1);
  pixelColour(blank, options.style, animation.lineColour, 0, 0, bg);
  for (std::size_t i = 0; i < pixels.size(); i += 3) std::memcpy(&pixels[i], bg, 3);
  if (layout.gutter > 0) {
    // The sheet below the title band is gutter; the cells are pasted over it.
    Style gutterStyle = options.style;
    gutterStyle.background = options.style.gutter;
    uint8_t gutter[3];
    pixelColour(blank, gutterStyle, animation.lineColour, 0, 0, gutter);
    for (std::size_t i = static_cast<std::size_t>(layout.titleH) * w * 3; i < pixels.size(); i += 3)
      std::memcpy(&pixels[i], gutter, 3);
  }

  if (layout.titleH > 0) {
    // The title reads from the left like a heading; one too long for the
    // sheet is cut rather than running off its edge.
    const int size = layout.textSize, margin = 3 * size;
    Canvas band(w, layout.titleH);
    drawText(band, margin, margin, fitText(animation.title, size, w - 2 * margin), size);
    paste(band, options, animation.lineColour, pixels, w, 0, 0);
  }

  Projection projection(options.view, framedOn(animation, options), layout.tileW, layout.tileH, options.follow);
  Canvas canvas(layout.tileW, layout.tileH);
  Canvas label(layout.tileW, std::max(1, layout.labelH));
  for (std::size_t t = 0; t < layout.frames.size(); ++t) {
    const Frame& frame = animation.frames[layout.frames[t]];
    projection.track(frame);
    drawFrame(canvas, projection, frame, options.style);
    if (options.stamp && layout.labelH == 0) drawStamp(canvas, frame.time);
    const int ox = layout.cellX(t), oy = layout.cellY(t);
    paste(canvas, options, animation.lineColour, pixels, w, ox, oy);
    if (layout.labelH == 0) continue;
    label.clear();
    const std::string text = timeText(frame.time, 2);
    drawText(label, (layout.tileW - textWidth(text, layout.textSize)) / 2, 3 * layout.textSize, text, layout.textSize);
    paste(label, options, animation.lineColour, pixels, w, ox, oy + layout.tileH);
  }

  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(w);
  image.height = static_cast<png_uint_32>(h);
  image.format = PNG_FORMAT_RGB;
  if (!png_image_write_to_file(&image, path.c_str(), 0, pixels.data(), 0, nullptr)) {
    std::string message = image.message[0] ? image.message : "cannot write the PNG";
    png_image_free(&image);
    return message;
  }
  return "";
}

}  // namespace Render
}  // namespace Boneplay
