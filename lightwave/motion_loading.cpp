#include "motion_loading.h"

#include <memory>
#include <string>

#include "bvh_root.h"
#include "custom_object.h"
#include "fbx_skl_generator.h"
#include "motion_file.h"

namespace Kvat {

namespace {

// A file the importer could not open or read is a failed load, as for a BVH
// file: the instance keeps no skeleton and its state. A file it read that
// holds no skeleton gives a root that is kept and draws nothing.
std::unique_ptr<Secne::Root> loadFbxClip(const std::string& name) {
  std::unique_ptr<Secne::FbxRoot> root(Secne::createFbxRoot(name.c_str()));
  if (root && !root->fileRead()) root.reset();
  return root;
}

}  // namespace

int setMotionFile(CustomObjectInstance& instance, const char* fileName) {
  const std::string name = fileName ? fileName : "";
  instance.setFileName(name);
  instance.releaseSkeleton();
  if (readerForMotionFile(name) == MotionReader::kBvh)
    instance.adoptSkeleton(std::unique_ptr<Secne::Root>(Secne::createBvhRoot(name.c_str())),
                           CustomObjectInstance::kBvhClip);
  else
    instance.adoptSkeleton(loadFbxClip(name), CustomObjectInstance::kFbxClip);
  return 1;
}

}  // namespace Kvat
