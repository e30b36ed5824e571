#include "hostile_sweep.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <system_error>

namespace boneplay_test {

void HostileSweep(const std::string& bytes, const SweepPlan& plan,
                  const std::function<void(const std::string&)>& visit) {
  const std::size_t n = bytes.size();
  // Prefixes: their lengths sum to about n * n / (2 * step).
  const std::size_t budget = std::max<std::size_t>(plan.byteBudget, 1);
  const std::size_t step = std::max<std::size_t>(1, (n / budget) * (n / 2) + (n % budget) * (n / 2) / budget);
  for (std::size_t length = 0; length < n; length += step) visit(bytes.substr(0, length));
  visit(bytes);
  if (n == 0) return;

  // Flips: whole copies, so their count follows the budget too.
  const std::size_t flips = std::min(plan.maxFlips, std::max<std::size_t>(1, budget / n));
  std::mt19937 random(plan.seed);
  std::uniform_int_distribution<std::size_t> where(0, n - 1);
  std::uniform_int_distribution<int> what(0, 255);
  std::string copy = bytes;
  for (std::size_t k = 0; k < flips; ++k) {
    const std::size_t at = where(random);
    const char before = copy[at];
    copy[at] = static_cast<char>(what(random));
    visit(copy);
    copy[at] = before;
  }
}

std::vector<std::string> FilesIn(const std::string& folder, const std::string& suffix) {
  std::vector<std::string> files;
  std::error_code error;
  for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    const std::string path = it->path().string();
    if (it->is_regular_file(error) && path.size() >= suffix.size() &&
        path.compare(path.size() - suffix.size(), suffix.size(), suffix) == 0)
      files.push_back(path);
  }
  std::sort(files.begin(), files.end());
  return files;
}

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace boneplay_test
