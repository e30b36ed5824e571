#include "attribute_bvh.h"

#include <cmath>
#include <string_view>

namespace Kvat {
namespace Secne {

namespace {

struct ChannelName {
  std::string_view name;
  int32_t code;
};

constexpr ChannelName kChannels[] = {
    {"Xposition", 0x001}, {"Yposition", 0x002}, {"Zposition", 0x003}, {"Xrotation", 0x010}, {"Yrotation", 0x020},
    {"Zrotation", 0x030}, {"Xscale", 0x100},    {"Yscale", 0x200},    {"Zscale", 0x300},
};

constexpr double kDegreesToRadians = 0.017453292519943295;

}  // namespace

int32_t AttributeBvh::channelCode(const std::string& channelName) {
  for (const ChannelName& c : kChannels)
    if (c.name == channelName) return c.code;
  return 0;
}

// An offset the file never sets leaves the joint one unit off on every axis,
// which makes a missing OFFSET line visible instead of collapsing the joint.
AttributeBvh::AttributeBvh() : m_vOffset(1.0, 1.0, 1.0) {}

void AttributeBvh::setChannels(const std::vector<Motion::Fx*>& channels) {
  m_viCode.clear();
  m_vpFx.clear();
  m_vpPlot.clear();
  for (Motion::Fx* fx : channels) {
    m_viCode.push_back(channelCode(fx->name()));
    m_vpFx.push_back(fx);
    m_vpPlot.push_back(fx->function());
  }
}

namespace {

// Beyond this many radians (some 5.7 million degrees, never a real joint's
// angle) the C library's functions reduce the angle instead.
constexpr double kLargeAngle = 1e5;

// sin and cos of x together, to within an ulp or two of the C library's:
// x less the nearest multiple of pi/2 (pi/2 split in three parts, so the
// products are exact for every x up to kLargeAngle), then the Taylor series
// of both on the remaining quarter turn, whose first dropped terms are below
// 1e-16. Several times faster than the library's two calls.
void sinCos(double x, double& sine, double& cosine) {
  if (!(std::fabs(x) <= kLargeAngle)) {
    sine = std::sin(x);
    cosine = std::cos(x);
    return;
  }
  constexpr double kTwoOverPi = 0.63661977236758134308;
  constexpr double kHalfPi1 = 1.57079632673412561417e+00;  // the first 33 bits of pi/2
  constexpr double kHalfPi2 = 6.07710050630396597660e-11;  // the next 33 bits
  constexpr double kHalfPi3 = 2.02226624879595063154e-21;  // the rest
  // Adding and taking away 1.5 * 2^52 rounds to the nearest integer.
  constexpr double kRound = 6755399441055744.0;
  const double q = (x * kTwoOverPi + kRound) - kRound;
  const double r = ((x - q * kHalfPi1) - q * kHalfPi2) - q * kHalfPi3;
  const double r2 = r * r, r4 = r2 * r2, r8 = r4 * r4;
  // The series' coefficients 1/3!, 1/5!, ... 1/15! and 1/2!, 1/4!, ...
  // 1/16! with alternating signs, summed in pairs (Estrin) to keep the chain
  // of dependent operations short.
  const double ps = (-1.0 / 6 + r2 * (1.0 / 120)) + r4 * (-1.0 / 5040 + r2 * (1.0 / 362880)) +
                    r8 * ((-1.0 / 39916800 + r2 * (1.0 / 6227020800)) + r4 * (-1.0 / 1307674368000));
  const double pc =
      (-0.5 + r2 * (1.0 / 24)) + r4 * (-1.0 / 720 + r2 * (1.0 / 40320)) +
      r8 * ((-1.0 / 3628800 + r2 * (1.0 / 479001600)) + r4 * (-1.0 / 87178291200 + r2 * (1.0 / 20922789888000)));
  const double s = r + r * r2 * ps;
  const double c = 1.0 + r2 * pc;
  switch (static_cast<int64_t>(q) & 3) {
    case 0:
      sine = s;
      cosine = c;
      break;
    case 1:
      sine = c;
      cosine = -s;
      break;
    case 2:
      sine = -s;
      cosine = -c;
      break;
    default:
      sine = -c;
      cosine = s;
      break;
  }
}

// R = A * R for A the turn about one axis (1 X, 2 Y, 3 Z) whose angle has
// cosine c and sine s, as Matrix4's setRotationX/Y/Z build it. Only the two
// rows the turn mixes change; each entry is the same sum of the same
// products a full 4x4 multiply forms, less its terms that are exactly zero.
void turnRows(double r[3][3], int axis, double c, double s) {
  const int a = axis == 1 ? 1 : 0;  // the row that takes  c * ra + s * rb
  const int b = axis == 3 ? 1 : 2;  // the row that takes -s * ra + c * rb
  const double sa = axis == 2 ? -s : s;
  for (int j = 0; j < 3; ++j) {
    const double ra = r[a][j], rb = r[b][j];
    r[a][j] = c * ra + sa * rb;
    r[b][j] = -sa * ra + c * rb;
  }
}

}  // namespace

// The local matrix is S * R * T(position) * T(offset); it is written entry
// by entry instead of as those products, with the same values.
void AttributeBvh::evaluate(double time) {
  double r[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
  Vector3 position;
  Vector3 scale;  // axes without a channel collapse to 0, as the file asks
  bool hasScale = false;

  for (std::size_t i = 0; i < m_vpFx.size(); ++i) {
    const double v = m_vpPlot[i]->sampledValueAt(time);
    const int32_t code = m_viCode[i];
    if (code & 0xF0) {
      // The channel listed last acts first on a point.
      double sine, cosine;
      sinCos(v * kDegreesToRadians, sine, cosine);
      turnRows(r, (code & 0xF0) == 0x10 ? 1 : (code & 0xF0) == 0x20 ? 2 : 3, cosine, sine);
    } else if (code >= 1 && code <= 3) {
      (code == 1 ? position.x : code == 2 ? position.y : position.z) = v;
    } else if (code == 0x100 || code == 0x200 || code == 0x300) {
      (code == 0x100 ? scale.x : code == 0x200 ? scale.y : scale.z) = v;
      hasScale = true;
    }
  }

  const double factor[3] = {hasScale ? scale.x : 1.0, hasScale ? scale.y : 1.0, hasScale ? scale.z : 1.0};
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) m_xLocal(i, j) = factor[i] * r[i][j];
    m_xLocal(i, 3) = 0.0;
  }
  // Position channels add to the offset; without any the sum is the offset.
  m_xLocal(3, 0) = position.x + m_vOffset.x;
  m_xLocal(3, 1) = position.y + m_vOffset.y;
  m_xLocal(3, 2) = position.z + m_vOffset.z;
  m_xLocal(3, 3) = 1.0;
}

}  // namespace Secne
}  // namespace Kvat
