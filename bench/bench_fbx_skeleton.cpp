// FBX clips as the module meets them: loading the bundled FBX sample, and
// posing a 60-joint FBX skeleton (seven chains of eight joints and three
// more under Hips, every joint with T, R and S curves of one linear key per
// frame, as `boneplay convert` writes them) at every frame of a 2000-frame
// take. Each iteration is one frame: the time the module spends per skeleton
// at a host time step.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>

#include "fbx_skl_generator.h"
#include "fbxsdk/fileio/kfbx_scene_fields.h"
#include "fbxsdk/fileio/kfbx_writer.h"
#include "fbxsdk/scene/kfbx_node.h"
#include "fbxsdk/scene/kfbx_scene_graph.h"
#include "fbxsdk/scene/kfbx_sdk_manager.h"

namespace {

constexpr int kFrames = 2000;
constexpr int kChains = 7;
constexpr int kChainLength = 8;
constexpr int kExtraJoints = 3;
constexpr double kFrameTime = 1.0 / 30.0;
constexpr const char* kTake = "Take 001";

void AddKeys(KFbxNode& xNode, int iSeed) {
  const char* apszChannels[] = {"Transform/T/", "Transform/R/", "Transform/S/"};
  const double adBase[] = {0.0, 0.0, 1.0}, adAmplitude[] = {5.0, 40.0, 0.1};
  const char* apszAxes[] = {"X", "Y", "Z"};
  TakeNode* pxTake = xNode.AddTakeNode(kTake);
  for (int c = 0; c < 3; ++c)
    for (int a = 0; a < 3; ++a) {
      KFCurve* pxCurve =
          pxTake->GetKFCurveNode()->Find((std::string(apszChannels[c]) + apszAxes[a]).c_str())->FCurveGet();
      for (int k = 0; k < kFrames; ++k) {
        KTime xTime;
        xTime.SetSeconds(k * kFrameTime);
        const float fValue = static_cast<float>(adBase[c] + adAmplitude[c] * std::sin(0.05 * k + iSeed + a));
        pxCurve->KeySetInterpolation(pxCurve->KeyAppend(xTime, fValue), KFCURVE_INTERPOLATION_LINEAR);
      }
    }
}

KFbxNode* AddJoint(KFbxSdkManager& xManager, KFbxSceneGraph& xScene, KFbxNode& xParent, const std::string& xName,
                   bool bJoint) {
  KFbxNode* pxNode = xManager.CreateNode(xName.c_str());
  xParent.AddChild(pxNode);
  xScene.AddTakeObject(pxNode);
  pxNode->SetAttribute(bJoint ? static_cast<KFbxNodeAttribute*>(xManager.CreateSkeleton("s", KFbxSkeleton::eLIMB_NODE))
                              : xManager.CreateNull("n"));
  AddKeys(*pxNode, static_cast<int>(xName.size()) + xParent.ChildCount());
  return pxNode;
}

// Writes the 60-joint clip into a folder of its own, loads it and removes
// the file and the folder again: the root keeps the scene it read.
std::unique_ptr<Kvat::Secne::FbxRoot> LoadSkeletonClip() {
  const char* pszTmp = std::getenv("TMPDIR");
  std::string xFolder = std::string(pszTmp && *pszTmp ? pszTmp : "/tmp") + "/bench_fbx_XXXXXX";
  if (!mkdtemp(&xFolder[0])) return nullptr;
  KFbxSdkManager xManager;
  KFbxSceneGraph* pxScene = xManager.CreateScene();
  KFbxNode* pxReference = AddJoint(xManager, *pxScene, *pxScene->RootNode(), "Reference", false);
  KFbxNode* pxHips = AddJoint(xManager, *pxScene, *pxReference, "Hips", true);
  int iJoint = 0;
  for (int c = 0; c < kChains; ++c) {
    KFbxNode* pxParent = pxHips;
    for (int j = 0; j < kChainLength; ++j)
      pxParent = AddJoint(xManager, *pxScene, *pxParent, "J" + std::to_string(iJoint++), true);
  }
  for (int e = 0; e < kExtraJoints; ++e) AddJoint(xManager, *pxScene, *pxHips, "E" + std::to_string(e), true);
  pxScene->AddTakeInfo(KFbxTakeRecord(kTake));
  pxScene->SelectTake(kTake);
  const std::string xPath = xFolder + "/skeleton60.fbx";
  std::unique_ptr<Kvat::Secne::FbxRoot> pxRoot;
  if (KFbxWriteFile(xPath.c_str(), {KFbxSceneToFields(*pxScene, KFbxSceneFieldsOptions()).m_xMain}, KFbxWriteOptions()))
    pxRoot.reset(Kvat::Secne::createFbxRoot(xPath.c_str()));
  unlink(xPath.c_str());
  rmdir(xFolder.c_str());
  return pxRoot;
}

void BM_LoadBundledFbxSample(benchmark::State& xState) {
  const std::string xPath = std::string(BONEPLAY_SOURCE_DIR) + "/samples/walk.fbx";
  for (auto _ : xState) {
    std::unique_ptr<Kvat::Secne::FbxRoot> pxRoot(Kvat::Secne::createFbxRoot(xPath.c_str()));
    if (!pxRoot || pxRoot->top()->children().empty()) {
      xState.SkipWithError("the bundled FBX sample gave no skeleton");
      return;
    }
    benchmark::DoNotOptimize(pxRoot.get());
  }
}
BENCHMARK(BM_LoadBundledFbxSample)->Unit(benchmark::kMillisecond);

void BM_Pose60JointFbxSkeletonPerFrame(benchmark::State& xState) {
  // Loaded once for all the runs the benchmark makes of this function.
  static std::unique_ptr<Kvat::Secne::FbxRoot> pxRoot = LoadSkeletonClip();
  if (!pxRoot || pxRoot->top()->children().empty()) {
    xState.SkipWithError("the 60-joint clip could not be written or read");
    return;
  }
  pxRoot->rootMatrix().setIdentity();
  pxRoot->setScale(Kvat::Vector3(1, 1, 1));
  int iFrame = 0;
  for (auto _ : xState) {
    pxRoot->evaluate(iFrame * kFrameTime);
    iFrame = (iFrame + 1) % kFrames;
    benchmark::ClobberMemory();
  }
  xState.counters["joints"] = 60;
}
BENCHMARK(BM_Pose60JointFbxSkeletonPerFrame)->Unit(benchmark::kMicrosecond);

}  // namespace
