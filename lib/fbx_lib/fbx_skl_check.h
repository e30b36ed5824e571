#pragma once
// The skeleton generator's guards. A failed guard is reported the way the
// runtime's assertion reports it, naming the generator's source and the line
// its callers have always seen, and the caller goes on: nothing here may end
// the host's process or throw across the module's boundary.

namespace Kvat {
namespace Secne {

// The source name every report carries.
constexpr const char* kFbxSklSourceName = "lib\\fbx_lib/fbx_skl_generator";

// Returns ok; when it is false, writes
// "Assertion failed: EXPRESSION, file lib\fbx_lib/fbx_skl_generator, line LINE"
// to standard error.
bool fbxSklCheck(bool ok, const char* expression, int line);

}  // namespace Secne
}  // namespace Kvat
