#include "skeleton_report.h"

#include <algorithm>
#include <cstdio>
#include <nlohmann/json.hpp>

#include "attribute_bvh.h"
#include "fbx_report.h"
#include "kv_motion.h"

namespace Boneplay {
namespace Cli {

namespace {

void flattenInto(Kvat::Secne::Node* node, int parent, std::vector<FlatNode>& out) {
  const int index = static_cast<int>(out.size());
  out.push_back({node, parent});
  for (Kvat::Secne::Node* child : node->children()) flattenInto(child, index, out);
}

// Evaluates the skeleton at each requested time and hands every world matrix over.
template <typename Visit>
void poseAll(Kvat::Secne::Root& root, const PoseRequest& request, const std::vector<FlatNode>& nodes, Visit visit) {
  root.rootMatrix().setIdentity();
  root.setScale(Kvat::Vector3(request.scale, request.scale, request.scale));
  for (std::size_t t = 0; t < request.times.size(); ++t) {
    root.evaluate(request.times[t]);
    for (std::size_t i = 0; i < nodes.size(); ++i) visit(t, i, nodes[i].node->attrib()->world());
  }
}

std::size_t sampleCount(Kvat::Secne::Node* node) {
  std::size_t n = 0;
  if (auto* bvh = dynamic_cast<Kvat::Secne::AttributeBvh*>(node->attrib()))
    for (Kvat::Motion::Fx* fx : bvh->channels()) n = std::max(n, fx->function()->samples().size());
  for (Kvat::Secne::Node* child : node->children()) n = std::max(n, sampleCount(child));
  return n;
}

std::string csvField(const std::string& s) {
  if (s.find_first_of(",\"\n") == std::string::npos) return s;
  std::string q = "\"";
  for (char c : s) q += (c == '"') ? std::string("\"\"") : std::string(1, c);
  return q + "\"";
}

std::string number(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.17g", v);
  return buf;
}

}  // namespace

std::vector<FlatNode> flatten(Kvat::Secne::Node* top) {
  std::vector<FlatNode> out;
  flattenInto(top, -1, out);
  return out;
}

void writePoseJson(Kvat::Secne::Root& root, const PoseRequest& request, std::ostream& out) {
  const std::vector<FlatNode> nodes = flatten(root.top());
  nlohmann::ordered_json doc;
  doc["file"] = request.file;
  doc["kind"] = request.kind;
  if (request.kind == "fbx")
    doc["take"] = request.take;
  else
    doc["take"] = nullptr;
  doc["times"] = request.times;
  nlohmann::ordered_json list = nlohmann::ordered_json::array();
  for (const FlatNode& n : nodes) {
    nlohmann::ordered_json entry;
    entry["name"] = n.node->name();
    entry["parent"] = n.parent;
    entry["world"] = nlohmann::ordered_json::array();
    list.push_back(entry);
  }
  poseAll(root, request, nodes, [&](std::size_t, std::size_t i, const Kvat::Matrix4& m) {
    list[i]["world"].push_back(std::vector<double>(m.data(), m.data() + 16));
  });
  doc["nodes"] = std::move(list);
  // Invalid UTF-8 in a name must not end the command.
  out << doc.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << "\n";
}

void writePoseCsv(Kvat::Secne::Root& root, const PoseRequest& request, std::ostream& out) {
  const std::vector<FlatNode> nodes = flatten(root.top());
  out << "time,index,name,parent";
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) out << ",m" << r << c;
  out << "\n";
  poseAll(root, request, nodes, [&](std::size_t t, std::size_t i, const Kvat::Matrix4& m) {
    out << number(request.times[t]) << ',' << i << ',' << csvField(nodes[i].node->name()) << ',' << nodes[i].parent;
    for (int k = 0; k < 16; ++k) out << ',' << number(m[k]);
    out << "\n";
  });
}

double clipLength(Kvat::Secne::Root& root) {
  const std::size_t n = sampleCount(root.top());
  return n > 1 ? static_cast<double>(n - 1) * Kvat::Motion::FxPlot::kSamplingInterval : 0.0;
}

void clipRange(Kvat::Secne::Root& root, double& from, double& to) {
  from = 0.0;
  to = clipLength(root);
  if (const Kvat::Secne::FbxRoot* fbx = asFbxRoot(root))
    if (!fbxTakeSpan(*fbx, from, to)) from = to = 0.0;
}

void writeInfo(Kvat::Secne::Root& root, const std::string& file, const std::string& kind, std::ostream& out) {
  const std::vector<FlatNode> nodes = flatten(root.top());
  std::vector<int> depth(nodes.size(), 0);
  std::size_t joints = 0, ends = 0;
  for (std::size_t i = 1; i < nodes.size(); ++i) {
    depth[i] = depth[nodes[i].parent] + 1;
    (nodes[i].node->children().empty() ? ends : joints) += 1;
  }
  const std::size_t samples = sampleCount(root.top());
  char buf[128];
  out << "file: " << file << "\n";
  out << "kind: " << kind << "\n";
  out << "nodes: " << nodes.size() << " (" << joints << " joints, " << ends << " end points, under the top node)\n";
  if (const Kvat::Secne::FbxRoot* fbx = asFbxRoot(root)) {
    writeFbxSummary(*fbx, out);
  } else {
    out << "samples: " << samples << "\n";
    std::snprintf(buf, sizeof buf, "duration: %.3f s (at 1/30 s per sample)\n", clipLength(root));
    out << buf;
  }
  out << "skeleton:\n";
  for (std::size_t i = 0; i < nodes.size(); ++i) {
    out << "  " << std::string(2 * depth[i], ' ') << nodes[i].node->name();
    if (auto* bvh = dynamic_cast<Kvat::Secne::AttributeBvh*>(nodes[i].node->attrib())) {
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
