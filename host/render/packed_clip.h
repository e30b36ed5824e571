#pragma once
// The segments of a whole clip packed small for the HTML player. Each frame
// keeps its distinct end points (a joint is the end of several lines) as
// 16-bit offsets from the frame's first joint, quantised over the clip's
// largest reach, and the lines as index pairs into them; frames whose lines
// join the same points share one shape. A ten-minute clip of 60 joints at
// 30 frames per second packs to about 7 MB (under 10 MB as base64).

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "animation.h"

namespace Boneplay {
namespace Render {

// A point whose coordinates are not finite: lines ending there are not drawn.
constexpr uint16_t kMissingPoint = 0xFFFF;
constexpr double kQuantumSteps = 65534;  // offsets take 0..65534, leaving kMissingPoint free

struct PackedClip {
  // Which points each line joins: the first number is the shape's point count,
  // then a pair of point indexes per line.
  std::vector<std::vector<uint32_t>> shapes;
  // Runs of frames with one shape: (first frame, shape index), in frame order.
  std::vector<std::array<std::size_t, 2>> runs;
  // An offset q on axis i stands for offsetMin[i] + q * offsetStep[i].
  double offsetMin[3] = {0, 0, 0}, offsetStep[3] = {1, 1, 1};
  // Little-endian: each frame's time (64-bit float), then each frame's first
  // joint (three 64-bit floats; a frame without lines keeps the one before),
  // then every frame's points in turn (three 16-bit offsets each).
  std::string bytes;
};

PackedClip packClip(const Animation& animation);

std::string base64(const std::string& bytes);

}  // namespace Render
}  // namespace Boneplay
