// The load entries: a file or bytes in memory through the generated scanner
// and parser into a new BvhRoot, diagnostics to the caller's sink.
#include <algorithm>
#include <cstdio>
#include <memory>

#include "bvh_load.h"
#include "bvh_numbers.h"
#include "bvh_root.h"
#include "kv_file_name.h"
// Generated at build time from bvh_grammar.y and bvh_scanner.l.
#include "bvh_grammar.hpp"
#define YYSTYPE BVHSTYPE
#include "bvh_scanner.hpp"
#include "bvh_scanner_handle.h"

namespace Kvat {

namespace Bvh {

namespace {

class StandardStreams : public Diagnostics {
 public:
  void output(const char* text, std::size_t size) override { std::fwrite(text, 1, size, stdout); }
  void error(const char* text, std::size_t size) override {
    std::fflush(stdout);
    std::fwrite(text, 1, size, stderr);
  }
};

}  // namespace

Diagnostics& standardStreams() {
  static StandardStreams streams;
  return streams;
}

void scannerFatal(const char* message) { throw ScannerAbort(message); }

void reportError(BvhLoad& load, const char* message) {
  load.diagnostics.output("ERROR: " + std::string(message) + "\n");
}

void reportAbort(BvhLoad& load, const ScannerAbort& abort) { load.diagnostics.error(std::string(abort.what()) + "\n"); }

namespace {

// A whole line (its line end included) of numbers separated by blanks, one
// at least: what the parser takes as a row, its numbers then in rowValues.
// Anything else, from a carriage return or a comma to a word the scanner
// would split, is left to the scanner.
bool wholeRow(BvhLoad& load, const char* line, std::size_t size) {
  if (load.lineBeforeRead != 0 || size == 0 || line[size - 1] != '\n') return false;
  load.rowValues.clear();
  const char* end = line + size - 1;
  for (const char* p = line; p != end;) {
    if (*p == ' ' || *p == '\t') {
      ++p;
      continue;
    }
    const char* word = p;
    while (p != end && *p != ' ' && *p != '\t') ++p;
    float value = 0.f;
    if (!rowNumber(word, static_cast<std::size_t>(p - word), value)) return false;
    load.rowValues.push_back(value);
  }
  return !load.rowValues.empty();
}

std::size_t readOne(BvhLoad& load, char* buffer, std::size_t maxSize) {
  load.readAt = buffer;
  load.lineBeforeRead = load.source.lineSoFar();
  load.previousLine = load.source.lastLineLength();
  const std::size_t n = load.source.readLine(buffer, maxSize);
  if (n == 0 && load.source.failed()) scannerFatal("input in flex scanner failed");
  return n;
}

}  // namespace

// The scanner reads when it matches the line end of the line it holds (it
// must see whether the token goes on), before the parser hears of that line
// end. When the parser took the row before that line, not recovering from
// an error, and the line held is a row too, the parser has taken all of its
// samples, and all that is left of it is its row end: that comes first here
// (the parser's own, later, changes nothing), then every following line that
// is a row is taken as the parser would take it. The first other line goes
// to the scanner.
std::size_t readLine(BvhLoad& load, char* buffer, std::size_t maxSize, std::size_t bufferSize) {
  if (bufferSize > load.maxScanBuffer) scannerFatal("fatal error - scanner input buffer overflow");
  const bool takeRows = load.rowsFollow && load.lastReadIsRow;
  load.rowsFollow = false;
  if (takeRows) load.root->endRow();
  for (;;) {
    const std::size_t n = readOne(load, buffer, maxSize);
    load.lastReadIsRow = wholeRow(load, buffer, n);
    if (!takeRows || !load.lastReadIsRow) return n;
    for (float value : load.rowValues) load.root->addSample(value);
    ++load.line;
    load.root->endRow();
  }
}

void planRows(BvhLoad& load) {
  const std::size_t columns = load.root->columnCount();
  if (columns == 0) return;
  // A row that fills every column takes at least two bytes (a digit and a
  // separator) per number, so the plan never holds more samples than half
  // the bytes left: no more than the input can justify.
  const std::size_t rowBytes = std::max(load.source.lastLineLength(), 2 * columns);
  // Rows vary in length around the first: one in sixteen more room spares
  // the doubling and copying of every channel, and stays under the share
  // that releaseUnusedRoom gives back (which would copy again).
  const std::size_t rows = load.source.remaining() / rowBytes;
  load.root->expectRows(2 + rows + rows / 16);
}

ScannerHandle::ScannerHandle(BvhLoad& load) {
  if (bvhlex_init_extra(&load, &m_scanner) != 0) m_scanner = nullptr;  // no memory: nothing to scan with
}

ScannerHandle::~ScannerHandle() {
  if (m_scanner) bvhlex_destroy(m_scanner);
}

}  // namespace Bvh

namespace Secne {

namespace {

BvhRoot* readBvh(Bvh::ByteSource& source, Bvh::Diagnostics& diagnostics) {
  std::unique_ptr<BvhRoot> root;
  try {
    root.reset(new BvhRoot());
    Bvh::BvhLoad load(source, diagnostics);
    load.root = root.get();
    source.watch(diagnostics);
    try {
      Bvh::ScannerHandle scanner(load);
      // The result (accepted, given up, stack full) does not matter: whatever
      // was built before a failure stays.
      if (scanner.get()) bvhparse(scanner.get(), &load);
    } catch (const Bvh::ScannerAbort& abort) {
      Bvh::reportAbort(load, abort);
    } catch (const std::exception&) {
      // No memory: keep what was read.
    }
    root->releaseUnusedRoom();
    root->linkMotions(diagnostics);
  } catch (const std::exception&) {
    // Not even the bare skeleton could be made.
    return nullptr;
  }
  return root.release();
}

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

}  // namespace

BvhRoot* createBvhRoot(const char* fileName) { return createBvhRoot(fileName, Bvh::standardStreams()); }

BvhRoot* createBvhRoot(const char* fileName, Bvh::Diagnostics& diagnostics) {
  if (!fileName) return nullptr;
  // Text mode, as the runtime reads it; a UTF-8 name on Windows too.
  std::unique_ptr<std::FILE, FileCloser> file(openFileUtf8(fileName, "r"));
  if (!file) return nullptr;
  Bvh::ByteSource source(file.get(), Bvh::kReaderFoldsFileLineEnds);
  return readBvh(source, diagnostics);
}

BvhRoot* createBvhRootFromBytes(const char* data, std::size_t size, Bvh::Diagnostics& diagnostics) {
  Bvh::ByteSource source(data, size);
  return readBvh(source, diagnostics);
}

}  // namespace Secne
}  // namespace Kvat
