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
  std::size_t joints = 0;            // nodes the file gave below the top node
  std::size_t samples = 0;           // the most samples of any channel
  std::size_t fewestSamples = 0;     // the fewest samples of any channel
  std::vector<std::string> columns;  // "Hips Xposition", ...: every channel in file order
  std::string errorLine;             // the text of the first error's line, when it was read
};

// What the command line says about a clip that loaded, in the order it
// should be read. Warnings are about data the reader lost or changed; notes
// are about faults that cost nothing (a file that ends without a line end or
// with an empty line after every row was read), and never change the exit
// status. Both are empty for a clean file.
struct BvhMessages {
  std::vector<std::string> warnings;
  std::vector<std::string> notes;
};
BvhMessages bvhMessages(const BvhLoadView& load);

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
