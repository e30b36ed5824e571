#include <gif_lib.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "time_text.h"
#include "writers.h"

namespace Boneplay {
namespace Render {

namespace {

// 16 line levels x 15 grid levels: every mix of the two layers has an entry;
// the one after them is the text's colour, which covers whatever is below.
constexpr int kLineLevels = 16, kGridLevels = 15;
constexpr int kTextIndex = kLineLevels * kGridLevels;

int level(int coverage, int levels) { return (coverage * (levels - 1) + 127) / 255; }

uint8_t mix(double background, double grid, double line, int g, int l) {
  const double base = background + (grid - background) * g / (kGridLevels - 1.0);
  const double v = base + (line - base) * l / (kLineLevels - 1.0);
  return static_cast<uint8_t>(std::lround(std::min(1.0, std::max(0.0, v)) * 255));
}

uint8_t byte(double v) { return static_cast<uint8_t>(std::lround(std::min(1.0, std::max(0.0, v)) * 255)); }

// Palette indexes for a whole frame, by table: the part each layer's
// coverage contributes.
class Indexer {
 public:
  Indexer() {
    for (int c = 0; c < 256; ++c) {
      m_aLine[c] = static_cast<uint8_t>(level(c, kLineLevels) * kGridLevels);
      m_aGrid[c] = static_cast<uint8_t>(level(c, kGridLevels));
    }
  }
  void operator()(const Canvas& canvas, std::vector<GifPixelType>& out) const {
    const int w = canvas.width();
    for (int y = 0; y < canvas.height(); ++y) {
      const uint8_t *line = canvas.row(Layer::Line, y), *grid = canvas.row(Layer::Grid, y);
      const uint8_t* text = canvas.row(Layer::Text, y);
      GifPixelType* o = &out[static_cast<std::size_t>(y) * w];
      for (int x = 0; x < w; ++x) o[x] = text[x] > 127 ? kTextIndex : m_aLine[line[x]] + m_aGrid[grid[x]];
    }
  }

 private:
  uint8_t m_aLine[256], m_aGrid[256];
};

struct GifCloser {
  void operator()(GifFileType* gif) const {
    int error = 0;
    EGifCloseFile(gif, &error);
  }
};

struct MapFree {
  void operator()(ColorMapObject* map) const { GifFreeMapObject(map); }
};

std::string gifError(int code) {
  const char* text = GifErrorString(code);
  return text ? text : "cannot write the GIF";
}

using GifFile = std::unique_ptr<GifFileType, GifCloser>;

// Every mix of line over grid over background, then the text's colour.
std::unique_ptr<ColorMapObject, MapFree> makePalette(const Style& st, const Colour& line) {
  std::unique_ptr<ColorMapObject, MapFree> map(GifMakeMapObject(256, nullptr));
  if (!map) return map;
  for (int l = 0; l < kLineLevels; ++l)
    for (int g = 0; g < kGridLevels; ++g) {
      GifColorType& c = map->Colors[l * kGridLevels + g];
      c.Red = mix(st.background.r, st.grid.r, line.r, g, l);
      c.Green = mix(st.background.g, st.grid.g, line.g, g, l);
      c.Blue = mix(st.background.b, st.grid.b, line.b, g, l);
    }
  map->Colors[kTextIndex] = {byte(st.text.r), byte(st.text.g), byte(st.text.b)};
  return map;
}

// Creates the file with its screen, palette and the block that loops it for
// ever; on failure `error` says why.
GifFile openGif(const std::string& path, int w, int h, ColorMapObject* map, std::string& error) {
  // Opened here rather than by the GIF library so the file gets the usual
  // permissions (the library would make it private to its owner).
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) {
    error = std::strerror(errno);
    return nullptr;
  }
  int code = 0;
  GifFile gif(EGifOpenFileHandle(fileno(file), &code));
  if (!gif) {
    std::fclose(file);
    error = gifError(code);
    return nullptr;
  }
  EGifSetGifVersion(gif.get(), true);
  static const GifByteType kLoopName[] = {'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0'};
  static const GifByteType kLoopForever[] = {1, 0, 0};
  if (EGifPutScreenDesc(gif.get(), w, h, 8, 0, map) == GIF_ERROR ||
      EGifPutExtensionLeader(gif.get(), APPLICATION_EXT_FUNC_CODE) == GIF_ERROR ||
      EGifPutExtensionBlock(gif.get(), sizeof kLoopName, kLoopName) == GIF_ERROR ||
      EGifPutExtensionBlock(gif.get(), sizeof kLoopForever, kLoopForever) == GIF_ERROR ||
      EGifPutExtensionTrailer(gif.get()) == GIF_ERROR) {
    error = gifError(gif->Error);
    return nullptr;
  }
  return gif;
}

struct Box {
  int x0, y0, x1, y1;  // inclusive
};

// The box of pixels that differ from the frame before (all of the first
// frame); one pixel when nothing changed, so that the frame still shows.
Box changedBox(const std::vector<GifPixelType>& previous, const std::vector<GifPixelType>& current, int w, int h) {
  if (previous.empty()) return {0, 0, w - 1, h - 1};
  Box b{w, h, -1, -1};
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const std::size_t i = static_cast<std::size_t>(y) * w + x;
      if (current[i] == previous[i]) continue;
      b.x0 = std::min(b.x0, x), b.x1 = std::max(b.x1, x), b.y0 = std::min(b.y0, y), b.y1 = std::max(b.y1, y);
    }
  return b.x1 < 0 ? Box{0, 0, 0, 0} : b;
}

// Writes frame k's box, shown for its share of the clip's time.
bool putFrame(GifFileType* gif, std::vector<GifPixelType>& pixels, int w, const Box& b, std::size_t k, double fps) {
  // Delays are in hundredths of a second; spreading the rounding keeps the
  // whole loop at the clip's own length.
  const long start = std::lround(k * 100.0 / fps), end = std::lround((k + 1) * 100.0 / fps);
  GraphicsControlBlock gcb{};
  gcb.DisposalMode = DISPOSE_DO_NOT;
  gcb.UserInputFlag = false;
  gcb.DelayTime = static_cast<int>(std::max(1L, end - start));
  gcb.TransparentColor = NO_TRANSPARENT_COLOR;
  GifByteType ext[4];
  EGifGCBToExtension(&gcb, ext);
  const int bw = b.x1 - b.x0 + 1, bh = b.y1 - b.y0 + 1;
  if (EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, ext) == GIF_ERROR ||
      EGifPutImageDesc(gif, b.x0, b.y0, bw, bh, false, nullptr) == GIF_ERROR)
    return false;
  for (int y = b.y0; y <= b.y1; ++y)
    if (EGifPutLine(gif, &pixels[static_cast<std::size_t>(y) * w + b.x0], bw) == GIF_ERROR) return false;
  return true;
}

}  // namespace

std::string writeGif(const Animation& animation, const RenderOptions& options, const std::string& path) {
  if (animation.frames.empty()) return "no frames to draw";
  const int w = options.width, h = options.height;
  const std::unique_ptr<ColorMapObject, MapFree> map = makePalette(options.style, animation.lineColour);
  if (!map) return "out of memory";
  std::string error;
  GifFile gif = openGif(path, w, h, map.get(), error);
  if (!gif) return error;
  // The title (the clip, and the take of an FBX clip) travels as the GIF's
  // comment, which viewers show in their file details.
  if (!animation.title.empty() && EGifPutComment(gif.get(), animation.title.c_str()) == GIF_ERROR)
    return gifError(gif->Error);

  Projection projection(options.view, framedOn(animation, options), w, h, options.follow);
  Canvas canvas(w, h);
  const Indexer indexer;
  std::vector<GifPixelType> previous, current(static_cast<std::size_t>(w) * h);
  const double fps = animation.fps > 0 ? animation.fps : 30;
  for (std::size_t k = 0; k < animation.frames.size(); ++k) {
    projection.track(animation.frames[k]);
    drawFrame(canvas, projection, animation.frames[k], options.style);
    if (options.stamp) drawStamp(canvas, animation.frames[k].time);
    indexer(canvas, current);
    // After the first frame only the box that changed is written; the rest
    // of the picture stays from the frame before.
    if (!putFrame(gif.get(), current, w, changedBox(previous, current, w, h), k, fps)) return gifError(gif->Error);
    previous.swap(current);
    current.resize(previous.size());
  }
  int code = 0;
  if (EGifCloseFile(gif.release(), &code) == GIF_ERROR) return gifError(code);
  return "";
}

}  // namespace Render
}  // namespace Boneplay
