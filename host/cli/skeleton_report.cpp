#include "skeleton_report.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <nlohmann/json.hpp>

#include "attribute_bvh.h"
#include "clip_nodes.h"
#include "diagnostics.h"
#include "fbx7_report.h"
#include "fbx_report.h"
#include "kv_motion.h"

namespace Boneplay {
namespace Cli {

namespace {

// Evaluates the skeleton at each requested time and hands every world matrix over.
template <typename Visit>
void poseAll(Kvat::Secne::Root& root, const PoseRequest& request, const std::vector<ClipNode>& nodes, Visit visit) {
  root.rootMatrix().setIdentity();
  root.setScale(Kvat::Vector3(request.scale, request.scale, request.scale));
  for (std::size_t t = 0; t < request.times.size(); ++t) {
    root.evaluate(request.times[t]);
    for (std::size_t i = 0; i < nodes.size(); ++i) visit(t, i, nodes[i].node->attrib()->world());
  }
}

std::string csvField(const std::string& s) {
  if (s.find_first_of(",\"\n\r") == std::string::npos) return s;
  std::string q = "\"";
  for (char c : s) q += (c == '"') ? std::string("\"\"") : std::string(1, c);
  return q + "\"";
}

std::string number(double v, const char* format = "%.17g") {
  // One spelling for each number that is not finite, whatever its sign bits.
  if (std::isnan(v)) return "nan";
  if (std::isinf(v)) return v > 0 ? "inf" : "-inf";
  char buf[40];
  std::snprintf(buf, sizeof buf, format, v);
  return buf;
}

void writeFrameLines(const LoadedClip& clip, double length, std::ostream& out) {
  const BvhFacts* facts = clip.facts ? &*clip.facts : nullptr;
  out << "samples: " << clip.samples << " read";
  if (facts && facts->declaredFrames)
    out << " (the file declares " << countOf(static_cast<std::size_t>(std::max(0.0, *facts->declaredFrames)), "frame")
        << ")\n";
  else
    out << " (the file declares no frame count)\n";
  out << "frame time: ";
  if (facts && facts->fileRate())
    out << number(*facts->frameTime, "%g") << " s in the file (" << number(*facts->fileRate(), "%.4g")
        << " per second);";
  else
    out << "none declared;";
  out << " played at 1/30 s per sample\n";
  out << "duration: " << number(length, "%.3f") << " s at 30 samples per second";
  if (facts && facts->fileRate() && clip.samples > 1)
    out << "; " << number(static_cast<double>(clip.samples - 1) * *facts->frameTime, "%.3f")
        << " s at the file's own rate";
  out << "\n";
}

}  // namespace

std::vector<double> everySampleTime(const LoadedClip& clip) {
  // An FBX clip's samples are its keys: every time at which a curve of the
  // skeleton has one in the current take.
  // A take without keys is posed once, at its start.
  if (const Kvat::Secne::FbxRoot* fbx = asFbxRoot(*clip.root)) {
    bool truncated = false;
    std::vector<double> times = fbxKeyTimes(*fbx, static_cast<std::size_t>(-1), truncated);
    double start = 0.0, stop = 0.0;
    if (times.empty()) times.push_back(fbxTakeSpan(*fbx, start, stop) ? start : 0.0);
    return times;
  }
  std::vector<double> times;
  for (std::size_t k = 0; k < clip.samples; ++k)
    times.push_back(static_cast<double>(k) * Kvat::Motion::FxPlot::kSamplingInterval);
  return times;
}

void writePoseJson(LoadedClip& clip, const PoseRequest& request, std::ostream& out) {
  const std::vector<ClipNode> nodes = clipNodes(*clip.root, clip.facts ? &*clip.facts : nullptr);
  nlohmann::ordered_json doc;
  doc["file"] = clip.path;
  doc["kind"] = clip.kind;
  if (clip.kind == "fbx")
    doc["take"] = clip.take;
  else
    doc["take"] = nullptr;
  doc["times"] = request.times;
  nlohmann::ordered_json list = nlohmann::ordered_json::array();
  for (const ClipNode& n : nodes) {
    nlohmann::ordered_json entry;
    entry["name"] = n.node->name();
    if (n.role != Role::Top) entry["joint"] = jointName(n);
    entry["parent"] = n.parent;
    entry["role"] = roleName(n.role);
    if (!n.fileName.empty()) entry["file_name"] = n.fileName;
    entry["world"] = nlohmann::ordered_json::array();
    list.push_back(entry);
  }
  poseAll(*clip.root, request, nodes, [&](std::size_t, std::size_t i, const Kvat::Matrix4& m) {
    list[i]["world"].push_back(std::vector<double>(m.data(), m.data() + 16));
  });
  doc["nodes"] = std::move(list);
  // Invalid UTF-8 in a name must not end the command.
  out << doc.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << "\n";
}

void writePoseCsvHeader(std::ostream& out) {
  out << "time,index,name,parent";
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) out << ",m" << r << c;
  out << ",role,file_name,file\n";
}

void writePoseCsv(LoadedClip& clip, const PoseRequest& request, std::ostream& out) {
  const std::vector<ClipNode> nodes = clipNodes(*clip.root, clip.facts ? &*clip.facts : nullptr);
  const std::string file = csvField(clip.path);
  poseAll(*clip.root, request, nodes, [&](std::size_t t, std::size_t i, const Kvat::Matrix4& m) {
    out << number(request.times[t]) << ',' << i << ',' << csvField(nodes[i].node->name()) << ',' << nodes[i].parent;
    for (int k = 0; k < 16; ++k) out << ',' << number(m[k]);
    out << ',' << roleName(nodes[i].role) << ',' << csvField(nodes[i].fileName) << ',' << file << "\n";
  });
}

std::string nonFinitePose(LoadedClip& clip, const PoseRequest& request) {
  const std::vector<ClipNode> nodes = clipNodes(*clip.root, clip.facts ? &*clip.facts : nullptr);
  std::string found;
  poseAll(*clip.root, request, nodes, [&](std::size_t t, std::size_t i, const Kvat::Matrix4& m) {
    if (!found.empty() || std::all_of(m.data(), m.data() + 16, [](double v) { return std::isfinite(v); })) return;
    found = "the pose of " + (nodes[i].role == Role::Top ? nodes[i].node->name() : jointName(nodes[i])) + " at " +
            number(request.times[t], "%.6g") +
            " s is not finite: a value grows beyond the range of numbers as it is carried down the chain (CSV "
            "writes nan or inf, JSON null)";
  });
  return found;
}

void writeInfo(LoadedClip& clip, std::ostream& out) {
  const std::vector<ClipNode> nodes = clipNodes(*clip.root, clip.facts ? &*clip.facts : nullptr);
  std::size_t joints = 0, ends = 0;
  for (const ClipNode& n : nodes) {
    if (n.role == Role::Joint) ++joints;
    if (n.role == Role::EndSite) ++ends;
  }
  out << "file: " << clip.path << "\n";
  out << "kind: " << clip.kind << "\n";
  if (clip.fbx7) writeFbx7Summary(*clip.fbx7, out);
  out << "nodes: " << nodes.size() << " (" << countOf(joints, "joint") << ", " << countOf(ends, "end site")
      << ", under the top node)\n";
  if (const Kvat::Secne::FbxRoot* fbx = asFbxRoot(*clip.root))
    writeFbxSummary(*fbx, out);
  else
    writeFrameLines(clip, clipLength(*clip.root), out);
  out << "skeleton:\n";
  char buf[128];
  for (const ClipNode& n : nodes) {
    out << "  " << std::string(2 * n.depth, ' ') << n.node->name();
    if (n.role == Role::EndSite) out << "  (end site)";
    if (!n.fileName.empty()) out << "  (\"" << n.fileName << "\" in the file)";
    if (auto* bvh = dynamic_cast<Kvat::Secne::AttributeBvh*>(n.node->attrib())) {
      const Kvat::Vector3& o = bvh->offset();
      std::snprintf(buf, sizeof buf, "  offset (%g, %g, %g)", o.x, o.y, o.z);
      out << buf;
      if (!bvh->channels().empty()) {
        out << "  channels";
        for (Kvat::Motion::Fx* fx : bvh->channels()) out << ' ' << fx->name();
      }
    }
    out << "\n";
  }
}

}  // namespace Cli
}  // namespace Boneplay
