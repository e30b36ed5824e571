#include "fbx_pose_every_node.h"

#include <cmath>
#include <vector>

#include "fbxsdk/scene/kfbx_node.h"
#include "fbxsdk/scene/kfbx_scene_graph.h"

bool FbxPoseEveryNode(KFbxSceneGraph& xScene) {
  bool bNumbers = true;
  std::vector<KFbxNode*> xStack{xScene.RootNode()};
  while (!xStack.empty()) {
    KFbxNode* pxNode = xStack.back();
    xStack.pop_back();
    for (double dSeconds : {-1.0, 0.5, 3.0}) {
      const Matrix44& xM = pxNode->GlobalMatrixAt(KTime::FromSeconds(dSeconds));
      for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) bNumbers = bNumbers && !std::isnan(xM[r][c]);
    }
    for (int i = 0; i < pxNode->ChildCount(); ++i) xStack.push_back(pxNode->Child(i));
  }
  return bNumbers;
}
