#pragma once
// Pictures of an animation: animated GIF, PNG (one frame or a contact sheet),
// SVG (animated, or one frame) and a self-contained HTML player.

#include <string>

#include "animation.h"
#include "canvas.h"
#include "projection.h"

namespace Boneplay {
namespace Render {

struct RenderOptions {
  View view = View::Front;
  int width = 640;
  int height = 480;
  int stillIndex = -1;  // >= 0: draw only that frame (PNG, SVG)
  Style style;
};

enum class Format { Gif, Png, Svg, Html };
// By the file's extension, case-insensitively; false when it is none of them.
bool formatFromPath(const std::string& path, Format& format);

// Each returns "" on success, else what went wrong (without the file name).
std::string writeGif(const Animation& animation, const RenderOptions& options, const std::string& path);
std::string writePng(const Animation& animation, const RenderOptions& options, const std::string& path);
std::string writeSvg(const Animation& animation, const RenderOptions& options, const std::string& path);
std::string writeHtml(const Animation& animation, const RenderOptions& options, const std::string& path);
std::string writePicture(Format format, const Animation& animation, const RenderOptions& options,
                         const std::string& path);

// Text with the characters that mean something in HTML (< > & ") written as entities.
std::string escapeHtml(const std::string& text);

// The size of the picture a format writes: a PNG contact sheet is several tiles.
void pictureSize(Format format, const Animation& animation, const RenderOptions& options, int& width, int& height);

// The frames a contact sheet shows: at most `count`, evenly spread, first and last included.
std::vector<std::size_t> sheetFrames(std::size_t frameCount, std::size_t count);

}  // namespace Render
}  // namespace Boneplay
