#pragma once
// File names are UTF-8 throughout the module and the stand-in host. On
// Windows the C runtime's narrow calls read a name in the ANSI code page, so a
// name such as "tänzer_步.bvh" would not open: there names go through UTF-16
// and the runtime's wide calls. Elsewhere the bytes are the name.

#include <cstdio>
#include <string>

namespace Kvat {

// fopen for a UTF-8 name, same modes (so "r" stays a text-mode read). Returns
// null when the file cannot be opened or, on Windows, when the name is not
// valid UTF-8.
std::FILE* openFileUtf8(const char* name, const char* mode);

#ifdef _WIN32
// The UTF-16 form of a UTF-8 text; false, leaving wide empty, when the text is
// not valid UTF-8.
bool widenUtf8(const std::string& text, std::wstring& wide);
#endif

}  // namespace Kvat
