// Evaluating a "T" curve node (three curves of 1000 cubic keys) at every frame
// of its span, forward, as a skeleton's time steps do.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>

#include "fbxsdk/scene/kfcurve_node.h"

namespace {

constexpr int kKeys = 1000;

std::unique_ptr<KFCurveNode> MakeTranslationNode(int64_t llFrame) {
  auto pxT = std::make_unique<KFCurveNode>("T", &KDataTypeLclTranslation, KFCL_ADD);
  const char* apszAxes[] = {"X", "Y", "Z"};
  for (int iAxis = 0; iAxis < 3; ++iAxis) {
    KFCurve* pxCurve = pxT->Add(std::make_unique<KFCurveNode>(apszAxes[iAxis]))->FCurveCreate();
    for (int i = 0; i < kKeys; ++i) {
      // Keys every second frame with a wavy value.
      pxCurve->KeyAppend(KTime(2 * i * llFrame), static_cast<float>(std::sin(0.05 * i + iAxis)));
    }
  }
  return pxT;
}

void BM_TranslationNodeForward(benchmark::State& xState) {
  const int64_t llFrame = KTime::GetOneFrameValue(KTime::eFRAMES30);
  auto pxT = MakeTranslationNode(llFrame);
  const int64_t llFrames = 2 * (kKeys - 1) + 1;
  double adValues[3];
  int64_t llEvaluations = 0;
  for (auto _ : xState) {
    int iKeyIndexCache = 0;
    for (int64_t f = 0; f < llFrames; ++f) {
      pxT->Evaluate(adValues, KTime(f * llFrame), &iKeyIndexCache, true);
      benchmark::DoNotOptimize(adValues);
    }
    llEvaluations += llFrames;
  }
  xState.SetItemsProcessed(llEvaluations);
  // Seconds of CPU time per node evaluation.
  xState.counters["per_evaluation"] =
      benchmark::Counter(static_cast<double>(llEvaluations), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_TranslationNodeForward)->Unit(benchmark::kMicrosecond);

}  // namespace
