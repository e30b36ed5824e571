#include "module_loader.h"

#include <dlfcn.h>

#include <cstring>

namespace Boneplay {
namespace Host {

std::unique_ptr<LoadedModule> LoadedModule::open(const std::string& path, std::string& error) {
  // A name without a slash would be searched for on the library path; the
  // user means the file itself.
  const std::string where = path.find('/') == std::string::npos ? "./" + path : path;
  void* handle = dlopen(where.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    const char* why = dlerror();
    error = "cannot load module '" + path + "': " + (why ? why : "unknown reason");
    return nullptr;
  }
  std::unique_ptr<LoadedModule> module(new LoadedModule());
  module->m_pHandle = handle;
  dlerror();
  auto* descriptor = static_cast<const ModuleDescriptor*>(dlsym(handle, "_mod_descrip"));
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
  if (m_pHandle) dlclose(m_pHandle);
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
