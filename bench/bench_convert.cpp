// `boneplay convert` of a BVH clip in its parts, on the generated 61-joint
// clip of 5000 frames (the argument picks another length):
//   WriteClip       the streamed writer: the clip's keys made joint by joint
//                   and written as they come; MB/s of FBX written, and the
//                   process's peak resident memory so far.
//   ReadBackCheck   the written file imported and posed against the clip at
//                   every sample and halfway between, as convert checks it.
// The whole command as a user meets it, peak memory included:
//   build/bench/bvh_clip write m.bvh 61 5000
//   /usr/bin/time -v build/boneplay convert m.bvh -o m.fbx
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "bvh_clip_generator.h"
#include "bvh_root.h"
#include "clip_samples.h"
#include "fbx_clip_scene.h"
#include "fbx_skl_generator.h"
#include "fbxsdk/fileio/kfbx_scene_fields.h"
#include "fbxsdk/scene/kfbx_sdk_manager.h"
#include "kv_motion.h"

namespace {

constexpr int kJoints = 61;

double peakMegabytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss / 1024.0;
}

// The clip of a length, loaded once, and where its FBX goes.
struct Clip {
  std::string folder, bvh, fbx;
  std::unique_ptr<Kvat::Secne::BvhRoot> root;
  std::vector<double> times;
  explicit Clip(int frames) {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/bench_convert.XXXXXX";
    if (!mkdtemp(&pattern[0])) std::abort();
    folder = pattern;
    bvh = folder + "/clip.bvh";
    fbx = folder + "/clip.fbx";
    const std::string text = Boneplay::Bench::makeBvhClip(kJoints, frames, 1);
    std::FILE* f = std::fopen(bvh.c_str(), "wb");
    if (!f || std::fwrite(text.data(), 1, text.size(), f) != text.size() || std::fclose(f) != 0) std::abort();
    Kvat::Bvh::CollectedDiagnostics diagnostics;
    root.reset(Kvat::Secne::createBvhRoot(bvh.c_str(), diagnostics));
    if (!root) std::abort();
    for (int k = 0; k < frames; ++k) times.push_back(k * Kvat::Motion::FxPlot::kSamplingInterval);
  }
  ~Clip() {
    std::remove(bvh.c_str());
    std::remove(fbx.c_str());
    rmdir(folder.c_str());
  }
  // The file as convert writes it; its size.
  long write() const {
    KFbxSdkManager manager;
    Boneplay::Cli::BvhClipScene scene(manager, *root, times, "Take 001");
    KFbxSceneFieldsOptions fields;
    fields.m_bTypeField = true;
    std::string error;
    if (!KFbxWriteSceneFile(fbx.c_str(), scene.scene(), fields, KFbxWriteOptions(), &error, &scene)) std::abort();
    std::FILE* f = std::fopen(fbx.c_str(), "rb");
    std::fseek(f, 0, SEEK_END);
    const long size = std::ftell(f);
    std::fclose(f);
    return size;
  }
};

Clip& clipOf(int frames) {
  static std::unique_ptr<Clip> clip;
  if (!clip || static_cast<int>(clip->times.size()) != frames) clip.reset(), clip = std::make_unique<Clip>(frames);
  return *clip;
}

void WriteClip(benchmark::State& state) {
  Clip& clip = clipOf(static_cast<int>(state.range(0)));
  long bytes = 0;
  for (auto _ : state) bytes += clip.write();
  state.SetBytesProcessed(bytes);
  state.counters["file_MB"] = bytes / 1e6 / static_cast<double>(state.iterations());
  state.counters["peak_MB"] = peakMegabytes();
}
BENCHMARK(WriteClip)->Arg(5000)->Unit(benchmark::kMillisecond);

void ReadBackCheck(benchmark::State& state) {
  Clip& clip = clipOf(static_cast<int>(state.range(0)));
  const long bytes = clip.write();
  double worst = 0.0;
  for (auto _ : state) {
    std::unique_ptr<Kvat::Secne::FbxRoot> back(Kvat::Secne::createFbxRoot(clip.fbx.c_str()));
    worst = Boneplay::Cli::worstDeviation(*clip.root, *back, Boneplay::Cli::withMidpoints(clip.times)).worst;
  }
  if (!(worst <= 1e-5)) state.SkipWithError("the file does not pose like the clip");
  state.SetBytesProcessed(bytes * static_cast<long>(state.iterations()));
  state.counters["worst"] = worst;
  state.counters["peak_MB"] = peakMegabytes();
}
BENCHMARK(ReadBackCheck)->Arg(5000)->Unit(benchmark::kMillisecond);

}  // namespace
