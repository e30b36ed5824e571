#include "panel.h"

#include <cmath>
#include <cstring>
#include <string>

#include "custom_object.h"
#include "motion_loading.h"

namespace Kvat {
namespace Panel {

namespace {

// The panel service as the last panel was made with, and the one float through
// which getValue hands out a scale (valid until the next such read).
const LWXPanelFuncs* g_pxPanelFuncs = nullptr;
double g_dScaleHandout = 0.0;

constexpr const char* kRefreshCommand = "RefreshNow";
constexpr double kTinyHeight = 1e-15;

LWXPanelControl kControls[] = {
    {kMotionFile, "Motion File", "sFileName"},
    {kScale, "Scale", "float"},
    {kAutoResize, "AutoResize", "vButton"},
    {0, nullptr, nullptr},
};

LWXPanelDataDesc kDataDescription[] = {
    {kMotionFile, "Motion File", "string"},
    {kScale, "Scale", "float"},
    {0, nullptr, nullptr},
};

LWXPanelHint word(uintptr_t value) { return reinterpret_cast<LWXPanelHint>(value); }
LWXPanelHint text(const char* value) { return const_cast<char*>(value); }

CustomObjectInstance* instanceOf(void* p) { return static_cast<CustomObjectInstance*>(p); }

void resize(LWXPanelID panel) {
  CustomObjectInstance* instance = instanceOf(g_pxPanelFuncs->getData(panel, 0));
  if (!instance) return;
  const HostServices& host = instance->hostServices();
  Secne::Root* skeleton = instance->skeleton();
  if (!skeleton) host.showError("Motion ERROR", "no motion!");
  const int state = instance->stateCode();
  if (state != CustomObjectInstance::kFbxClip && state != CustomObjectInstance::kBvhClip) {
    // The host rig follows the host's own items: it is never rescaled.
    host.showError("Kestrel", "do not resize");
    return;
  }
  if (!skeleton) return;
  Secne::Node* root = skeleton->top()->find("Root");
  if (!root || root->children().empty()) return;
  Secne::Node* firstJoint = root->children().front();

  skeleton->rootMatrix().setIdentity();
  skeleton->setScale(Vector3(1.0, 1.0, 1.0));
  skeleton->evaluate(0.0);
  const double height = firstJoint->attrib()->world()(3, 1);
  if (!(std::fabs(height) >= kTinyHeight)) return;
  const double s = 1.0 / height;
  // Not through set scale: the host is asked to redraw once, below.
  instance->storeScale(s);
  skeleton->setScale(Vector3(s, s, s));
  g_pxPanelFuncs->formSet(panel, kScale, instance->scaleAddress());
  host.sendCommand(kRefreshCommand);
}

}  // namespace

LWXPanelID createPanel(GlobalFunc* global, CustomObjectInstance* instance) {
  g_pxPanelFuncs = global ? static_cast<const LWXPanelFuncs*>(global(LWXPANELFUNCS_GLOBAL, GFUSE_TRANSIENT)) : nullptr;
  if (!g_pxPanelFuncs) return nullptr;
  LWXPanelID panel = g_pxPanelFuncs->create(LWXP_VIEW, kControls);
  if (!panel) return nullptr;
  LWXPanelHint hints[] = {
      word(XpLABEL),
      word(0),
      text("Boneplay(bvh/fbx)"),
      word(XpXREQCFG),
      word(kMotionFile),
      word(LWXPREQ_LOAD),
      text("bvh&fbx"),
      text("*.bvh *.fbx"),
      word(XpBUTNOTIFY),
      word(kAutoResize),
      reinterpret_cast<LWXPanelHint>(&autoResize),
      word(XpEND),
  };
  g_pxPanelFuncs->hint(panel, 0, hints);
  g_pxPanelFuncs->describe(panel, kDataDescription, &getValue, &setValue);
  g_pxPanelFuncs->viewInst(panel, instance);
  g_pxPanelFuncs->setData(panel, 0, instance);
  return panel;
}

void* getValue(void* inst, unsigned int vid) {
  CustomObjectInstance* instance = instanceOf(inst);
  if (!instance) return nullptr;
  switch (vid) {
    case kMotionFile: {
      char* panelText = instance->panelText();
      const std::string& name = instance->fileName();
      const std::size_t n = std::min(name.size(), CustomObjectInstance::kPanelTextSize - 1);
      std::memcpy(panelText, name.data(), n);
      panelText[n] = '\0';
      return panelText;
    }
    case kScale:
      g_dScaleHandout = instance->scale();
      return &g_dScaleHandout;
    default:
      return nullptr;
  }
}

int setValue(void* inst, unsigned int vid, void* value) {
  CustomObjectInstance* instance = instanceOf(inst);
  if (!instance) return 0;
  try {
    switch (vid) {
      case kMotionFile:
        return setMotionFile(*instance, static_cast<const char*>(value));
      case kScale:
        if (!value) return 0;  // nothing to take the scale from
        return instance->setScale(*static_cast<const double*>(value));
      default:
        return 0;
    }
  } catch (...) {
    // Nothing may reach the host. A file name counts as handled whatever
    // became of the load: the panel already shows it.
    return vid == kMotionFile ? 1 : 0;
  }
}

void autoResize(LWXPanelID panel, int) {
  if (!g_pxPanelFuncs) return;
  try {
    resize(panel);
  } catch (...) {
  }
}

}  // namespace Panel
}  // namespace Kvat
