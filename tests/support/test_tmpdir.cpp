#include "test_tmpdir.h"

#include <stdlib.h>
#ifdef _WIN32
#include <process.h>
#endif

#include <cstdio>
#include <filesystem>
#include <system_error>
#include <vector>

namespace boneplay_test {
namespace {

class Folder {
 public:
#ifdef _WIN32
  // No mkdtemp here: a name made of the process id and a counter, taken by the
  // first create_directory that finds it free.
  Folder() {
    std::error_code error;
    const std::filesystem::path base = std::filesystem::temp_directory_path(error);
    for (int n = 0; !error && n < 1000; ++n) {
      const std::filesystem::path folder =
          base / ("boneplay-test-" + std::to_string(_getpid()) + "-" + std::to_string(n));
      if (std::filesystem::create_directory(folder, error)) {
        m_path = folder.u8string() + "/";
        return;
      }
    }
    std::fprintf(stderr, "cannot make a temporary folder: %s\n", error.message().c_str());
    std::abort();
  }
#else
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
#endif
  ~Folder() {
    std::error_code error;
    std::filesystem::remove_all(std::filesystem::u8path(m_path), error);
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
