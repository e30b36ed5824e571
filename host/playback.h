#pragma once
// Playing a clip through a loaded module, as the animation host would: one
// instance of the module's custom object on a scene item, its panel used to
// pick the file, set the scale or press AutoResize, then for every frame a
// time step and a drawing call. The lines the module draws in object
// coordinates come back carried into world space by the item's matrix.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "animation.h"
#include "item_scene.h"
#include "stand_in_host.h"

namespace Boneplay {
namespace Host {

struct PlaybackSettings {
  std::string modulePath;
  std::string clip;             // empty: the instance keeps the skeleton it made itself
  std::optional<double> scale;  // typed into the panel's Scale field
  bool autoResize = false;      // the panel's AutoResize button
  std::string itemName;         // the carrying item; empty: the scene's first object
  bool itemAtRest = false;      // the carrying item stands unmoved, whatever the scene says
  double from = 0.0;            // seconds
  double to = 0.0;
  double fps = 30.0;
  std::optional<double> still;  // one more frame at exactly this time, after the range
  // Host seconds per second of the picture: the times above are the
  // picture's, each is multiplied by this before the module and the scene see it.
  double timeScale = 1.0;
  bool echo = false;  // show message boxes and commands on stderr
  std::function<void(std::size_t done, std::size_t total)> progress;
};

struct PlaybackResult {
  std::string error;  // one line, empty on success
  Render::Animation animation;
  std::vector<StandInHost::Message> messages;  // boxes the module showed
  std::vector<std::string> commands;           // commands it sent
};

// The frame times from..to at fps, both ends included when they fall on a frame.
std::vector<double> frameTimes(double from, double to, double fps);

PlaybackResult play(const ItemScene& scene, const PlaybackSettings& settings);

// A scene of one object at the origin, to carry a clip when none is given.
ItemScene carrierScene();

}  // namespace Host
}  // namespace Boneplay
