// Feeds arbitrary bytes to the BVH reader through its entry over bytes and
// poses what it builds: nothing may crash, read out of bounds or leak,
// whatever the input. The reader's diagnostics go to a sink that is dropped,
// so they cannot drown the fuzzer's output.
#include <cstdint>
#include <memory>

#include "bvh_root.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Kvat::Bvh::CollectedDiagnostics reports;
  std::unique_ptr<Kvat::Secne::BvhRoot> root(
      Kvat::Secne::createBvhRootFromBytes(reinterpret_cast<const char*>(data), size, reports));
  if (root) {
    root->rootMatrix().setIdentity();
    for (double t : {-1.0, 0.0, 0.5, 1e9}) root->evaluate(t);
  }
  return 0;
}
