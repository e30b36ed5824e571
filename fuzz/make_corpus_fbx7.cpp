// Writes the seed corpus of fuzz_fbx7: the rich skeleton scene through our
// 7.x writer in every form (binary 7400 and 7500, raw and deflated arrays,
// ASCII), small enough for the fuzzer to mutate quickly.
//   make_corpus_fbx7 fuzz/corpus_fbx7
#include <cstdio>
#include <string>

#include "fbx_scene_writer.h"
#include "fbxsdk/fileio/kfbx_write_stream.h"
#include "fbxsdk/fileio7/kfbx7_scene_fields.h"
#include "fbxsdk/scene/kfbx_sdk_manager.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_corpus_fbx7 FOLDER\n");
    return 2;
  }
  KFbxSdkManager xManager;
  KFbxSceneGraph* pxScene = BuildSkeletonScene(xManager);
  const struct {
    const char* m_pszName;
    int m_iVersion;
    bool m_bBinary;
    size_t m_uCompressFrom;
  } axForms[] = {{"binary7400_raw", 7400, true, SIZE_MAX},
                 {"binary7500_raw", 7500, true, SIZE_MAX},
                 {"binary7500_deflated", 7500, true, 0},
                 {"ascii7400", 7400, false, 0}};
  for (const auto& xForm : axForms) {
    KFbx7WriteOptions xWrite;
    xWrite.m_iVersion = xForm.m_iVersion;
    xWrite.m_bBinary = xForm.m_bBinary;
    xWrite.m_uCompressFrom = xForm.m_uCompressFrom;
    xWrite.m_bAlwaysDeflate = true;
    const std::string xPath = std::string(argv[1]) + "/" + xForm.m_pszName + ".fbx";
    std::string xError;
    if (!KFbx7WriteSceneFile(xPath.c_str(), *pxScene, KFbx7SceneOptions(), xWrite, &xError)) {
      std::fprintf(stderr, "make_corpus_fbx7: %s\n", xError.c_str());
      return 1;
    }
  }
  return 0;
}
