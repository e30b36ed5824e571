#pragma once
// Where the BVH reader's diagnostics go. The reader writes two streams of
// text: its output (syntax errors, the motion-section reports, characters it
// does not know) and its error stream (the motion list dump, the scanner's
// fatal messages). By default they are the process's standard output and
// standard error; a caller that wants them elsewhere, such as the command
// line or a test, hands the load a sink of its own.

#include <cstddef>
#include <string>

namespace Kvat {
namespace Bvh {

// Where the parser was when it reported an error: the token at fault.
struct ErrorPlace {
  int line = 0;           // 1-based, as the reader counts lines (by line feeds)
  int column = 0;         // 1-based byte of the line where the token starts
  const char* text = "";  // the token: a line feed for a line end, empty at the end of the input
  std::size_t size = 0;
};

class Diagnostics {
 public:
  virtual ~Diagnostics() = default;
  virtual void output(const char* text, std::size_t size) = 0;
  virtual void error(const char* text, std::size_t size) = 0;
  // Called with each parser error ("syntax error", "parser stack overflow")
  // and its place, just before the error's own report is written to the
  // output stream. The reader's reports themselves stay as they are: the
  // standard streams ignore this call.
  virtual void errorAt(const char* message, const ErrorPlace& place) {
    (void)message;
    (void)place;
  }

  // Called with the input's bytes as the reader takes them in, in order and
  // before any line end is folded: a file in the blocks it is read in, bytes
  // in memory all at once when the load starts. A caller that needs more
  // than the skeleton from the file (the command line's facts about it)
  // reads it here instead of a second time; the reader stops taking bytes
  // at a fault it cannot go on from, so the rest of a file may not come.
  virtual void bytesRead(const char* bytes, std::size_t size) {
    (void)bytes;
    (void)size;
  }

  void output(const std::string& text) { output(text.data(), text.size()); }
  void error(const std::string& text) { error(text.data(), text.size()); }
};

// Standard output and standard error (output is flushed before each error
// text, so the two interleave in the order they were written).
Diagnostics& standardStreams();

// Keeps both streams in memory.
class CollectedDiagnostics : public Diagnostics {
 public:
  void output(const char* text, std::size_t size) override { out.append(text, size); }
  void error(const char* text, std::size_t size) override { err.append(text, size); }
  using Diagnostics::error;
  using Diagnostics::output;

  std::string out;
  std::string err;
};

}  // namespace Bvh
}  // namespace Kvat
