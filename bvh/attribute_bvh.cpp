#include "attribute_bvh.h"

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
  for (Motion::Fx* fx : channels) {
    m_viCode.push_back(channelCode(fx->name()));
    m_vpFx.push_back(fx);
  }
}

void AttributeBvh::evaluate(double time) {
  m_xLocal.setTranslation(m_vOffset);
  Matrix4 rotation;
  rotation.setIdentity();
  Vector3 position;
  Vector3 scale;  // axes without a channel collapse to 0, as the file asks
  bool hasPosition = false, hasRotation = false, hasScale = false;

  for (std::size_t i = 0; i < m_vpFx.size(); ++i) {
    const double v = m_vpFx[i]->function()->valueAt(time);
    const int32_t code = m_viCode[i];
    if (code & 0xF0) {
      Matrix4 axis;
      switch (code & 0xF0) {
        case 0x10:
          axis.setRotationX(v * kDegreesToRadians);
          break;
        case 0x20:
          axis.setRotationY(v * kDegreesToRadians);
          break;
        default:
          axis.setRotationZ(v * kDegreesToRadians);
          break;
      }
      // The channel listed last acts first on a point.
      rotation = Matrix4::multiply(axis, rotation);
      hasRotation = true;
    } else if (code >= 1 && code <= 3) {
      (code == 1 ? position.x : code == 2 ? position.y : position.z) = v;
      hasPosition = true;
    } else if (code == 0x100 || code == 0x200 || code == 0x300) {
      (code == 0x100 ? scale.x : code == 0x200 ? scale.y : scale.z) = v;
      hasScale = true;
    }
  }

  if (hasPosition) {
    Matrix4 t;
    t.setTranslation(position);
    m_xLocal = Matrix4::multiply(t, m_xLocal);
  }
  if (hasRotation) m_xLocal = Matrix4::multiply(rotation, m_xLocal);
  if (hasScale) {
    Matrix4 s;
    s.setScaling(scale);
    m_xLocal = Matrix4::multiply(s, m_xLocal);
  }
}

}  // namespace Secne
}  // namespace Kvat
