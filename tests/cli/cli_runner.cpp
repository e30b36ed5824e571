#include "cli_runner.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <sstream>

namespace clitest {

namespace {
std::string slurp(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream ss;
  ss << f.rdbuf();
  return ss.str();
}
}  // namespace

Run boneplay(const std::string& args) {
  const std::string out = ::testing::TempDir() + "cli_out.txt";
  const std::string err = ::testing::TempDir() + "cli_err.txt";
  const std::string cmd = std::string("'") + BONEPLAY_EXE + "' " + args + " >'" + out + "' 2>'" + err + "'";
  Run r;
  const int raw = std::system(cmd.c_str());
  r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  r.out = slurp(out);
  r.err = slurp(err);
  return r;
}

std::string writeTemp(const std::string& name, const std::string& content) {
  const std::string path = ::testing::TempDir() + name;
  std::ofstream(path, std::ios::binary) << content;
  return path;
}

}  // namespace clitest
