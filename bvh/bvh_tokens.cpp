#include "bvh_tokens.h"

#include "bvh_grammar.hpp"
#include "bvh_load.h"
#include "bvh_row_numbers.h"
#include "bvh_scanner_handle.h"
#define YYSTYPE BVHSTYPE
#include "bvh_scanner.hpp"

namespace Kvat {
namespace Bvh {

namespace {

TokenStream scan(ByteSource& source, Diagnostics& diagnostics, std::size_t maxScanBuffer) {
  TokenStream out;
  BvhLoad load(source, diagnostics);
  load.maxScanBuffer = maxScanBuffer;
  try {
    ScannerHandle scanner(load);
    if (!scanner.get()) return out;
    for (;;) {
      BVHSTYPE value{};
      const int code = bvhlex(&value, scanner.get());
      if (code == 0) break;
      Token t;
      t.code = code;
      if (code == INTEGER) t.integer = value.ival;
      if (code == REAL) t.real = value.fval;
      if (code == IDENT || code == STRING) t.text = value.sval;
      out.tokens.push_back(std::move(t));
    }
  } catch (const ScannerAbort& abort) {
    reportAbort(load, abort);
  }
  out.lines = load.line;
  return out;
}

}  // namespace

TokenStream scanTokens(const char* data, std::size_t size, Diagnostics& diagnostics, std::size_t maxScanBuffer) {
  ByteSource source(data, size);
  return scan(source, diagnostics, maxScanBuffer);
}

std::vector<double> scannedRowNumbers(const std::string& text) {
  // After the MOTION keyword the scanner is in its motion rows' state.
  const std::string motion = "MOTION\n" + text;
  CollectedDiagnostics quiet;
  std::vector<double> numbers;
  for (const Token& t : scanTokens(motion.data(), motion.size(), quiet).tokens) {
    if (t.code == INTEGER) numbers.push_back(t.integer);
    if (t.code == REAL) numbers.push_back(t.real);
  }
  return numbers;
}

TokenStream scanTokens(std::FILE* file) {
  ByteSource source(file, kReaderFoldsFileLineEnds);
  return scan(source, standardStreams(), kMaxScanBuffer);
}

}  // namespace Bvh
}  // namespace Kvat
