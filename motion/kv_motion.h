#pragma once
// The motion of a clip, apart from the skeleton: a list of motions (one per
// joint with channels), each a list of named channel functions of time.

#include <memory>
#include <string>
#include <vector>

#include "kv_node.h"
#include "kv_sample_arena.h"

namespace Kvat {
namespace Motion {

// A function of time in seconds.
class FinctionBase {
 public:
  virtual ~FinctionBase() = default;
  virtual double valueAt(double time) const;
};

class Function : public FinctionBase {};

// Samples taken every 1/30 s, linearly interpolated and held at both ends.
class FxPlot : public Function {
 public:
  static constexpr double kSamplingInterval = 1.0 / 30.0;

  explicit FxPlot(std::size_t capacity = 0);

  void appendSample(double value) { m_vdSample.push_back(value); }
  // Room for samples a reader expects, taken from an arena the reader shares
  // among the clip's channels (null: the heap); samples already stored move
  // there. And giving back what the reader did not use.
  void reserveSamples(std::size_t count, const std::shared_ptr<SampleArena>& arena);
  void releaseUnusedRoom();
  double valueAt(double time) const override { return sampledValueAt(time); }
  // The same value without the virtual call, for callers that hold an FxPlot
  // and pose many channels at a time.
  double sampledValueAt(double time) const {
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

  double interval() const { return m_dInterval; }
  const Samples& samples() const { return m_vdSample; }

 private:
  // The samples moved into room of the given capacity from the allocator.
  void moveSamples(SampleAllocator allocator, std::size_t capacity);

  double m_dInterval = kSamplingInterval;
  Samples m_vdSample;
};

// One channel: its name as written in the file and its function (owned).
class Fx : public Named {
 public:
  Fx(const std::string& name, FxPlot* pFunction) : Named(name), m_pFunction(pFunction) {}
  FxPlot* function() const { return m_pFunction.get(); }

 private:
  std::unique_ptr<FxPlot> m_pFunction;
};

// The channels of one joint, in channel order (owned).
class Motion : public Named {
 public:
  explicit Motion(const std::string& name) : Named(name) {}
  // Takes ownership at once, so nothing leaks if the list cannot grow.
  void append(Fx* pFx) {
    std::unique_ptr<Fx> owned(pFx);
    m_vFx.push_back(std::move(owned));
  }
  std::size_t count() const { return m_vFx.size(); }
  Fx* fx(std::size_t index) const { return m_vFx[index].get(); }
  std::vector<Fx*> fxList() const;

 private:
  std::vector<std::unique_ptr<Fx>> m_vFx;
};

// The motions of a clip, in the order they were added (owned).
class MotionList : public Named {
 public:
  MotionList() = default;
  void append(Motion* pMotion) {
    std::unique_ptr<Motion> owned(pMotion);
    m_vMotion.push_back(std::move(owned));
  }
  std::size_t count() const { return m_vMotion.size(); }
  Motion* motion(std::size_t index) const { return m_vMotion[index].get(); }

 private:
  std::vector<std::unique_ptr<Motion>> m_vMotion;
};

}  // namespace Motion
}  // namespace Kvat
