#include "kv_file_name.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace Kvat {

#ifdef _WIN32

bool widenUtf8(const std::string& text, std::wstring& wide) {
  wide.clear();
  if (text.empty()) return true;
  // The length fits an int for any name a file system takes; longer texts fail here.
  if (text.size() > 0x7fffffff) return false;
  const int length = static_cast<int>(text.size());
  const int count = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), length, nullptr, 0);
  if (count <= 0) return false;
  wide.resize(static_cast<std::size_t>(count));
  if (MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), length, &wide[0], count) != count) {
    wide.clear();
    return false;
  }
  return true;
}

std::FILE* openFileUtf8(const char* name, const char* mode) {
  std::wstring wideName, wideMode;
  if (!name || !mode || !widenUtf8(name, wideName) || !widenUtf8(mode, wideMode)) return nullptr;
  return _wfopen(wideName.c_str(), wideMode.c_str());
}

#else

std::FILE* openFileUtf8(const char* name, const char* mode) {
  if (!name || !mode) return nullptr;
  return std::fopen(name, mode);
}

#endif

}  // namespace Kvat
