// Import speed of FBX files written at benchmark time (in a child process,
// so that making them leaves no peak here), each imported whole:
//   Import/binary, Import/ascii     a 60-joint chain whose T and R curves
//                                   hold 2000 keys each, linear and cubic in
//                                   turn, written by our writer.
//   ConvertedClip/{binary,ascii}/N  the generated 61-joint BVH clip of N
//                                   frames as `boneplay convert` writes it:
//                                   one linear key per sample on each curve
//                                   a channel drives (5000 frames make 19 MB
//                                   binary, 16000 about 60 MB).
// Each reports MB/s of the file, its size, and the peak resident memory one
// import adds (measured in a child process of its own) beside the goal for
// binary files, the file's size + 64 MB. The whole command as a user runs
// it: bench/whole_process.sh.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "bvh_clip_generator.h"
#include "bvh_root.h"
#include "fbx_clip_scene.h"
#include "fbxsdk/fileio/kfbx_importer.h"
#include "fbxsdk/fileio/kfbx_scene_fields.h"
#include "fbxsdk/scene/kfbx_node.h"
#include "fbxsdk/scene/kfbx_scene_graph.h"
#include "fbxsdk/scene/kfbx_sdk_manager.h"
#include "kv_motion.h"

namespace {

constexpr int kJoints = 60;
constexpr int kKeysPerCurve = 2000;
constexpr int kClipJoints = 61;
// What the whole command may hold beyond a binary file's own size.
constexpr double kPeakAllowanceMB = 64;

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

bool WriteChain(const std::string& xPath, bool bBinary) {
  KFbxSdkManager xManager;
  KFbxSceneGraph* pxScene = xManager.CreateScene();
  BuildScene(xManager, *pxScene);
  KFbxWriteOptions xOptions;
  xOptions.m_bBinary = bBinary;
  return KFbxWriteFile(xPath.c_str(), {KFbxSceneToFields(*pxScene, KFbxSceneFieldsOptions()).m_xMain}, xOptions);
}

// The generated clip, written the way convert writes a BVH clip.
bool WriteConvertedClip(const std::string& xPath, int iFrames, bool bBinary) {
  const std::string xText = Boneplay::Bench::makeBvhClip(kClipJoints, iFrames, 1);
  Kvat::Bvh::CollectedDiagnostics xDiagnostics;
  std::unique_ptr<Kvat::Secne::BvhRoot> xClip(
      Kvat::Secne::createBvhRootFromBytes(xText.data(), xText.size(), xDiagnostics));
  if (!xClip) return false;
  std::vector<double> xTimes;
  for (int k = 0; k < iFrames; ++k) xTimes.push_back(k * Kvat::Motion::FxPlot::kSamplingInterval);
  KFbxSdkManager xManager;
  Boneplay::Cli::BvhClipScene xScene(xManager, *xClip, xTimes, "Take 001");
  KFbxSceneFieldsOptions xFields;
  xFields.m_bTypeField = true;
  KFbxWriteOptions xOptions;
  xOptions.m_bBinary = bBinary;
  std::string xError;
  return KFbxWriteSceneFile(xPath.c_str(), xScene.scene(), xFields, xOptions, &xError, &xScene);
}

// Runs xWork in a child process; its exit status 0 is success.
bool InChild(const std::function<bool()>& xWork) {
  const pid_t iChild = fork();
  if (iChild == 0) _exit(xWork() ? 0 : 1);
  int iStatus = 1;
  if (iChild > 0) waitpid(iChild, &iStatus, 0);
  return iChild > 0 && WIFEXITED(iStatus) && WEXITSTATUS(iStatus) == 0;
}

std::string TempPath(const char* pszName) {
  const char* pszBase = getenv("TMPDIR");
  return std::string(pszBase && *pszBase ? pszBase : "/tmp") + "/bench_fbx_import_" + std::to_string(getpid()) + "_" +
         pszName + ".fbx";
}

bool ImportOnce(const std::string& xPath, std::string* pxError = nullptr) {
  KFbxSdkManager xManager;
  KFbxSceneGraph* pxScene = xManager.CreateScene();
  KFbxImporter* pxImporter = xManager.CreateImporter();
  if (!pxImporter->Initialize(xPath.c_str()) || !pxImporter->Import(pxScene)) {
    if (pxError) *pxError = pxImporter->GetError().GetLastErrorString();
    return false;
  }
  benchmark::DoNotOptimize(pxScene->RootNode()->ChildCount(true));
  return true;
}

// A "VmRSS:" or "VmHWM:" figure of this process, in kilobytes; -1 unread.
long StatusKilobytes(const char* pszKey) {
  std::FILE* pxFile = std::fopen("/proc/self/status", "r");
  if (!pxFile) return -1;
  char acLine[256];
  long lValue = -1;
  while (lValue < 0 && std::fgets(acLine, sizeof acLine, pxFile))
    if (std::strncmp(acLine, pszKey, std::strlen(pszKey)) == 0) lValue = std::atol(acLine + std::strlen(pszKey));
  std::fclose(pxFile);
  return lValue;
}

// The peak resident memory one import adds, in a child that does nothing
// else: the child starts with this process's memory and peak, so the memory
// earlier imports left free goes back first and the peak is brought down to
// what it then holds. Negative when that or the import fails.
double PeakAddedMB(const std::string& xPath) {
  int aiPipe[2];
  if (pipe(aiPipe) != 0) return -1;
  const bool bOk = InChild([&] {
    malloc_trim(0);
    std::FILE* pxReset = std::fopen("/proc/self/clear_refs", "w");
    if (!pxReset || std::fputs("5", pxReset) < 0 || std::fclose(pxReset) != 0) return false;
    const long lBefore = StatusKilobytes("VmRSS:");
    const bool bImported = ImportOnce(xPath);
    const double dAdded = (StatusKilobytes("VmHWM:") - lBefore) / 1024.0;
    return bImported && lBefore >= 0 && write(aiPipe[1], &dAdded, sizeof dAdded) == sizeof dAdded;
  });
  double dAdded = -1;
  close(aiPipe[1]);
  if (!bOk || read(aiPipe[0], &dAdded, sizeof dAdded) != sizeof dAdded) dAdded = -1;
  close(aiPipe[0]);
  return dAdded;
}

void Measure(benchmark::State& xState, const std::string& xPath, bool bBinary) {
  const double dBytes = static_cast<double>(std::filesystem::file_size(xPath));
  for (auto _ : xState) {
    std::string xError;
    if (!ImportOnce(xPath, &xError)) {
      xState.SkipWithError(xError.c_str());
      break;
    }
  }
  xState.SetBytesProcessed(static_cast<int64_t>(dBytes) * xState.iterations());
  xState.counters["file_MB"] = dBytes / 1e6;
  xState.counters["peak_added_MB"] = PeakAddedMB(xPath);
  if (bBinary) xState.counters["peak_goal_MB"] = dBytes / 1e6 + kPeakAllowanceMB;
  std::remove(xPath.c_str());
}

void BM_Import(benchmark::State& xState, bool bBinary) {
  const std::string xPath = TempPath(bBinary ? "chain_b" : "chain_a");
  if (!InChild([&] { return WriteChain(xPath, bBinary); })) {
    xState.SkipWithError("the writer could not make the file");
    return;
  }
  Measure(xState, xPath, bBinary);
}

void BM_ConvertedClip(benchmark::State& xState, bool bBinary) {
  const int iFrames = static_cast<int>(xState.range(0));
  const std::string xPath = TempPath(bBinary ? "clip_b" : "clip_a");
  if (!InChild([&] { return WriteConvertedClip(xPath, iFrames, bBinary); })) {
    xState.SkipWithError("the clip could not be converted");
    return;
  }
  Measure(xState, xPath, bBinary);
}

}  // namespace

BENCHMARK_CAPTURE(BM_Import, binary, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Import, ascii, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ConvertedClip, binary, true)->Arg(5000)->Arg(16000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ConvertedClip, ascii, false)->Arg(5000)->Arg(16000)->Unit(benchmark::kMillisecond);
