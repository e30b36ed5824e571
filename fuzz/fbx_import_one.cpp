#include "fbx_import_one.h"

#include <vector>

#include "fbxsdk/fileio/kfbx_reader_fbx.h"
#include "fbxsdk/fileio/kstream_options_fbx.h"
#include "fbxsdk/scene/kfbx_node.h"
#include "fbxsdk/scene/kfbx_scene_graph.h"
#include "fbxsdk/scene/kfbx_sdk_manager.h"

void FbxImportOne(const uint8_t* pData, size_t uSize) {
  KFbxSdkManager xManager;
  KFbxSceneGraph* pxScene = xManager.CreateScene();
  KFbxReaderFbx xReader(xManager, nullptr);
  if (!xReader.FileOpenMemory(pData, uSize)) return;
  KStreamOptions* pxOptions = xReader.GetReadOptions(false);
  if (!pxOptions) return;
  xReader.Read(*pxScene, pxOptions);
  std::vector<KFbxNode*> xStack{pxScene->RootNode()};
  while (!xStack.empty()) {
    KFbxNode* pxNode = xStack.back();
    xStack.pop_back();
    for (double dSeconds : {-1.0, 0.5, 3.0}) pxNode->GlobalMatrixAt(KTime::FromSeconds(dSeconds));
    for (int i = 0; i < pxNode->ChildCount(); ++i) xStack.push_back(pxNode->Child(i));
  }
}
