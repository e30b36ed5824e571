#include "framing.h"

#include "reader_output.h"
#include "render_command.h"

namespace Boneplay {
namespace Cli {

bool framesInWorldUnits(const RenderRequest& request) {
  if (!request.frame.empty()) return request.frame == "world";
  return request.scale.has_value() || request.autoResize || !request.scene.empty();
}

std::string playAtRest(const Host::ItemScene& scene, Host::PlaybackSettings settings, Render::Animation& framing) {
  settings.scale = 1.0;
  settings.autoResize = false;
  settings.itemAtRest = true;
  settings.progress = nullptr;
  Host::PlaybackResult played;
  {
    ReaderOutputCapture capture;  // the reader already spoke when the clip was first played
    played = Host::play(scene, settings);
  }
  if (!played.error.empty()) return played.error;
  framing = std::move(played.animation);
  return "";
}

bool reachesOutside(const Render::Animation& drawn, const Render::RenderOptions& options) {
  Render::Projection projection(options.view, Render::framedOn(drawn, options), options.width, options.height,
                                options.follow);
  for (const Render::Frame& f : drawn.frames) {
    projection.track(f);
    for (const Render::Segment& s : f.segments)
      for (const Render::Point3* p : {&s.a, &s.b}) {
        const Render::Point2 q = projection.toPicture(*p);
        // A point that is not finite is not drawn at all.
        if (q.x < 0 || q.y < 0 || q.x > options.width || q.y > options.height) return true;
      }
  }
  return false;
}

}  // namespace Cli
}  // namespace Boneplay
