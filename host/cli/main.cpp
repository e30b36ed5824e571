// boneplay: the command line of the stand-in host.
//   boneplay info CLIP      the skeleton, its channels and the clip's length
//   boneplay pose CLIP      exact world matrices of every joint at given times
// Exit status: 0 success, 1 the clip could not be read, 2 usage errors.

#include <CLI/CLI.hpp>
#include <cmath>
#include <iostream>
#include <string>
#include <vector>

#include "clip_loader.h"
#include "skeleton_report.h"

namespace {

bool g_verbose = false;

int fail(const std::string& message) {
  std::cerr << "boneplay: " << message << "\n";
  return 1;
}

// Loads a clip and shows its diagnostics: all of them with --verbose, else one line.
boneplay::LoadedClip load(const std::string& path) {
  boneplay::LoadedClip clip = boneplay::loadClip(path);
  if (g_verbose) {
    std::cerr << clip.diagnostics.out << clip.diagnostics.err;
  } else {
    const std::string summary = boneplay::summariseDiagnostics(clip.diagnostics);
    if (!summary.empty() && clip.error.empty()) std::cerr << "boneplay: warning: '" << path << "': " << summary << "\n";
  }
  return clip;
}

int runInfo(const std::string& clipPath) {
  boneplay::LoadedClip clip = load(clipPath);
  if (!clip.error.empty()) return fail(clip.error);
  boneplay::writeInfo(*clip.root, clipPath, clip.kind, std::cout);
  return 0;
}

int runPose(const std::string& clipPath, const std::vector<double>& times, double scale,
            const std::string& format) {
  boneplay::LoadedClip clip = load(clipPath);
  if (!clip.error.empty()) return fail(clip.error);
  boneplay::PoseRequest request{clipPath, clip.kind, times, scale};
  if (format == "csv")
    boneplay::writePoseCsv(*clip.root, request, std::cout);
  else
    boneplay::writePoseJson(*clip.root, request, std::cout);
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
  CLI::App app{"boneplay: shows a motion-capture clip (BVH) as a stick-figure skeleton.\n"
               "Without CLIP, the bundled sample walk is used."};
  app.require_subcommand(1);
  app.set_version_flag("--version", "boneplay 0.1.0");
  app.add_flag("-v,--verbose", g_verbose, "Print the clip reader's own diagnostics on standard error");

  std::string infoClip = boneplay::bundledSample();
  CLI::App* info = app.add_subcommand("info", "Print the skeleton tree, channels, samples and duration");
  info->add_option("CLIP", infoClip, "The clip to read (.bvh)");

  std::string poseClip = boneplay::bundledSample();
  std::vector<double> times{0.0};
  double scale = 1.0;
  std::string format = "json";
  CLI::App* pose = app.add_subcommand("pose", "Print every joint's world matrix at the given times");
  pose->add_option("CLIP", poseClip, "The clip to read (.bvh)");
  pose->add_option("--times", times, "Times in seconds, comma separated (default 0)")
      ->delimiter(',')
      ->check(kFinite);
  pose->add_option("--scale", scale, "Uniform scale applied above the top node (default 1)")->check(kFinite);
  pose->add_option("--format", format, "Output format: json or csv (default json)")
      ->check(CLI::IsMember({"json", "csv"}));

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    const int code = app.exit(e);
    return code == 0 ? 0 : 2;
  }

  if (info->parsed()) return runInfo(infoClip);
  return runPose(poseClip, times, scale, format);
}
