#include "kv_motion.h"

namespace Kvat {
namespace Motion {

double FinctionBase::valueAt(double) const { return 0.0; }

FxPlot::FxPlot(std::size_t capacity) { m_vdSample.reserve(capacity); }

std::vector<Fx*> Motion::fxList() const {
  std::vector<Fx*> list;
  list.reserve(m_vFx.size());
  for (const auto& fx : m_vFx) list.push_back(fx.get());
  return list;
}

}  // namespace Motion
}  // namespace Kvat
