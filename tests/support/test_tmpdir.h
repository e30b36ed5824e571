#pragma once

#include <string>

namespace boneplay_test {

// A fresh folder of this test process's own, made on first use under TMPDIR
// (or /tmp) and removed with everything in it when the process ends, pass or
// fail. Parallel test processes each get their own, so their files never meet.
// Ends with "/".
const std::string& TempFolder();

// TempFolder() + name.
std::string TempPath(const std::string& name);

}  // namespace boneplay_test
