#include "test_tmpdir.h"

#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <system_error>
#include <vector>

namespace boneplay_test {
namespace {

class Folder {
 public:
  Folder() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = (base && *base) ? base : "/tmp";
    if (pattern.back() != '/') pattern += '/';
    pattern += "boneplay-test-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (!mkdtemp(buffer.data())) {
      std::perror("mkdtemp");
      std::abort();
    }
    m_path = std::string(buffer.data()) + "/";
  }
  ~Folder() {
    std::error_code error;
    std::filesystem::remove_all(m_path, error);
  }
  const std::string& path() const { return m_path; }

 private:
  std::string m_path;
};

}  // namespace

const std::string& TempFolder() {
  static const Folder folder;
  return folder.path();
}

std::string TempPath(const std::string& name) { return TempFolder() + name; }

}  // namespace boneplay_test
