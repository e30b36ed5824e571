#include "bvh_tokens.h"

#include "bvh_grammar.hpp"
#include "bvh_load.h"
#define YYSTYPE BVHSTYPE
#include "bvh_scanner.hpp"

namespace Kvat {
namespace Bvh {

TokenStream scanTokens(std::FILE* file) {
  TokenStream out;
  BvhLoad load;
  load.file = file;
  yyscan_t scanner = nullptr;
  if (bvhlex_init_extra(&load, &scanner) != 0) return out;
  bvhset_in(file, scanner);
  try {
    for (;;) {
      BVHSTYPE value{};
      const int code = bvhlex(&value, scanner);
      if (code == 0) break;
      Token t;
      t.code = code;
      if (code == INTEGER) t.integer = value.ival;
      if (code == REAL) t.real = value.fval;
      if (code == IDENT || code == STRING) t.text = value.sval;
      out.tokens.push_back(std::move(t));
    }
  } catch (const ScannerAbort&) {
  }
  bvhlex_destroy(scanner);
  out.lines = load.line;
  return out;
}

}  // namespace Bvh
}  // namespace Kvat
