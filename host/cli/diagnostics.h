#pragma once
// Turns what the BVH reader said while loading, together with what the file
// says about itself, into sentences a person can act on: where the reader
// stopped and why, whether every declared frame was read anyway, names that
// break the dialect, rows that differ from the declared frame count.

#include <cstddef>
#include <string>
#include <vector>

#include "bvh_facts.h"
#include "reader_output.h"

namespace Boneplay {
namespace Cli {

struct BvhLoadView {
  const ReaderOutput& output;
  const BvhFacts& facts;
  std::size_t joints = 0;   // nodes the file gave below the top node
  std::size_t samples = 0;  // the most samples of any channel
};

// Warnings about a clip that loaded, in the order they should be read; none
// for a clean file.
std::vector<std::string> bvhWarnings(const BvhLoadView& load);

// Why the clip gives nothing to show ("" when it gives joints and samples):
// the file is empty, is no BVH file, or the reader stopped before a joint or a
// sample, with the place it stopped.
std::string bvhEmptyReason(const BvhLoadView& load);

// The first parser error in words: "syntax error at line 12, column 7, at
// "Hips"", followed by what the file shows there.
std::string describeFirstError(const BvhLoadView& load);

// "1 frame", "2 frames".
std::string countOf(std::size_t n, const char* singular, const char* plural = nullptr);

}  // namespace Cli
}  // namespace Boneplay
