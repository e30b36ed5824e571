#include "fbx7_read_one.h"

#include <cmath>
#include <memory>
#include <vector>

#include "fbxsdk/fileio7/kfbx7_reader.h"
#include "fbxsdk/scene/kfbx_node.h"
#include "fbxsdk/scene/kfbx_scene_graph.h"
#include "fbxsdk/scene/kfbx_sdk_manager.h"

bool Fbx7ReadOne(const uint8_t* pData, size_t uSize) {
  KFbxSdkManager xManager;
  KFbxSceneGraph* pxScene = xManager.CreateScene();
  if (!KFbx7ReadMemory(pData, uSize, xManager, *pxScene)) return true;
  std::vector<std::unique_ptr<KString>> xTakes;
  pxScene->CollectTakeNames(xTakes);
  bool bFinite = true;
  for (const auto& pxTake : xTakes) {
    pxScene->SelectTake(pxTake->Buffer());
    std::vector<KFbxNode*> xStack{pxScene->RootNode()};
    while (!xStack.empty()) {
      KFbxNode* pxNode = xStack.back();
      xStack.pop_back();
      for (double dSeconds : {-1.0, 0.5, 3.0}) {
        const Matrix44& xM = pxNode->GlobalMatrixAt(KTime::FromSeconds(dSeconds));
        for (int r = 0; r < 4; ++r)
          for (int c = 0; c < 4; ++c) bFinite = bFinite && !std::isnan(xM[r][c]);
      }
      for (int i = 0; i < pxNode->ChildCount(); ++i) xStack.push_back(pxNode->Child(i));
    }
  }
  return bFinite;
}
