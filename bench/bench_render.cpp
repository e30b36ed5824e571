// Render speed: ten seconds of a 61-joint figure at 30 frames per second
// written as a 640x480 animated GIF (plain, and following with a stamp), as
// an HTML player, and the anti-aliased line drawing on its own.

#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <cmath>
#include <string>

#include "canvas.h"
#include "writers.h"

using namespace Boneplay::Render;

namespace {

// A figure of five limbs of twelve joints each around a first joint that
// walks along +z, every limb waving: 61 joints, 60 lines a frame. Each line
// goes from a joint to its parent, so the first ends at the first joint.
Animation figure(double seconds, double fps) {
  Animation a;
  a.fps = fps;
  const int frames = static_cast<int>(seconds * fps);
  for (int k = 0; k < frames; ++k) {
    Frame f;
    f.time = k / fps;
    const Point3 hip{0, 95, 125 * f.time};
    for (int limb = 0; limb < 5; ++limb) {
      Point3 previous = hip;
      const double angle = limb * 1.2566 + 0.3 * std::sin(f.time * 5 + limb);
      for (int j = 1; j <= 12; ++j) {
        const Point3 p{hip.x + j * 7 * std::cos(angle), hip.y + j * 7 * std::sin(angle) * (limb < 2 ? -1 : 1),
                       hip.z + 4 * std::sin(f.time * 6 + j)};
        f.segments.push_back({p, previous});
        previous = p;
      }
    }
    a.frames.push_back(f);
  }
  return a;
}

std::string scratch(const char* name) {
  static std::string folder = [] {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/boneplay_bench_XXXXXX";
    return mkdtemp(&pattern[0]) ? pattern : std::string(".");
  }();
  return folder + "/" + name;
}

void write(benchmark::State& state, Format format, bool follow) {
  const Animation clip = figure(10, 30);
  RenderOptions options;
  options.view = View::ThreeQuarter;
  options.follow = follow;
  options.stamp = follow;
  const std::string path = scratch(follow ? "follow" : "plain");
  for (auto _ : state) {
    const std::string error = writePicture(format, clip, options, path);
    if (!error.empty()) state.SkipWithError(error.c_str());
  }
  unlink(path.c_str());
  state.counters["frames"] = static_cast<double>(clip.frames.size());
}

void BM_Gif(benchmark::State& state) { write(state, Format::Gif, false); }
void BM_GifFollowingStamped(benchmark::State& state) { write(state, Format::Gif, true); }
void BM_Html(benchmark::State& state) { write(state, Format::Html, false); }

void BM_DrawFrame(benchmark::State& state) {
  const Animation clip = figure(10, 30);
  const Projection projection(View::ThreeQuarter, clip, 640, 480);
  Canvas canvas(640, 480);
  std::size_t k = 0;
  for (auto _ : state) {
    drawFrame(canvas, projection, clip.frames[k++ % clip.frames.size()], Style());
    benchmark::DoNotOptimize(canvas.coverage(Layer::Line, 320, 240));
  }
}

}  // namespace

BENCHMARK(BM_Gif)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GifFollowingStamped)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Html)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DrawFrame)->Unit(benchmark::kMicrosecond);
