#pragma once
// Loads a module the way the animation host does: open the library
// (LoadLibraryW with the UTF-8 name made UTF-16 on Windows, dlopen
// elsewhere), read its one export `_mod_descrip`, check it, start it up, and
// activate its servers by class and name. Shutting down and closing happen
// when it goes away.

#include <memory>
#include <string>

#include "lightwave/lwsdk/lw_custom_object.h"
#include "lightwave/lwsdk/lw_module.h"

namespace Boneplay {
namespace Host {

class LoadedModule {
 public:
  // None, with a one-line reason in error, when the file is no usable module.
  static std::unique_ptr<LoadedModule> open(const std::string& path, std::string& error);
  ~LoadedModule();
  LoadedModule(const LoadedModule&) = delete;
  LoadedModule& operator=(const LoadedModule&) = delete;

  const ModuleDescriptor& descriptor() const { return *m_pDescriptor; }
  // The server of that class and name, or null.
  const ServerRecord* server(const char* className, const char* name) const;
  // Calls the server's activation; -1 when there is no such server.
  int activate(const char* className, const char* name, int version, GlobalFunc* global, void* local) const;

 private:
  LoadedModule() = default;

  void* m_pHandle = nullptr;
  const ModuleDescriptor* m_pDescriptor = nullptr;
  void* m_pServerData = nullptr;  // what startup returned
};

}  // namespace Host
}  // namespace Boneplay
