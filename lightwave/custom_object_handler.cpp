#include "custom_object_handler.h"

#include "custom_object.h"

namespace Kvat {

namespace {

CustomObjectInstance* instanceOf(LWInstance inst) { return static_cast<CustomObjectInstance*>(inst); }

LWInstance create(void*, void* context, LWError*) {
  try {
    return CustomObjectInstance::create(static_cast<LWItemID>(context)).release();
  } catch (...) {
    // No instance, and nothing to report: the host simply goes without one.
    return nullptr;
  }
}

void destroy(LWInstance inst) { delete instanceOf(inst); }

LWError copy(LWInstance to, LWInstance from) {
  try {
    if (to && from) instanceOf(to)->copyFrom(*instanceOf(from));
  } catch (...) {
  }
  return nullptr;
}

// Nothing of the instance is kept in the host's scene files.
LWError load(LWInstance, const LWLoadState*) { return nullptr; }
LWError save(LWInstance, const LWSaveState*) { return nullptr; }
const char* descln(LWInstance) { return ""; }

const LWItemID* useItems(LWInstance) { return nullptr; }
void changeID(LWInstance, const LWItemID*) {}

LWError init(LWInstance, int) { return nullptr; }
void cleanup(LWInstance) {}

LWError newTime(LWInstance inst, LWFrame, LWTime time) {
  try {
    if (inst) instanceOf(inst)->newTime(time);
  } catch (...) {
  }
  return nullptr;
}

void evaluate(LWInstance inst, const LWCustomObjAccess* access) {
  try {
    if (inst && access) instanceOf(inst)->draw(*access);
  } catch (...) {
  }
}

unsigned int flags(LWInstance) { return 0; }

}  // namespace

void fillCustomObjHandler(LWCustomObjHandler* handler) {
  if (!handler) return;
  if (LWInstanceFuncs* funcs = handler->inst) {
    funcs->create = create;
    funcs->destroy = destroy;
    funcs->copy = copy;
    funcs->load = load;
    funcs->save = save;
    funcs->descln = descln;
  }
  if (LWItemFuncs* funcs = handler->item) {
    funcs->useItems = useItems;
    funcs->changeID = changeID;
  }
  if (LWRenderFuncs* funcs = handler->rend) {
    funcs->init = init;
    funcs->cleanup = cleanup;
    funcs->newTime = newTime;
  }
  handler->evaluate = evaluate;
  handler->flags = flags;
}

}  // namespace Kvat
