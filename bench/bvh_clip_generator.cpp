#include "bvh_clip_generator.h"

#include <cstdio>
#include <random>
#include <vector>

namespace Boneplay {
namespace Bench {

namespace {

// Deeper rigs than this do not occur in capture files, and the reader's
// parse stack holds fewer than 40 nested joints.
constexpr int kMaxDepth = 8;

// mt19937's sequence is fixed by the standard; the distributions are not,
// so values are made from its raw output.
struct Random {
  std::mt19937 engine;
  explicit Random(uint32_t seed) : engine(seed) {}
  uint32_t below(uint32_t n) { return static_cast<uint32_t>(engine() % n); }
  double between(double lo, double hi) { return lo + (hi - lo) * (engine() / 4294967296.0); }
};

// Each joint's parent: mostly the joint before it, sometimes a shallow one,
// so the tree has limbs a few joints long.
std::vector<int> makeParents(int joints, Random& random) {
  std::vector<int> parent(joints, -1), depth(joints, 0);
  for (int i = 1; i < joints; ++i) {
    int p = i - 1;
    if (depth[p] >= kMaxDepth - 1 || random.below(5) == 0) {
      do p = static_cast<int>(random.below(static_cast<uint32_t>(i)));
      while (depth[p] > 2);
    }
    parent[i] = p;
    depth[i] = depth[p] + 1;
  }
  return parent;
}

void appendf(std::string& out, const char* format, double a, double b, double c) {
  char line[128];
  const int n = std::snprintf(line, sizeof line, format, a, b, c);
  out.append(line, static_cast<std::size_t>(n));
}

void writeHierarchy(std::string& out, const std::vector<int>& parent, Random& random) {
  const int joints = static_cast<int>(parent.size());
  std::vector<std::vector<int>> children(joints);
  for (int i = 1; i < joints; ++i) children[parent[i]].push_back(i);
  out += "HIERARCHY\n";
  // Pre-order with an explicit stack; -1 - j marks the closing of joint j.
  std::vector<int> stack = {0};
  while (!stack.empty()) {
    const int j = stack.back();
    stack.pop_back();
    if (j < 0) {
      if (children[-1 - j].empty()) out += "End Site\n{\nOFFSET 0.000000 2.500000 0.000000\n}\n";
      out += "}\n";
      continue;
    }
    out += j == 0 ? "ROOT Hips\n{\n" : "JOINT J" + std::to_string(j) + "\n{\n";
    appendf(out, "OFFSET %.6f %.6f %.6f\n", random.between(-20, 20), random.between(-20, 20), random.between(-20, 20));
    out += j == 0 ? "CHANNELS 6 Xposition Yposition Zposition Zrotation Xrotation Yrotation\n"
                  : "CHANNELS 3 Zrotation Xrotation Yrotation\n";
    stack.push_back(-1 - j);
    for (auto c = children[j].rbegin(); c != children[j].rend(); ++c) stack.push_back(*c);
  }
}

}  // namespace

std::string makeBvhClip(int joints, int frames, uint32_t seed) {
  Random random(seed);
  std::string out;
  if (joints < 1) joints = 1;
  writeHierarchy(out, makeParents(joints, random), random);
  out += "MOTION\nFrames: " + std::to_string(frames) + "\nFrame Time: 0.033333\n";
  const int channels = 6 + 3 * (joints - 1);
  out.reserve(out.size() + static_cast<std::size_t>(frames) * channels * 11);
  char value[32];
  for (int f = 0; f < frames; ++f) {
    for (int c = 0; c < channels; ++c) {
      const double v = c < 3 ? random.between(-100, 100) : random.between(-180, 180);
      const int n = std::snprintf(value, sizeof value, c ? " %.6f" : "%.6f", v);
      out.append(value, static_cast<std::size_t>(n));
    }
    out += '\n';
  }
  return out;
}

}  // namespace Bench
}  // namespace Boneplay
