#pragma once
// What the clip readers say while they load: syntax errors, the motion
// section's two reports, characters they do not know (echoed), the motion list
// dump and the scanner's fatal messages. The command line keeps it off its
// own standard output, turns it into warnings a person can act on, and shows
// the raw text only when asked (--verbose).

#include <string>
#include <vector>

namespace Boneplay {
namespace Cli {

// A parser error with the place the reader was at.
struct ReaderError {
  std::string message;  // "syntax error", "parser stack overflow"
  int line = 0;         // 1-based; 0 when the reader did not say where
  int column = 0;       // 1-based; 0 when unknown
  std::string text;     // the text at fault: a token, "\n", or "" at the end of the input
};

struct ReaderOutput {
  std::string out;                   // what the reader wrote to its output stream
  std::string err;                   // ... and to its error stream
  std::vector<ReaderError> located;  // parser errors with their place, when the reader tells them
};

// Redirects the process's standard output and error into temporary files for
// as long as it lives: for code that prints there and knows no other way,
// such as the module playing a clip.
class ReaderOutputCapture {
 public:
  ReaderOutputCapture();
  ~ReaderOutputCapture();
  ReaderOutputCapture(const ReaderOutputCapture&) = delete;
  ReaderOutputCapture& operator=(const ReaderOutputCapture&) = delete;

  // Restores both streams and returns what was written meanwhile.
  ReaderOutput finish();

 private:
  struct Stream {
    int fd = -1;
    int saved = -1;
    int file = -1;
  };
  Stream m_out, m_err;
  bool m_bDone = false;
};

// The output stream taken apart: the "ERROR: " messages, the motion-section
// reports (whole lines, as printed) and every other byte, which the reader
// echoed because no rule of its scanner knows it.
struct ReaderOutputParts {
  std::vector<std::string> errors;
  std::vector<std::string> reports;
  std::string echoed;
};
ReaderOutputParts splitReaderOutput(const std::string& out);

// The fatal scanner messages found in the error stream.
std::vector<std::string> scannerFatalMessages(const std::string& err);

// Both streams as a terminal shows them: the motion-section reports, which the
// reader writes in Shift_JIS, become UTF-8; every other byte stays as written.
std::string readerOutputForDisplay(const ReaderOutput& output);

// Shift_JIS (code page 932) text as UTF-8; bytes that are not Shift_JIS are
// kept as they are.
std::string shiftJisToUtf8(const std::string& text);

}  // namespace Cli
}  // namespace Boneplay
