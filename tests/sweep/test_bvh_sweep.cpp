// Every prefix and a seeded set of one-byte changes of each BVH clip we have,
// loaded and posed: the reader must never crash, and whatever it builds from
// finite numbers must pose to finite matrices. Inputs the fuzzer found are replayed the same way.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "bvh_root.h"
#include "hostile_sweep.h"
#include "test_tmpdir.h"

namespace {

using Kvat::Secne::BvhRoot;
using Kvat::Secne::Node;

// Whether every number written in bytes is within the range of a double: a
// file that writes 9e8861 poses to what it says, infinity.
bool numbersAreFinite(const std::string& bytes) {
  const char* p = bytes.c_str();
  const char* end = p + bytes.size();
  while (p < end) {
    if (std::isdigit(static_cast<unsigned char>(*p))) {
      char* after = nullptr;
      const double value = std::strtod(p, &after);
      if (!std::isfinite(value)) return false;
      p = after > p ? after : p + 1;
    } else {
      ++p;
    }
  }
  return true;
}

// Loads bytes as a BVH clip and poses it at a few times; counts the nodes
// whose world matrix holds a value that is not finite.
// The reader reports every broken input; the sweep only cares that it
// survives, so those reports are dropped.
int loadAndPose(const std::string& bytes) {
  Kvat::Bvh::CollectedDiagnostics reports;
  std::unique_ptr<BvhRoot> root(Kvat::Secne::createBvhRootFromBytes(bytes.data(), bytes.size(), reports));
  if (!root || !root->top() || !numbersAreFinite(bytes)) return 0;
  int bad = 0;
  root->rootMatrix().setIdentity();
  for (double t : {0.0, 0.5, 1e6}) {
    root->evaluate(t);
    std::vector<Node*> stack{root->top()};
    while (!stack.empty()) {
      Node* node = stack.back();
      stack.pop_back();
      for (int k = 0; k < 16; ++k)
        if (!std::isfinite(node->attrib()->world()(k / 4, k % 4))) {
          ++bad;
          break;
        }
      stack.insert(stack.end(), node->children().begin(), node->children().end());
    }
  }
  return bad;
}

std::vector<std::string> sweptClips() {
  std::vector<std::string> clips{std::string(BONEPLAY_SOURCE_DIR) + "/samples/walk.bvh"};
  for (const std::string& f : boneplay_test::FilesIn(std::string(BONEPLAY_CORPUS_DIR) + "/bvh", ".bvh"))
    clips.push_back(f);
  return clips;
}

class BvhSweep : public ::testing::TestWithParam<std::string> {};

TEST_P(BvhSweep, EveryPrefixAndFlipLoadsAndPosesFinite) {
  const std::string bytes = boneplay_test::ReadBytes(GetParam());
  ASSERT_FALSE(bytes.empty()) << GetParam();
  int inputs = 0, bad = 0;
  boneplay_test::HostileSweep(bytes, {}, [&](const std::string& input) {
    ++inputs;
    bad += loadAndPose(input);
  });
  EXPECT_GT(inputs, 1);
  EXPECT_EQ(bad, 0) << "nodes posed to non-finite matrices";
}

INSTANTIATE_TEST_SUITE_P(Clips, BvhSweep, ::testing::ValuesIn(sweptClips()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                           std::string name = info.param.substr(info.param.find_last_of('/') + 1);
                           for (char& c : name)
                             if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                           return name;
                         });

TEST(FuzzRegressions, EveryKeptBvhInputLoads) {
  const std::vector<std::string> kept = boneplay_test::FilesIn(std::string(BONEPLAY_SOURCE_DIR) + "/fuzz/regress_bvh");
  int bad = 0;
  for (const std::string& f : kept) bad += loadAndPose(boneplay_test::ReadBytes(f));
  EXPECT_EQ(bad, 0);
  if (kept.empty()) GTEST_SKIP() << "no fuzzer finding kept yet";
}

}  // namespace
