#include <png.h>

#include <cstring>
#include <vector>

#include "writers.h"

namespace Boneplay {
namespace Render {

namespace {
constexpr std::size_t kSheetFrames = 12;
constexpr int kSheetColumns = 4;

// One frame when a still is asked for, else a contact sheet of up to twelve
// frames spread over the clip, four to a row, each at half the picture size.
struct Layout {
  std::vector<std::size_t> frames;
  int tileW, tileH, columns, rows;
};

Layout layoutOf(const Animation& animation, const RenderOptions& options) {
  Layout l{{}, options.width, options.height, 1, 1};
  if (options.stillIndex >= 0 && static_cast<std::size_t>(options.stillIndex) < animation.frames.size()) {
    l.frames.push_back(static_cast<std::size_t>(options.stillIndex));
    return l;
  }
  l.frames = sheetFrames(animation.frames.size(), kSheetFrames);
  if (l.frames.size() > 1) {
    l.tileW = std::max(1, options.width / 2);
    l.tileH = std::max(1, options.height / 2);
    l.columns = std::min<int>(kSheetColumns, static_cast<int>(l.frames.size()));
    l.rows = static_cast<int>((l.frames.size() + l.columns - 1) / l.columns);
  }
  return l;
}

}  // namespace

void pictureSize(Format format, const Animation& animation, const RenderOptions& options, int& width, int& height) {
  width = options.width;
  height = options.height;
  if (format != Format::Png) return;
  const Layout l = layoutOf(animation, options);
  width = l.tileW * l.columns;
  height = l.tileH * l.rows;
}

std::string writePng(const Animation& animation, const RenderOptions& options, const std::string& path) {
  if (animation.frames.empty()) return "no frames to draw";
  const Layout layout = layoutOf(animation, options);
  const std::vector<std::size_t>& frames = layout.frames;
  const int tileW = layout.tileW, tileH = layout.tileH, columns = layout.columns;
  const int w = tileW * columns, h = tileH * layout.rows;
  std::vector<uint8_t> pixels(static_cast<std::size_t>(w) * h * 3);
  // Unused tiles stay the background colour.
  uint8_t bg[3];
  const Canvas blank(1, 1);
  pixelColour(blank, options.style, animation.lineColour, 0, 0, bg);
  for (std::size_t i = 0; i < pixels.size(); i += 3) std::memcpy(&pixels[i], bg, 3);

  const Projection projection(options.view, animation, tileW, tileH);
  Canvas canvas(tileW, tileH);
  for (std::size_t t = 0; t < frames.size(); ++t) {
    drawFrame(canvas, projection, animation.frames[frames[t]], options.style);
    const int ox = static_cast<int>(t % columns) * tileW, oy = static_cast<int>(t / columns) * tileH;
    for (int y = 0; y < tileH; ++y)
      for (int x = 0; x < tileW; ++x)
        pixelColour(canvas, options.style, animation.lineColour, x, y,
                    &pixels[(static_cast<std::size_t>(oy + y) * w + ox + x) * 3]);
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
