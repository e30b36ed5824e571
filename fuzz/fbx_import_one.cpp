#include "fbx_import_one.h"

#include "fbx_pose_every_node.h"
#include "fbxsdk/fileio/kfbx_reader_fbx.h"
#include "fbxsdk/fileio/kstream_options_fbx.h"
#include "fbxsdk/scene/kfbx_scene_graph.h"
#include "fbxsdk/scene/kfbx_sdk_manager.h"

bool FbxImportOne(const uint8_t* pData, size_t uSize) {
  KFbxSdkManager xManager;
  KFbxSceneGraph* pxScene = xManager.CreateScene();
  KFbxReaderFbx xReader(xManager, nullptr);
  if (!xReader.FileOpenMemory(pData, uSize)) return true;
  KStreamOptions* pxOptions = xReader.GetReadOptions(false);
  if (!pxOptions) return false;
  xReader.Read(*pxScene, pxOptions);
  return FbxPoseEveryNode(*pxScene);
}
