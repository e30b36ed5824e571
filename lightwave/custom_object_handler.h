#pragma once
// The custom-object handler's callback tables: how the host reaches
// CustomObjectInstance. Every callback catches whatever the instance throws;
// nothing crosses back into the host.

#include "lightwave/lwsdk/lw_custom_object.h"

namespace Kvat {

// Fills the host's tables (instance, item and render functions, evaluate and
// flags). The instance table's private-data slot stays as the host set it.
void fillCustomObjHandler(LWCustomObjHandler* handler);

}  // namespace Kvat
