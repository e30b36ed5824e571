#include <gtest/gtest.h>

#include "kv_motion.h"

using Kvat::Motion::Fx;
using Kvat::Motion::FxPlot;
using Kvat::Motion::Motion;
using Kvat::Motion::MotionList;

namespace {

TEST(FxPlot, EmptyIsZeroEverywhere) {
  FxPlot plot(0);
  for (double t : {-5.0, 0.0, 0.5, 1e9}) EXPECT_EQ(plot.valueAt(t), 0.0);
  EXPECT_DOUBLE_EQ(plot.interval(), 1.0 / 30.0);
}

TEST(FxPlot, InterpolatesAndHolds) {
  FxPlot plot(0);
  for (double v : {10.0, 20.0, 40.0}) plot.appendSample(v);
  struct Case {
    double t, v;
  };
  const Case cases[] = {{-1, 10},       {0, 10},   {1.0 / 60, 15}, {1.0 / 30, 20}, {0.05, 30},
                        {1.0 / 15, 40}, {0.1, 40}, {1e12, 40},     {0.06, 36}};
  for (const Case& c : cases) EXPECT_NEAR(plot.valueAt(c.t), c.v, 1e-9) << "t=" << c.t;
}

TEST(FxPlot, SingleSampleIsConstant) {
  FxPlot plot(4);
  plot.appendSample(-7.5);
  for (double t : {-1.0, 0.0, 0.02, 100.0}) EXPECT_EQ(plot.valueAt(t), -7.5);
}

TEST(FxPlot, AnglesInterpolateComponentwise) {
  FxPlot plot(0);
  plot.appendSample(179);
  plot.appendSample(-179);
  EXPECT_NEAR(plot.valueAt(1.0 / 60), 0.0, 1e-9);
}

TEST(MotionList, OwnsItsChainInOrder) {
  MotionList list;
  EXPECT_EQ(list.name(), "");
  auto* m = new Motion("Hips");
  m->append(new Fx("Xposition", new FxPlot(0)));
  m->append(new Fx("Yrotation", new FxPlot(0)));
  list.append(m);
  list.append(new Motion("Chest"));
  ASSERT_EQ(list.count(), 2u);
  EXPECT_EQ(list.motion(0)->name(), "Hips");
  EXPECT_EQ(list.motion(1)->count(), 0u);
  auto fx = list.motion(0)->fxList();
  ASSERT_EQ(fx.size(), 2u);
  EXPECT_EQ(fx[1]->name(), "Yrotation");
  EXPECT_NE(fx[1]->function(), nullptr);
}

}  // namespace
