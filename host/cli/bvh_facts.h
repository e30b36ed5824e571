#pragma once
// What a BVH file says about itself beyond the skeleton the reader builds:
// the declared frame count and frame time (read and dropped by the reader,
// which plays every clip at 30 samples per second), where the rows of numbers
// are, and the joint names exactly as written. The command line uses these to
// tell the user what the file meant and where a problem sits; the skeleton and
// its samples always come from the reader itself.
//
// Lines are counted as the reader counts them: a line feed ends a line, a
// carriage return before it belongs to that line end, and a carriage return
// alone ends nothing.

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace Boneplay {
namespace Cli {

struct BvhJointLine {
  enum class Keyword { Root, Joint, End };
  Keyword keyword = Keyword::Joint;
  std::string name;  // the text after the keyword up to white space or a brace
  int line = 0;      // 1-based
  int column = 0;    // 1-based byte column where the name starts
};

struct BvhFacts {
  std::size_t bytes = 0;
  bool hierarchy = false;                // the word HIERARCHY appears
  std::vector<BvhJointLine> joints;      // ROOT, JOINT and End lines in file order
  int motionLine = 0;                    // the MOTION line; 0 without one
  std::optional<double> declaredFrames;  // the "Frames:" value
  std::optional<double> frameTime;       // the "Frame Time:" value, seconds
  std::vector<int> rowLines;             // lines of numbers after MOTION, in order
  std::size_t loneCarriageReturns = 0;
  int lines = 0;  // lines in the file (a last line without a line end counts)

  // The file's own rate, when it declares a usable frame time.
  std::optional<double> fileRate() const;
};

// The facts of a file whose bytes come in order, in blocks of any size:
// the reader's own blocks as it reads them (Kvat::Bvh::Diagnostics::bytesRead),
// so that a load reads the file once. finish reads from the file only what
// the blocks did not hold (the reader stops at a fault it cannot go on from)
// and returns nothing when that cannot be read. Memory is bounded by the
// number of rows, as is the facts' own size.
class BvhFactsBuilder {
 public:
  BvhFactsBuilder();
  ~BvhFactsBuilder();
  BvhFactsBuilder(const BvhFactsBuilder&) = delete;
  BvhFactsBuilder& operator=(const BvhFactsBuilder&) = delete;

  void add(const char* bytes, std::size_t size);
  // Once, at the end: the rest from the file at path, or from a stream
  // standing where the blocks ended.
  std::optional<BvhFacts> finish(const std::string& path);
  std::optional<BvhFacts> finish(std::FILE* rest);

 private:
  class Reader;
  std::unique_ptr<Reader> m_pReader;
};

// Reads the whole file. Returns nothing when it cannot be read.
std::optional<BvhFacts> readBvhFacts(std::FILE* file);
std::optional<BvhFacts> readBvhFacts(const std::string& path);

// Whether every byte of a name is a letter, digit or underscore (ASCII), the
// only characters the reader takes in a name.
bool isDialectName(const std::string& name);
// The first byte of a name outside that set, or npos.
std::size_t firstOutsideDialect(const std::string& name);

}  // namespace Cli
}  // namespace Boneplay
