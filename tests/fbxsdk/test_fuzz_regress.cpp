// Replays the container fuzzer's seed corpus and every finding it made.
#include <gtest/gtest.h>

#include "fileio_test_util.h"
#include "hostile_sweep.h"

TEST(KFbxFuzzRegress, ReplaysCorpusAndFindings) {
  size_t uFiles = 0;
  for (const char* pszFolder : {"/corpus_fbx", "/regress_fbx_container"}) {
    for (const std::string& xPath : boneplay_test::FilesIn(std::string(BONEPLAY_FBX_FUZZ_DIR) + pszFolder)) {
      SCOPED_TRACE(xPath);
      const std::string xBytes = boneplay_test::ReadBytes(xPath);
      KFbx xFbx;
      if (xFbx.ProjectOpenMemory(xBytes.data(), xBytes.size()) && (!xFbx.IsEncrypted() || xFbx.SetPassword("fuzz")))
        fileio_test::WalkEverything(xFbx);
      ++uFiles;
    }
  }
  EXPECT_GT(uFiles, 0u);
}
