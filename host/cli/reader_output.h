#pragma once
// The readers write their diagnostics straight to standard output and
// standard error (syntax errors, echoed characters, the motion list dump).
// The command line collects them while a clip loads, so that results on
// standard output stay clean and the user sees a short summary unless asked
// for everything.

#include <string>

namespace Boneplay {
namespace Cli {

struct ReaderOutput {
  std::string out;  // what the reader wrote to standard output
  std::string err;  // ... and to standard error
};

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

// One line for the user about a load's diagnostics, or "" when there were no
// errors: the first "ERROR:" line the reader printed and how many there were.
std::string summariseDiagnostics(const ReaderOutput& output);

}  // namespace Cli
}  // namespace Boneplay
