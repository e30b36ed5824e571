#include "kv_motion.h"

namespace Kvat {
namespace Motion {

double FinctionBase::valueAt(double) const { return 0.0; }

FxPlot::FxPlot(std::size_t capacity) { m_vdSample.reserve(capacity); }

double FxPlot::valueAt(double time) const {
  const std::size_t n = m_vdSample.size();
  if (n == 0) return 0.0;
  if (time < 0.0) return m_vdSample[0];
  const double frames = time / m_dInterval;
  // Checked before the truncation so that far-away times cannot overflow it.
  if (!(frames < static_cast<double>(n - 1))) return m_vdSample[n - 1];
  const int f = static_cast<int>(frames);
  const double w = (time - f * m_dInterval) / m_dInterval;
  return (1.0 - w) * m_vdSample[f] + w * m_vdSample[f + 1];
}

std::vector<Fx*> Motion::fxList() const {
  std::vector<Fx*> list;
  list.reserve(m_vFx.size());
  for (const auto& fx : m_vFx) list.push_back(fx.get());
  return list;
}

}  // namespace Motion
}  // namespace Kvat
