#include "render_command.h"

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <iostream>

#include "batch.h"
#include "clip_jobs.h"
#include "clip_nodes.h"
#include "diagnostics.h"
#include "fbx_report.h"
#include "framing.h"
#include "gallery.h"
#include "item_scene.h"
#include "kv_motion.h"
#include "module_messages.h"
#include "output_file.h"
#include "playback.h"
#include "reader_output.h"
#include "render_range.h"
#include "take_file.h"
#include "writers.h"

namespace Boneplay {
namespace Cli {

namespace {

// A render of more frames than this is refused: it would take minutes and
// write a picture no viewer plays well.
constexpr std::size_t kMaxFrames = 20000;

int usage(const std::string& message) {
  std::cerr << "boneplay render: " << message << "\n";
  return 2;
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

// What every clip of one call shares, checked once before the first clip.
struct Shared {
  Render::RenderOptions options;
  Render::Format format = Render::Format::Gif;
  std::string extension;
  Host::ItemScene scene;
  std::string modulePath;
  bool world = false;  // framed in world units (framing.h)
};

int prepare(const RenderRequest& request, std::size_t clips, Shared& shared) {
  if (request.noClip && !request.clips.empty()) return usage("--no-clip shows the scene's own rig: give no CLIP");
  if (!request.output.empty() && clips > 1)
    return usage("-o names one picture, but " + std::to_string(clips) + " clips were given: use --out-dir DIR");
  if (request.noClip && request.speed == "file") return usage("--speed file needs a clip with a frame time");
  if (!parseSize(request.size, shared.options.width, shared.options.height))
    return usage("--size wants WIDTHxHEIGHT with sides from 16 to 4096, not '" + request.size + "'");
  const std::optional<Render::View> view = Render::parseView(request.view);
  if (!view) return usage("--view is one of front, side, top, three-quarter, not '" + request.view + "'");
  shared.options.view = *view;
  shared.options.follow = request.follow;
  shared.options.stamp = request.stamp;
  shared.extension = !request.as.empty() ? "." + request.as : request.at ? ".png" : ".gif";
  shared.world = framesInWorldUnits(request);
  if (!request.output.empty()) {
    if (!Render::formatFromPath(request.output, shared.format))
      return usage("the output '" + request.output + "' must end in .gif, .png, .svg or .html");
  } else {
    Render::formatFromPath(shared.extension, shared.format);
  }
  if (request.at && shared.format != Render::Format::Png && shared.format != Render::Format::Svg)
    return usage("--at makes a still picture: use a .png or .svg output");
  if (request.to && *request.to < request.from.value_or(0.0)) return usage("--to comes before --from");
  try {
    shared.scene = request.scene.empty() ? Host::carrierScene() : Host::ItemScene::load(request.scene);
  } catch (const std::exception& e) {
    std::cerr << "boneplay: " << e.what() << "\n";
    return 1;
  }
  if (!request.outDir.empty()) {
    std::error_code ec;
    std::filesystem::create_directories(request.outDir, ec);
    if (ec) {
      std::cerr << "boneplay: cannot make the folder '" << request.outDir << "': " << ec.message() << "\n";
      return 1;
    }
  }
  shared.modulePath = request.module.empty() ? defaultModulePath() : request.module;
  return 0;
}

// A clip recorded with Z up stands up in the picture: (x, y, z) becomes (x, z, -y).
void turnZUp(Render::Animation& animation) {
  for (Render::Frame& f : animation.frames)
    for (Render::Segment& s : f.segments)
      for (Render::Point3* p : {&s.a, &s.b}) *p = Render::Point3{p->x, p->z, -p->y};
}

struct ClipOutcome {
  int status = 0;
  std::string message;  // the error, without the program's name
  std::string summary;  // what was written
};

// The picture's time range and how fast the host's time runs through it.
std::string playbackRange(const RenderRequest& request, const LoadedClip* clip, const Shared& shared,
                          Host::PlaybackSettings& settings) {
  std::optional<ClipSpan> span;
  if (clip) span = clipSpan(*clip, request.speed == "file", settings.timeScale);
  if (clip && !span) return "'" + clip->path + "' declares no usable Frame Time, which --speed file needs";
  RangeChosen range = chooseRange(span, {request.from, request.to, request.at}, sceneLength(shared.scene));
  const std::string rate = clip && !request.speedAsked && clip->facts ? rateNote(*clip->facts) : "";
  if (!rate.empty()) range.notes.insert(range.notes.begin(), rate);
  // Only a clip has a span, and so notes.
  for (const std::string& note : range.notes) std::cerr << "boneplay: note: '" << clip->path << "': " << note << "\n";
  settings.fps = request.fps;
  settings.from = range.from;
  settings.to = range.to;
  settings.still = range.at;  // one more frame at exactly that time; the framing covers the range too
  return "";
}

ClipOutcome play(const RenderRequest& request, const LoadedClip* clip, const Shared& shared, BatchProgress& progress,
                 Render::Animation& animation, Render::Animation& framing) {
  Host::PlaybackSettings settings;
  const std::string rangeError = playbackRange(request, clip, shared, settings);
  if (!rangeError.empty()) return {1, rangeError, ""};
  const double frames = std::floor((settings.to - settings.from) * settings.fps + 1e-9) + 1;
  if (!(frames >= 1 && frames <= kMaxFrames)) {
    // Counts are whole numbers, written whole ("24000", not "2.4e+04").
    char count[400] = "too many";
    if (std::isfinite(frames)) std::snprintf(count, sizeof count, "%.0f", frames);
    return {2,
            std::string("the range and --fps give ") + count + " frames; at most " + std::to_string(kMaxFrames) +
                " are drawn",
            ""};
  }
  settings.modulePath = shared.modulePath;
  settings.clip = clip ? clip->path : std::string();
  // The module plays the take its own rule picks: another take reaches it
  // as a copy of the scene that holds that take alone.
  const Kvat::Secne::FbxRoot* fbx = clip ? asFbxRoot(*clip->root) : nullptr;
  std::unique_ptr<OneTakeFile> oneTake;
  // The module refuses FBX 7.x files: it is handed a 6.1 copy of the take.
  if (fbx && (!request.take.empty() || clip->fbx7)) {
    const std::string take = request.take.empty() ? clip->take : request.take;
    oneTake = std::make_unique<OneTakeFile>(*fbx, take);
    if (!oneTake->error().empty())
      return {1,
              "cannot show take \"" + take + "\": " + oneTake->error() +
                  (clip->fbx7 ? " (the module does not read FBX 7.x files: convert it with `boneplay convert " +
                                    clip->path + " -o COPY.fbx`)"
                              : ""),
              ""};
    settings.clip = oneTake->path();
    if (clip->fbx7)
      std::cerr << "boneplay: '" << clip->path << "' is " << fbx7VersionText(clip->fbx7->m_iVersion)
                << " file, which the module does not read: it is shown from a 6.1 copy written by boneplay\n";
  }
  settings.scale = request.scale;
  settings.autoResize = request.autoResize;
  settings.itemName = request.item;
  settings.progress = [&](std::size_t done, std::size_t total) { progress.frame(done, total); };
  Host::PlaybackResult played;
  {
    // The module's reader prints what the command line already showed when it read the clip.
    ReaderOutputCapture capture;
    played = Host::play(shared.scene, settings);
  }
  progress.finish();
  if (!played.error.empty()) return {1, played.error, ""};
  if (clip) {
    // Pages and pictures name the clip's file (its folders are the user's
    // own business) and, for an FBX clip, the take they show.
    played.animation.title = clip->path.substr(clip->path.find_last_of('/') + 1);
    if (fbx) played.animation.title += ", take \"" + clip->take + "\"";
  }
  for (const auto& m : played.messages) {
    const std::string reason = moduleMessageReason(m.title, m.text);
    std::cerr << "boneplay: the module shows \"" << m.text << "\" (" << m.title << ")"
              << (reason.empty() ? "" : ": " + reason) << "\n";
  }
  bool anyLine = false;
  for (const Render::Frame& f : played.animation.frames) anyLine = anyLine || !f.segments.empty();
  if (!anyLine) {
    if (!clip) return {1, "cannot show the scene's rig: " + rigNamesReport(shared.scene), ""};
    return {1, "cannot show '" + clip->path + "': its skeleton has no bones to draw", ""};
  }
  animation = std::move(played.animation);
  if (shared.world) {
    const std::string error = playAtRest(shared.scene, settings, framing);
    if (!error.empty()) return {1, error, ""};
  }
  return {};
}

ClipOutcome renderClip(const RenderRequest& request, const LoadedClip* clip, const Shared& shared,
                       const std::string& output, BatchProgress& progress) {
  Render::Animation animation, framing;
  ClipOutcome outcome = play(request, clip, shared, progress, animation, framing);
  if (outcome.status != 0) return outcome;
  if (request.up == "z") turnZUp(animation), turnZUp(framing);
  Render::RenderOptions options = shared.options;
  if (shared.world) options.framing = &framing;
  if (request.at) options.stillIndex = static_cast<int>(animation.frames.size() - 1);
  OutputFile file(output);
  std::string error = Render::writePicture(shared.format, animation, options, file.tempPath());
  if (error.empty()) file.commit(error);
  if (!error.empty()) return {1, "cannot write '" + output + "': " + error, ""};
  std::string what = countOf(animation.frames.size(), "frame");
  if (options.stillIndex >= 0)
    what = "one frame";
  else if (shared.format == Render::Format::Png && animation.frames.size() > 1)
    what =
        "a contact sheet of " + std::to_string(Render::sheetFrames(animation.frames.size(), 12).size()) + " of " + what;
  int width = 0, height = 0;
  Render::pictureSize(shared.format, animation, options, width, height);
  outcome.summary = what + ", " + std::to_string(width) + "x" + std::to_string(height) + ", " +
                    Render::viewName(options.view) + " view" + (shared.world ? ", world frame" : "");
  if (shared.world && reachesOutside(animation, options))
    outcome.message = (clip ? "'" + clip->path + "'" : std::string("the scene's rig")) +
                      " reaches outside the picture, which is framed on it at scale 1 on an unmoved item "
                      "(--frame world); --frame fit frames the picture on what is drawn";
  return outcome;
}

// The gallery of a folder of pictures; returns the exit status.
int writeIndex(const std::string& folder, const std::vector<GalleryEntry>& gallery) {
  const std::string index = folder + "/index.html";
  const std::string error = writeGallery(index, gallery);
  if (!error.empty()) {
    std::cerr << "boneplay: cannot write '" << index << "': " << error << "\n";
    return 1;
  }
  std::cout << "wrote " << index << ": a gallery of " << countOf(gallery.size(), "clip") << "\n";
  return 0;
}

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

int runRender(const RenderRequest& request, const GlobalOptions& options) {
  std::vector<ClipArgument> clips;
  if (request.noClip)
    clips.push_back({"", ""});
  else
    clips = request.clips.empty() ? std::vector<ClipArgument>{{bundledSample(), ""}} : expandClips(request.clips);
  Shared shared;
  if (const int status = prepare(request, clips.size(), shared)) return status;

  // Picture names are handed out in the batch's order, before any clip runs.
  ClipJobs batch;
  batch.jobs = options.jobs;
  std::vector<std::string> names;
  UniqueNames taken;
  for (const ClipArgument& c : clips) {
    batch.clips.push_back(c.path);
    names.push_back(taken.take(request.noClip ? std::string("rig") : stemOf(c.path)) + shared.extension);
  }
  batch.work = [&](std::size_t i, BatchProgress& progress, std::string& note) {
    const std::string& path = clips[i].path;
    GalleryEntry entry{request.noClip ? "the scene's rig" : path, "", "", {}};
    LoadedClip clip;
    ClipOutcome outcome;
    if (!clips[i].error.empty()) {
      outcome = {1, clips[i].error, ""};
    } else if (!request.noClip) {
      LoadOptions load;
      load.take = request.take;
      clip = loadClip(path, load);
      outcome.status = announceLoad(clip, options);
      entry.messages = clip.error.empty() ? clip.warnings : std::vector<std::string>{clip.error};
    }
    const std::string& name = names[i];
    const std::string output = !request.output.empty()  ? request.output
                               : request.outDir.empty() ? name
                                                        : request.outDir + "/" + name;
    if (outcome.status == 0 && clips[i].error.empty())
      outcome = renderClip(request, request.noClip ? nullptr : &clip, shared, output, progress);
    if (!outcome.message.empty()) {
      std::cerr << (outcome.status == 2 ? "boneplay render: " : "boneplay: ") << outcome.message << "\n";
      entry.messages.push_back(outcome.message);
    }
    if (outcome.status == 0) {
      if (!clip.take.empty()) outcome.summary += ", take \"" + clip.take + "\"";
      std::cout << "wrote " << output << ": " << outcome.summary << "\n";
      entry.picture = name;
      entry.summary = outcome.summary;
    }
    note = galleryEntryNote(entry);
    return outcome.status;
  };
  std::vector<GalleryEntry> gallery;
  batch.done = [&](std::size_t i, int, const std::string& note) {
    gallery.push_back(note.empty() ? GalleryEntry{clips[i].path, "", "", {"its process ended abnormally"}}
                                   : galleryEntryFromNote(note));
  };
  BatchStatus status;
  status.add(runClipJobs(batch));
  if (!request.outDir.empty()) status.add(writeIndex(request.outDir, gallery));
  return status.worst();
}

}  // namespace Cli
}  // namespace Boneplay
