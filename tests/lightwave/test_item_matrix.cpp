#include <gtest/gtest.h>

#include "host_fixture.h"
#include "item_matrix.h"
#include "lw_skl_generator.h"

using Kvat::Matrix4;

namespace {

void expectMatrix(const Matrix4& actual, const double (&expected)[16]) {
  for (int i = 0; i < 16; ++i) EXPECT_NEAR(actual[i], expected[i], 1e-12) << "entry " << i;
}

// Pivot (0.5, 0, 0), scaling (2, 1, 1), heading 90, pivot rotation bank 90,
// position (1, 2, 3). By hand, row by row (images of X, Y, Z, then the origin):
//   X: scaled to 2X, heading turns X to -Z, bank leaves Z      -> (0, 0, -2)
//   Y: unscaled, heading leaves Y, bank turns Y to -X         -> (-1, 0, 0)
//   Z: unscaled, heading turns Z to X, bank turns X to Y      -> (0, 1, 0)
//   origin: -pivot (-0.5,0,0), scaled (-1,0,0), heading (0,0,1), bank (0,0,1),
//           moved by the position                            -> (1, 2, 4)
const char* const kPivotScene = R"({"items": [
  {"name": "Parent", "position": [10, 0, 0]},
  {"name": "Item", "parent": "Parent", "position": [1, 2, 3], "rotation": [90, 0, 0],
   "scaling": [2, 1, 1], "pivot": [0.5, 0, 0], "pivotRotation": [0, 0, 90]}]})";
constexpr double kPivotItemLocal[16] = {0, 0, -2, 0, -1, 0, 0, 0, 0, 1, 0, 0, 1, 2, 4, 1};

class ItemMatrixTest : public HostTest {};

TEST_F(ItemMatrixTest, LocalMatrixAppliesPivotScaleRotationPivotRotationPosition) {
  startHost(kPivotScene);
  expectMatrix(Kvat::itemLocalMatrix(*itemInfo(), item("Item"), 0.0), kPivotItemLocal);

  Kvat::Secne::AttributeLW attribute(itemInfo(), item("Item"));
  attribute.evaluate(0.0);
  expectMatrix(attribute.local(), kPivotItemLocal);
  EXPECT_EQ(attribute.item(), item("Item"));
}

TEST_F(ItemMatrixTest, WorldMatrixAppliesTheItemFirstAndItsAncestorsAfter) {
  startHost(kPivotScene);
  double expected[16];
  for (int i = 0; i < 16; ++i) expected[i] = kPivotItemLocal[i];
  expected[12] += 10.0;  // the parent only moves along X
  expectMatrix(Kvat::itemWorldMatrix(*itemInfo(), item("Item"), 0.0), expected);
}

TEST_F(ItemMatrixTest, AttributeFollowsKeyedChannelsOverTime) {
  startHost(R"({"items": [{"name": "Moving", "position": [[0, [0, 0, 0]], [2, [4, -2, 0]]],
                           "scaling": [[0, [1, 1, 1]], [2, [3, 3, 3]]]}]})");
  Kvat::Secne::AttributeLW attribute(itemInfo(), item("Moving"));
  attribute.evaluate(1.0);
  const double atOne[16] = {2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 2, 0, 2, -1, 0, 1};
  expectMatrix(attribute.local(), atOne);
  attribute.evaluate(5.0);
  const double held[16] = {3, 0, 0, 0, 0, 3, 0, 0, 0, 0, 3, 0, 4, -2, 0, 1};
  expectMatrix(attribute.local(), held);
}

}  // namespace
