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

}  // namespace

std::string writeGif(const Animation& animation, const RenderOptions& options, const std::string& path) {
  if (animation.frames.empty()) return "no frames to draw";
  const int w = options.width, h = options.height;
  const Style& st = options.style;
  const Colour& line = animation.lineColour;

  std::unique_ptr<ColorMapObject, MapFree> map(GifMakeMapObject(256, nullptr));
  if (!map) return "out of memory";
  for (int l = 0; l < kLineLevels; ++l)
    for (int g = 0; g < kGridLevels; ++g) {
      GifColorType& c = map->Colors[l * kGridLevels + g];
      c.Red = mix(st.background.r, st.grid.r, line.r, g, l);
      c.Green = mix(st.background.g, st.grid.g, line.g, g, l);
      c.Blue = mix(st.background.b, st.grid.b, line.b, g, l);
    }
  map->Colors[kTextIndex] = {byte(st.text.r), byte(st.text.g), byte(st.text.b)};

  // Opened here rather than by the GIF library so the file gets the usual
  // permissions (the library would make it private to its owner).
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return std::strerror(errno);
  int error = 0;
  std::unique_ptr<GifFileType, GifCloser> gif(EGifOpenFileHandle(fileno(file), &error));
  if (!gif) {
    std::fclose(file);
    return gifError(error);
  }
  EGifSetGifVersion(gif.get(), true);
  if (EGifPutScreenDesc(gif.get(), w, h, 8, 0, map.get()) == GIF_ERROR) return gifError(gif->Error);

  // Loop for ever.
  static const GifByteType kLoopName[] = {'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0'};
  static const GifByteType kLoopForever[] = {1, 0, 0};
  if (EGifPutExtensionLeader(gif.get(), APPLICATION_EXT_FUNC_CODE) == GIF_ERROR ||
      EGifPutExtensionBlock(gif.get(), sizeof kLoopName, kLoopName) == GIF_ERROR ||
      EGifPutExtensionBlock(gif.get(), sizeof kLoopForever, kLoopForever) == GIF_ERROR ||
      EGifPutExtensionTrailer(gif.get()) == GIF_ERROR)
    return gifError(gif->Error);

  Projection projection(options.view, animation, w, h, options.follow);
  Canvas canvas(w, h);
  const Indexer indexer;
  std::vector<GifPixelType> previous, current(static_cast<std::size_t>(w) * h);
  const double fps = animation.fps > 0 ? animation.fps : 30;
  for (std::size_t k = 0; k < animation.frames.size(); ++k) {
    projection.track(animation.frames[k]);
    drawFrame(canvas, projection, animation.frames[k], st);
    if (options.stamp) drawStamp(canvas, animation.frames[k].time);
    indexer(canvas, current);
    // After the first frame only the box that changed is written; the rest
    // of the picture stays from the frame before.
    int x0 = 0, y0 = 0, x1 = w - 1, y1 = h - 1;
    if (!previous.empty()) {
      x0 = w, y0 = h, x1 = -1, y1 = -1;
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
          const std::size_t i = static_cast<std::size_t>(y) * w + x;
          if (current[i] == previous[i]) continue;
          x0 = std::min(x0, x), x1 = std::max(x1, x), y0 = std::min(y0, y), y1 = std::max(y1, y);
        }
      if (x1 < 0) x0 = y0 = x1 = y1 = 0;  // nothing changed: one pixel keeps the frame
    }
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
    const int bw = x1 - x0 + 1, bh = y1 - y0 + 1;
    if (EGifPutExtension(gif.get(), GRAPHICS_EXT_FUNC_CODE, 4, ext) == GIF_ERROR ||
        EGifPutImageDesc(gif.get(), x0, y0, bw, bh, false, nullptr) == GIF_ERROR)
      return gifError(gif->Error);
    for (int y = y0; y <= y1; ++y)
      if (EGifPutLine(gif.get(), &current[static_cast<std::size_t>(y) * w + x0], bw) == GIF_ERROR)
        return gifError(gif->Error);
    previous.swap(current);
    current.resize(previous.size());
  }
  GifFileType* raw = gif.release();
  if (EGifCloseFile(raw, &error) == GIF_ERROR) return gifError(error);
  return "";
}

}  // namespace Render
}  // namespace Boneplay
