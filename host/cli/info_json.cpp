#include "info_json.h"

#include <cmath>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <utility>

#include "attribute_bvh.h"
#include "clip_nodes.h"
#include "fbx7_report.h"
#include "fbx_report.h"
#include "kv_motion.h"

namespace Boneplay {
namespace Cli {

namespace {

using Json = nlohmann::ordered_json;

Json orNull(const std::optional<double>& v) { return v ? Json(*v) : Json(nullptr); }

// A count is written whole (2, not 2.0); a count the file writes with a
// fraction stays as written.
Json countOrNull(const std::optional<double>& v) {
  if (v && *v == std::floor(*v) && *v >= 0 && *v <= 9007199254740992.0) return Json(static_cast<std::uint64_t>(*v));
  return orNull(v);
}

Json nodeList(LoadedClip& clip) {
  Json list = Json::array();
  for (const ClipNode& n : clipNodes(*clip.root, clip.facts ? &*clip.facts : nullptr)) {
    Json entry;
    entry["name"] = n.node->name();
    if (n.role != Role::Top) entry["joint"] = jointName(n);
    entry["parent"] = n.parent;
    entry["role"] = roleName(n.role);
    if (!n.fileName.empty()) entry["file_name"] = n.fileName;
    if (auto* bvh = dynamic_cast<Kvat::Secne::AttributeBvh*>(n.node->attrib())) {
      const Kvat::Vector3& o = bvh->offset();
      entry["offset"] = {o.x, o.y, o.z};
      entry["channels"] = Json::array();
      for (Kvat::Motion::Fx* fx : bvh->channels()) entry["channels"].push_back(fx->name());
    }
    list.push_back(std::move(entry));
  }
  return list;
}

}  // namespace

void writeInfoJson(LoadedClip& clip, std::ostream& out) {
  const BvhFacts* facts = clip.facts ? &*clip.facts : nullptr;
  Json doc;
  doc["file"] = clip.path;
  doc["kind"] = clip.kind;
  const Kvat::Secne::FbxRoot* fbx = asFbxRoot(*clip.root);
  if (fbx) {
    Json takes = Json::array(), details = Json::array();
    for (const FbxTakeFacts& take : fbxTakeFacts(*fbx)) {
      takes.push_back(take.name);
      details.push_back({{"name", take.name},
                         {"start", take.spanned ? Json(take.start) : Json(nullptr)},
                         {"stop", take.spanned ? Json(take.stop) : Json(nullptr)},
                         {"key_times", take.keyTimes},
                         {"module_choice", take.moduleChoice},
                         {"file_current", take.fileCurrent}});
    }
    doc["takes"] = std::move(takes);
    doc["take_details"] = std::move(details);
    doc["take"] = clip.take;
    // An FBX clip's samples are its distinct key times; its duration is the
    // current take's span, which `render` plays by default.
    bool truncated = false;
    doc["samples"] = fbxKeyTimes(*fbx, static_cast<std::size_t>(-1), truncated).size();
    double start = 0.0, stop = 0.0;
    const bool spanned = fbxTakeSpan(*fbx, start, stop);
    doc["samples_per_second"] = nullptr;
    doc["duration"] = spanned ? stop - start : 0.0;
    doc["start"] = spanned ? Json(start) : Json(nullptr);
  } else {
    doc["takes"] = nullptr;  // BVH files have no takes
    doc["take_details"] = nullptr;
    doc["take"] = nullptr;
    doc["samples"] = clip.samples;
    doc["samples_per_second"] = 1.0 / Kvat::Motion::FxPlot::kSamplingInterval;
    doc["duration"] = clipLength(*clip.root);
    doc["start"] = 0.0;
  }
  doc["declared_frames"] = facts ? countOrNull(facts->declaredFrames) : Json(nullptr);
  doc["frame_time"] = facts ? orNull(facts->frameTime) : Json(nullptr);
  doc["rows"] = facts ? Json(facts->rowLines.size()) : Json(nullptr);
  doc["duration_at_file_rate"] = facts && facts->fileRate() && clip.samples > 0
                                     ? Json(static_cast<double>(clip.samples - 1) * *facts->frameTime)
                                     : Json(nullptr);
  doc["nodes"] = nodeList(clip);
  if (clip.fbx7) addFbx7Json(*clip.fbx7, doc);
  doc["warnings"] = clip.warnings;
  doc["notes"] = clip.notes;
  out << doc.dump(-1, ' ', false, Json::error_handler_t::replace) << "\n";
}

}  // namespace Cli
}  // namespace Boneplay
