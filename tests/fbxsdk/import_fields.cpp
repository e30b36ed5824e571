#include "import_fields.h"

#include <gtest/gtest.h>

#include <cmath>

#include "fbx_scene_writer.h"
#include "fbxsdk/fileio/kfbx_importer.h"
#include "fbxsdk/scene/kfbx_node.h"
#include "fbxsdk/scene/kfbx_scene_graph.h"

namespace ImportFields {

KFbxNode* Result::Node(const char* pszName) const { return m_pxScene->RootNode()->FindDescendant(pszName); }

const char* Result::ParentOf(const char* pszName) const {
  KFbxNode* pxNode = Node(pszName);
  return pxNode && pxNode->GetParent() ? pxNode->GetParent()->Name() : "";
}

std::unique_ptr<Result> Import(const std::string& xName, KFbxWriteSection xSection, bool bBinary, int iHeaderVersion) {
  auto pxResult = std::make_unique<Result>();
  const std::string xPath = TestFolder() + "/" + xName + (bBinary ? "_b" : "_a") + ".fbx";
  std::string xError;
  EXPECT_TRUE(WriteFields(xPath, std::move(xSection), bBinary, iHeaderVersion, &xError)) << xError;
  KFbxImporter* pxImporter = pxResult->m_pxManager->CreateImporter();
  pxResult->m_bOk = pxImporter->Initialize(xPath.c_str()) && pxImporter->Import(pxResult->m_pxScene);
  pxResult->m_xError = pxImporter->GetError().GetLastErrorString();
  for (double dT : {0.0, 0.5, 7.0})
    for (int i = 0; i < pxResult->m_pxScene->RootNode()->ChildCount(); ++i) {
      const Matrix44& xM = pxResult->m_pxScene->RootNode()->Child(i)->GlobalMatrixAt(KTime::FromSeconds(dT));
      for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) EXPECT_TRUE(std::isfinite(xM[r][c]));
    }
  return pxResult;
}

}  // namespace ImportFields
