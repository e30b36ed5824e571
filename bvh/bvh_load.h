#pragma once
// What the scanner and the parser share during one load. Nothing of it
// outlives the load: the next file starts from a fresh context.

#include <cstdio>
#include <deque>
#include <stdexcept>
#include <string>

namespace Kvat {
namespace Secne {
class BvhRoot;
}

namespace Bvh {

struct BvhLoad {
  Secne::BvhRoot* root = nullptr;
  std::FILE* file = nullptr;
  int line = 0;                    // line counter, read by the motion-section reports
  std::string text;                // the string being collected
  std::deque<std::string> values;  // texts handed to the parser, released with the load

  const char* keep(std::string s) {
    values.push_back(std::move(s));
    return values.back().c_str();
  }
};

// A condition the scanner cannot go on from: its message has been printed and
// the load ends with what was built.
struct ScannerAbort : std::runtime_error {
  using std::runtime_error::runtime_error;
};

[[noreturn]] void scannerFatal(const char* message);
// The error printer shared by scanner and parser.
void reportError(const char* message);
// Reads up to maxSize bytes, one line at most, with each CR LF as LF: the file
// is open in text mode, which folds them on Windows; elsewhere this read does
// the same. Returns 0 at the end of the file.
std::size_t readLine(BvhLoad& load, char* buffer, std::size_t maxSize);

}  // namespace Bvh
}  // namespace Kvat
