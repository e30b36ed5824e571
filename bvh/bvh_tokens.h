#pragma once
// The BVH scanner on its own: the token stream of a file, for diagnostics
// and for checking the lexical rules apart from the grammar.

#include <cstdio>
#include <string>
#include <vector>

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

TokenStream scanTokens(std::FILE* file);

}  // namespace Bvh
}  // namespace Kvat
