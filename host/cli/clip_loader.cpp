#include "clip_loader.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "bvh_root.h"

namespace Boneplay {
namespace Cli {


std::string extensionOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  const std::size_t dot = path.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
  return path.substr(dot + 1);
}

std::string bundledSample() { return std::string(BONEPLAY_SAMPLES_DIR) + "/walk.bvh"; }

LoadedClip loadClip(const std::string& path) {
  LoadedClip clip;
  if (std::FILE* probe = std::fopen(path.c_str(), "rb")) {
    std::fclose(probe);
  } else {
    clip.error = "cannot open '" + path + "': " + std::strerror(errno);
    return clip;
  }
  // The same choice the module makes: exactly "bvh" goes to the BVH reader.
  if (extensionOf(path) == "bvh") {
    clip.kind = "bvh";
    ReaderOutputCapture capture;
    clip.root.reset(Kvat::Secne::createBvhRoot(path.c_str()));
    clip.diagnostics = capture.finish();
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
