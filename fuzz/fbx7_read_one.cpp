#include "fbx7_read_one.h"

#include <memory>
#include <vector>

#include "fbx_pose_every_node.h"
#include "fbxsdk/fileio7/kfbx7_reader.h"
#include "fbxsdk/scene/kfbx_scene_graph.h"
#include "fbxsdk/scene/kfbx_sdk_manager.h"

bool Fbx7ReadOne(const uint8_t* pData, size_t uSize) {
  KFbxSdkManager xManager;
  KFbxSceneGraph* pxScene = xManager.CreateScene();
  if (!KFbx7ReadMemory(pData, uSize, xManager, *pxScene)) return true;
  std::vector<std::unique_ptr<KString>> xTakes;
  pxScene->CollectTakeNames(xTakes);
  bool bNumbers = true;
  for (const auto& pxTake : xTakes) {
    pxScene->SelectTake(pxTake->Buffer());
    bNumbers = FbxPoseEveryNode(*pxScene) && bNumbers;
  }
  return bNumbers;
}
