// The BVH reader measured as a user meets it, on the generated 61-joint,
// 20000-frame clip (about 38 MB):
//   BvhLoad       the file-name entry, whole load; MB/s of the file.
//   NumberFloor   the same file read and every number in it converted with
//                 std::from_chars: what any reader must at least spend.
//                 The ratio of the two is the reader's share of the floor.
//   BvhPose       every joint of the skeleton posed at one new time.
// Peak memory of a load: bench/bvh_clip load FILE (see make_bvh_clip.sh).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "bvh_clip_generator.h"
#include "bvh_root.h"

namespace {

constexpr int kJoints = 61;
constexpr int kFrames = 20000;

// The clip, written once into a folder of its own that goes at exit.
struct ClipFile {
  std::string folder, path;
  std::size_t size = 0;
  ClipFile() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/bench_bvh.XXXXXX";
    if (!mkdtemp(&pattern[0])) std::abort();
    folder = pattern;
    path = folder + "/clip.bvh";
    const std::string clip = Boneplay::Bench::makeBvhClip(kJoints, kFrames, 1);
    size = clip.size();
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f || std::fwrite(clip.data(), 1, clip.size(), f) != clip.size() || std::fclose(f) != 0) std::abort();
  }
  ~ClipFile() {
    std::remove(path.c_str());
    rmdir(folder.c_str());
  }
};

const ClipFile& clipFile() {
  static const ClipFile file;
  return file;
}

void BvhLoad(benchmark::State& state) {
  const ClipFile& clip = clipFile();
  for (auto _ : state) {
    Kvat::Bvh::CollectedDiagnostics diagnostics;  // the motion list dump, kept off the terminal
    std::unique_ptr<Kvat::Secne::BvhRoot> root(Kvat::Secne::createBvhRoot(clip.path.c_str(), diagnostics));
    benchmark::DoNotOptimize(root.get());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * clip.size));
}
BENCHMARK(BvhLoad)->Unit(benchmark::kMillisecond)->UseRealTime();

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

void NumberFloor(benchmark::State& state) {
  const ClipFile& clip = clipFile();
  std::string text;
  for (auto _ : state) {
    std::FILE* f = std::fopen(clip.path.c_str(), "rb");
    text.resize(clip.size);
    const std::size_t got = std::fread(&text[0], 1, text.size(), f);
    std::fclose(f);
    double sum = 0;
    std::size_t numbers = 0;
    const char* p = text.data();
    const char* end = p + got;
    while (p < end) {
      while (p < end && isSpace(*p)) ++p;
      const char* word = p;
      while (p < end && !isSpace(*p)) ++p;
      float value;
      if (std::from_chars(word, p, value).ec == std::errc()) {
        sum += value;
        ++numbers;
      }
    }
    benchmark::DoNotOptimize(sum);
    state.counters["numbers"] = static_cast<double>(numbers);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * clip.size));
}
BENCHMARK(NumberFloor)->Unit(benchmark::kMillisecond)->UseRealTime();

void BvhPose(benchmark::State& state) {
  const ClipFile& file = clipFile();
  Kvat::Bvh::CollectedDiagnostics diagnostics;
  std::unique_ptr<Kvat::Secne::BvhRoot> root(Kvat::Secne::createBvhRoot(file.path.c_str(), diagnostics));
  root->rootMatrix().setIdentity();
  double time = 0;
  for (auto _ : state) {
    time += 0.0123;  // never a sample time twice, so nothing can be reused
    if (time > 600.0) time = 0.0;
    root->evaluate(time);
    benchmark::DoNotOptimize(root->top()->attrib()->world());
  }
  state.counters["joints"] = kJoints;
}
BENCHMARK(BvhPose)->Unit(benchmark::kMicrosecond);

}  // namespace
