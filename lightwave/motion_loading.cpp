#include "motion_loading.h"

#include <memory>
#include <string>

#include "bvh_root.h"
#include "custom_object.h"
#include "fbx_skl_generator.h"
#include "motion_file.h"

namespace Kvat {

int setMotionFile(CustomObjectInstance& instance, const char* fileName) {
  const std::string name = fileName ? fileName : "";
  instance.setFileName(name);
  instance.releaseSkeleton();
  if (readerForMotionFile(name) == MotionReader::kBvh)
    instance.adoptSkeleton(std::unique_ptr<Secne::Root>(Secne::createBvhRoot(name.c_str())),
                           CustomObjectInstance::kBvhClip);
  else
    // An FBX root without skeleton is still held: it draws nothing, silently.
    instance.adoptSkeleton(std::unique_ptr<Secne::Root>(Secne::createFbxRoot(name.c_str())),
                           CustomObjectInstance::kFbxClip);
  return 1;
}

}  // namespace Kvat
