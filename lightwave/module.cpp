// The module's one export: the descriptor through which the host finds the
// two servers named "boneplay" (the custom object and its panel).

#include "custom_object.h"
#include "custom_object_handler.h"
#include "lightwave/lwsdk/lw_custom_object.h"
#include "lightwave/lwsdk/lw_module.h"
#include "module_globals.h"
#include "panel.h"

namespace {

// Any non-null token tells the host the module started; there is nothing to set up.
void* startup() { return reinterpret_cast<void*>(4); }
void shutdown(void*) {}

int activateHandler(int version, GlobalFunc* global, void* local, void*) {
  if (version != LWCUSTOMOBJ_VERSION) return AFUNC_BADVERSION;
  try {
    Kvat::fillCustomObjHandler(static_cast<LWCustomObjHandler*>(local));
  } catch (...) {
  }
  Kvat::Module::setHostGlobal(global);
  return AFUNC_OK;
}

int activateInterface(int version, GlobalFunc* global, void* local, void*) {
  if (version != LWINTERFACE_VERSION) return AFUNC_BADVERSION;
  auto* iface = static_cast<LWInterface*>(local);
  if (!iface) return AFUNC_OK;
  try {
    iface->panel = Kvat::Panel::createPanel(global, static_cast<Kvat::CustomObjectInstance*>(iface->inst));
  } catch (...) {
    iface->panel = nullptr;
  }
  iface->options = nullptr;
  iface->command = nullptr;
  return AFUNC_OK;
}

ServerTagInfo g_aTags[] = {
    {"boneplay", SRVTAG_LANG_ENGLISH},
    {"boneplay", SRVTAG_LANG_JAPANESE},
    {"boneplay", SRVTAG_TEXT_A},
    {"boneplay", SRVTAG_TEXT_B},
    {nullptr, 0},
};

ServerRecord g_aServers[] = {
    {LWCUSTOMOBJ_HCLASS, "boneplay", activateHandler, g_aTags},
    {LWCUSTOMOBJ_ICLASS, "boneplay", activateInterface, g_aTags},
    {nullptr, nullptr, nullptr, nullptr},
};

}  // namespace

extern "C" {
MOD_EXPORT ModuleDescriptor _mod_descrip = {
    MOD_SYSSYNC, MOD_SYSVER, MOD_MACHINE, startup, shutdown, g_aServers,
};
}
