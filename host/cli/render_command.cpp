#include "render_command.h"

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <iostream>
#include <limits>

#include "clip_loader.h"
#include "item_scene.h"
#include "playback.h"
#include "reader_output.h"
#include "skeleton_report.h"
#include "writers.h"

namespace Boneplay {
namespace Cli {

namespace {

constexpr std::size_t kMaxFrames = 20000;

int usage(const std::string& message) {
  std::cerr << "boneplay render: " << message << "\n";
  return 2;
}

int failure(const std::string& message) {
  std::cerr << "boneplay: " << message << "\n";
  return 1;
}

// The module sits next to the program unless told otherwise.
std::string defaultModulePath() {
  char buf[4096];
  const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return "boneplay.so";
  std::string exe(buf, static_cast<std::size_t>(n));
  const std::size_t slash = exe.find_last_of('/');
  return (slash == std::string::npos ? std::string(".") : exe.substr(0, slash)) + "/boneplay.so";
}

// The last key time of any item's channels: how long a scene alone plays.
double sceneLength(const Host::ItemScene& scene) {
  double end = 0;
  for (std::size_t i = 0; i < scene.size(); ++i)
    for (const Host::Channel& c : scene.item(i).channels)
      if (!c.keys().empty()) end = std::max(end, c.keys().back().time);
  return end;
}

// Progress on the terminal, kept apart from the captured reader output.
class Progress {
 public:
  Progress() {
    if (!isatty(STDERR_FILENO)) return;
    const int fd = dup(STDERR_FILENO);
    if (fd >= 0) m_pOut = fdopen(fd, "w");
  }
  ~Progress() {
    if (m_pOut) std::fclose(m_pOut);
  }
  Progress(const Progress&) = delete;
  Progress& operator=(const Progress&) = delete;

  void operator()(std::size_t done, std::size_t total) {
    if (!m_pOut || total < 30) return;
    std::fprintf(m_pOut, "\rboneplay: frame %zu of %zu", done, total);
    if (done == total) std::fputs("\n", m_pOut);
    std::fflush(m_pOut);
  }

 private:
  std::FILE* m_pOut = nullptr;
};

}  // namespace

bool parseSize(const std::string& text, int& width, int& height) {
  const std::size_t x = text.find_first_of("xX");
  if (x == std::string::npos) return false;
  try {
    std::size_t used = 0;
    const std::string w = text.substr(0, x), h = text.substr(x + 1);
    width = std::stoi(w, &used);
    if (used != w.size()) return false;
    height = std::stoi(h, &used);
    if (used != h.size()) return false;
  } catch (const std::exception&) {
    return false;
  }
  return width >= 16 && width <= 4096 && height >= 16 && height <= 4096;
}

int runRender(const RenderRequest& request) {
  Render::RenderOptions options;
  if (!parseSize(request.size, options.width, options.height))
    return usage("--size wants WIDTHxHEIGHT with sides from 16 to 4096, not '" + request.size + "'");
  const std::optional<Render::View> view = Render::parseView(request.view);
  if (!view) return usage("--view is one of front, side, top, three-quarter, not '" + request.view + "'");
  options.view = *view;
  options.follow = request.follow;
  options.stamp = request.stamp;
  Render::Format format;
  if (!Render::formatFromPath(request.output, format))
    return usage("the output '" + request.output + "' must end in .gif, .png, .svg or .html");
  if (request.at && format != Render::Format::Png && format != Render::Format::Svg)
    return usage("--at makes a still picture: use a .png or .svg output");

  Host::ItemScene scene;
  try {
    scene = request.scene.empty() ? Host::carrierScene() : Host::ItemScene::load(request.scene);
  } catch (const std::exception& e) {
    return failure(e.what());
  }

  // The clip's own length sets the default range; reading it here also tells
  // a missing or unreadable clip apart before the module is involved.
  double start = 0, length = 0;
  if (!request.noClip) {
    LoadedClip clip = loadClip(request.clip);
    if (!clip.error.empty()) return failure(clip.error);
    clipRange(*clip.root, start, length);
  } else {
    length = sceneLength(scene);
  }

  Host::PlaybackSettings settings;
  settings.modulePath = request.module.empty() ? defaultModulePath() : request.module;
  settings.clip = request.noClip ? std::string() : request.clip;
  settings.scale = request.scale;
  settings.autoResize = request.autoResize;
  settings.itemName = request.item;
  settings.fps = request.fps;
  settings.from = request.from.value_or(start);
  settings.to = request.to.value_or(std::max(settings.from, length));
  // A still is one more frame at exactly that time; the framing covers the range too.
  settings.still = request.at;
  settings.echo = request.verbose;
  if (settings.to < settings.from) return usage("--to comes before --from");
  const double frames = std::floor((settings.to - settings.from) * settings.fps + 1e-9) + 1;
  if (!(frames >= 1 && frames <= kMaxFrames)) {
    char count[32];
    std::snprintf(count, sizeof count, "%.3g", frames);
    return usage(std::string("the range and --fps give ") + count + " frames; at most " + std::to_string(kMaxFrames) +
                 " are drawn");
  }

  Progress progress;
  settings.progress = [&](std::size_t done, std::size_t total) { progress(done, total); };
  Host::PlaybackResult played;
  ReaderOutput diagnostics;
  {
    ReaderOutputCapture capture;
    played = Host::play(scene, settings);
    diagnostics = capture.finish();
  }
  if (request.verbose) {
    std::cerr << diagnostics.out << diagnostics.err;
  } else if (played.error.empty()) {
    const std::string summary = summariseDiagnostics(diagnostics);
    if (!summary.empty()) std::cerr << "boneplay: warning: '" << request.clip << "': " << summary << "\n";
  }
  if (!played.error.empty()) return failure(played.error);
  for (const auto& m : played.messages)
    std::cerr << "boneplay: the module shows \"" << m.text << "\" (" << m.title << ")\n";

  Render::Animation& animation = played.animation;
  bool anyLine = false;
  for (const Render::Frame& f : animation.frames) anyLine = anyLine || !f.segments.empty();
  if (!anyLine) {
    const std::string what = request.noClip ? "the scene's rig" : "'" + request.clip + "'";
    return failure("cannot show " + what + ": its skeleton has no bones to draw");
  }

  if (request.at) options.stillIndex = static_cast<int>(animation.frames.size() - 1);

  const std::string error = Render::writePicture(format, animation, options, request.output);
  if (!error.empty()) return failure("cannot write '" + request.output + "': " + error);
  std::string what = std::to_string(animation.frames.size()) + " frames";
  if (options.stillIndex >= 0)
    what = "one frame";
  else if (format == Render::Format::Png && animation.frames.size() > 1)
    what =
        "a contact sheet of " + std::to_string(Render::sheetFrames(animation.frames.size(), 12).size()) + " of " + what;
  int width = 0, height = 0;
  Render::pictureSize(format, animation, options, width, height);
  std::cout << "wrote " << request.output << ": " << what << ", " << width << "x" << height << ", "
            << Render::viewName(options.view) << " view\n";
  return 0;
}

}  // namespace Cli
}  // namespace Boneplay
