#pragma once
// What the command line adds to what the module shows: the reason behind
// its two message boxes, and why a scene gives the rig skeleton no bone.

#include <string>

#include "item_scene.h"

namespace Boneplay {
namespace Cli {

// The reason behind a message box of the module ("do not resize", titled
// "Kestrel": AutoResize works on a clip, not on the rig built from the
// scene), or "" for a box it does not know.
std::string moduleMessageReason(const std::string& title, const std::string& text);

// How many of the scene's items carry a joint name of the standard rig,
// with the first names the module looks for: why the rig skeleton it builds
// from the scene has no bone to draw.
std::string rigNamesReport(const Host::ItemScene& scene);

}  // namespace Cli
}  // namespace Boneplay
