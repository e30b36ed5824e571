#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "fbx_import_one.h"
#include "fbx_scene_writer.h"
#include "fbxsdk/scene/kfbx_scene_graph.h"
#include "fbxsdk/scene/kfbx_sdk_manager.h"

namespace {

// What the fuzz targets do with one input: read it from memory and pose
// every node at three times; the poses must be numbers.
void ReadAndPose(const std::string& xBytes) {
  EXPECT_TRUE(FbxImportOne(reinterpret_cast<const uint8_t*>(xBytes.data()), xBytes.size()));
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
