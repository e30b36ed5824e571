#include "convert_command.h"

#include <cmath>
#include <cstdio>
#include <iostream>

#include "clip_loader.h"
#include "clip_nodes.h"
#include "clip_samples.h"
#include "convert_bvh.h"
#include "convert_fbx.h"
#include "fbx_clip_scene.h"
#include "fbx_report.h"
#include "fbxsdk/core/kstring.h"
#include "fbxsdk/fileio/kfbx_scene_fields.h"
#include "fbxsdk/fileio7/kfbx7_scene_fields.h"
#include "fbxsdk/scene/kfbx_sdk_manager.h"
#include "kv_motion.h"
#include "output_file.h"

namespace Boneplay {
namespace Cli {

namespace {

constexpr const char* kBvhTakeName = "Take 001";

int failure(const std::string& message) {
  std::cerr << "boneplay: " << message << "\n";
  return 1;
}

std::string number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3g", value);
  return text;
}

// What one conversion did, for the line printed on success; or why it
// failed.
struct Outcome {
  std::string error;
  std::string summary;
};

// Every sample of a BVH clip: 0, 1/30 s, ... up to its length.
std::vector<double> sampleTimes(Kvat::Secne::Root& clip) {
  const double interval = Kvat::Motion::FxPlot::kSamplingInterval;
  const double samples = std::round(clipLength(clip) / interval) + 1;
  std::vector<double> times;
  times.reserve(static_cast<std::size_t>(samples));
  for (std::size_t k = 0; k < static_cast<std::size_t>(samples); ++k)
    times.push_back(static_cast<double>(k) * interval);
  return times;
}

// How the FBX file is written: the 5.x/6.x writer's options, or, for a
// version from 7000 on, the 7.x writer's.
struct FbxTarget {
  KFbxSceneFieldsOptions fields;
  KFbxWriteOptions write;
  KFbx7SceneOptions fields7;
  KFbx7WriteOptions write7;
  bool seven = false;
};

bool writeScene(KFbxSceneGraph& scene, const std::string& path, const FbxTarget& target, KFbxSceneKeySource* keys,
                std::string& error) {
  if (target.seven) return KFbx7WriteSceneFile(path.c_str(), scene, target.fields7, target.write7, &error, keys);
  return KFbxWriteSceneFile(path.c_str(), scene, target.fields, target.write, &error, keys);
}

std::string deviationText(const Deviation& d, const ClipJoints& joints) {
  return number(d.worst) + " of the skeleton's size away from its source (at " + number(d.time) + " s, joint " +
         joints.nodes[d.joint]->name() + ")";
}

Outcome convertBvh(LoadedClip& clip, const std::string& path, FbxTarget target) {
  Outcome out;
  const std::vector<double> times = sampleTimes(*clip.root);
  const double rate = 1.0 / Kvat::Motion::FxPlot::kSamplingInterval;
  char text[32];
  std::snprintf(text, sizeof text, "%g", rate);
  target.fields.m_xTrailingFields.emplace_back("Settings");
  target.fields.m_xTrailingFields.back().Child("FrameRate", {KFbxWriteValue::String(text)});
  target.fields7.m_dFrameRate = rate;
  std::vector<std::string> baked;
  {
    KFbxSdkManager manager;
    BvhClipScene scene(manager, *clip.root, times, kBvhTakeName);
    baked = scene.bakedJoints();
    if (!writeScene(scene.scene(), path, target, &scene, out.error)) return out;
  }
  // The file must pose like its source, or it is not a conversion: at every
  // sample and, where the keys hold the channels' own values, in between.
  LoadedClip back = loadClip(path);
  if (!back.error.empty()) return {"reading it back failed: " + back.error, ""};
  const ClipJoints joints = clipJoints(*clip.root);
  const std::vector<double> checked = baked.empty() ? withMidpoints(times) : times;
  const Deviation d = worstDeviation(*clip.root, *back.root, checked);
  if (d.worst < 0.0) return {"the file's skeleton does not have the clip's joints", ""};
  if (d.worst > kRoundTripTolerance) return {"the file poses up to " + deviationText(d, joints), ""};
  out.summary = std::to_string(joints.nodes.size()) + " joints, " + std::to_string(times.size()) + " samples at " +
                number(rate) + " per second, take \"" + kBvhTakeName + "\"; poses within " + number(d.worst) +
                " of the skeleton's size (" + number(d.size) + ") at every sample" +
                (baked.empty() ? " and halfway between" : "");
  if (!baked.empty())
    out.summary += " (the rotations of " +
                   (baked.size() == 1 ? "joint " : std::to_string(baked.size()) + " joints, first ") + baked.front() +
                   ", are baked at the samples: no rotation order holds their channels)";
  return out;
}

Outcome convertFbx(Kvat::Secne::FbxRoot& clip, const ConvertRequest& request, const std::string& path, FbxTarget target,
                   double frameRate) {
  Outcome out;
  if (!request.root.empty()) makeStartTheHips(clip);
  KFbxSceneFieldsOptions& fields = target.fields;
  fields.m_xTakes = target.fields7.m_xTakes = takesToWrite(clip, request.take);
  if (frameRate > 0) target.fields7.m_dFrameRate = frameRate;
  if (!writeScene(*clip.scene(), path, target, nullptr, out.error)) return out;
  LoadedClip back = loadClip(path);
  if (!back.error.empty()) return {"reading it back failed: " + back.error, ""};
  auto* copy = dynamic_cast<Kvat::Secne::FbxRoot*>(back.root.get());
  const CopyCheck check = checkFbxCopy(clip, *copy, fields.m_xTakes);
  if (!check.error.empty()) return {"in the file " + check.error, ""};
  if (check.worst > kRoundTripTolerance)
    return {"in take \"" + check.take + "\" the file poses up to " + number(check.worst) +
                " of the skeleton's size away from its source (at " + number(check.time) + " s)",
            ""};
  out.summary = std::to_string(clipJoints(clip).nodes.size()) + " joints, " + std::to_string(fields.m_xTakes.size()) +
                (fields.m_xTakes.size() == 1 ? " take" : " takes");
  for (std::size_t i = 0; i < fields.m_xTakes.size(); ++i)
    out.summary += (i ? ", \"" : " \"") + fields.m_xTakes[i] + "\"";
  out.summary += "; poses within " + number(check.worst) + " of the skeleton's size at " + std::to_string(check.times) +
                 " times (every key time, halfway between and the spans' ends)";
  return out;
}

}  // namespace

int runConvert(const ConvertRequest& request, const GlobalOptions& global) {
  const std::string& out = request.output;
  const std::string extension = out.size() < 4 ? std::string() : KString(out.substr(out.size() - 4)).Lower().Buffer();
  if (extension != ".fbx" && extension != ".bvh") {
    std::cerr << "boneplay: the output '" << out << "' must end in .fbx or .bvh\n";
    return 2;
  }
  if (extension == ".bvh" && request.ascii) {
    std::cerr << "boneplay: --ascii and --version choose an FBX file's form; '" << out << "' is a BVH file\n";
    return 2;
  }
  LoadOptions load;
  load.take = request.take;
  load.root = request.root;
  LoadedClip clip = loadClip(request.clip, load);
  if (const int status = announceLoad(clip, global)) return status;
  // The loader refuses --take and --root for a BVH clip.
  auto* fbx = dynamic_cast<Kvat::Secne::FbxRoot*>(clip.root.get());
  if (clip.root->top()->children().size() != 1)
    return failure("cannot convert '" + request.clip + "': its skeleton does not have exactly one first joint");

  // Written beside its final name; it takes that name only once checked.
  OutputFile output(out);
  Outcome done;
  if (extension == ".bvh") {
    const BvhOutcome bvh = writeClipAsBvh(clip, output.tempPath(), request.fps, kRoundTripTolerance);
    done = {bvh.error, bvh.summary};
    if (bvh.error.empty() && !bvh.warning.empty()) {
      std::cerr << (global.strict ? "boneplay: error (--strict): '" : "boneplay: warning: '") << out
                << "': " << bvh.warning << "\n";
      if (global.strict) done.error = "BVH cannot hold the clip as it is";
    }
  } else {
    FbxTarget target;
    target.seven = request.version >= kFbx7FirstVersion;
    target.fields.m_iVersion = request.version;
    target.fields.m_bTypeField = true;
    target.write.m_bBinary = !request.ascii;
    target.write.m_iHeaderVersion = request.version;
    target.write7.m_iVersion = request.version;
    target.write7.m_bBinary = !request.ascii;
    done = fbx ? convertFbx(*fbx, request, output.tempPath(), target, clip.fbx7 ? clip.fbx7->m_dFrameRate : 0.0)
               : convertBvh(clip, output.tempPath(), target);
  }
  if (!done.error.empty())
    return failure("cannot convert '" + request.clip + "' to '" + out + "': " + done.error + "; no file was written");
  std::string error;
  if (!output.commit(error)) return failure("cannot write '" + out + "': " + error);
  std::cout << "wrote " << out << ": " << done.summary << "\n";
  return 0;
}

}  // namespace Cli
}  // namespace Boneplay
