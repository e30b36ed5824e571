// Hostile variants of writer-made 7.x files (the fuzz target's committed
// seeds): every prefix (every Nth for larger ones) and a seeded set of byte
// flips, read and posed as the fuzz target does: no crash, and a pose that
// is a number wherever a read succeeds.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fbx7_read_one.h"
#include "fbxsdk/fileio7/kfbx7_reader.h"
#include "fbxsdk/scene/kfbx_sdk_manager.h"
#include "hostile_sweep.h"

namespace {

bool ReadOne(const std::string& xBytes) {
  return Fbx7ReadOne(reinterpret_cast<const uint8_t*>(xBytes.data()), xBytes.size());
}

}  // namespace

// The committed seeds (our writer's binary 7400 and 7500, raw and
// deflated, and ASCII forms of the skeleton scene) swept one by one.
TEST(KFbx7Sweep, PrefixesAndByteFlipsOfEveryForm) {
  const std::vector<std::string> xSeeds = boneplay_test::FilesIn(BONEPLAY_FBX7_CORPUS, ".fbx");
  ASSERT_GE(xSeeds.size(), 4u);
  for (const std::string& xSeed : xSeeds) {
    SCOPED_TRACE(xSeed);
    const std::string xBytes = boneplay_test::ReadBytes(xSeed);
    ASSERT_GT(xBytes.size(), 1000u);
    size_t uVariants = 0;
    boneplay_test::HostileSweep(xBytes, boneplay_test::SweepPlan(), [&](const std::string& xVariant) {
      ++uVariants;
      EXPECT_TRUE(ReadOne(xVariant)) << "a pose that is not a number, variant " << uVariants;
    });
    EXPECT_GT(uVariants, 100u);
  }
}

TEST(KFbx7Sweep, SeedCorpusReads) {
  const std::vector<std::string> xSeeds = boneplay_test::FilesIn(BONEPLAY_FBX7_CORPUS, ".fbx");
  ASSERT_GE(xSeeds.size(), 4u);
  for (const std::string& xSeed : xSeeds) {
    SCOPED_TRACE(xSeed);
    const std::string xBytes = boneplay_test::ReadBytes(xSeed);
    KFbxSdkManager xManager;
    KFbxSceneGraph* pxScene = xManager.CreateScene();
    std::string xWhy;
    EXPECT_TRUE(KFbx7ReadMemory(xBytes.data(), xBytes.size(), xManager, *pxScene, nullptr, &xWhy)) << xWhy;
    EXPECT_TRUE(ReadOne(xBytes));
  }
}
