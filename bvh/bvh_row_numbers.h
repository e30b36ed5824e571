#pragma once
// What the reader's scanner takes from text in a motion row, for messages
// that tell what the reader made of a row.

#include <string>
#include <vector>

namespace Kvat {
namespace Bvh {

// The numbers, integers and reals in order, with the scanner's own values;
// names are dropped and characters no rule knows are skipped.
std::vector<double> scannedRowNumbers(const std::string& text);

}  // namespace Bvh
}  // namespace Kvat
