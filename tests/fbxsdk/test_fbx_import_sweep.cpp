#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "fbx_scene_writer.h"
#include "fbxsdk/fileio/kfbx_reader_fbx.h"
#include "fbxsdk/fileio/kstream_options_fbx.h"
#include "fbxsdk/scene/kfbx_node.h"
#include "fbxsdk/scene/kfbx_scene_graph.h"
#include "fbxsdk/scene/kfbx_sdk_manager.h"

namespace {

// What the fuzz target does with one input: read it from memory and pose
// every node at three times; the poses must be finite.
void ReadAndPose(const std::string& xBytes) {
  KFbxSdkManager xManager;
  KFbxSceneGraph* pxScene = xManager.CreateScene();
  KFbxReaderFbx xReader(xManager, nullptr);
  if (!xReader.FileOpenMemory(xBytes.data(), xBytes.size())) return;
  KStreamOptions* pxOptions = xReader.GetReadOptions(false);
  ASSERT_TRUE(pxOptions);
  xReader.Read(*pxScene, pxOptions);
  std::vector<KFbxNode*> xStack{pxScene->RootNode()};
  while (!xStack.empty()) {
    KFbxNode* pxNode = xStack.back();
    xStack.pop_back();
    for (double dSeconds : {-1.0, 0.5, 3.0}) {
      const Matrix44& xM = pxNode->GlobalMatrixAt(KTime::FromSeconds(dSeconds));
      for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) ASSERT_FALSE(std::isnan(xM[r][c]));
    }
    for (int i = 0; i < pxNode->ChildCount(); ++i) xStack.push_back(pxNode->Child(i));
  }
}

std::string ReadFile(const std::string& xPath) {
  std::ifstream xIn(xPath, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(xIn), std::istreambuf_iterator<char>());
}

}  // namespace

// Every input the fuzzer ever found a fault with.
TEST(KFbxImportSweep, FuzzFindingsReplay) {
  const std::filesystem::path xFolder(BONEPLAY_FBX_REGRESS_DIR);
  ASSERT_TRUE(std::filesystem::is_directory(xFolder));
  for (const auto& xEntry : std::filesystem::directory_iterator(xFolder)) {
    SCOPED_TRACE(xEntry.path().string());
    ReadAndPose(ReadFile(xEntry.path().string()));
  }
}

// Prefixes of a valid file and seeded byte flips, in both encodings.
TEST(KFbxImportSweep, PrefixesAndByteFlips) {
  KFbxSdkManager xSource;
  KFbxSceneGraph* pxScene = BuildSkeletonScene(xSource);
  for (bool bBinary : {true, false}) {
    SCOPED_TRACE(bBinary ? "binary" : "ascii");
    const SceneForm xForm{"sweep", 6100, bBinary, false, 6100, false, false};
    const std::string xBytes = ReadFile(WriteScene(*pxScene, xForm, bBinary ? "sweep_b" : "sweep_a"));
    ASSERT_GT(xBytes.size(), 100u);
    const size_t uStep = xBytes.size() / 200 + 1;
    for (size_t u = 0; u < xBytes.size(); u += uStep) ReadAndPose(xBytes.substr(0, u));
    std::mt19937 xRandom(12345);
    for (int i = 0; i < 300; ++i) {
      std::string xFlipped = xBytes;
      for (int k = 0; k < 4; ++k) xFlipped[xRandom() % xFlipped.size()] ^= static_cast<char>(1 + xRandom() % 255);
      ReadAndPose(xFlipped);
    }
  }
}
