#include "clip_loader.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>

#include "bvh_root.h"
#include "fbx_report.h"
#include "fbx_skl_generator.h"
#include "motion_file.h"

namespace Boneplay {
namespace Cli {

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
  if (Kvat::readerForMotionFile(path) == Kvat::MotionReader::kBvh) {
    clip.kind = "bvh";
    Kvat::Bvh::CollectedDiagnostics diagnostics;
    clip.root.reset(Kvat::Secne::createBvhRoot(path.c_str(), diagnostics));
    clip.diagnostics.out = std::move(diagnostics.out);
    clip.diagnostics.err = std::move(diagnostics.err);
  } else {
    clip.kind = "fbx";
    std::unique_ptr<Kvat::Secne::FbxRoot> fbx(Kvat::Secne::createFbxRoot(path.c_str()));
    if (!fbx) {
      clip.error = "cannot read '" + path + "': the FBX library could not start";
      return clip;
    }
    // The module shows nothing for such a file, silently; here it is an error.
    const std::string why = fbxLoadFailure(*fbx);
    if (!why.empty()) {
      clip.error = "cannot read '" + path + "': " + why;
      return clip;
    }
    clip.take = fbx->currentTakeName();
    clip.root = std::move(fbx);
  }
  if (!clip.root) clip.error = "cannot read '" + path + "': the file gives no skeleton";
  return clip;
}

}  // namespace Cli
}  // namespace Boneplay
