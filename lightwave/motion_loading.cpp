#include "motion_loading.h"

#include <cstring>
#include <memory>
#include <string>

#include "bvh_root.h"
#include "custom_object.h"

namespace Kvat {

namespace {

// The extension decides the reader; a name without a dot is taken whole.
std::string extensionOf(const std::string& fileName) {
  const std::size_t dot = fileName.find_last_of('.');
  return dot == std::string::npos ? fileName : fileName.substr(dot + 1);
}

// FBX and the other interchange formats are not read yet: every such load
// fails, which leaves the instance empty just as an unreadable file would.
std::unique_ptr<Secne::Root> loadFbxFamily(const std::string&) { return nullptr; }

}  // namespace

int setMotionFile(CustomObjectInstance& instance, const char* fileName) {
  const std::string name = fileName ? fileName : "";
  instance.setFileName(name);
  instance.releaseSkeleton();
  if (extensionOf(name) == "bvh")
    instance.adoptSkeleton(std::unique_ptr<Secne::Root>(Secne::createBvhRoot(name.c_str())),
                           CustomObjectInstance::kBvhClip);
  else
    instance.adoptSkeleton(loadFbxFamily(name), CustomObjectInstance::kFbxClip);
  return 1;
}

}  // namespace Kvat
