// Feeds arbitrary bytes to the BVH reader as a file and poses what it builds:
// nothing may crash, read out of bounds or leak, whatever the input.
// Run with -close_fd_mask=3: the reader's own diagnostics would drown the
// fuzzer's output.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "bvh_root.h"

namespace {
std::string g_path;
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  g_path = "/tmp/boneplay-fuzz-" + std::to_string(getpid()) + ".bvh";
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::FILE* f = std::fopen(g_path.c_str(), "wb");
  if (!f) return 0;
  std::fwrite(data, 1, size, f);
  std::fclose(f);
  std::unique_ptr<Kvat::Secne::BvhRoot> root(Kvat::Secne::createBvhRoot(g_path.c_str()));
  if (root) {
    root->rootMatrix().setIdentity();
    for (double t : {-1.0, 0.0, 0.5, 1e9}) root->evaluate(t);
  }
  return 0;
}
