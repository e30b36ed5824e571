#include "cli_runner.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "test_tmpdir.h"

namespace clitest {

std::string slurp(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream ss;
  ss << f.rdbuf();
  return ss.str();
}

std::string quote(const std::string& text) {
  std::string q = "'";
  for (char c : text) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

Run boneplay(const std::string& args, const std::string& cwd) {
  const std::string out = boneplay_test::TempPath("out.txt");
  const std::string err = boneplay_test::TempPath("err.txt");
  std::string cmd = quote(BONEPLAY_EXE) + " " + args + " >" + quote(out) + " 2>" + quote(err);
  if (!cwd.empty()) cmd = "cd " + quote(cwd) + " && " + cmd;
  Run r;
  const int raw = std::system(cmd.c_str());
  r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  r.out = slurp(out);
  r.err = slurp(err);
  return r;
}

std::string writeTemp(const std::string& name, const std::string& content) {
  const std::string path = boneplay_test::TempPath(name);
  std::ofstream(path, std::ios::binary) << content;
  return path;
}

std::string makeTempFolder(const std::string& name) {
  const std::string path = boneplay_test::TempPath(name);
  mkdir(path.c_str(), 0700);
  return path;
}

}  // namespace clitest
