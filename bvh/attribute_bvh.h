#pragma once
// The attribute of every joint and end site read from a BVH file: a fixed
// offset from the parent plus the joint's channels, turned into the local
// matrix S * R * T(position) * T(offset) at each evaluation.

#include <cstdint>
#include <vector>

#include "kv_motion.h"
#include "kv_node.h"

namespace Kvat {
namespace Secne {

class AttributeBvh : public Attribute {
 public:
  // Bits 0-3: position axis, 4-7: rotation axis, 8-11: scale axis (1 X, 2 Y, 3 Z).
  static int32_t channelCode(const std::string& channelName);

  AttributeBvh();

  void setOffset(const Vector3& offset) { m_vOffset = offset; }
  const Vector3& offset() const { return m_vOffset; }
  // The functions are not owned: they belong to the clip's motion list.
  void setChannels(const std::vector<Motion::Fx*>& channels);
  const std::vector<int32_t>& channelCodes() const { return m_viCode; }
  const std::vector<Motion::Fx*>& channels() const { return m_vpFx; }

  void evaluate(double time) override;

 private:
  Vector3 m_vOffset;
  std::vector<int32_t> m_viCode;
  std::vector<Motion::Fx*> m_vpFx;
  std::vector<const Motion::FxPlot*> m_vpPlot;  // each channel's function, read at every evaluation
};

}  // namespace Secne
}  // namespace Kvat
