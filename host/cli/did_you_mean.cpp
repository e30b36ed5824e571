#include "did_you_mean.h"

#include <algorithm>

namespace Boneplay {
namespace Cli {

namespace {

// Suggestions are at most this many edits away.
constexpr std::size_t kMaxEdits = 2;

std::vector<std::string> optionNames(const CLI::App& app) {
  std::vector<std::string> names;
  for (const CLI::Option* option : app.get_options()) {
    for (const std::string& n : option->get_lnames()) names.push_back("--" + n);
    for (const std::string& n : option->get_snames()) names.push_back("-" + n);
  }
  return names;
}

bool known(const std::string& word, const std::vector<std::string>& names) {
  return std::find(names.begin(), names.end(), word) != names.end();
}

}  // namespace

std::size_t editDistance(const std::string& a, const std::string& b) {
  // d[i][j]: edits from a's first i characters to b's first j; two
  // neighbouring characters swapped count as one edit.
  std::vector<std::vector<std::size_t>> d(a.size() + 1, std::vector<std::size_t>(b.size() + 1));
  for (std::size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
  for (std::size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i)
    for (std::size_t j = 1; j <= b.size(); ++j) {
      d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1)});
      if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
        d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
    }
  return d[a.size()][b.size()];
}

std::string nearestName(const std::string& typed, const std::vector<std::string>& known) {
  const std::size_t letters = typed.size() - std::min(typed.size(), typed.find_first_not_of('-'));
  std::string best;
  std::size_t bestEdits = kMaxEdits + 1;
  for (const std::string& name : known) {
    const std::size_t edits = editDistance(typed, name);
    if (edits < bestEdits && edits < letters) {
      best = name;
      bestEdits = edits;
    }
  }
  return best;
}

std::string didYouMean(CLI::App& app, int argc, const char* const* argv) {
  std::vector<std::string> subcommands;
  for (const CLI::App* sub : app.get_subcommands([](CLI::App*) { return true; }))
    subcommands.push_back(sub->get_name());
  const CLI::App* chosen = nullptr;
  std::vector<std::string> options = optionNames(app);
  for (int i = 1; i < argc; ++i) {
    std::string word = argv[i];
    if (word == "--") break;
    if (!chosen && known(word, subcommands)) {
      chosen = app.get_subcommand(word);
      const std::vector<std::string> own = optionNames(*chosen);
      options.insert(options.end(), own.begin(), own.end());
      continue;
    }
    if (word.size() > 1 && word[0] == '-') {
      word = word.substr(0, word.find('='));
      if (known(word, options)) continue;
      const std::string near = nearestName(word, options);
      if (!near.empty()) return "did you mean '" + near + "'?";
    } else if (!chosen) {
      const std::string near = nearestName(word, subcommands);
      if (!near.empty()) return "did you mean '" + near + "'?";
    }
  }
  return "";
}

}  // namespace Cli
}  // namespace Boneplay
