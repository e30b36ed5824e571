#pragma once
// What the render tests share: a temporary folder of their own, a walking
// stick figure to draw, and PNG pictures read back as RGB.

#include <cstdint>
#include <string>
#include <vector>

#include "animation.h"

namespace rendertest {

// A file name inside this process's own temporary folder.
std::string tempPath(const std::string& name);

// A stick figure walking along +z, two metres tall, arms swinging; its first
// line ends at the hip, the skeleton's first joint.
Boneplay::Render::Animation walker(std::size_t frames, double fps = 10);

struct Picture {
  int width = 0, height = 0;
  std::vector<uint8_t> rgb;  // empty when the file could not be read
  const uint8_t* at(int x, int y) const { return &rgb[(static_cast<std::size_t>(y) * width + x) * 3]; }
  bool red(int x, int y) const { return at(x, y)[0] > 200 && at(x, y)[1] < 80 && at(x, y)[2] < 80; }
  // Any red pixel within `radius` of (x, y).
  bool redNear(double x, double y, int radius) const;
  int count(bool (Picture::*test)(int, int) const) const;
};
Picture readPng(const std::string& path);

std::string slurp(const std::string& path);

}  // namespace rendertest
