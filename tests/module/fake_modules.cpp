// Two libraries that are not usable modules, built from this one file: one
// without a descriptor, one whose descriptor is for another host.
#include "lightwave/lwsdk/lw_module.h"

#ifdef FAKE_BAD_SYNC
extern "C" {
MOD_EXPORT ModuleDescriptor _mod_descrip = {0x12345678, 3, 0x300, nullptr, nullptr, nullptr};
}
#else
extern "C" MOD_EXPORT int not_a_module() { return 1; }
#endif
