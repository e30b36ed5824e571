// Poses and samples checked against plain, independent readings: every pose
// against the straightforward evaluation (one 4x4 product per channel, as the
// joint's local matrix is defined), every stored sample against strtod over
// the file's motion rows.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <iomanip>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "attribute_bvh.h"
#include "bvh_root.h"
#include "hostile_sweep.h"

using Kvat::Matrix4;
using Kvat::Vector3;
using Kvat::Secne::AttributeBvh;
using Kvat::Secne::BvhRoot;
using Kvat::Secne::Node;

namespace {

// local = S * R * T(position) * T(offset), R the product of the channels'
// turns, each new one on the left.
Matrix4 referenceLocal(const AttributeBvh& a, double t) {
  Matrix4 local, rotation;
  local.setTranslation(a.offset());
  rotation.setIdentity();
  Vector3 position, scale;
  bool hasPosition = false, hasRotation = false, hasScale = false;
  for (std::size_t i = 0; i < a.channels().size(); ++i) {
    const double v = a.channels()[i]->function()->valueAt(t);
    const int32_t code = a.channelCodes()[i];
    Matrix4 turn;
    const double radians = v * (M_PI / 180);
    if (code == 0x10) turn.setRotationX(radians);
    if (code == 0x20) turn.setRotationY(radians);
    if (code == 0x30) turn.setRotationZ(radians);
    if (code & 0xF0) rotation = Matrix4::multiply(turn, rotation), hasRotation = true;
    if (code >= 1 && code <= 3) (code == 1 ? position.x : code == 2 ? position.y : position.z) = v, hasPosition = true;
    if (code >= 0x100) (code == 0x100 ? scale.x : code == 0x200 ? scale.y : scale.z) = v, hasScale = true;
  }
  Matrix4 m;
  if (hasPosition) m.setTranslation(position), local = Matrix4::multiply(m, local);
  if (hasRotation) local = Matrix4::multiply(rotation, local);
  if (hasScale) m.setScaling(scale), local = Matrix4::multiply(m, local);
  return local;
}

// Poses root at t and compares every node's world matrix with the reference
// walk, within 1e-12 of the skeleton's size (its farthest joint from the origin).
void expectPoseMatchesReference(BvhRoot& root, double t) {
  root.evaluate(t);
  struct Item {
    Node* node;
    Matrix4 parentWorld;
  };
  std::vector<Item> stack{{root.top(), Matrix4::multiply(root.rootMatrix(), root.scaleMatrix())}};
  std::vector<std::pair<Node*, Matrix4>> expected;
  double size = 1.0;
  while (!stack.empty()) {
    const Item item = stack.back();
    stack.pop_back();
    const auto* bvh = dynamic_cast<const AttributeBvh*>(item.node->attrib());
    const Matrix4 local = bvh ? referenceLocal(*bvh, t) : item.node->attrib()->local();
    const Matrix4 world = Matrix4::multiply(local, item.parentWorld);
    expected.emplace_back(item.node, world);
    for (int k = 12; k < 15; ++k) size = std::max(size, std::fabs(world[k]));
    for (Node* child : item.node->children()) stack.push_back({child, world});
  }
  for (const auto& e : expected)
    for (int k = 0; k < 16; ++k)
      ASSERT_NEAR(e.first->attrib()->world()[k], e.second[k], 1e-12 * size)
          << "node " << e.first->name() << " entry " << k << " at " << t;
}

std::unique_ptr<BvhRoot> load(const std::string& text, Kvat::Bvh::CollectedDiagnostics& sink) {
  std::unique_ptr<BvhRoot> root(Kvat::Secne::createBvhRootFromBytes(text.data(), text.size(), sink));
  if (root) root->rootMatrix().setIdentity();
  return root;
}

// Joints with every kind of channel in random orders (repeats, unknown names
// and scales included) and random values: every axis and order of turns.
TEST(PoseReference, RandomChannelLayouts) {
  const char* const names[] = {"Xposition", "Yposition", "Zposition", "Xrotation", "Yrotation",
                               "Zrotation", "Xscale",    "Yscale",    "Zscale",    "Wrotation"};
  std::mt19937 random(7);
  auto value = [&](double range) { return (random() / 4294967296.0 * 2 - 1) * range; };
  for (int clip = 0; clip < 20; ++clip) {
    SCOPED_TRACE("clip " + std::to_string(clip));
    std::ostringstream text;
    text << std::fixed << std::setprecision(4) << "HIERARCHY\nROOT H\n{\n";
    int columns = 0;
    const int joints = 1 + static_cast<int>(random() % 6);
    for (int j = 0; j < joints; ++j) {
      if (j) text << "JOINT J" << j << "\n{\n";
      text << "OFFSET " << value(20) << ' ' << value(20) << ' ' << value(20) << "\nCHANNELS 0";
      const int channels = 1 + static_cast<int>(random() % 7);
      for (int c = 0; c < channels; ++c) text << ' ' << names[random() % 10];
      text << '\n';
      columns += channels;
    }
    for (int j = 0; j < joints; ++j) text << "}\n";
    // The last row turns joints by up to a billion degrees: far beyond any
    // real angle, where the turns are reduced another way.
    text << "MOTION\nFrames: 3\nFrame Time: 0.1\n";
    for (int row = 0; row < 3; ++row) {
      for (int c = 0; c < columns; ++c) text << value(row < 2 ? 400 : 1e9) << ' ';
      text << '\n';
    }
    Kvat::Bvh::CollectedDiagnostics sink;
    const std::unique_ptr<BvhRoot> root = load(text.str(), sink);
    ASSERT_EQ(sink.out, "");
    root->setScale(Vector3(2, 3, 0.5));
    for (double t : {-1.0, 0.0, 0.01, 1.0 / 30, 0.05, 1.0 / 15, 9.0}) expectPoseMatchesReference(*root, t);
  }
}

// The numbers of the motion rows, by plain strtod, one vector per row.
std::vector<std::vector<double>> motionRows(const std::string& bytes) {
  std::vector<std::vector<double>> rows;
  std::istringstream lines(bytes.substr(bytes.find("\nMOTION") + 7));
  std::string line;
  while (std::getline(lines, line)) {
    if (line.find("Frame") != std::string::npos) continue;
    std::vector<double> row;
    const char* p = line.c_str();
    for (char* end = nullptr;; p = end) {
      const double v = std::strtod(p, &end);
      if (end == p) break;
      row.push_back(v);
    }
    if (!row.empty()) rows.push_back(row);
  }
  return rows;
}

TEST(PoseReference, CorpusSamplesAndPoses) {
  const std::vector<std::string> clips = boneplay_test::FilesIn(std::string(BONEPLAY_CORPUS_DIR) + "/bvh", ".bvh");
  if (clips.empty()) GTEST_SKIP() << "no corpus at " << BONEPLAY_CORPUS_DIR;
  int checked = 0;
  for (const std::string& clip : clips) {
    SCOPED_TRACE(clip);
    const std::string bytes = boneplay_test::ReadBytes(clip);
    Kvat::Bvh::CollectedDiagnostics sink;
    const std::unique_ptr<BvhRoot> root = load(bytes, sink);
    ASSERT_TRUE(root);
    if (!sink.out.empty()) continue;  // only clips that read fully
    ++checked;
    // Column i of every row feeds the i-th channel in file order.
    std::vector<const Kvat::Motion::Samples*> columns;
    for (std::size_t m = 0; m < root->motions().count(); ++m)
      for (std::size_t c = 0; c < root->motions().motion(m)->count(); ++c)
        columns.push_back(&root->motions().motion(m)->fx(c)->function()->samples());
    const std::vector<std::vector<double>> rows = motionRows(bytes);
    ASSERT_FALSE(rows.empty() || columns.empty());
    // A short row feeds only the columns it reaches; numbers beyond the last
    // column are dropped.
    for (std::size_t c = 0; c < columns.size(); ++c) {
      Kvat::Motion::Samples expected;
      for (const std::vector<double>& row : rows)
        if (c < row.size()) expected.push_back(static_cast<float>(row[c]));
      ASSERT_EQ(*columns[c], expected) << "column " << c;
    }
    const double last = (columns[0]->size() - 1) / 30.0;
    for (double t : {0.0, 0.5 / 30, last / 3, last / 2 + 0.001, last, last + 1}) expectPoseMatchesReference(*root, t);
  }
  EXPECT_GT(checked, 0);
}

}  // namespace
