// The FBX file container over a 20 MB scene made by our writer: open the
// file and walk all its fields, reading every value once by its type. The
// same tree is measured as a binary and as an ASCII file; the rate counts
// the file's bytes.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>

#include "fbxsdk/fileio/kfcurve_io.h"
#include "kfbx_walk.h"

namespace {

using V = KFbxWriteValue;

constexpr int kModels = 400;
constexpr int kChannels = 9;
constexpr int kKeysPerChannel = 160;
constexpr int kPropertiesPerModel = 30;

KFbxWriteSection Scene() {
  KFbxWriteField xObjects("Objects");
  KFbxWriteField xTakes("Takes");
  KFbxWriteField& xTake = xTakes.Child("Take", {V::String("Take 001")});
  for (int i = 0; i < kModels; ++i) {
    const std::string xName = "Joint" + std::to_string(i);
    KFbxWriteField& xModel = xObjects.Child("Model", {V::ObjectName("Model", xName), V::String("Limb")});
    xModel.Child("Version", {V::Int(232)});
    KFbxWriteField& xProperties = xModel.Child("Properties60");
    for (int p = 0; p < kPropertiesPerModel; ++p)
      xProperties.Child("Property", {V::String("Property " + std::to_string(p)), V::String("Vector"), V::String("A+"),
                                     V::Double(p * 0.5), V::Double(-p), V::Double(1.0 / (p + 1))});
    KFbxWriteField& xTakeModel = xTake.Child("Model", {V::ObjectName("Model", xName)});
    for (int c = 0; c < kChannels; ++c) {
      KFCurve xCurve;
      for (int k = 0; k < kKeysPerChannel; ++k)
        xCurve.KeyAppend(KTime(1539538600LL * k), static_cast<float>(std::sin(0.1 * k + c) * 90.0));
      xTakeModel.m_xChildren.push_back(KFCurveStoredField(xCurve, "Channel"));
    }
  }
  return {fileio_test::HeaderExtension(6100), xObjects, xTakes};
}

struct Files {
  std::string m_xDir, m_xBinary, m_xAscii;
  Files() {
    const char* pszBase = std::getenv("TMPDIR");
    std::string xTemplate = std::string(pszBase && *pszBase ? pszBase : "/tmp") + "/boneplay-bench-XXXXXX";
    m_xDir = mkdtemp(&xTemplate[0]) ? xTemplate : ".";
    m_xBinary = m_xDir + "/scene.fbx";
    m_xAscii = m_xDir + "/scene_ascii.fbx";
    // Written by a child process, so that this process's peak memory is
    // that of reading alone.
    const pid_t iChild = fork();
    if (iChild == 0) {
      const KFbxWriteSection xScene = Scene();
      KFbxWriteOptions xOptions;
      bool bOk = KFbxWriteFile(m_xBinary.c_str(), {xScene}, xOptions);
      xOptions.m_bBinary = false;
      bOk = KFbxWriteFile(m_xAscii.c_str(), {xScene}, xOptions) && bOk;
      _exit(bOk ? 0 : 1);
    }
    int iStatus = 0;
    if (iChild > 0) waitpid(iChild, &iStatus, 0);
  }
  ~Files() {
    std::error_code xError;
    std::filesystem::remove_all(m_xDir, xError);
  }
};

const Files& TheFiles() {
  static Files s_xFiles;
  return s_xFiles;
}

void WalkFile(benchmark::State& xState, const std::string& xPath) {
  size_t uValues = 0;
  for (auto _ : xState) {
    KFbx xFbx;
    if (!xFbx.ProjectOpen(xPath.c_str())) {
      xState.SkipWithError(xFbx.GetError().GetLastErrorString());
      return;
    }
    uValues = fileio_test::WalkEverything(xFbx, false);
    benchmark::DoNotOptimize(uValues);
  }
  const auto llSize = static_cast<int64_t>(std::filesystem::file_size(xPath));
  xState.SetBytesProcessed(static_cast<int64_t>(xState.iterations()) * llSize);
  xState.counters["file_MB"] = static_cast<double>(llSize) / 1e6;
  xState.counters["values"] = static_cast<double>(uValues);
  // Peak resident memory of the process so far (the first benchmark run
  // alone shows one encoding's peak): compare with the file's size.
  rusage xUsage;
  getrusage(RUSAGE_SELF, &xUsage);
  xState.counters["peak_rss_MB"] = static_cast<double>(xUsage.ru_maxrss) / 1024.0;
}

void BM_BinaryOpenAndWalk(benchmark::State& xState) { WalkFile(xState, TheFiles().m_xBinary); }
void BM_AsciiOpenAndWalk(benchmark::State& xState) { WalkFile(xState, TheFiles().m_xAscii); }

}  // namespace

BENCHMARK(BM_BinaryOpenAndWalk)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AsciiOpenAndWalk)->Unit(benchmark::kMillisecond);
