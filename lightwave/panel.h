#pragma once
// The instance's panel: the motion file (with a requester for BVH and FBX
// files), the display scale, and AutoResize, which scales a loaded clip so
// that its first joint stands at height 1.

#include "lightwave/lwsdk/lw_globals.h"
#include "lightwave/lwsdk/lw_panel.h"

namespace Kvat {

class CustomObjectInstance;

namespace Panel {

constexpr unsigned int kMotionFile = 0x8001;
constexpr unsigned int kScale = 0x8002;
constexpr unsigned int kAutoResize = 0x8003;

// A view panel bound to the instance, or null when the host has no panel
// service or cannot make one.
LWXPanelID createPanel(GlobalFunc* global, CustomObjectInstance* instance);

// The panel's get/set pair. getValue hands out a pointer to the value (null
// for unknown ids); setValue returns 1 when it handled the id.
void* getValue(void* instance, unsigned int vid);
int setValue(void* instance, unsigned int vid, void* value);

// The AutoResize button.
void autoResize(LWXPanelID panel, int cid);

}  // namespace Panel
}  // namespace Kvat
