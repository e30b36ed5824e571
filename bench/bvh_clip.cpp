// The benchmark clip as a file, and one load of a file measured as a whole
// process would see it:
//   bvh_clip write FILE [JOINTS [FRAMES [SEED]]]   (default 61 joints, 20000 frames, seed 1)
//   bvh_clip load FILE                              (seconds, MB/s and peak resident memory)
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "bvh_clip_generator.h"
#include "bvh_root.h"

namespace {

long peakKilobytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

int write(int argc, char** argv) {
  const int joints = argc > 3 ? std::atoi(argv[3]) : 61;
  const int frames = argc > 4 ? std::atoi(argv[4]) : 20000;
  const uint32_t seed = argc > 5 ? static_cast<uint32_t>(std::strtoul(argv[5], nullptr, 10)) : 1;
  const std::string clip = Boneplay::Bench::makeBvhClip(joints, frames, seed);
  std::FILE* f = std::fopen(argv[2], "wb");
  if (!f || std::fwrite(clip.data(), 1, clip.size(), f) != clip.size() || std::fclose(f) != 0) {
    std::fprintf(stderr, "bvh_clip: cannot write '%s'\n", argv[2]);
    return 1;
  }
  return 0;
}

int load(char** argv) {
  const long before = peakKilobytes();
  const auto start = std::chrono::steady_clock::now();
  Kvat::Bvh::CollectedDiagnostics diagnostics;  // the motion list dump, kept off the terminal
  std::unique_ptr<Kvat::Secne::BvhRoot> root(Kvat::Secne::createBvhRoot(argv[2], diagnostics));
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (!root) {
    std::fprintf(stderr, "bvh_clip: cannot open '%s'\n", argv[2]);
    return 1;
  }
  std::size_t samples = 0;
  for (std::size_t m = 0; m < root->motions().count(); ++m)
    for (std::size_t c = 0; c < root->motions().motion(m)->count(); ++c)
      samples += root->motions().motion(m)->fx(c)->function()->samples().size();
  std::FILE* f = std::fopen(argv[2], "rb");
  std::fseek(f, 0, SEEK_END);
  const double megabytes = std::ftell(f) / 1e6;
  std::fclose(f);
  std::printf("load %.3f s, %.1f MB/s; samples %zu (%.1f MB); peak resident %.1f MB (%.1f MB before the load)\n",
              seconds, megabytes / seconds, samples, samples * 8 / 1e6, peakKilobytes() / 1024.0, before / 1024.0);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 3 && std::strcmp(argv[1], "write") == 0) return write(argc, argv);
  if (argc == 3 && std::strcmp(argv[1], "load") == 0) return load(argv);
  std::fprintf(stderr, "usage: bvh_clip write FILE [JOINTS [FRAMES [SEED]]] | bvh_clip load FILE\n");
  return 2;
}
