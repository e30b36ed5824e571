#include "fbx_skl_check.h"

#include <cstdio>

namespace Kvat {
namespace Secne {

bool fbxSklCheck(bool ok, const char* expression, int line) {
  if (!ok) std::fprintf(stderr, "Assertion failed: %s, file %s, line %d\n", expression, kFbxSklSourceName, line);
  return ok;
}

}  // namespace Secne
}  // namespace Kvat
