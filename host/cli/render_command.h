#pragma once
// `boneplay render`: plays a clip through the loaded module, as the animation
// host would, and turns what the module draws into a picture.

#include <optional>
#include <string>

namespace Boneplay {
namespace Cli {

struct RenderRequest {
  std::string clip;
  bool noClip = false;  // show what the module builds from the scene alone
  std::string output;   // .gif, .png, .svg or .html
  std::string scene;    // item scene file; empty: one object at the origin
  std::string item;     // the carrying item; empty: the scene's first object
  std::optional<double> from, to;
  double fps = 30;
  std::optional<double> scale;
  bool autoResize = false;
  std::string view = "three-quarter";
  std::string size = "640x480";
  std::optional<double> at;  // one frame only (PNG, SVG)
  bool follow = false;       // the camera keeps the skeleton's first joint in the middle
  bool stamp = false;        // each frame's time in its corner
  std::string module;        // the module file; empty: next to this program
  bool verbose = false;
};

// Returns the exit status: 0, 1 (the clip, scene, module or output failed;
// one line on stderr names the file) or 2 (the request itself is wrong).
int runRender(const RenderRequest& request);

// "WxH" with both sides between 16 and 4096.
bool parseSize(const std::string& text, int& width, int& height);

}  // namespace Cli
}  // namespace Boneplay
