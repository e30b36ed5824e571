#include "render_test_util.h"

#include <png.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <sstream>

#include "test_tmpdir.h"

namespace rendertest {

using namespace Boneplay::Render;

std::string tempPath(const std::string& name) { return boneplay_test::TempPath(name); }

Animation walker(std::size_t frames, double fps) {
  Animation a;
  a.fps = fps;
  for (std::size_t k = 0; k < frames; ++k) {
    Frame f;
    f.time = k / fps;
    const double z = 50.0 * f.time, swing = 30.0 * std::sin(f.time * 6);
    const Point3 hip{0, 100, z}, neck{0, 170, z}, head{0, 200, z};
    // Built as a new vector and moved in: assigning the braced list into the
    // empty member trips GCC 12's -Wnonnull false positive at -O3.
    f.segments = std::vector<Segment>{{neck, hip},
                                      {head, neck},
                                      {{10, 0, z + swing}, hip},
                                      {{-10, 0, z - swing}, hip},
                                      {{40, 110, z - swing}, neck},
                                      {{-40, 110, z + swing}, neck}};
    a.frames.push_back(f);
  }
  return a;
}

bool Picture::redNear(double x, double y, int radius) const {
  for (int dy = -radius; dy <= radius; ++dy)
    for (int dx = -radius; dx <= radius; ++dx) {
      const int px = static_cast<int>(std::floor(x)) + dx, py = static_cast<int>(std::floor(y)) + dy;
      if (px >= 0 && py >= 0 && px < width && py < height && red(px, py)) return true;
    }
  return false;
}

int Picture::count(bool (Picture::*test)(int, int) const) const {
  int n = 0;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) n += (this->*test)(x, y);
  return n;
}

Picture readPng(const std::string& path) {
  Picture p;
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return p;
  image.format = PNG_FORMAT_RGB;
  std::vector<uint8_t> px(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, px.data(), 0, nullptr)) return p;
  p.width = static_cast<int>(image.width);
  p.height = static_cast<int>(image.height);
  p.rgb = std::move(px);
  return p;
}

std::string slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

}  // namespace rendertest
