// boneplay: the command line of the stand-in host.
//   boneplay render CLIP    the clip played through the module, as a picture
//   boneplay info CLIP      the skeleton, its channels and the clip's length
//   boneplay pose CLIP      exact world matrices of every joint at given times
//   boneplay convert CLIP   the clip as an FBX file that poses like it
// Exit status: 0 success, 1 the clip could not be read, 2 usage errors.

#include <CLI/CLI.hpp>
#include <cmath>
#include <iostream>
#include <string>
#include <vector>

#include "clip_loader.h"
#include "convert_command.h"
#include "render_command.h"
#include "skeleton_report.h"

namespace {

bool g_verbose = false;

int fail(const std::string& message) {
  std::cerr << "boneplay: " << message << "\n";
  return 1;
}

// Loads a clip and shows its diagnostics: all of them with --verbose, else one line.
Boneplay::Cli::LoadedClip load(const std::string& path) {
  Boneplay::Cli::LoadedClip clip = Boneplay::Cli::loadClip(path);
  if (g_verbose) {
    std::cerr << clip.diagnostics.out << clip.diagnostics.err;
  } else {
    const std::string summary = Boneplay::Cli::summariseDiagnostics(clip.diagnostics);
    if (!summary.empty() && clip.error.empty()) std::cerr << "boneplay: warning: '" << path << "': " << summary << "\n";
  }
  return clip;
}

int runInfo(const std::string& clipPath) {
  Boneplay::Cli::LoadedClip clip = load(clipPath);
  if (!clip.error.empty()) return fail(clip.error);
  Boneplay::Cli::writeInfo(*clip.root, clipPath, clip.kind, std::cout);
  return 0;
}

int runPose(const std::string& clipPath, const std::vector<double>& times, double scale, const std::string& format) {
  Boneplay::Cli::LoadedClip clip = load(clipPath);
  if (!clip.error.empty()) return fail(clip.error);
  Boneplay::Cli::PoseRequest request{clipPath, clip.kind, clip.take, times, scale};
  if (format == "csv")
    Boneplay::Cli::writePoseCsv(*clip.root, request, std::cout);
  else
    Boneplay::Cli::writePoseJson(*clip.root, request, std::cout);
  std::cout.flush();
  return std::cout ? 0 : fail("cannot write the pose to standard output");
}

const CLI::Validator kFinite = CLI::Validator(
    [](std::string& text) {
      try {
        std::size_t used = 0;
        const double v = std::stod(text, &used);
        if (used != text.size() || !std::isfinite(v)) return "not a finite number: " + text;
      } catch (const std::exception&) {
        return "not a number: " + text;
      }
      return std::string();
    },
    "NUMBER");

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{
      "boneplay: shows a motion-capture clip (BVH or FBX) as a stick-figure skeleton.\n"
      "Without CLIP, the bundled sample walk is used."};
  app.require_subcommand(1);
  app.footer("Exit status: 0 success, 1 the clip could not be read, 2 usage errors.");
  app.set_version_flag("--version", "boneplay 0.1.0");
  app.add_flag("-v,--verbose", g_verbose, "Print the clip reader's own diagnostics on standard error");

  std::string infoClip = Boneplay::Cli::bundledSample();
  CLI::App* info = app.add_subcommand("info", "Print the skeleton tree, channels, samples and duration");
  info->add_option("CLIP", infoClip, "The clip to read (.bvh or .fbx)");

  std::string poseClip = Boneplay::Cli::bundledSample();
  std::vector<double> times{0.0};
  double scale = 1.0;
  std::string format = "json";
  CLI::App* pose = app.add_subcommand("pose", "Print every joint's world matrix at the given times");
  pose->add_option("CLIP", poseClip, "The clip to read (.bvh or .fbx)");
  pose->add_option("--times", times, "Times in seconds, comma separated (default 0)")->delimiter(',')->check(kFinite);
  pose->add_option("--scale", scale, "Uniform scale applied above the top node (default 1)")->check(kFinite);
  pose->add_option("--format", format, "Output format: json or csv (default json)")
      ->check(CLI::IsMember({"json", "csv"}));

  Boneplay::Cli::RenderRequest render;
  render.clip = Boneplay::Cli::bundledSample();
  CLI::App* rnd = app.add_subcommand("render", "Play the clip through the module and draw it as a picture");
  rnd->add_option("CLIP", render.clip, "The clip to show (.bvh or .fbx)");
  rnd->add_option("-o,--output", render.output,
                  "Picture to write: .gif (animated), .png (one frame with --at, else a contact sheet), "
                  ".svg (animated, or one frame with --at) or .html (a player); default CLIPNAME.gif");
  rnd->add_option("--scene", render.scene, "Item scene (JSON) of the stand-in host; default one object at the origin");
  rnd->add_option("--item", render.item, "The item that carries the clip; default the scene's first object");
  rnd->add_option("--from", render.from, "Start time in seconds (default 0)")->check(kFinite);
  rnd->add_option("--to", render.to, "End time in seconds (default the clip's length)")->check(kFinite);
  rnd->add_option("--fps", render.fps, "Frames per second (default 30)")->check(CLI::Range(0.1, 240.0));
  auto* scaleOpt = rnd->add_option("--scale", render.scale, "Display scale typed into the panel")->check(kFinite);
  rnd->add_flag("--auto-resize", render.autoResize, "Press AutoResize: the first joint stands at height 1")
      ->excludes(scaleOpt);
  rnd->add_option("--view", render.view, "front, side, top or three-quarter (default three-quarter)");
  rnd->add_option("--size", render.size, "Picture size WIDTHxHEIGHT (default 640x480)");
  rnd->add_option("--at", render.at, "Draw one frame at this time (PNG, SVG)")->check(kFinite);
  rnd->add_flag("--follow", render.follow, "Keep the skeleton's first joint in the middle of the picture");
  rnd->add_flag("--stamp", render.stamp, "Write each frame's time in its top-left corner (GIF, PNG, SVG)");
  rnd->add_flag("--no-clip", render.noClip, "Load no clip: show the skeleton the module builds from the scene's rig");
  rnd->add_option("--module", render.module, "The module file (default boneplay.so next to this program)");

  Boneplay::Cli::ConvertRequest convert;
  CLI::App* cnv = app.add_subcommand("convert", "Write the clip as an FBX file that poses like it at every sample");
  cnv->add_option("CLIP", convert.clip, "The clip to convert (.bvh or .fbx)")->required();
  cnv->add_option("-o,--output", convert.output, "The FBX file to write")->required();
  auto* asciiFlag = cnv->add_flag("--ascii", convert.ascii, "Write an ASCII file");
  cnv->add_flag("--binary", "Write a binary file (the default)")->excludes(asciiFlag);
  cnv->add_option("--version", convert.version, "File version: 6100 (default) or 5800")
      ->check(CLI::IsMember({6100, 5800}));

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    const int code = app.exit(e);
    return code == 0 ? 0 : 2;
  }

  if (info->parsed()) return runInfo(infoClip);
  if (cnv->parsed()) return Boneplay::Cli::runConvert(convert);
  if (rnd->parsed()) {
    render.verbose = g_verbose;
    if (render.output.empty()) {
      const std::string clip = render.noClip ? std::string("rig") : render.clip;
      const std::size_t slash = clip.find_last_of('/');
      std::string stem = slash == std::string::npos ? clip : clip.substr(slash + 1);
      const std::size_t dot = stem.find_last_of('.');
      if (dot != std::string::npos && dot > 0) stem.resize(dot);
      render.output = stem + ".gif";
    }
    return Boneplay::Cli::runRender(render);
  }
  return runPose(poseClip, times, scale, format);
}
