#include "convert_bvh.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <set>

#include "attribute_bvh.h"
#include "clip_nodes.h"
#include "clip_samples.h"
#include "fbx_report.h"
#include "fbxsdk/scene/kfbx_scene_graph.h"
#include "fbxsdk/scene/kfbx_take_node.h"
#include "kv_motion.h"

namespace Boneplay {
namespace Cli {

namespace {

using Kvat::Matrix4;

// Rows per second when the clip suggests none: the host's own rate.
constexpr double kDefaultRate = 30.0;
// Keys count as evenly spaced when no spacing differs from the first by
// more than this many seconds (a tick is 1/46186158000 s; sums of rounded
// times wander by a few).
constexpr double kEvenSpacing = 1e-6;
// A translation or scale that moves less than this (of the skeleton's size,
// or of 1) stays out of the channels.
constexpr double kStill = 1e-9;
// Rows of a row-vector 3x3 that are this far from orthogonal are a shear.
constexpr double kShear = 1e-9;

struct Joint {
  int parent = -1;          // index into the joint list
  bool endSite = false;     // a BVH clip's end site: an offset, no channels
  bool addEndSite = false;  // a leaf joint: written with an end site of offset 0
  std::string name;
  double offset[3] = {0, 0, 0};
  bool moves = false, scales = false, shears = false, turns = false;
  double previous[3] = {0, 0, 0};  // last angles written, for continuous curves
  bool started = false;
};

// A joint's transform from its parent: translation, angles (X acts first,
// then Y, then Z) and scale (acting before the rotation); shear when the
// 3x3 is no scaled rotation, and then the nearest one.
struct Local {
  double t[3], r[3], s[3];
  bool shear = false;
};

Local decompose(const Matrix4& world, const Matrix4* parentWorld, Joint& joint) {
  Matrix4 inverse;
  inverse.setIdentity();
  if (parentWorld) {
    inverse = *parentWorld;
    inverse.invert();
  }
  const Matrix4 l = Matrix4::multiply(world, inverse);
  Local out;
  double e[3][3];
  for (int i = 0; i < 3; ++i) {
    out.t[i] = l(3, i);
    out.s[i] = std::sqrt(l(i, 0) * l(i, 0) + l(i, 1) * l(i, 1) + l(i, 2) * l(i, 2));
    for (int j = 0; j < 3; ++j) e[i][j] = out.s[i] > 0 ? l(i, j) / out.s[i] : (i == j ? 1.0 : 0.0);
  }
  for (int i = 0; i < 3; ++i)
    for (int j = i + 1; j < 3; ++j)
      out.shear = out.shear || std::fabs(e[i][0] * e[j][0] + e[i][1] * e[j][1] + e[i][2] * e[j][2]) > kShear;
  if (out.shear) {
    // The nearest rotation: average the rows with those of the inverse
    // transpose until they stop moving.
    for (int k = 0; k < 20; ++k) {
      const double c[3][3] = {{e[1][1] * e[2][2] - e[1][2] * e[2][1], e[1][2] * e[2][0] - e[1][0] * e[2][2],
                               e[1][0] * e[2][1] - e[1][1] * e[2][0]},
                              {e[2][1] * e[0][2] - e[2][2] * e[0][1], e[2][2] * e[0][0] - e[2][0] * e[0][2],
                               e[2][0] * e[0][1] - e[2][1] * e[0][0]},
                              {e[0][1] * e[1][2] - e[0][2] * e[1][1], e[0][2] * e[1][0] - e[0][0] * e[1][2],
                               e[0][0] * e[1][1] - e[0][1] * e[1][0]}};
      const double det = e[0][0] * c[0][0] + e[0][1] * c[0][1] + e[0][2] * c[0][2];
      if (det == 0.0) break;
      for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) e[i][j] = 0.5 * (e[i][j] + c[i][j] / det);
    }
  }
  // A mirror has no rotation: it goes into the first axis's scale.
  const double det = e[0][0] * (e[1][1] * e[2][2] - e[1][2] * e[2][1]) -
                     e[0][1] * (e[1][0] * e[2][2] - e[1][2] * e[2][0]) +
                     e[0][2] * (e[1][0] * e[2][1] - e[1][1] * e[2][0]);
  if (det < 0) {
    out.s[0] = -out.s[0];
    for (double& v : e[0]) v = -v;
  }
  eulerXyz(e, joint.started ? joint.previous : nullptr, out.r);
  std::copy(out.r, out.r + 3, joint.previous);
  joint.started = true;
  return out;
}

std::string bvhName(const std::string& name, std::set<std::string>& taken) {
  std::string out;
  for (char c : name) out += std::isalnum(static_cast<unsigned char>(c)) || c == '_' ? c : '_';
  if (out.empty()) out = "Joint";
  std::string unique = out;
  for (int n = 2; !taken.insert(unique).second; ++n) unique = out + "_" + std::to_string(n);
  return unique;
}

std::string number(double v, const char* format = "%.9g") {
  char text[40];
  std::snprintf(text, sizeof text, format, v == 0.0 ? 0.0 : v);  // no "-0"
  return text;
}

class BvhWriter {
 public:
  BvhWriter(LoadedClip& clip, double fps) : m_root(*clip.root) {
    m_root.setScale(Kvat::Vector3(1, 1, 1));
    const std::vector<ClipNode> nodes = clipNodes(m_root, clip.facts ? &*clip.facts : nullptr);
    std::set<std::string> taken;
    for (std::size_t i = 1; i < nodes.size(); ++i) {
      Joint joint;
      joint.parent = nodes[i].parent - 1;
      joint.endSite = nodes[i].role == Role::EndSite && !asFbxRoot(m_root);
      joint.addEndSite = !joint.endSite && nodes[i].node->children().empty();
      joint.name = bvhName(jointName(nodes[i]), taken);
      m_joints.push_back(joint);
      m_nodes.push_back(nodes[i].node);
    }
    chooseRows(fps);
    restOffsets();
  }

  std::size_t joints() const { return m_joints.size(); }
  std::size_t rows() const { return m_rows; }
  double rate() const { return m_fps; }
  double time(std::size_t row) const { return m_start + static_cast<double>(row) / m_fps; }
  const std::vector<Joint>& jointList() const { return m_joints; }

  // Which joints move, scale or shear; the size of the skeleton.
  void survey() {
    double lo[3] = {HUGE_VAL, HUGE_VAL, HUGE_VAL}, hi[3] = {-HUGE_VAL, -HUGE_VAL, -HUGE_VAL};
    std::vector<Local> locals;
    for (std::size_t row = 0; row < m_rows; ++row) {
      pose(row, locals);
      for (std::size_t j = 0; j < m_joints.size(); ++j) {
        const Matrix4& w = m_nodes[j]->attrib()->world();
        for (int i = 0; i < 3; ++i) lo[i] = std::min(lo[i], w(3, i)), hi[i] = std::max(hi[i], w(3, i));
      }
    }
    m_size = std::sqrt((hi[0] - lo[0]) * (hi[0] - lo[0]) + (hi[1] - lo[1]) * (hi[1] - lo[1]) +
                       (hi[2] - lo[2]) * (hi[2] - lo[2]));
    if (!(m_size > 0)) m_size = 1.0;
    for (Joint& joint : m_joints) joint.started = false;
    for (std::size_t row = 0; row < m_rows; ++row) {
      pose(row, locals);
      for (std::size_t j = 0; j < m_joints.size(); ++j) {
        Joint& joint = m_joints[j];
        for (int i = 0; i < 3; ++i) {
          joint.moves = joint.moves || std::fabs(locals[j].t[i] - joint.offset[i]) > kStill * m_size;
          joint.scales = joint.scales || std::fabs(locals[j].s[i] - 1.0) > kStill;
        }
        joint.shears = joint.shears || locals[j].shear;
        for (int i = 0; i < 3; ++i) joint.turns = joint.turns || std::fabs(locals[j].r[i]) > kStill;
      }
    }
    // A leaf that never moves, turns or scales is an end site: its offset
    // says all (so a BVH clip's end sites stay end sites through FBX).
    for (std::size_t j = 1; j < m_joints.size(); ++j) {
      Joint& joint = m_joints[j];
      if (joint.addEndSite && !joint.moves && !joint.turns && !joint.scales && !joint.shears)
        joint.endSite = true, joint.addEndSite = false;
    }
    if (!m_joints.empty()) m_joints[0].moves = true;  // the root always has its position
    for (Joint& joint : m_joints) joint.started = false;
  }

  double size() const { return m_size; }

  // The whole file; false when it cannot be written.
  bool write(std::FILE* out) {
    std::string text = "HIERARCHY\n";
    std::vector<std::size_t> open;  // joints whose block is open
    for (std::size_t j = 0; j < m_joints.size(); ++j) {
      const Joint& joint = m_joints[j];
      while (!open.empty() && static_cast<int>(open.back()) != joint.parent) close(text, open);
      const std::string pad(2 * open.size(), ' ');
      text += pad +
              (j == 0          ? "ROOT "
               : joint.endSite ? "End Site"
                               : "JOINT ") +
              (joint.endSite ? "" : joint.name) + "\n" + pad + "{\n" + pad + "  OFFSET " + number(joint.offset[0]) +
              " " + number(joint.offset[1]) + " " + number(joint.offset[2]) + "\n";
      if (!joint.endSite) text += pad + "  CHANNELS " + channels(joint) + "\n";
      open.push_back(j);
    }
    while (!open.empty()) close(text, open);
    text += "MOTION\nFrames: " + std::to_string(m_rows) + "\nFrame Time: " + number(1.0 / m_fps) + "\n";
    std::vector<Local> locals;
    for (std::size_t row = 0; row < m_rows; ++row) {
      pose(row, locals);
      for (std::size_t j = 0; j < m_joints.size(); ++j) {
        const Joint& joint = m_joints[j];
        if (joint.endSite) continue;
        const Local& l = locals[j];
        if (joint.moves)
          for (int i = 0; i < 3; ++i) text += number(l.t[i] - joint.offset[i]) + " ";
        for (int i = 2; i >= 0; --i) text += number(l.r[i]) + " ";
        if (joint.scales)
          for (int i = 0; i < 3; ++i) text += number(l.s[i]) + " ";
      }
      text.back() = '\n';
      if (text.size() > (1u << 20)) {
        if (std::fwrite(text.data(), 1, text.size(), out) != text.size()) return false;
        text.clear();
      }
    }
    return std::fwrite(text.data(), 1, text.size(), out) == text.size();
  }

 private:
  void chooseRows(double fps) {
    double stop = 0.0;
    m_fps = fps > 0 ? fps : kDefaultRate;
    if (const Kvat::Secne::FbxRoot* fbx = asFbxRoot(m_root)) {
      if (!fbxTakeSpan(*fbx, m_start, stop)) m_start = stop = 0.0;
      bool truncated = false;
      const std::vector<double> keys = fbxKeyTimes(*fbx, static_cast<std::size_t>(-1), truncated);
      bool even = keys.size() >= 2;
      for (std::size_t i = 2; even && i < keys.size(); ++i)
        even = std::fabs((keys[i] - keys[i - 1]) - (keys[1] - keys[0])) <= kEvenSpacing;
      if (fps <= 0 && even && keys[1] > keys[0]) m_fps = 1.0 / (keys[1] - keys[0]);
    } else {
      stop = clipLength(m_root);
    }
    m_rows = static_cast<std::size_t>(std::floor((stop - m_start) * m_fps + 1e-9)) + 1;
  }

  // Offsets: a BVH clip's own; an FBX clip's translations in its "Default"
  // take at time 0 (its rest pose).
  void restOffsets() {
    auto* fbx = const_cast<Kvat::Secne::FbxRoot*>(asFbxRoot(m_root));
    if (!fbx) {
      for (std::size_t j = 0; j < m_joints.size(); ++j)
        if (auto* bvh = dynamic_cast<Kvat::Secne::AttributeBvh*>(m_nodes[j]->attrib())) {
          const Kvat::Vector3& o = bvh->offset();
          m_joints[j].offset[0] = o.x, m_joints[j].offset[1] = o.y, m_joints[j].offset[2] = o.z;
        }
      return;
    }
    KFbxSceneGraph* scene = fbx->scene();
    const std::string current = scene->GetCurrentTakeName();
    scene->SelectTake(kDefaultTakeNodeName);
    std::vector<Local> locals;
    m_root.rootMatrix().setIdentity();
    m_root.evaluate(0.0);
    for (std::size_t j = 0; j < m_joints.size(); ++j) {
      const Matrix4* parent = m_joints[j].parent >= 0 ? &m_nodes[m_joints[j].parent]->attrib()->world() : nullptr;
      const Local l = decompose(m_nodes[j]->attrib()->world(), parent, m_joints[j]);
      std::copy(l.t, l.t + 3, m_joints[j].offset);
      m_joints[j].started = false;
    }
    scene->SelectTake(current.c_str());
  }

  void pose(std::size_t row, std::vector<Local>& locals) {
    m_root.rootMatrix().setIdentity();
    m_root.evaluate(time(row));
    locals.resize(m_joints.size());
    for (std::size_t j = 0; j < m_joints.size(); ++j) {
      const Matrix4* parent = m_joints[j].parent >= 0 ? &m_nodes[m_joints[j].parent]->attrib()->world() : nullptr;
      locals[j] = decompose(m_nodes[j]->attrib()->world(), parent, m_joints[j]);
    }
  }

  static std::string channels(const Joint& joint) {
    std::string out = std::to_string(3 + (joint.moves ? 3 : 0) + (joint.scales ? 3 : 0));
    if (joint.moves) out += " Xposition Yposition Zposition";
    out += " Zrotation Yrotation Xrotation";
    if (joint.scales) out += " Xscale Yscale Zscale";
    return out;
  }

  void close(std::string& text, std::vector<std::size_t>& open) {
    const Joint& joint = m_joints[open.back()];
    const std::string pad(2 * open.size(), ' ');
    if (joint.addEndSite) text += pad + "End Site\n" + pad + "{\n" + pad + "  OFFSET 0 0 0\n" + pad + "}\n";
    open.pop_back();
    text += std::string(2 * open.size(), ' ') + "}\n";
  }

  Kvat::Secne::Root& m_root;
  std::vector<Joint> m_joints;
  std::vector<Kvat::Secne::Node*> m_nodes;
  double m_fps = kDefaultRate, m_start = 0.0, m_size = 1.0;
  std::size_t m_rows = 0;
};

}  // namespace

BvhOutcome writeClipAsBvh(LoadedClip& clip, const std::string& path, double fps, double tolerance) {
  BvhWriter writer(clip, fps);
  if (writer.joints() == 0) return {"the clip has no joint to write", "", ""};
  writer.survey();
  std::FILE* out = std::fopen(path.c_str(), "wb");
  const bool written = out && writer.write(out);
  if (!out || std::fclose(out) != 0 || !written) return {"cannot write " + path, "", ""};
  LoadedClip back = loadClip(path);
  if (!back.error.empty()) return {"reading it back failed: " + back.error, "", ""};
  // Joints in the order written, skipping the end sites added below leaves.
  const ClipJoints mine = clipJoints(*clip.root), theirs = clipJoints(*back.root);
  std::vector<std::size_t> match;
  std::size_t k = 0;
  for (const Joint& joint : writer.jointList()) {
    match.push_back(k);
    k += joint.addEndSite ? 2 : 1;
  }
  if (mine.nodes.size() != match.size() || theirs.nodes.size() != k)
    return {"the file's skeleton does not have the clip's joints", "", ""};
  double worst = 0.0, at = 0.0;
  std::size_t worstJoint = 0;
  back.root->setScale(Kvat::Vector3(1, 1, 1));
  for (std::size_t row = 0; row < writer.rows(); ++row) {
    clip.root->rootMatrix().setIdentity();
    clip.root->evaluate(writer.time(row));
    back.root->rootMatrix().setIdentity();
    // The BVH reader plays row k at k / 30 s, whatever the frame time says.
    back.root->evaluate(static_cast<double>(row) * Kvat::Motion::FxPlot::kSamplingInterval);
    for (std::size_t j = 0; j < match.size(); ++j) {
      const Matrix4& a = mine.nodes[j]->attrib()->world();
      const Matrix4& b = theirs.nodes[match[j]]->attrib()->world();
      for (int e = 0; e < 16; ++e) {
        const double d = std::fabs(a[e] - b[e]) / (e >= 12 ? writer.size() : 1.0);
        if (d > worst || d != d) worst = d != d ? HUGE_VAL : d, at = writer.time(row), worstJoint = j;
      }
    }
  }
  std::vector<std::string> sheared;
  for (const Joint& joint : writer.jointList())
    if (joint.shears) sheared.push_back(joint.name);
  const std::string where = " (at " + number(at, "%.3g") + " s, joint " + writer.jointList()[worstJoint].name + ")";
  if (worst > tolerance && sheared.empty())
    return {"the file poses up to " + number(worst, "%.3g") + " of the skeleton's size away from its source" + where,
            "", ""};
  BvhOutcome outcome;
  outcome.summary = std::to_string(writer.joints()) + " joints, " + std::to_string(writer.rows()) + " rows at " +
                    number(writer.rate(), "%.6g") + " per second; poses within " + number(worst, "%.3g") +
                    " of the skeleton's size (" + number(writer.size(), "%.3g") + ") at every row";
  if (!sheared.empty())
    outcome.warning = "BVH has no shear: the " + std::string(sheared.size() == 1 ? "joint " : "joints ") +
                      sheared.front() +
                      (sheared.size() > 1 ? " and " + std::to_string(sheared.size() - 1) + " more" : "") +
                      " are baked into the nearest rotation and scale, leaving up to " + number(worst, "%.3g") +
                      " of the skeleton's size" + where;
  return outcome;
}

}  // namespace Cli
}  // namespace Boneplay
