#pragma once
// What the scanner and the parser share during one load. Nothing of it
// outlives the load: the next load starts from a fresh context.

#include <deque>
#include <stdexcept>
#include <string>
#include <vector>

#include "bvh_diagnostics.h"
#include "bvh_source.h"

namespace Kvat {
namespace Secne {
class BvhRoot;
}

namespace Bvh {

// The scanner's buffer doubles until it holds the longest token and the
// character after it, so tokens of up to this size less 2 bytes are read.
// Past it the scan ends as a buffer overflow: no name or number of a real
// clip comes near, and one more doubling still fits the 32-bit sizes the
// scanner keeps.
constexpr std::size_t kMaxScanBuffer = std::size_t{1} << 28;

struct BvhLoad {
  BvhLoad(ByteSource& bytes, Diagnostics& sink) : source(bytes), diagnostics(sink) {}

  Secne::BvhRoot* root = nullptr;
  ByteSource& source;
  Diagnostics& diagnostics;
  std::size_t maxScanBuffer = kMaxScanBuffer;
  int line = 0;  // line counter, read by the motion-section reports
  // Where the scanner's latest read put its bytes, how much of their line
  // came before them and how long the line before was: the column of a token
  // at fault, without counting columns on every token.
  const char* readAt = nullptr;
  std::size_t lineBeforeRead = 0;
  std::size_t previousLine = 0;
  // Set by the parser right after a row, for the next read only; whether
  // the line the latest read gave is a row (see readLine).
  bool rowsFollow = false;
  bool lastReadIsRow = false;
  std::vector<float> rowValues;    // the numbers of a line read as a row
  std::string text;                // the string being collected
  std::deque<std::string> values;  // texts handed to the parser, released with the load

  const char* keep(const char* s, std::size_t size) {
    values.emplace_back(s, size);
    return values.back().c_str();
  }
};

// A condition the scanner cannot go on from. Whoever runs the scanner writes
// its message to the error stream and ends the load with what was built.
struct ScannerAbort : std::runtime_error {
  using std::runtime_error::runtime_error;
};

[[noreturn]] void scannerFatal(const char* message);
// The error printer shared by scanner and parser: "ERROR: message".
void reportError(BvhLoad& load, const char* message);
// The place of the token the parser stopped at (defined with the scanner,
// which holds the token's text and position).
ErrorPlace errorPlace(void* scanner, const BvhLoad& load);
// Writes a scanner abort's message as the reader prints it.
void reportAbort(BvhLoad& load, const ScannerAbort& abort);
// At the end of the first motion row: every channel makes room for as many
// rows as the rest of the bytes holds if its rows are as long as this one.
void planRows(BvhLoad& load);
// The scanner's input: one line of the load's bytes at most, up to maxSize,
// for a scanner buffer of bufferSize bytes. Returns 0 at the end; a file that
// cannot be read, or a buffer grown past the load's limit, is a scanner abort.
// Where rows follow, whole lines of numbers are taken here as the parser
// would take their tokens (samples, row end, line count) and never reach
// the scanner: a clip's rows cost no token each.
std::size_t readLine(BvhLoad& load, char* buffer, std::size_t maxSize, std::size_t bufferSize);

}  // namespace Bvh
}  // namespace Kvat
