#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "fbxsdk/scene/kfbx_sdk_manager.h"
#include "node_test_util.h"

// Evaluation reads plain "T", "R", "S" channels through curve pointers kept
// from an earlier evaluation; a channel that loses that shape afterwards must
// be read the general way from the next new time on.
TEST(NodeChannelShape, EvaluationFollowsAChannelThatStopsBeingPlain) {
  const struct {
    const char* what;
    std::function<void(KFCurveNode&)> change;
    double x, y;
  } cases[] = {
      // Values are the channel's own curve first, then X and Y.
      {"the channel gets a curve of its own", [](KFCurveNode& t) { t.FCurveCreate()->SetValue(100.0f); }, 100, 1},
      {"an axis gets a child",
       [](KFCurveNode& t) { t.Get(0)->Add(std::make_unique<KFCurveNode>("W"))->FCurveCreate()->SetValue(9.0f); }, 1, 9},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    KFbxSdkManager xManager;
    KFbxNode* pxNode = xManager.CreateNode("Joint");
    SetChannel(*pxNode, "T", 1, 2, 3);
    EXPECT_EQ(pxNode->LocalTransformAt(KTime(1))[3][0], 1.0);
    c.change(*pxNode->GetTakeNode(0)->GetKFCurveNode()->Find("T"));
    const Matrix44& xLocal = pxNode->LocalTransformAt(KTime(2));
    EXPECT_EQ(xLocal[3][0], c.x);
    EXPECT_EQ(xLocal[3][1], c.y);
  }
}
