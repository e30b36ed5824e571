#include <gif_lib.h>

#include <cmath>
#include <memory>
#include <vector>

#include "writers.h"

namespace boneplay {
namespace render {

namespace {

// 16 grid levels x 16 line levels: every mix of the two layers has an entry.
constexpr int kLevels = 16;

int level(uint8_t coverage) { return (coverage * (kLevels - 1) + 127) / 255; }

uint8_t mix(double background, double grid, double line, int g, int l) {
  const double base = background + (grid - background) * g / (kLevels - 1.0);
  const double v = base + (line - base) * l / (kLevels - 1.0);
  return static_cast<uint8_t>(std::lround(std::min(1.0, std::max(0.0, v)) * 255));
}

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
  for (int l = 0; l < kLevels; ++l)
    for (int g = 0; g < kLevels; ++g) {
      GifColorType& c = map->Colors[l * kLevels + g];
      c.Red = mix(st.background.r, st.grid.r, line.r, g, l);
      c.Green = mix(st.background.g, st.grid.g, line.g, g, l);
      c.Blue = mix(st.background.b, st.grid.b, line.b, g, l);
    }

  int error = 0;
  std::unique_ptr<GifFileType, GifCloser> gif(EGifOpenFileName(path.c_str(), false, &error));
  if (!gif) return gifError(error);
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

  const Projection projection(options.view, animation, w, h);
  Canvas canvas(w, h);
  std::vector<GifPixelType> row(static_cast<std::size_t>(w));
  const double fps = animation.fps > 0 ? animation.fps : 30;
  for (std::size_t k = 0; k < animation.frames.size(); ++k) {
    drawFrame(canvas, projection, animation.frames[k], st);
    // Delays are in hundredths of a second; spreading the rounding keeps the
    // whole loop at the clip's own length.
    const long start = std::lround(k * 100.0 / fps), end = std::lround((k + 1) * 100.0 / fps);
    GraphicsControlBlock gcb{};
    gcb.DisposalMode = DISPOSAL_UNSPECIFIED;
    gcb.UserInputFlag = false;
    gcb.DelayTime = static_cast<int>(std::max(1L, end - start));
    gcb.TransparentColor = NO_TRANSPARENT_COLOR;
    GifByteType ext[4];
    EGifGCBToExtension(&gcb, ext);
    if (EGifPutExtension(gif.get(), GRAPHICS_EXT_FUNC_CODE, 4, ext) == GIF_ERROR ||
        EGifPutImageDesc(gif.get(), 0, 0, w, h, false, nullptr) == GIF_ERROR)
      return gifError(gif->Error);
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x)
        row[x] = static_cast<GifPixelType>(level(canvas.coverage(Layer::Line, x, y)) * kLevels +
                                           level(canvas.coverage(Layer::Grid, x, y)));
      if (EGifPutLine(gif.get(), row.data(), w) == GIF_ERROR) return gifError(gif->Error);
    }
  }
  GifFileType* raw = gif.release();
  if (EGifCloseFile(raw, &error) == GIF_ERROR) return gifError(error);
  return "";
}

}  // namespace render
}  // namespace boneplay
