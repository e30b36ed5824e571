// Import speed of FBX files: a 60-joint skeleton with 2000 keys per curve,
// written by our own writer in binary and ASCII, imported whole. Reports
// MB/s and the peak memory the import added, beside the file's size.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "fbxsdk/fileio/kfbx_importer.h"
#include "fbxsdk/fileio/kfbx_scene_fields.h"
#include "fbxsdk/scene/kfbx_node.h"
#include "fbxsdk/scene/kfbx_scene_graph.h"
#include "fbxsdk/scene/kfbx_sdk_manager.h"

namespace {

constexpr int kJoints = 60;
constexpr int kKeysPerCurve = 2000;

// 60 joints in a chain under a null, each T, R, S curve with 2000 keys.
void BuildScene(KFbxSdkManager& xManager, KFbxSceneGraph& xScene) {
  KFbxNode* pxParent = xScene.RootNode();
  for (int j = 0; j < kJoints; ++j) {
    const std::string xName = "Joint" + std::to_string(j);
    KFbxNode* pxNode = xManager.CreateNode(xName.c_str());
    pxNode->SetAttribute(xManager.CreateSkeleton(xName.c_str(), KFbxSkeleton::eLIMB_NODE));
    pxParent->AddChild(pxNode);
    xScene.AddTakeObject(pxNode);
    TakeNode* pxTake = pxNode->AddTakeNode("Take 001");
    // Motion capture: every joint rotates, the first one also moves.
    for (const char* pszChannel : {"T", "R"}) {
      if (*pszChannel == 'T' && j > 0) continue;
      KFCurveNode* pxChannel = pxTake->GetKFCurveNode()->Find(pszChannel);
      for (int a = 0; a < 3; ++a) {
        KFCurve* pxCurve = pxChannel->Get(a)->FCurveGet();
        for (int k = 0; k < kKeysPerCurve; ++k) {
          const int i = pxCurve->KeyAppend(KTime::FromSeconds(k / 30.0), static_cast<float>((k * 7 + j + a) % 91));
          pxCurve->KeySetInterpolation(i, k % 2 ? KFCURVE_INTERPOLATION_LINEAR : KFCURVE_INTERPOLATION_CUBIC);
        }
      }
    }
    pxParent = pxNode;
  }
  xScene.AddTakeInfo(KFbxTakeRecord("Take 001"));
  xScene.SelectTake("Take 001");
}

// Writes the file in a child process, so that building the scene leaves
// no peak in this one.
std::string MakeFile(bool bBinary) {
  const char* pszBase = getenv("TMPDIR");
  const std::string xPath = std::string(pszBase && *pszBase ? pszBase : "/tmp") + "/bench_fbx_import_" +
                            std::to_string(getpid()) + (bBinary ? "_b" : "_a") + ".fbx";
  const pid_t iChild = fork();
  if (iChild == 0) {
    KFbxSdkManager xManager;
    KFbxSceneGraph* pxScene = xManager.CreateScene();
    BuildScene(xManager, *pxScene);
    KFbxWriteOptions xOptions;
    xOptions.m_bBinary = bBinary;
    _exit(KFbxWriteFile(xPath.c_str(), {KFbxSceneToFields(*pxScene, KFbxSceneFieldsOptions()).m_xMain}, xOptions) ? 0
                                                                                                                  : 1);
  }
  int iStatus = 1;
  if (iChild > 0) waitpid(iChild, &iStatus, 0);
  return iStatus == 0 ? xPath : std::string();
}

long PeakKilobytes() {
  rusage xUsage;
  getrusage(RUSAGE_SELF, &xUsage);
  return xUsage.ru_maxrss;
}

void BM_Import(benchmark::State& xState, bool bBinary) {
  const std::string xPath = MakeFile(bBinary);
  if (xPath.empty()) {
    xState.SkipWithError("the writer could not make the file");
    return;
  }
  const double dBytes = static_cast<double>(std::filesystem::file_size(xPath));
  const long lBefore = PeakKilobytes();
  for (auto _ : xState) {
    KFbxSdkManager xManager;
    KFbxSceneGraph* pxScene = xManager.CreateScene();
    KFbxImporter* pxImporter = xManager.CreateImporter();
    if (!pxImporter->Initialize(xPath.c_str()) || !pxImporter->Import(pxScene)) {
      xState.SkipWithError(pxImporter->GetError().GetLastErrorString());
      break;
    }
    benchmark::DoNotOptimize(pxScene->RootNode()->ChildCount(true));
  }
  xState.SetBytesProcessed(static_cast<int64_t>(dBytes) * xState.iterations());
  xState.counters["file_MB"] = dBytes / 1e6;
  xState.counters["peak_added_MB"] = (PeakKilobytes() - lBefore) / 1024.0;
  xState.counters["peak_limit_MB"] = 3 * dBytes / 1e6 + 32;
  std::remove(xPath.c_str());
}

}  // namespace

BENCHMARK_CAPTURE(BM_Import, binary, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Import, ascii, false)->Unit(benchmark::kMillisecond);
