#pragma once
#include <string>

namespace clitest {

struct Run {
  int status = -1;
  std::string out;
  std::string err;
};

// Runs the boneplay executable with the arguments (a shell-quoted string),
// in the folder `cwd` when one is given.
Run boneplay(const std::string& args, const std::string& cwd = "");
// A file of this test process's temporary folder with the content.
std::string writeTemp(const std::string& name, const std::string& content);
// A fresh folder inside this test process's temporary folder; ends without "/".
std::string makeTempFolder(const std::string& name);
std::string slurp(const std::string& path);
// 'text', quoted for the shell.
std::string quote(const std::string& text);

}  // namespace clitest
