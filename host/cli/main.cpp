// boneplay: the command line of the stand-in host.
//   boneplay render CLIP...   clips played through the module, as pictures
//   boneplay info CLIP...     the skeleton, its channels, the samples read and the file's own numbers
//   boneplay pose CLIP...     exact world matrices of every joint at given times
//   boneplay convert CLIP     the clip as an FBX (5.8, 6.1, 7.x) or BVH file that poses like it
// Exit status: 0 success, 1 a clip could not be read, 2 usage errors; with
// several clips, the worst of them.

#include <CLI/CLI.hpp>
#include <cmath>
#include <iostream>
#include <string>
#include <vector>

#include "clip_commands.h"
#include "clip_jobs.h"
#include "convert_command.h"
#include "did_you_mean.h"
#include "render_command.h"

namespace {

using namespace Boneplay::Cli;

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
    "");

// A display scale: 0 would collapse the figure to a point, and one below 0
// mirrors it, which the panel allows but a picture would only mislead with.
const CLI::Validator kPositiveScale = CLI::Validator(
    [](std::string& text) {
      const std::string finite = kFinite(text);
      if (!finite.empty()) return finite;
      return std::stod(text) > 0 ? std::string() : "the scale must be above 0, not " + text;
    },
    "");

const char* const kClipHelp = "Clips (.bvh, .fbx) or folders of clips; default the bundled sample walk";

// The FBX choices info and pose offer beside the module's own.
void addFbxChoices(CLI::App& cmd, LoadOptions& load) {
  cmd.add_option("--take", load.take, "FBX clips: show this take (exact name) instead of the module's choice")
      ->option_text("NAME");
  cmd.add_option("--root", load.root,
                 "FBX clips: start the skeleton at this node (with or without \"Model::\") instead of \"Hips\"")
      ->option_text("NODE");
}

void addInfo(CLI::App& app, InfoRequest& info) {
  CLI::App* cmd = app.add_subcommand("info", "Print the skeleton tree, channels, samples and the file's own numbers");
  cmd->add_option("CLIP", info.clips, kClipHelp)->option_text("...");
  cmd->add_option("--format", info.format, "text (default) or json, one object per clip on one line")
      ->check(CLI::IsMember({"text", "json"}))
      ->option_text("text|json");
  addFbxChoices(*cmd, info.load);
}

void addPose(CLI::App& app, PoseCommand& pose) {
  CLI::App* cmd = app.add_subcommand("pose", "Print every joint's world matrix at the given times");
  cmd->add_option("CLIP", pose.clips, kClipHelp)->option_text("...");
  auto* times = cmd->add_option("--times", pose.times, "Times in seconds, comma separated (default 0)")
                    ->delimiter(',')
                    ->check(kFinite)
                    ->option_text("T,T,...");
  cmd->add_flag("--every-sample", pose.everySample,
                "Every sample of the clip: 0, 1/30 s, 2/30 s, ... (FBX clips: every key time of the current take)")
      ->excludes(times);
  cmd->add_option("--scale", pose.scale, "Uniform scale applied above the top node (default 1)")
      ->check(kPositiveScale)
      ->option_text("S");
  cmd->add_option("--format", pose.format, "json (default; one object per clip on one line) or csv")
      ->check(CLI::IsMember({"json", "csv"}))
      ->option_text("json|csv");
  addFbxChoices(*cmd, pose.load);
}

void addRender(CLI::App& app, RenderRequest& render) {
  CLI::App* cmd = app.add_subcommand("render", "Play clips through the module and draw them as pictures");
  cmd->add_option("CLIP", render.clips, kClipHelp)->option_text("...");
  auto* output = cmd->add_option("-o,--output", render.output,
                                 "Picture to write: .gif (animated), .png (one frame with --at, else a contact "
                                 "sheet), .svg (animated, or one frame with --at) or .html (a player); default "
                                 "CLIPNAME.gif, or CLIPNAME.png with --at")
                     ->option_text("OUT");
  cmd->add_option("--out-dir", render.outDir, "Write one picture per clip into this folder, and an index.html gallery")
      ->excludes(output)
      ->option_text("DIR");
  cmd->add_option("--scene", render.scene, "Item scene (JSON) of the stand-in host; default one object at the origin")
      ->option_text("SCENE.json");
  cmd->add_option("--item", render.item, "The item that carries the clip; default the scene's first object")
      ->option_text("NAME");
  cmd->add_option("--from", render.from, "Start time in seconds (default 0)")->check(kFinite)->option_text("SECONDS");
  cmd->add_option("--to", render.to, "End time in seconds (default the clip's length)")
      ->check(kFinite)
      ->option_text("SECONDS");
  cmd->add_option("--fps", render.fps, "Pictures per second (default 30)")
      ->check(CLI::Range(0.1, 240.0))
      ->option_text("N");
  auto* scale = cmd->add_option("--scale", render.scale, "Display scale typed into the panel, above 0")
                    ->check(kPositiveScale)
                    ->option_text("S");
  cmd->add_flag("--auto-resize", render.autoResize, "Press AutoResize: the first joint stands at height 1")
      ->excludes(scale);
  cmd->add_option("--view", render.view, "front, side, top or three-quarter (default)")
      ->option_text("front|side|top|three-quarter");
  cmd->add_option("--size", render.size, "Picture size (default 640x480)")->option_text("WxH");
  cmd->add_option("--at", render.at, "Draw one frame at this time (PNG, SVG)")->check(kFinite)->option_text("SECONDS");
  cmd->add_option("--frame", render.frame,
                  "fit: frame the picture on what is drawn; world: on the clip at scale 1 on an unmoved item, "
                  "with the floor grid in world units (default world with --scale, --auto-resize or --scene, else fit)")
      ->check(CLI::IsMember({"fit", "world"}))
      ->option_text("fit|world");
  cmd->add_option("--as", render.as, "The pictures' kind when -o does not name it (default gif, png with --at)")
      ->check(CLI::IsMember({"gif", "png", "svg", "html"}))
      ->excludes(output)
      ->option_text("gif|png|svg|html");
  cmd->add_flag("--follow", render.follow, "Keep the skeleton's first joint in the middle of the picture");
  cmd->add_flag("--stamp", render.stamp, "Write each frame's time in its top-left corner (GIF, PNG, SVG)");
  cmd->add_option("--speed", render.speed,
                  "host (default): the host's 30 samples per second (without --speed, a BVH clip declared at "
                  "another rate is told how it plays); file: a BVH clip plays at its own frame time (FBX clips "
                  "play their own times either way)")
      ->check(CLI::IsMember({"host", "file"}))
      ->each([&render](const std::string&) { render.speedAsked = true; })
      ->option_text("host|file");
  cmd->add_option("--up", render.up, "y (default), or z for clips recorded with Z up")
      ->check(CLI::IsMember({"y", "z"}))
      ->option_text("y|z");
  cmd->add_flag("--no-clip", render.noClip, "Load no clip: show the skeleton the module builds from the scene's rig");
  cmd->add_option("--take", render.take, "FBX clips: show this take (exact name) instead of the module's choice")
      ->option_text("NAME");
  cmd->add_option("--module", render.module, "The module file (default boneplay.so next to this program)")
      ->option_text("PATH");
}

const CLI::Validator kJobCount = CLI::Validator(
    [](std::string& text) {
      try {
        std::size_t used = 0;
        if (std::stoi(text, &used) >= 1 && used == text.size()) return std::string();
      } catch (const std::exception&) {
      }
      return "wants a whole number of clips worked at once, 1 or more, not '" + text + "'";
    },
    "");

// Every command over many clips works them at once, one process per clip.
void addJobs(CLI::App& cmd, int& jobs) {
  cmd.add_option("-j,--jobs", jobs,
                 "Clips worked at once, each in a process of its own; output and exit status are those of one "
                 "clip after the other (default: one per core, " +
                     std::to_string(coreCount()) + " here)")
      ->check(kJobCount)
      ->option_text("N");
}

void addConvert(CLI::App& app, ConvertRequest& convert) {
  CLI::App* cmd = app.add_subcommand(
      "convert", "Write the clip as an FBX or BVH file that poses like it, checked before it is kept");
  cmd->add_option("CLIP", convert.clip, "The clip to convert (.bvh or .fbx, FBX 5.x to 7.x)")->required();
  cmd->add_option("-o,--output", convert.output, "The file to write: .fbx, or .bvh for a BVH file")
      ->required()
      ->option_text("OUT.fbx|OUT.bvh");
  auto* ascii = cmd->add_flag("--ascii", convert.ascii, "Write an ASCII FBX file");
  cmd->add_flag("--binary", "Write a binary FBX file (the default)")->excludes(ascii);
  cmd->add_option("--version", convert.version, "FBX file version: 6100 (default), 5800, 7400 or 7500")
      ->check(CLI::IsMember({6100, 5800, 7400, 7500}))
      ->option_text("6100|5800|7400|7500");
  cmd->add_option("--fps", convert.fps,
                  "BVH: rows per second (default the clip's key rate where its keys are evenly spaced, else 30)")
      ->check(CLI::Range(0.1, 1000.0))
      ->option_text("N");
  cmd->add_option("--take", convert.take, "FBX clips: write only this take (exact name); default every take")
      ->option_text("NAME");
  cmd->add_option("--root", convert.root,
                  "FBX clips: the node (with or without \"Model::\") to write as \"Hips\" (under a \"Reference\" null "
                  "when it stands at the top), so that the skeleton starts there")
      ->option_text("NODE");
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{
      "boneplay: shows motion-capture clips (BVH or FBX) as stick-figure skeletons.\n"
      "Without CLIP, the bundled sample walk is used."};
  app.require_subcommand(1);
  app.fallthrough();  // -v and --strict may follow the subcommand too
  app.footer(
      "Exit status: 0 success, 1 a clip could not be read, 2 usage errors; with several clips, the worst of them.");
  app.set_version_flag("--version", "boneplay 0.1.0");
  GlobalOptions global;
  app.add_flag("-v,--verbose", global.verbose, "Print the clip reader's own reports on standard error");
  app.add_flag("--strict", global.strict, "Treat every warning about a clip as an error (exit status 1)");

  InfoRequest info;
  PoseCommand pose;
  RenderRequest render;
  ConvertRequest convert;
  addInfo(app, info);
  addPose(app, pose);
  addRender(app, render);
  addConvert(app, convert);
  for (const char* name : {"render", "info", "pose"}) addJobs(*app.get_subcommand(name), global.jobs);

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    const int code = app.exit(e);
    if (code == 0) return 0;
    const std::string hint = didYouMean(app, argc, argv);
    if (!hint.empty()) std::cerr << "boneplay: " << hint << "\n";
    return 2;
  }
  if (app.got_subcommand("info")) return runInfo(info, global);
  if (app.got_subcommand("render")) return runRender(render, global);
  if (app.got_subcommand("convert")) return runConvert(convert, global);
  return runPose(pose, global);
}
