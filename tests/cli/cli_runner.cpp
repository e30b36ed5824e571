#include "cli_runner.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "test_tmpdir.h"

namespace clitest {

namespace {
std::string slurp(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream ss;
  ss << f.rdbuf();
  return ss.str();
}
}  // namespace

// Tests run in parallel processes: keep each one's files apart.
std::string tempPath(const std::string& name) { return boneplay_test::TempPath(name); }

Run boneplay(const std::string& args) {
  const std::string out = tempPath("out.txt");
  const std::string err = tempPath("err.txt");
  const std::string cmd = std::string("'") + BONEPLAY_EXE + "' " + args + " >'" + out + "' 2>'" + err + "'";
  Run r;
  const int raw = std::system(cmd.c_str());
  r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  r.out = slurp(out);
  r.err = slurp(err);
  return r;
}

std::string writeTemp(const std::string& name, const std::string& content) {
  const std::string path = tempPath(name);
  std::ofstream(path, std::ios::binary) << content;
  return path;
}

}  // namespace clitest
