// Channels sharing one block of samples: room comes from the block while it
// lasts and from the heap after, samples survive every move, and the block
// goes once no channel holds room in it.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>

#include "kv_motion.h"
#include "kv_sample_arena.h"

using Kvat::Motion::FxPlot;
using Kvat::Motion::SampleArena;

namespace {

bool inArena(const SampleArena& arena, const FxPlot& plot) {
  return plot.samples().capacity() > 0 && arena.holds(plot.samples().data());
}

}  // namespace

TEST(SampleArena, ChannelsShareTheBlockUntilTheyLeaveIt) {
  std::weak_ptr<SampleArena> watch;
  {
    std::shared_ptr<SampleArena> arena = SampleArena::create(3 * 100);
    ASSERT_TRUE(arena);
    watch = arena;
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(arena->take(0)) % SampleArena::kLargePage, 0u);
    FxPlot a, b, c;
    a.appendSample(1.0);  // stored before the plan: moved into the block
    for (FxPlot* p : {&a, &b, &c}) p->reserveSamples(100, arena);
    arena.reset();  // the channels keep it alive
    ASSERT_FALSE(watch.expired());
    const SampleArena& block = *watch.lock();
    EXPECT_EQ(block.used(), 300u);
    for (FxPlot* p : {&a, &b, &c}) EXPECT_TRUE(inArena(block, *p));
    EXPECT_EQ(a.samples().size(), 1u);
    EXPECT_EQ(a.samples()[0], 1.0);

    // Growing past the plan moves one channel to the heap with its samples.
    for (int i = 0; i < 150; ++i) b.appendSample(i);
    EXPECT_FALSE(inArena(block, b));
    EXPECT_EQ(b.samples().size(), 150u);
    EXPECT_EQ(b.samples()[149], 149.0);
    EXPECT_NEAR(b.valueAt(149.5 / 30.0), 149.0, 1e-12);

    // Giving back unused room leaves the block; the last one out frees it.
    for (FxPlot* p : {&a, &c}) p->releaseUnusedRoom();
    EXPECT_EQ(a.samples().size(), 1u);
    EXPECT_EQ(a.samples()[0], 1.0);
    EXPECT_TRUE(c.samples().empty());
    b.releaseUnusedRoom();
    EXPECT_TRUE(watch.expired());
  }
}

TEST(SampleArena, RefusesWhatItCannotHold) {
  EXPECT_FALSE(SampleArena::create(0));
  EXPECT_FALSE(SampleArena::create(SIZE_MAX / 4));  // the byte count would overflow
  std::shared_ptr<SampleArena> arena = SampleArena::create(10);
  ASSERT_TRUE(arena);
  EXPECT_NE(arena->take(6), nullptr);
  EXPECT_EQ(arena->take(5), nullptr);  // only 4 left
  EXPECT_NE(arena->take(4), nullptr);
  EXPECT_EQ(arena->take(1), nullptr);
  // A channel whose plan does not fit gets heap room and keeps working.
  FxPlot plot;
  plot.reserveSamples(20, arena);
  EXPECT_FALSE(inArena(*arena, plot));
  EXPECT_GE(plot.samples().capacity(), 20u);
}
