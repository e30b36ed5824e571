#pragma once
// Suggestions for a mistyped subcommand or option: "rendr" is "render",
// "--spede" is "--speed". A word is suggested only when it is at most two
// edits (a character added, dropped or changed, or two neighbours swapped) away, and closer than the
// typed word's own length.

#include <CLI/CLI.hpp>
#include <string>
#include <vector>

namespace Boneplay {
namespace Cli {

// Edits that turn one text into the other.
std::size_t editDistance(const std::string& a, const std::string& b);

// The known name nearest to the typed one within the limits above, or "".
std::string nearestName(const std::string& typed, const std::vector<std::string>& known);

// "did you mean 'render'?" for the first word of the command line that the
// application and the subcommand it chose do not know, or "".
std::string didYouMean(CLI::App& app, int argc, const char* const* argv);

}  // namespace Cli
}  // namespace Boneplay
