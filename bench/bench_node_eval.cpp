// Global matrices of a 60-joint skeleton (seven chains of up to nine joints
// under one root, every joint with T, R and S curves of 300 cubic keys),
// evaluated joint by joint in pre-order at a new frame each iteration, as a
// skeleton's time steps do: each child asks its parent again and finds it
// cached.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "fbxsdk/scene/kfbx_node.h"
#include "fbxsdk/scene/kfbx_sdk_manager.h"

namespace {

constexpr int kKeys = 300;
constexpr int kChains = 7;
constexpr int kChainLength = 8;
constexpr int kJoints = 1 + kChains * kChainLength + 3;  // 60

void Animate(KFbxNode& xNode, int iSeed, int64_t llFrame) {
  const char* apszChannels[] = {"T", "R", "S"};
  const double adBase[] = {0.0, 0.0, 1.0};
  const double adAmplitude[] = {5.0, 40.0, 0.2};
  KFCurveNode* pxRoot = xNode.GetTakeNode(0)->GetKFCurveNode();
  for (int c = 0; c < 3; ++c) {
    KFCurveNode* pxChannel = pxRoot->Find(apszChannels[c]);
    for (int iAxis = 0; iAxis < 3; ++iAxis) {
      KFCurve* pxCurve = pxChannel->Get(iAxis)->FCurveGet();
      for (int k = 0; k < kKeys; ++k) {
        const double dPhase = 0.1 * k + iSeed + 2.0 * iAxis;
        pxCurve->KeyAppend(KTime(2 * k * llFrame), static_cast<float>(adBase[c] + adAmplitude[c] * std::sin(dPhase)));
      }
    }
  }
}

struct Skeleton {
  KFbxSdkManager m_xManager;
  std::vector<KFbxNode*> m_xPreOrder;

  explicit Skeleton(int64_t llFrame) {
    KFbxNode* pxRoot = Add(nullptr, llFrame);
    for (int c = 0; c < kChains; ++c) {
      KFbxNode* pxParent = pxRoot;
      for (int j = 0; j < kChainLength; ++j) {
        pxParent = Add(pxParent, llFrame);
        // A mix of the features joints carry in practice.
        KFbxNodeProperties& xProperties = pxParent->GetProperties();
        pxParent->SetInheritType(j % 3 == 2 ? eINHERIT_RrSs : eINHERIT_RSrs);
        if (j % 2 == 0) {
          xProperties.RotationLimits().SetFlag(TransformLimits::eACTIVE, true);
          xProperties.SetPreRotation(0, KgeTVector(0, 0, 10.0 * c));
          xProperties.SetRotationOrder(0, c % 6);
        }
        if (j == 3) xProperties.SetRotationPivot(0, KgeTVector(0, 1, 0));
      }
    }
    for (int e = 0; e < kJoints - 1 - kChains * kChainLength; ++e) Add(m_xPreOrder[8 * e + 4], llFrame);
    // Pre-order, as a skeleton built from the hierarchy visits its joints.
    m_xPreOrder.clear();
    Visit(pxRoot);
  }

  KFbxNode* Add(KFbxNode* pxParent, int64_t llFrame) {
    KFbxNode* pxNode = m_xManager.CreateNode("Joint");
    if (pxParent) pxParent->AddChild(pxNode);
    Animate(*pxNode, static_cast<int>(m_xPreOrder.size()), llFrame);
    m_xPreOrder.push_back(pxNode);
    return pxNode;
  }

  void Visit(KFbxNode* pxNode) {
    m_xPreOrder.push_back(pxNode);
    for (int i = 0; i < pxNode->ChildCount(); ++i) Visit(pxNode->Child(i));
  }
};

void BM_SkeletonGlobalMatrices(benchmark::State& xState) {
  const int64_t llFrame = KTime::GetOneFrameValue(KTime::eFRAMES30);
  Skeleton xSkeleton(llFrame);
  if (static_cast<int>(xSkeleton.m_xPreOrder.size()) != kJoints) {
    xState.SkipWithError("skeleton has the wrong joint count");
    return;
  }
  const int64_t llFrames = 2 * (kKeys - 1);
  int64_t llFrameIndex = 0;
  for (auto _ : xState) {
    const KTime xTime(llFrameIndex * llFrame);
    llFrameIndex = (llFrameIndex + 1) % llFrames;
    for (KFbxNode* pxNode : xSkeleton.m_xPreOrder) benchmark::DoNotOptimize(pxNode->GlobalMatrixAt(xTime)[3][0]);
  }
  xState.counters["joints"] = kJoints;
}
BENCHMARK(BM_SkeletonGlobalMatrices)->Unit(benchmark::kMicrosecond);

}  // namespace
