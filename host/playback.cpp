#include "playback.h"

#include <cmath>

#include "draw_recorder.h"
#include "item_world.h"
#include "lightwave/lwsdk/lw_custom_object.h"
#include "module_loader.h"
#include "panel_service.h"

namespace Boneplay {
namespace Host {

namespace {

// The panel's controls as the module declares them.
constexpr unsigned int kMotionFile = 0x8001;
constexpr unsigned int kScale = 0x8002;
constexpr unsigned int kAutoResize = 0x8003;
constexpr const char* kServerName = "boneplay";

Render::Point3 toWorld(const std::array<double, 3>& p, const Kvat::Matrix4& m) {
  const Kvat::Vector3 w = m.transformPoint(Kvat::Vector3(p[0], p[1], p[2]));
  return {w.x, w.y, w.z};
}

LWItemID carryingItem(const ItemScene& scene, const std::string& name) {
  if (!name.empty()) return scene.find(name);
  for (std::size_t i = 0; i < scene.size(); ++i)
    if (scene.item(i).type == LWI_OBJECT) return ItemScene::idOf(i);
  return nullptr;
}

std::size_t countCommand(const std::vector<std::string>& commands, std::size_t from, const char* text) {
  std::size_t n = 0;
  for (std::size_t i = from; i < commands.size(); ++i) n += commands[i] == text;
  return n;
}

// The host's side of one instance: its tables, the instance and its panel.
struct Session {
  LWInstanceFuncs instanceFuncs{};
  LWItemFuncs itemFuncs{};
  LWRenderFuncs renderFuncs{};
  LWCustomObjHandler handler{&instanceFuncs, &itemFuncs, &renderFuncs, nullptr, nullptr};
  LWInstance instance = nullptr;
  LWXPanelID panel = nullptr;

  ~Session() {
    if (instance && instanceFuncs.destroy) instanceFuncs.destroy(instance);
  }
};

}  // namespace

std::vector<double> frameTimes(double from, double to, double fps) {
  std::vector<double> times;
  if (!(fps > 0) || !std::isfinite(from) || !std::isfinite(to) || to < from) return times;
  const double count = std::floor((to - from) * fps + 1e-9) + 1;
  if (count > 1e6) return times;  // refused by the caller before it gets here
  for (long k = 0; k < static_cast<long>(count); ++k) times.push_back(from + k / fps);
  return times;
}

ItemScene carrierScene() { return ItemScene::parse(R"({"items": [{"name": "Boneplay", "type": "object"}]})"); }

PlaybackResult play(const ItemScene& givenScene, const PlaybackSettings& settings) {
  PlaybackResult result;
  const LWItemID carrier = settings.itemAtRest ? carryingItem(givenScene, settings.itemName) : nullptr;
  const ItemScene rested = carrier ? givenScene.atRest(carrier) : ItemScene();
  const ItemScene& scene = carrier ? rested : givenScene;
  StandInHost host(scene);
  host.setEcho(settings.echo);
  PanelService panels;
  host.provide(LWXPANELFUNCS_GLOBAL, panels.funcs());

  std::string error;
  std::unique_ptr<LoadedModule> module = LoadedModule::open(settings.modulePath, error);
  if (!module) {
    result.error = error;
    return result;
  }
  const LWItemID item = carryingItem(scene, settings.itemName);
  if (!item) {
    result.error = settings.itemName.empty() ? "the scene has no object to carry the clip"
                                             : "the scene has no item named '" + settings.itemName + "'";
    return result;
  }

  {
    Session s;
    if (module->activate(LWCUSTOMOBJ_HCLASS, kServerName, LWCUSTOMOBJ_VERSION, host.globalFunc(), &s.handler) !=
            AFUNC_OK ||
        !s.instanceFuncs.create || !s.renderFuncs.newTime || !s.handler.evaluate) {
      result.error = "module '" + settings.modulePath + "' offers no usable custom object named boneplay";
      return result;
    }
    LWError createError = nullptr;
    s.instance = s.instanceFuncs.create(s.instanceFuncs.priv, item, &createError);
    if (!s.instance) {
      result.error =
          "the module made no instance" + std::string(createError ? ": " : "") + (createError ? createError : "");
      return result;
    }
    LWInterface iface{s.instance, item, nullptr, nullptr, nullptr};
    if (module->activate(LWCUSTOMOBJ_ICLASS, kServerName, LWINTERFACE_VERSION, host.globalFunc(), &iface) != AFUNC_OK ||
        !iface.panel) {
      result.error = "module '" + settings.modulePath + "' gave the instance no panel";
      return result;
    }
    s.panel = iface.panel;

    if (!settings.clip.empty()) {
      // A load that gives a skeleton asks the host to redraw; a failed one is silent.
      const std::size_t before = host.commands().size();
      std::string clip = settings.clip;
      panels.setValue(s.panel, kMotionFile, &clip[0]);
      if (countCommand(host.commands(), before, "RefreshNow") == 0) {
        result.error = "cannot read '" + settings.clip + "': the file gives no skeleton";
        return result;
      }
    }
    if (settings.scale) {
      double scale = *settings.scale;
      panels.setValue(s.panel, kScale, &scale);
    }
    if (settings.autoResize) panels.press(s.panel, kAutoResize);

    std::vector<double> times = frameTimes(settings.from, settings.to, settings.fps);
    if (settings.still) times.push_back(*settings.still);
    result.animation.fps = settings.fps;
    // Pages and pictures show the clip's file name; its folders are the user's own business.
    result.animation.title = settings.clip.substr(settings.clip.find_last_of('/') + 1);
    DrawRecorder recorder;
    for (std::size_t k = 0; k < times.size(); ++k) {
      const double t = times[k];
      const double hostTime = t * settings.timeScale;
      s.renderFuncs.newTime(s.instance, static_cast<LWFrame>(std::lround(t * settings.fps)), hostTime);
      recorder.clear();
      s.handler.evaluate(s.instance, recorder.access());
      const Kvat::Matrix4 world = itemWorld(scene, item, hostTime);
      Render::Frame frame;
      frame.time = t;
      for (const DrawRecorder::Line& line : recorder.lines()) {
        Kvat::Matrix4 identity;
        identity.setIdentity();
        const Kvat::Matrix4& m = line.csys == LWCSYS_OBJECT ? world : identity;
        frame.segments.push_back({toWorld(line.from, m), toWorld(line.to, m)});
        result.animation.lineColour = {line.color[0], line.color[1], line.color[2]};
      }
      result.animation.frames.push_back(std::move(frame));
      if (settings.progress) settings.progress(k + 1, times.size());
    }
  }
  result.messages = host.messages();
  result.commands = host.commands();
  return result;
}

}  // namespace Host
}  // namespace Boneplay
