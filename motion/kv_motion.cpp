#include "kv_motion.h"

namespace Kvat {
namespace Motion {

double FinctionBase::valueAt(double) const { return 0.0; }

FxPlot::FxPlot(std::size_t capacity) { m_vdSample.reserve(capacity); }

void FxPlot::moveSamples(SampleAllocator allocator, std::size_t capacity) {
  Samples room{std::move(allocator)};
  room.reserve(capacity);
  room.insert(room.end(), m_vdSample.begin(), m_vdSample.end());
  m_vdSample = std::move(room);
}

void FxPlot::reserveSamples(std::size_t count, const std::shared_ptr<SampleArena>& arena) {
  if (count > m_vdSample.capacity()) moveSamples(SampleAllocator(arena), count);
}

// The samples alone, on the heap: room in an arena is given back with the
// arena, once no channel holds room there any more.
void FxPlot::releaseUnusedRoom() { moveSamples(SampleAllocator(), m_vdSample.size()); }

std::vector<Fx*> Motion::fxList() const {
  std::vector<Fx*> list;
  list.reserve(m_vFx.size());
  for (const auto& fx : m_vFx) list.push_back(fx.get());
  return list;
}

}  // namespace Motion
}  // namespace Kvat
