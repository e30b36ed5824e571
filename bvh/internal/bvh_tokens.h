#pragma once
// The BVH scanner on its own: the token stream of some bytes, for
// diagnostics and for checking the lexical rules apart from the grammar.

#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

#include "bvh_diagnostics.h"
#include "bvh_load.h"

namespace Kvat {
namespace Bvh {

struct Token {
  int code = 0;      // token code; a character token's code is the character
  int integer = 0;   // INTEGER
  float real = 0.f;  // REAL
  std::string text;  // IDENT and STRING
};

struct TokenStream {
  std::vector<Token> tokens;  // up to, not including, the end of input
  int lines = 0;              // the line counter when the input ended
};

// Bytes in memory, read as the load entry over bytes reads them, with the
// scanner's buffer limited to maxScanBuffer bytes (see bvh_load.h).
TokenStream scanTokens(const char* data, std::size_t size, Diagnostics& diagnostics,
                       std::size_t maxScanBuffer = kMaxScanBuffer);
// A file opened in text mode, read as the file-name load entry reads it;
// diagnostics on the standard streams.
TokenStream scanTokens(std::FILE* file);

}  // namespace Bvh
}  // namespace Kvat
