#pragma once
// Files laid out field by field, imported into a fresh scene.

#include <memory>
#include <string>

#include "fbx_fields.h"
#include "fbxsdk/scene/kfbx_sdk_manager.h"

class KFbxNode;
class KFbxSceneGraph;

namespace ImportFields {

struct Result {
  std::unique_ptr<KFbxSdkManager> m_pxManager = std::make_unique<KFbxSdkManager>();
  KFbxSceneGraph* m_pxScene = m_pxManager->CreateScene();
  bool m_bOk = false;
  std::string m_xError;
  KFbxNode* Node(const char* pszName) const;
  const char* ParentOf(const char* pszName) const;
};

// Writes the section to the test folder (binary or ASCII, with the given
// header version) and imports it with the importer's default options; every
// top-level node is checked to pose to finite numbers.
std::unique_ptr<Result> Import(const std::string& xName, KFbxWriteSection xSection, bool bBinary,
                               int iHeaderVersion = 6100);

}  // namespace ImportFields
