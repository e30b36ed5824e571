// Replays the container fuzzer's seed corpus and every finding it made.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "fileio_test_util.h"

TEST(KFbxFuzzRegress, ReplaysCorpusAndFindings) {
  size_t uFiles = 0;
  for (const char* pszFolder : {"corpus_fbx", "regress_fbx_container"}) {
    const std::filesystem::path xFolder = std::filesystem::path(BONEPLAY_FBX_FUZZ_DIR) / pszFolder;
    if (!std::filesystem::is_directory(xFolder)) continue;
    for (const auto& xEntry : std::filesystem::directory_iterator(xFolder)) {
      SCOPED_TRACE(xEntry.path().string());
      std::ifstream xIn(xEntry.path(), std::ios::binary);
      const std::string xBytes((std::istreambuf_iterator<char>(xIn)), std::istreambuf_iterator<char>());
      KFbx xFbx;
      if (xFbx.ProjectOpenMemory(xBytes.data(), xBytes.size())) fileio_test::WalkEverything(xFbx);
      ++uFiles;
    }
  }
  EXPECT_GT(uFiles, 0u);
}
