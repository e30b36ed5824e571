#include "packed_clip.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <map>
#include <unordered_map>

#include "projection.h"

namespace Boneplay {
namespace Render {

namespace {

bool finite(const Point3& p) { return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z); }

// One frame's distinct end points and the index pairs of its lines.
struct FramePoints {
  std::vector<Point3> points;
  std::vector<uint32_t> shape;  // point count, then the pairs
};

struct PointKey {
  uint64_t bits[3];
  bool operator==(const PointKey& o) const { return std::memcmp(bits, o.bits, sizeof bits) == 0; }
};
struct PointHash {
  std::size_t operator()(const PointKey& k) const { return k.bits[0] ^ (k.bits[1] * 31) ^ (k.bits[2] * 1000003); }
};

FramePoints distinctPoints(const Frame& frame) {
  FramePoints fp;
  std::unordered_map<PointKey, uint32_t, PointHash> seen;
  auto indexOf = [&](const Point3& p) {
    PointKey key;
    std::memcpy(&key.bits[0], &p.x, 8);
    std::memcpy(&key.bits[1], &p.y, 8);
    std::memcpy(&key.bits[2], &p.z, 8);
    const auto found = seen.emplace(key, static_cast<uint32_t>(fp.points.size()));
    if (found.second) fp.points.push_back(p);
    return found.first->second;
  };
  fp.shape.push_back(0);
  for (const Segment& s : frame.segments) {
    fp.shape.push_back(indexOf(s.a));
    fp.shape.push_back(indexOf(s.b));
  }
  fp.shape[0] = static_cast<uint32_t>(fp.points.size());
  return fp;
}

template <typename T>
void put(std::string& out, T value) {
  // Little-endian whatever the machine: the page reads typed arrays that way.
  unsigned char raw[sizeof(T)];
  std::memcpy(raw, &value, sizeof(T));
  const uint16_t probe = 1;
  if (*reinterpret_cast<const unsigned char*>(&probe) == 0) std::reverse(raw, raw + sizeof(T));
  out.append(reinterpret_cast<const char*>(raw), sizeof(T));
}

}  // namespace

PackedClip packClip(const Animation& animation) {
  PackedClip packed;
  const std::size_t n = animation.frames.size();
  std::vector<FramePoints> frames(n);
  std::vector<Point3> joints(n);
  Point3 joint;
  double lo[3], hi[3];
  std::fill(lo, lo + 3, std::numeric_limits<double>::infinity());
  std::fill(hi, hi + 3, -std::numeric_limits<double>::infinity());
  // Each frame's points, its first joint, and the reach of all offsets.
  for (std::size_t k = 0; k < n; ++k) {
    frames[k] = distinctPoints(animation.frames[k]);
    const Point3* first = firstJoint(animation.frames[k]);
    if (first && finite(*first)) joint = *first;
    joints[k] = joint;
    for (const Point3& p : frames[k].points) {
      const double o[3] = {p.x - joint.x, p.y - joint.y, p.z - joint.z};
      if (!std::isfinite(o[0]) || !std::isfinite(o[1]) || !std::isfinite(o[2])) continue;
      for (int i = 0; i < 3; ++i) lo[i] = std::min(lo[i], o[i]), hi[i] = std::max(hi[i], o[i]);
    }
  }
  for (int i = 0; i < 3; ++i) {
    if (!(lo[i] <= hi[i])) lo[i] = hi[i] = 0;
    packed.offsetMin[i] = lo[i];
    // Divided first: the difference of two huge offsets may overflow.
    packed.offsetStep[i] = hi[i] > lo[i] ? hi[i] / kQuantumSteps - lo[i] / kQuantumSteps : 1;
  }

  // Shapes, shared by every frame that joins the same points.
  std::map<std::vector<uint32_t>, std::size_t> shapeIndex;
  for (std::size_t k = 0; k < n; ++k) {
    const auto found = shapeIndex.emplace(frames[k].shape, packed.shapes.size());
    if (found.second) packed.shapes.push_back(frames[k].shape);
    if (packed.runs.empty() || packed.runs.back()[1] != found.first->second)
      packed.runs.push_back({k, found.first->second});
  }

  std::size_t points = 0;
  for (const FramePoints& f : frames) points += f.points.size();
  packed.bytes.reserve(n * 32 + points * 6);
  for (const Frame& f : animation.frames) put<double>(packed.bytes, f.time);
  for (const Point3& j : joints)
    put<double>(packed.bytes, j.x), put<double>(packed.bytes, j.y), put<double>(packed.bytes, j.z);
  for (std::size_t k = 0; k < n; ++k)
    for (const Point3& p : frames[k].points) {
      const double o[3] = {p.x - joints[k].x, p.y - joints[k].y, p.z - joints[k].z};
      const bool ok = std::isfinite(o[0]) && std::isfinite(o[1]) && std::isfinite(o[2]);
      for (int i = 0; i < 3; ++i) {
        const double q = ok ? std::round((o[i] - lo[i]) / packed.offsetStep[i]) : kMissingPoint;
        put<uint16_t>(packed.bytes, static_cast<uint16_t>(std::clamp(q, 0.0, static_cast<double>(kMissingPoint))));
      }
    }
  return packed;
}

std::string base64(const std::string& bytes) {
  static const char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  for (std::size_t i = 0; i < bytes.size(); i += 3) {
    const std::size_t left = std::min<std::size_t>(3, bytes.size() - i);
    uint32_t v = 0;
    for (std::size_t j = 0; j < 3; ++j) v = (v << 8) | (j < left ? static_cast<unsigned char>(bytes[i + j]) : 0);
    for (std::size_t j = 0; j < 4; ++j) out += j <= left ? kDigits[(v >> (18 - 6 * j)) & 63] : '=';
  }
  return out;
}

}  // namespace Render
}  // namespace Boneplay
