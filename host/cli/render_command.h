#pragma once
// `boneplay render`: plays clips through the loaded module, as the animation
// host would, and turns what the module draws into pictures: one picture for
// one clip, or a folder of pictures with an index.html gallery for several.

#include <optional>
#include <string>
#include <vector>

#include "clip_commands.h"

namespace Boneplay {
namespace Cli {

struct RenderRequest {
  std::vector<std::string> clips;  // clips and folders; none: the bundled sample
  bool noClip = false;             // show what the module builds from the scene alone
  std::string output;              // one picture: .gif, .png, .svg or .html
  std::string outDir;              // one picture per clip plus index.html
  std::string scene;               // item scene file; empty: one object at the origin
  std::string item;                // the carrying item; empty: the scene's first object
  std::optional<double> from, to;  // seconds of the picture
  double fps = 30;
  std::optional<double> scale;
  bool autoResize = false;
  std::string view = "three-quarter";
  std::string size = "640x480";
  std::optional<double> at;    // one frame only (PNG, SVG)
  bool follow = false;         // the camera keeps the skeleton's first joint in the middle
  bool stamp = false;          // each frame's time in its corner
  std::string speed = "host";  // "host": 30 samples per second; "file": the file's own frame time
  bool speedAsked = false;     // --speed was given: a clip's own rate goes untold
  std::string up = "y";        // "z": the clip was recorded with Z up
  std::string module;          // the module file; empty: next to this program
  std::string take;            // FBX clips: the take to show; empty: the module's choice
  std::string frame;           // "fit", "world"; empty: chosen by the request (framing.h)
  std::string as;              // the pictures' kind when no -o names one: gif, png, svg, html
};

// Returns the exit status, the worst over the clips: 0, 1 (a clip, the scene,
// the module or an output failed; a line on stderr names the file) or 2 (the
// request itself is wrong).
int runRender(const RenderRequest& request, const GlobalOptions& options);

// "WxH" with both sides between 16 and 4096.
bool parseSize(const std::string& text, int& width, int& height);

}  // namespace Cli
}  // namespace Boneplay
