#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace boneplay_test {

// How much of a file a hostile-input sweep feeds to a reader. Large files get
// every Nth prefix and fewer flips, so that the bytes read stay near the budget.
struct SweepPlan {
  std::size_t byteBudget = 8u << 20;  // bytes handed to the reader, roughly, per sweep
  std::size_t maxFlips = 300;         // copies with one byte changed
  uint32_t seed = 0x5eed;
};

// Calls visit with every prefix of bytes (all of them for small files, every
// Nth length for large ones, always the empty one and the whole) and with a
// fixed, seeded set of copies in which one byte is replaced by another.
void HostileSweep(const std::string& bytes, const SweepPlan& plan,
                  const std::function<void(const std::string&)>& visit);

// The regular files of a folder whose names end in suffix, sorted; empty
// when the folder does not exist.
std::vector<std::string> FilesIn(const std::string& folder, const std::string& suffix = "");

// A file's bytes; empty when it cannot be read.
std::string ReadBytes(const std::string& path);

}  // namespace boneplay_test
