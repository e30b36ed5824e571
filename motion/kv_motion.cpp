#include "kv_motion.h"

namespace Kvat {
namespace Motion {

double FinctionBase::valueAt(double) const { return 0.0; }

FxPlot::FxPlot(std::size_t capacity) { m_vdSample.reserve(capacity); }

void FxPlot::reserveSamples(std::size_t count, const std::shared_ptr<SampleArena>& arena) {
  if (count <= m_vdSample.capacity()) return;
  Samples room{SampleAllocator(arena)};
  room.reserve(count);
  room.insert(room.end(), m_vdSample.begin(), m_vdSample.end());
  m_vdSample = std::move(room);
}

void FxPlot::releaseUnusedRoom() {
  // The samples alone, on the heap: room in an arena is given back with the
  // arena, once no channel holds room there any more.
  Samples room;
  room.reserve(m_vdSample.size());
  room.insert(room.end(), m_vdSample.begin(), m_vdSample.end());
  m_vdSample = std::move(room);
}

std::vector<Fx*> Motion::fxList() const {
  std::vector<Fx*> list;
  list.reserve(m_vFx.size());
  for (const auto& fx : m_vFx) list.push_back(fx.get());
  return list;
}

}  // namespace Motion
}  // namespace Kvat
