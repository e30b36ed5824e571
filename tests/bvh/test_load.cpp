#include <dirent.h>
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "attribute_bvh.h"
#include "bvh_root.h"
#include "bvh_test_util.h"
#include "test_tmpdir.h"

using Kvat::Secne::AttributeBvh;
using Kvat::Secne::BvhRoot;
using Kvat::Secne::Node;

namespace {

struct Loaded {
  std::unique_ptr<BvhRoot> root;
  bvhtest::Output output;
};

// Loads the text through the entry over bytes; what the reader printed is
// collected by the sink.
Loaded loadText(const std::string& text, const char* = "load.bvh") {
  Loaded l;
  Kvat::Bvh::CollectedDiagnostics sink;
  l.root.reset(Kvat::Secne::createBvhRootFromBytes(text.data(), text.size(), sink));
  l.output.out = sink.out;
  l.output.err = sink.err;
  return l;
}

AttributeBvh* bvhAttr(Node* n) { return dynamic_cast<AttributeBvh*>(n->attrib()); }

// The tree as "name(child,child)" for compact comparisons.
std::string shape(const Node* n) {
  std::string s = n->name();
  if (n->children().empty()) return s;
  s += '(';
  for (std::size_t i = 0; i < n->children().size(); ++i) {
    if (i) s += ',';
    s += shape(n->children()[i]);
  }
  return s + ')';
}

std::size_t sampleCount(Node* n, std::size_t channel) {
  return bvhAttr(n)->channels().at(channel)->function()->samples().size();
}

TEST(BvhLoad, WorkedExample) {
  const Loaded l = loadText(bvhtest::kWorkedExample);
  ASSERT_TRUE(l.root);
  EXPECT_EQ(shape(l.root->top()), "Hips(Root(Chest(Site)))");
  EXPECT_EQ(l.root->top()->attrib()->local()(0, 0), 1.0);
  EXPECT_EQ(bvhAttr(l.root->top()), nullptr);

  Node* root = l.root->top()->find("Root");
  Node* chest = l.root->top()->find("Chest");
  Node* site = l.root->top()->find("Site");
  ASSERT_TRUE(root && chest && site);
  EXPECT_EQ(bvhAttr(root)->offset().y, 0.0);
  EXPECT_EQ(bvhAttr(chest)->offset().y, 5.0);
  EXPECT_EQ(bvhAttr(site)->offset().y, 5.0);
  EXPECT_EQ(bvhAttr(root)->channelCodes(), (std::vector<int32_t>{1, 2, 3, 0x30, 0x10, 0x20}));
  EXPECT_EQ(bvhAttr(chest)->channelCodes(), (std::vector<int32_t>{0x30, 0x10, 0x20}));
  EXPECT_TRUE(bvhAttr(site)->channels().empty());
  for (std::size_t c = 0; c < 6; ++c) EXPECT_EQ(sampleCount(root, c), 2u);
  for (std::size_t c = 0; c < 3; ++c) EXPECT_EQ(sampleCount(chest, c), 2u);

  ASSERT_EQ(l.root->motions().count(), 2u);
  EXPECT_EQ(l.root->motions().motion(0)->name(), "Root");
  EXPECT_EQ(l.root->motions().motion(1)->name(), "Chest");
  EXPECT_EQ(l.output.err,
            "Motions 2 \nRoot Fx 6 \nXposition\nYposition\nZposition\nZrotation\nXrotation\nYrotation\n"
            "Chest Fx 3 \nZrotation\nXrotation\nYrotation\n");
  EXPECT_EQ(l.output.out, "");

  // The second row is the pose at 1/30 s whatever the frame time says:
  // root moved by (1, 2, 3) and turned 90 degrees about X; Chest turned 45 about Y.
  l.root->rootMatrix().setIdentity();
  l.root->evaluate(1.0 / 30.0);
  const Kvat::Vector3 c = chest->position();
  EXPECT_NEAR(c.x, 1, 1e-12);
  EXPECT_NEAR(c.y, 2, 1e-12);
  EXPECT_NEAR(c.z, 8, 1e-12);
  const Kvat::Vector3 s = site->position();
  EXPECT_NEAR(s.x, 1, 1e-12);
  EXPECT_NEAR(s.y, 2, 1e-12);
  EXPECT_NEAR(s.z, 13, 1e-12);
}

struct DialectCase {
  const char* name;
  const char* text;
  const char* tree;  // expected shape from the top node
  const char* out;   // expected standard output
  int rootSamples;   // samples in the first channel of "Root", -1: no channels
};

TEST(BvhLoad, DialectAndRecovery) {
  const std::string hier =
      "HIERARCHY\nROOT Hips\n{\nOFFSET 0 0 0\nCHANNELS 3 Xposition Yposition Zposition\n"
      "JOINT A\n{\nOFFSET 0 1 0\nEnd Site\n{\nOFFSET 0 1 0\n}\n}\n}\n";
  const std::string motion = "MOTION\nFrames: 2\nFrame Time: 0.0333\n1 2 3\n4 5 6\n";
  const std::string frames =
      "----> 00015 FRAMES atari\x82\xc5\x83\x47\x83\x89\x81\x5b\x82\xaa\x94\xad\x90\xb6"
      "\x82\xb5\x82\xdc\x82\xb5\x82\xbd !! \n";
  const std::string motionReport =
      "----> 00015 MOTION \x83\x47\x83\x89\x81\x5b\x82\xaa\x94\xad\x90\xb6"
      "\x82\xb5\x82\xdc\x82\xb5\x82\xbd !! \n";
  const std::string cases[][2] = {
      {"complete", hier + motion},
      {"trailing empty line", hier + motion + "\n"},
      {"no motion", hier},
      {"empty file", ""},
      {"not bvh", "Lorem ipsum dolor sit amet.\n"},
      {"empty motion body", hier + "MOTION\n"},
      {"header without colon", hier + "MOTION\nFrames 2\n1 2 3\n"},
      {"empty braces", "HIERARCHY\nROOT Hips\n{\nJOINT A\n{\n}\n}\n" + motion},
      {"bad joint name", "HIERARCHY\nROOT Hips\n{\nOFFSET 1 2 3\nJOINT A.B\n{\nOFFSET 0 1 0\n}\n}\n"},
      {"any order",
       "HIERARCHY\nROOT Hips\n{\nJOINT A\n{\nOFFSET 0 1 0\n}\nCHANNELS 3 Xposition Yposition Zposition\n}\n" + motion},
  };
  struct Expect {
    const char* tree;
    std::string out;
    int rootSamples;
  };
  const Expect expects[] = {
      {"Hips(Root(A(Site)))", "", 2},
      // The rows end the motion body before the empty line is seen: no report.
      {"Hips(Root(A(Site)))", "ERROR: syntax error\n", 2},
      {"Hips(Root(A(Site)))", "", 0},
      {"Root(Root)", "", -1},
      {"Root(Root)", "ERROR: syntax error\n", -1},
      {"Hips(Root(A(Site)))", "ERROR: syntax error\n" + motionReport, 0},
      // The number after the bad header is the first row.
      {"Hips(Root(A(Site)))", "ERROR: syntax error\n" + frames, 2},
      {"Hips(Root(A))", "ERROR: syntax error\n", -1},
      {"Hips(Root(A))", ".ERROR: syntax error\n", -1},
      {"Hips(Root(A))", "", 2},
  };
  static_assert(sizeof cases / sizeof cases[0] == sizeof expects / sizeof expects[0], "table sizes");
  for (std::size_t i = 0; i < sizeof expects / sizeof expects[0]; ++i) {
    SCOPED_TRACE(cases[i][0]);
    const Loaded l = loadText(cases[i][1]);
    ASSERT_TRUE(l.root);
    EXPECT_EQ(shape(l.root->top()), expects[i].tree);
    EXPECT_EQ(l.output.out, expects[i].out);
    Node* root = l.root->top()->children().at(0);
    if (expects[i].rootSamples < 0) {
      EXPECT_TRUE(bvhAttr(root)->channels().empty());
    } else {
      ASSERT_FALSE(bvhAttr(root)->channels().empty());
      EXPECT_EQ(sampleCount(root, 0), static_cast<std::size_t>(expects[i].rootSamples));
    }
  }
}

TEST(BvhLoad, HeaderWithoutColonBecomesARowAndFrameTimeEndsTheParse) {
  const std::string text =
      "HIERARCHY\nROOT Hips\n{\nOFFSET 0 0 0\nCHANNELS 2 Xposition Yposition\n}\n"
      "MOTION\nFrames 7\nFrame Time: 0.1\n1 2\n";
  const Loaded l = loadText(text);
  Node* root = l.root->top()->find("Root");
  // 7 went into column 0; the header after it is not a row and gives up.
  ASSERT_EQ(bvhAttr(root)->channels().size(), 2u);
  EXPECT_EQ(bvhAttr(root)->channels()[0]->function()->samples(), Kvat::Motion::Samples{7});
  EXPECT_TRUE(bvhAttr(root)->channels()[1]->function()->samples().empty());
}

TEST(BvhLoad, NamesAndColumns) {
  // ROOT named Root: the top node is found first, so the ROOT joint gets no channels.
  {
    const Loaded l = loadText("HIERARCHY\nROOT Root\n{\nOFFSET 1 2 3\nCHANNELS 1 Xposition\n}\nMOTION\nFrames: 1\n5\n");
    EXPECT_EQ(shape(l.root->top()), "Root(Root)");
    EXPECT_EQ(l.root->top()->find("Root"), l.root->top());
    Node* joint = l.root->top()->children()[0];
    EXPECT_TRUE(bvhAttr(joint)->channels().empty());
    EXPECT_EQ(bvhAttr(joint)->offset().z, 3.0);
  }
  // Two joints of one name in different branches: both motions land on the first.
  {
    const Loaded l = loadText(
        "HIERARCHY\nROOT H\n{\nOFFSET 0 0 0\nJOINT L\n{\nOFFSET 0 0 0\nJOINT Hand\n{\nOFFSET 0 0 0\n"
        "CHANNELS 1 Xrotation\n}\n}\nJOINT R\n{\nOFFSET 0 0 0\nJOINT Hand\n{\nOFFSET 0 0 0\n"
        "CHANNELS 1 Yrotation\n}\n}\n}\nMOTION\nFrames: 1\n10 20\n");
    Node* first = l.root->top()->find("L")->children()[0];
    Node* second = l.root->top()->find("R")->children()[0];
    ASSERT_EQ(bvhAttr(first)->channels().size(), 1u);
    EXPECT_EQ(bvhAttr(first)->channels()[0]->name(), "Yrotation");
    EXPECT_TRUE(bvhAttr(second)->channels().empty());
  }
  // The count after CHANNELS is not checked; extra numbers feed later columns,
  // numbers beyond the last column are dropped, short rows leave channels short.
  {
    const Loaded l = loadText(
        "HIERARCHY\nROOT H\n{\nOFFSET 0 0 0\nCHANNELS 6 Xposition Yposition Zposition\n"
        "JOINT A\n{\nOFFSET 0 1 0\nCHANNELS 1 Wrotation\n}\n}\nMOTION\nFrames: 2\n1 2 3 4 5 6\n7 8\n");
    Node* a = l.root->top()->find("A");
    EXPECT_EQ(bvhAttr(a)->channelCodes(), std::vector<int32_t>{0});
    EXPECT_EQ(bvhAttr(a)->channels()[0]->function()->samples(), Kvat::Motion::Samples{4});
    Node* root = l.root->top()->find("Root");
    EXPECT_EQ(bvhAttr(root)->channels()[2]->function()->samples(), Kvat::Motion::Samples{3});
    EXPECT_EQ(bvhAttr(root)->channels()[1]->function()->samples(), (Kvat::Motion::Samples{2, 8}));
  }
  // Sibling names are numbered; numbers pass through 32-bit floats.
  {
    const Loaded l =
        loadText("HIERARCHY\nROOT H\n{\nOFFSET 0.1 0 0\nJOINT A\n{\nOFFSET 0 0 0\n}\nJOINT A\n{\nOFFSET 0 0 0\n}\n}\n");
    EXPECT_EQ(shape(l.root->top()), "H(Root(A,A (1)))");
    EXPECT_EQ(bvhAttr(l.root->top()->find("Root"))->offset().x, static_cast<double>(0.1f));
  }
}

TEST(BvhLoad, FailureCases) {
  // A missing file gives none and prints nothing.
  Loaded none;
  none.output =
      bvhtest::capture([&] { none.root.reset(Kvat::Secne::createBvhRoot("/nonexistent/boneplay/none.bvh")); });
  EXPECT_FALSE(none.root);
  EXPECT_EQ(none.output.out + none.output.err, "");
  EXPECT_EQ(Kvat::Secne::createBvhRoot(nullptr), nullptr);

  // The parser holds the start state and 200 more. Nesting d joints, the
  // deepest point (the last number of the innermost OFFSET) needs
  // 16 + 5 (d - 1) states: start, sections, HIERARCHY, ROOT, name, action,
  // "{", items, then JOINT, name, action, "{", items per outer level, and
  // JOINT, name, action, "{", OFFSET, number, number, INTEGER innermost.
  // So 38 levels (201 states) fit and 39 do not.
  auto nested = [](int levels) {
    std::string s = "HIERARCHY\nROOT H\n{\nOFFSET 0 0 0\n";
    for (int i = 0; i < levels; ++i) s += "JOINT J\n{\nOFFSET 0 1 0\n";
    for (int i = 0; i < levels; ++i) s += "}\n";
    return s + "}\n";
  };
  const Loaded fits = loadText(nested(38), "deep38.bvh");
  EXPECT_EQ(fits.output.out, "");
  const Loaded deep = loadText(nested(300), "deep.bvh");
  ASSERT_TRUE(deep.root);
  EXPECT_EQ(deep.output.out, "ERROR: parser stack overflow\n");
  int depth = 0;
  for (Node* n = deep.root->top(); !n->children().empty(); n = n->children()[0]) ++depth;
  // Below the top node: the ROOT joint, 38 whole levels, and the 39th joint,
  // made as its name is read, just before its brace finds the stack full.
  EXPECT_EQ(depth, 1 + 39);
  EXPECT_EQ(loadText(nested(39), "deep39.bvh").output.out, "ERROR: parser stack overflow\n");
}

TEST(BvhLoad, FolderGivesABareSkeleton) {
  Loaded l;
  const std::string dir = boneplay_test::TempFolder();
  l.output = bvhtest::capture([&] { l.root.reset(Kvat::Secne::createBvhRoot(dir.c_str())); });
  if (!l.root) GTEST_SKIP() << "folders cannot be opened as files here";
  EXPECT_EQ(shape(l.root->top()), "Root(Root)");
  EXPECT_EQ(l.output.err, "input in flex scanner failed\nMotions 0 \n");
}

// The world matrices of every node, pre-order, at a few times.
std::vector<double> poses(BvhRoot& root) {
  std::vector<double> out;
  root.rootMatrix().setIdentity();
  for (double t : {0.0, 0.02, 0.5}) {
    root.evaluate(t);
    std::vector<Node*> stack{root.top()};
    while (!stack.empty()) {
      Node* n = stack.back();
      stack.pop_back();
      for (int k = 0; k < 16; ++k) out.push_back(n->attrib()->world()(k / 4, k % 4));
      stack.insert(stack.end(), n->children().rbegin(), n->children().rend());
    }
  }
  return out;
}

TEST(BvhLoad, LineEndsFoldOnceOnEveryPlatform) {
  // A file, read in text mode: CR LF reads as LF, whether the runtime folds it
  // (Windows) or the reader does, and poses like the LF text. A CR before the
  // pair is a stray character either way: echoed once per line, never folded
  // away by a second fold.
  struct Case {
    const char* lineEnd;
    bool echoesCr;
  };
  const Case cases[] = {{"\n", false}, {"\r\n", false}, {"\r\r\n", true}};
  const Loaded lf = loadText(bvhtest::kWorkedExample, "lf.bvh");
  ASSERT_TRUE(lf.root);
  const std::vector<double> expected = poses(*lf.root);
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(std::string(c.lineEnd)));
    std::string text;
    std::size_t lines = 0;
    for (const char* p = bvhtest::kWorkedExample; *p; ++p) {
      if (*p != '\n') {
        text += *p;
        continue;
      }
      text += c.lineEnd;
      ++lines;
    }
    const std::string path = bvhtest::writeTemp("line_ends.bvh", text);
    Loaded l;
    l.output = bvhtest::capture([&] { l.root.reset(Kvat::Secne::createBvhRoot(path.c_str())); });
    ASSERT_TRUE(l.root);
    EXPECT_EQ(l.output.out, c.echoesCr ? std::string(lines, '\r') : "");
    EXPECT_EQ(shape(l.root->top()), "Hips(Root(Chest(Site)))");
    EXPECT_EQ(poses(*l.root), expected);
  }
}

TEST(BvhLoad, BundledSampleAndCorpus) {
  std::vector<std::string> files = {std::string(BONEPLAY_SOURCE_DIR) + "/samples/walk.bvh"};
  const std::string corpus = std::string(BONEPLAY_CORPUS_DIR) + "/bvh/";
  if (DIR* d = opendir(corpus.c_str())) {
    while (dirent* e = readdir(d)) {
      const std::string n = e->d_name;
      if (n.size() > 4 && n.substr(n.size() - 4) == ".bvh") files.push_back(corpus + n);
    }
    closedir(d);
  }
  for (const std::string& f : files) {
    SCOPED_TRACE(f);
    Loaded l;
    l.output = bvhtest::capture([&] { l.root.reset(Kvat::Secne::createBvhRoot(f.c_str())); });
    ASSERT_TRUE(l.root);
    // Outside the dialect: joint names with a colon, and lone carriage returns
    // as line ends. Those clips still load what they can without harm.
    const bool outside = f.find("freebvh") != std::string::npos || f.find("cr_only") != std::string::npos;
    if (outside) {
      EXPECT_NE(l.output.out.find("ERROR: syntax error"), std::string::npos);
      continue;
    }
    // Others may still end with a syntax error (a last row without its line
    // end, blank lines among the rows); the rows before it are kept.
    Node* root = l.root->top()->find("Root");
    ASSERT_NE(root, nullptr);
    ASSERT_FALSE(bvhAttr(root)->channels().empty());
    EXPECT_GE(sampleCount(root, 0), 1u);
    l.root->rootMatrix().setIdentity();
    l.root->evaluate(0.5);
    for (Node* n = root; n; n = n->children().empty() ? nullptr : n->children()[0])
      EXPECT_TRUE(std::isfinite(n->position().x + n->position().y + n->position().z));
  }
}

}  // namespace
