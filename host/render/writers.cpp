#include "writers.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>

namespace Boneplay {
namespace Render {

namespace {
struct FormatName {
  const char* extension;
  Format format;
};
constexpr FormatName kFormats[] = {
    {"gif", Format::Gif}, {"png", Format::Png}, {"svg", Format::Svg}, {"html", Format::Html}, {"htm", Format::Html}};
}  // namespace

bool formatFromPath(const std::string& path, Format& format) {
  const std::size_t dot = path.find_last_of('.');
  if (dot == std::string::npos || path.find('/', dot) != std::string::npos) return false;
  std::string ext = path.substr(dot + 1);
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  for (const FormatName& f : kFormats)
    if (ext == f.extension) {
      format = f.format;
      return true;
    }
  return false;
}

std::string writePicture(Format format, const Animation& animation, const RenderOptions& options,
                         const std::string& path) {
  switch (format) {
    case Format::Gif:
      return writeGif(animation, options, path);
    case Format::Png:
      return writePng(animation, options, path);
    case Format::Svg:
      return writeSvg(animation, options, path);
    case Format::Html:
      return writeHtml(animation, options, path);
  }
  return "unknown picture format";
}

std::string cssColour(const Colour& c) {
  char buf[40];
  auto v = [](double x) { return static_cast<int>(std::lround(std::clamp(x, 0.0, 1.0) * 255)); };
  std::snprintf(buf, sizeof buf, "rgb(%d,%d,%d)", v(c.r), v(c.g), v(c.b));
  return buf;
}

std::vector<std::size_t> sheetFrames(std::size_t frameCount, std::size_t count) {
  std::vector<std::size_t> picked;
  if (frameCount == 0 || count == 0) return picked;
  const std::size_t n = std::min(frameCount, count);
  for (std::size_t i = 0; i < n; ++i) picked.push_back(n == 1 ? 0 : (i * (frameCount - 1) + (n - 1) / 2) / (n - 1));
  return picked;
}

}  // namespace Render
}  // namespace Boneplay
