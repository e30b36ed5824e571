#include "clip_loader.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>

#include "bvh_root.h"

namespace Boneplay {
namespace Cli {

std::string extensionOf(const std::string& path) {
  // The module's own rule: the text after the last dot, or the whole name.
  const std::size_t dot = path.find_last_of('.');
  return dot == std::string::npos ? path : path.substr(dot + 1);
}

std::string bundledSample() { return std::string(BONEPLAY_SAMPLES_DIR) + "/walk.bvh"; }

LoadedClip loadClip(const std::string& path) {
  LoadedClip clip;
  struct stat info;
  if (stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
    clip.error = "cannot read '" + path + "': it is a folder";
    return clip;
  }
  if (std::FILE* probe = std::fopen(path.c_str(), "rb")) {
    std::fclose(probe);
  } else {
    clip.error = "cannot open '" + path + "': " + std::strerror(errno);
    return clip;
  }
  // The same choice the module makes: exactly "bvh" goes to the BVH reader.
  if (extensionOf(path) == "bvh") {
    clip.kind = "bvh";
    Kvat::Bvh::CollectedDiagnostics diagnostics;
    clip.root.reset(Kvat::Secne::createBvhRoot(path.c_str(), diagnostics));
    clip.diagnostics.out = std::move(diagnostics.out);
    clip.diagnostics.err = std::move(diagnostics.err);
  } else {
    clip.kind = "fbx";
    clip.error = "cannot read '" + path + "': FBX and other formats are not read yet (only .bvh clips)";
    return clip;
  }
  if (!clip.root) clip.error = "cannot read '" + path + "': the file gives no skeleton";
  return clip;
}

}  // namespace Cli
}  // namespace Boneplay
