#pragma once
#include <string>

namespace clitest {

struct Run {
  int status = -1;
  std::string out;
  std::string err;
};

// Runs the boneplay executable with the arguments (a shell-quoted string).
Run boneplay(const std::string& args);
std::string writeTemp(const std::string& name, const std::string& content);

}  // namespace clitest
