#pragma once
// Numbers written with an exponent but no decimal point (1e-05, as some
// writers print small values; 3e2): the reader's dialect needs the point, so
// such a text is a name, or a number followed by a name, to its scanner.
// These helpers say what the reader makes of such a text in a row, so that a
// warning can tell which channel's values it changes.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace Boneplay {
namespace Cli {

// What the reader's scanner takes from one blank-separated word of a motion
// row: the numbers it reads (a name among them is dropped, with a syntax
// error; other characters are skipped).
std::vector<double> rowNumbersOf(const std::string& word);

// Whether the word is a number with an exponent and no decimal point
// ("1e-05", "-3E2", "1e+5"), and its dialect form ("1.0e-05").
bool isPointlessExponent(const std::string& word);
std::string withDecimalPoint(const std::string& word);

// The blank-separated word of a line that holds the 1-based byte column.
std::string wordAt(const std::string& line, int column);

// How many numbers the reader takes from a line before the 1-based byte
// column: the column index of a row at that place.
std::size_t numbersBefore(const std::string& line, int column);

// The sentence for such a number in row `row` (1-based; 0 outside the rows)
// at channel column `channel` of `columns` (joint and channel names in file
// order): "1e-05" is not a number ..., write 1.0e-05, and, in a row, what the
// reader did with it.
std::string pointlessExponentSentence(const std::string& word, std::size_t channel,
                                      const std::vector<std::string>& columns, std::size_t row);

// The text of a line of a file (1-based, counted as the reader counts them:
// a line feed ends a line), without its line end; nothing when the file
// cannot be read or is shorter.
std::optional<std::string> readLineOf(const std::string& path, int line);

}  // namespace Cli
}  // namespace Boneplay
