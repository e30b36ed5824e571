// The 7.x reading benchmark's files, written the way `boneplay convert
// --version 7500` writes a BVH clip (a linear key per sample), with the
// arrays deflated as convert stores them or all raw:
//   fbx7_clip write CLIP.bvh OUT.fbx deflated|raw [VERSION]
// and one in-process read of a 7.x file into a scene (seconds, MB/s, peak
// resident memory), without the process start-up `boneplay info` adds:
//   fbx7_clip read FILE.fbx
// bench/fbx7_info.sh measures `boneplay info` as a whole process on both.
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "bvh_root.h"
#include "fbx_clip_scene.h"
#include "fbxsdk/fileio7/kfbx7_reader.h"
#include "fbxsdk/fileio7/kfbx7_scene_fields.h"
#include "fbxsdk/scene/kfbx_scene_graph.h"
#include "fbxsdk/scene/kfbx_sdk_manager.h"
#include "kv_motion.h"

namespace {

int write(int argc, char** argv) {
  Kvat::Bvh::CollectedDiagnostics diagnostics;  // the motion list dump, kept off the terminal
  std::unique_ptr<Kvat::Secne::BvhRoot> root(Kvat::Secne::createBvhRoot(argv[2], diagnostics));
  if (!root) {
    std::fprintf(stderr, "fbx7_clip: cannot read '%s'\n", argv[2]);
    return 1;
  }
  std::size_t samples = 0;
  for (std::size_t m = 0; m < root->motions().count(); ++m)
    for (std::size_t c = 0; c < root->motions().motion(m)->count(); ++c)
      samples = std::max(samples, root->motions().motion(m)->fx(c)->function()->samples().size());
  std::vector<double> times;
  for (std::size_t k = 0; k < samples; ++k)
    times.push_back(static_cast<double>(k) * Kvat::Motion::FxPlot::kSamplingInterval);
  KFbxSdkManager manager;
  Boneplay::Cli::BvhClipScene scene(manager, *root, times, "Take 001");
  KFbx7WriteOptions options;
  options.m_iVersion = argc > 5 ? std::atoi(argv[5]) : 7500;
  if (std::strcmp(argv[4], "raw") == 0) options.m_uCompressFrom = SIZE_MAX;
  std::string error;
  if (!KFbx7WriteSceneFile(argv[3], scene.scene(), KFbx7SceneOptions(), options, &error, &scene)) {
    std::fprintf(stderr, "fbx7_clip: %s\n", error.c_str());
    return 1;
  }
  return 0;
}

int read(char** argv) {
  const auto start = std::chrono::steady_clock::now();
  KFbxSdkManager manager;
  KFbxSceneGraph* scene = manager.CreateScene();
  std::string error;
  if (!KFbx7ReadFile(argv[2], manager, *scene, nullptr, &error)) {
    std::fprintf(stderr, "fbx7_clip: %s\n", error.c_str());
    return 1;
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::FILE* f = std::fopen(argv[2], "rb");
  std::fseek(f, 0, SEEK_END);
  const double megabytes = std::ftell(f) / 1e6;
  std::fclose(f);
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  std::printf("read %.3f s, %.1f MB/s (%.1f MB); peak resident %.1f MB\n", seconds, megabytes / seconds, megabytes,
              usage.ru_maxrss / 1024.0);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 5 && std::strcmp(argv[1], "write") == 0) return write(argc, argv);
  if (argc == 3 && std::strcmp(argv[1], "read") == 0) return read(argv);
  std::fprintf(stderr,
               "usage: fbx7_clip write CLIP.bvh OUT.fbx deflated|raw [VERSION]\n"
               "       fbx7_clip read FILE.fbx\n");
  return 2;
}
