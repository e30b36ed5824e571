#pragma once
// Pictures of an animation: animated GIF, PNG (one frame or a contact sheet),
// SVG (animated, or one frame) and a self-contained HTML player that keeps
// the segments in 3D and projects them in the page.

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
  bool follow = false;  // keep the skeleton's first joint in the middle
  bool stamp = false;   // write each frame's time in its top-left corner
  // The clip the camera is framed on; none: what is drawn. A clip posed at
  // scale 1 on an unmoved item frames the picture in world units, so that
  // a display scale or a moved item shows against the floor grid.
  const Animation* framing = nullptr;
  Style style;
};

// The clip a writer frames its camera on.
inline const Animation& framedOn(const Animation& drawn, const RenderOptions& options) {
  return options.framing ? *options.framing : drawn;
}

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

// "rgb(255,0,0)" for a colour of 0..1 channels.
std::string cssColour(const Colour& colour);

// The frames a contact sheet shows: at most `count`, evenly spread, first and last included.
std::vector<std::size_t> sheetFrames(std::size_t frameCount, std::size_t count);

}  // namespace Render
}  // namespace Boneplay
