#include "module_loader.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

#include <cstdio>
#include <cstring>

#include "kv_file_name.h"

namespace Boneplay {
namespace Host {

namespace {

#ifdef _WIN32

std::string systemMessage(DWORD code) {
  char* text = nullptr;
  const DWORD length =
      FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                     nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string message(text ? text : "", length);
  if (text) LocalFree(text);
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == ' '))
    message.pop_back();
  char number[32];
  std::snprintf(number, sizeof number, "error %lu", static_cast<unsigned long>(code));
  return message.empty() ? number : std::string(number) + ": " + message;
}

// LoadLibraryW with a UTF-8 name, as the host loads a plug-in from its folder.
void* openLibrary(const std::string& path, std::string& why) {
  // A bare name would be searched for along the DLL search path; the user
  // means the file itself. The loader wants backslashes.
  std::string where = path.find_first_of("/\\") == std::string::npos ? ".\\" + path : path;
  for (char& c : where)
    if (c == '/') c = '\\';
  std::wstring wide;
  if (!Kvat::widenUtf8(where, wide)) {
    why = "the name is not valid UTF-8";
    return nullptr;
  }
  // A broken file fails the call rather than showing an error box.
  DWORD oldMode = 0;
  SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &oldMode);
  HMODULE handle = LoadLibraryW(wide.c_str());
  const DWORD code = GetLastError();
  SetThreadErrorMode(oldMode, nullptr);
  if (!handle) why = systemMessage(code);
  return reinterpret_cast<void*>(handle);
}

void* findSymbol(void* handle, const char* name) {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle), name));
}

void closeLibrary(void* handle) { FreeLibrary(static_cast<HMODULE>(handle)); }

#else

void* openLibrary(const std::string& path, std::string& why) {
  // A name without a slash would be searched for on the library path; the
  // user means the file itself.
  const std::string where = path.find('/') == std::string::npos ? "./" + path : path;
  void* handle = dlopen(where.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    const char* text = dlerror();
    why = text ? text : "unknown reason";
  }
  return handle;
}

void* findSymbol(void* handle, const char* name) {
  dlerror();
  return dlsym(handle, name);
}

void closeLibrary(void* handle) { dlclose(handle); }

#endif

}  // namespace

std::unique_ptr<LoadedModule> LoadedModule::open(const std::string& path, std::string& error) {
  std::string why;
  void* handle = openLibrary(path, why);
  if (!handle) {
    error = "cannot load module '" + path + "': " + why;
    return nullptr;
  }
  std::unique_ptr<LoadedModule> module(new LoadedModule());
  module->m_pHandle = handle;
  auto* descriptor = static_cast<const ModuleDescriptor*>(findSymbol(handle, "_mod_descrip"));
  if (!descriptor) {
    error = "'" + path + "' is not a module: it has no _mod_descrip";
    return nullptr;
  }
  if (descriptor->sysSync != MOD_SYSSYNC) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%#x", descriptor->sysSync);
    error = "'" + path + "' is not a module for this host: its sysSync is " + buf;
    return nullptr;
  }
  if (!descriptor->serverDefs) {
    error = "'" + path + "' lists no servers";
    return nullptr;
  }
  module->m_pDescriptor = descriptor;
  if (descriptor->startup) {
    module->m_pServerData = descriptor->startup();
    if (!module->m_pServerData) {
      module->m_pDescriptor = nullptr;  // refused: no shutdown either
      error = "module '" + path + "' refused to start";
      return nullptr;
    }
  }
  return module;
}

LoadedModule::~LoadedModule() {
  if (m_pDescriptor && m_pDescriptor->shutdown) m_pDescriptor->shutdown(m_pServerData);
  if (m_pHandle) closeLibrary(m_pHandle);
}

const ServerRecord* LoadedModule::server(const char* className, const char* name) const {
  for (const ServerRecord* s = m_pDescriptor->serverDefs; s->className; ++s)
    if (std::strcmp(s->className, className) == 0 && s->name && std::strcmp(s->name, name) == 0) return s;
  return nullptr;
}

int LoadedModule::activate(const char* className, const char* name, int version, GlobalFunc* global,
                           void* local) const {
  const ServerRecord* s = server(className, name);
  if (!s || !s->activate) return -1;
  return s->activate(version, global, local, m_pServerData);
}

}  // namespace Host
}  // namespace Boneplay
