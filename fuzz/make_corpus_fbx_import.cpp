// Writes the seed corpus of fuzz_fbx_import: the skeleton scene of the
// import tests in each form, small. Usage: make_corpus_fbx_import FOLDER
#include <cstdio>
#include <filesystem>
#include <string>

#include "fbx_scene_writer.h"
#include "fbxsdk/scene/kfbx_sdk_manager.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
    return 2;
  }
  const SceneForm axForms[] = {
      {"ascii61", 6100, false, false, 6100, false, false}, {"binary61", 6100, true, false, 6100, true, false},
      {"big61", 6100, true, true, 6100, false, false},     {"ascii50", 5000, false, false, 5000, false, false},
      {"binary50", 5000, true, false, 3000, false, false},
  };
  KFbxSdkManager xManager;
  KFbxSceneGraph* pxScene = BuildSkeletonScene(xManager);
  for (const SceneForm& xForm : axForms) {
    std::string xError;
    const std::string xPath = WriteScene(*pxScene, xForm, xForm.m_pszName, &xError);
    if (xPath.empty()) {
      std::fprintf(stderr, "%s: %s\n", xForm.m_pszName, xError.c_str());
      return 1;
    }
    std::filesystem::copy_file(xPath, std::string(argv[1]) + "/" + xForm.m_pszName + ".fbx",
                               std::filesystem::copy_options::overwrite_existing);
  }
  return 0;
}
