#pragma once
// The stand-in host: it offers the module the services the real host would,
// over an item scene of its own, and records what the module asks of it
// (message boxes, commands, service look-ups) so that callers can check it.
//
// The service tables are plain C functions without a context argument, as the
// host interface has them, so they reach the host object through one
// process-wide "current host": the most recently constructed one still alive.

#include <map>
#include <set>
#include <string>
#include <vector>

#include "item_scene.h"
#include "lightwave/lwsdk/lw_globals.h"
#include "lightwave/lwsdk/lw_item_info.h"
#include "lightwave/lwsdk/lw_messages.h"

namespace Boneplay {
namespace Host {

class StandInHost {
 public:
  struct Message {
    std::string kind;  // "info", "error" or "warning"
    std::string title;
    std::string text;
  };

  explicit StandInHost(ItemScene scene = ItemScene());
  ~StandInHost();
  StandInHost(const StandInHost&) = delete;
  StandInHost& operator=(const StandInHost&) = delete;

  static StandInHost* current();

  // What the module is handed as the host's global function.
  GlobalFunc* globalFunc() const;

  const ItemScene& scene() const { return m_xScene; }
  void setScene(ItemScene scene) { m_xScene = std::move(scene); }

  // Offers a further service under its global name (the panel service, say).
  void provide(const std::string& name, void* service) { m_mapExtra[name] = service; }

  // A switched-off service looks missing: the global function returns null.
  void disableService(const std::string& name) { m_setDisabled.insert(name); }
  void enableService(const std::string& name) { m_setDisabled.erase(name); }

  // Show message boxes and commands on stderr as they come.
  void setEcho(bool echo) { m_bEcho = echo; }
  // What the command function answers.
  void setCommandResult(int result) { m_iCommandResult = result; }

  const std::vector<std::string>& serviceRequests() const { return m_vsRequests; }
  const std::vector<Message>& messages() const { return m_vxMessages; }
  const std::vector<std::string>& commands() const { return m_vsCommands; }
  void clearRecords();

  // The tables as the global function hands them out.
  const LWItemInfo* itemInfo() const;
  const LWMessageFuncs* messageFuncs() const;

 private:
  static void* global(const char* serviceName, int useMode);
  static int command(const char* text);
  static void recordMessage(const char* kind, const char* title, const char* text);
  static void messageInfo(const char* title, const char* text);
  static void messageError(const char* title, const char* text);
  static void messageWarning(const char* title, const char* text);

  ItemScene m_xScene;
  std::set<std::string> m_setDisabled;
  std::map<std::string, void*> m_mapExtra;
  bool m_bEcho = false;
  int m_iCommandResult = 1;
  std::vector<std::string> m_vsRequests;
  std::vector<Message> m_vxMessages;
  std::vector<std::string> m_vsCommands;
};

}  // namespace Host
}  // namespace Boneplay
