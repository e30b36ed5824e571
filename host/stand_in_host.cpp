#include "stand_in_host.h"

#include <algorithm>
#include <cstdio>

#include "current_instance.h"

namespace Boneplay {
namespace Host {

namespace {

StandInHost* currentHost() { return CurrentInstance<StandInHost>::get(); }

// Item-info over the current host's scene. Without a current host every
// answer is "none".
const ItemScene* currentScene() { return currentHost() ? &currentHost()->scene() : nullptr; }

LWItemID infoFirst(LWItemType type, LWItemID object) {
  const ItemScene* s = currentScene();
  return s ? s->first(type, object) : nullptr;
}
LWItemID infoNext(LWItemID item) {
  const ItemScene* s = currentScene();
  return s ? s->next(item) : nullptr;
}
LWItemID infoFirstChild(LWItemID parent) {
  const ItemScene* s = currentScene();
  return s ? s->firstChild(parent) : nullptr;
}
LWItemID infoNextChild(LWItemID parent, LWItemID prev) {
  const ItemScene* s = currentScene();
  return s ? s->nextChild(parent, prev) : nullptr;
}
LWItemID infoParent(LWItemID item) {
  const ItemScene* s = currentScene();
  return s ? s->parent(item) : nullptr;
}
const char* infoName(LWItemID item) {
  const ItemScene* s = currentScene();
  return s ? s->name(item) : nullptr;
}
void infoParam(LWItemID item, int code, LWTime time, LWDVector out) {
  const ItemScene* s = currentScene();
  const Triple v = s ? s->param(item, code, time) : Triple{0.0, 0.0, 0.0};
  for (int i = 0; i < 3; ++i) out[i] = v[i];
}

const LWItemInfo kItemInfo = {infoFirst, infoNext, infoFirstChild, infoNextChild, infoParent, infoName, infoParam};

}  // namespace

StandInHost::StandInHost(ItemScene scene) : m_xScene(std::move(scene)) { CurrentInstance<StandInHost>::enter(this); }

StandInHost::~StandInHost() { CurrentInstance<StandInHost>::leave(this); }

StandInHost* StandInHost::current() { return currentHost(); }

GlobalFunc* StandInHost::globalFunc() const { return &StandInHost::global; }

void StandInHost::clearRecords() {
  m_vsRequests.clear();
  m_vxMessages.clear();
  m_vsCommands.clear();
}

const LWItemInfo* StandInHost::itemInfo() const { return &kItemInfo; }

const LWMessageFuncs* StandInHost::messageFuncs() const {
  static const LWMessageFuncs kMessages = {messageInfo, messageError, messageWarning};
  return &kMessages;
}

void* StandInHost::global(const char* serviceName, int) {
  StandInHost* host = currentHost();
  if (!host || !serviceName) return nullptr;
  try {
    const std::string name(serviceName);
    host->m_vsRequests.push_back(name);
    if (host->m_setDisabled.count(name)) return nullptr;
    if (name == LWITEMINFO_GLOBAL) return const_cast<LWItemInfo*>(host->itemInfo());
    if (name == LWMESSAGEFUNCS_GLOBAL) return const_cast<LWMessageFuncs*>(host->messageFuncs());
    if (name == LWCOMMANDINTERFACE_GLOBAL) return reinterpret_cast<void*>(&StandInHost::command);
    auto extra = host->m_mapExtra.find(name);
    if (extra != host->m_mapExtra.end()) return extra->second;
  } catch (...) {
  }
  return nullptr;
}

int StandInHost::command(const char* text) {
  StandInHost* host = currentHost();
  if (!host) return 0;
  try {
    host->m_vsCommands.push_back(text ? text : "");
    if (host->m_bEcho) std::fprintf(stderr, "command: %s\n", text ? text : "");
  } catch (...) {
  }
  return host->m_iCommandResult;
}

void StandInHost::recordMessage(const char* kind, const char* title, const char* text) {
  StandInHost* host = currentHost();
  if (!host) return;
  try {
    host->m_vxMessages.push_back({kind, title ? title : "", text ? text : ""});
    if (host->m_bEcho) std::fprintf(stderr, "%s box \"%s\": %s\n", kind, title ? title : "", text ? text : "");
  } catch (...) {
  }
}

void StandInHost::messageInfo(const char* title, const char* text) { recordMessage("info", title, text); }
void StandInHost::messageError(const char* title, const char* text) { recordMessage("error", title, text); }
void StandInHost::messageWarning(const char* title, const char* text) { recordMessage("warning", title, text); }

}  // namespace Host
}  // namespace Boneplay
