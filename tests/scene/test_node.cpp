#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kv_node.h"

using Kvat::Matrix4;
using Kvat::Vector3;
using Kvat::Secne::Attribute;
using Kvat::Secne::Node;
using Kvat::Secne::Root;

namespace {

TEST(Node, SiblingRuleCountsOnlyExactNames) {
  Node parent("P");
  Node* a = parent.addChild(new Node("A"));
  Node* b = parent.addChild(new Node("A"));
  Node* c = parent.addChild(new Node("A"));
  Node* d = parent.addChild(new Node("a"));
  EXPECT_EQ(a->name(), "A");
  EXPECT_EQ(b->name(), "A (1)");
  EXPECT_EQ(c->name(), "A (1)");  // only "A" itself is counted, not "A (1)"
  EXPECT_EQ(d->name(), "a");      // names compare case-sensitively
  EXPECT_EQ(a->parent(), &parent);
  ASSERT_EQ(parent.children().size(), 4u);
  EXPECT_EQ(parent.children()[2], c);
}

TEST(Node, UniqueNameWithoutParentIsUnchanged) {
  Node lone("A");
  EXPECT_EQ(lone.uniqueName("A"), "A");
}

TEST(Node, FindIsPreOrder) {
  Node top("Top");
  Node* left = top.addChild(new Node("L"));
  Node* right = top.addChild(new Node("R"));
  Node* deepA = left->addChild(new Node("A"));
  Node* rightA = right->addChild(new Node("A"));
  EXPECT_EQ(deepA->name(), "A");
  EXPECT_EQ(rightA->name(), "A");  // different parents: no numbering
  EXPECT_EQ(top.find("A"), deepA);
  EXPECT_EQ(top.find("Top"), &top);
  EXPECT_EQ(right->find("A"), rightA);
  EXPECT_EQ(top.find("missing"), nullptr);
}

TEST(Node, TraverseVisitsParentsFirstInInsertionOrder) {
  Node top("T");
  Node* a = top.addChild(new Node("a"));
  a->addChild(new Node("a1"));
  a->addChild(new Node("a2"));
  top.addChild(new Node("b"))->addChild(new Node("b1"));
  std::vector<std::string> seen;
  top.traverse(&seen, [](void* ctx, Node* n) { static_cast<std::vector<std::string>*>(ctx)->push_back(n->name()); });
  EXPECT_EQ(seen, (std::vector<std::string>{"T", "a", "a1", "a2", "b", "b1"}));
}

TEST(Root, ZeroRootMatrixGivesZeroWorlds) {
  Root root;
  EXPECT_STREQ(root.typeName(), "Root");
  EXPECT_EQ(root.top()->name(), "Root");
  Node* child = root.top()->addChild(new Node("child"));
  child->attrib()->local().setTranslation({1, 0, 0});
  root.evaluate(0.0);
  for (int i = 0; i < 16; ++i) {
    EXPECT_EQ(root.top()->attrib()->world()[i], 0.0);
    EXPECT_EQ(child->attrib()->world()[i], 0.0);
  }
}

TEST(Root, ScaleAndRootMatrixReachEveryNode) {
  Root root;
  Node* child = root.top()->addChild(new Node("child"));
  Node* grand = child->addChild(new Node("grand"));
  child->attrib()->local().setTranslation({1, 0, 0});
  grand->attrib()->local().setTranslation({0, 3, 0});
  root.rootMatrix().setIdentity();
  root.setScale({2, 2, 2});
  root.evaluate(1.25);
  EXPECT_DOUBLE_EQ(child->position().x, 2.0);
  EXPECT_DOUBLE_EQ(child->position().y, 0.0);
  EXPECT_DOUBLE_EQ(grand->position().x, 2.0);
  EXPECT_DOUBLE_EQ(grand->position().y, 6.0);
  // The top node's world is root matrix times scale matrix.
  EXPECT_DOUBLE_EQ(root.top()->attrib()->world()(0, 0), 2.0);

  Matrix4 move;
  move.setTranslation({0, 0, 5});
  root.rootMatrix() = move;
  root.evaluate(0.0);
  // Root matrix first, then the scale: the move is scaled too.
  EXPECT_DOUBLE_EQ(grand->position().z, 10.0);
  EXPECT_DOUBLE_EQ(grand->position().y, 6.0);
}

// An attribute that counts its evaluations and poses from the time.
class TimedAttribute : public Attribute {
 public:
  int calls = 0;
  void evaluate(double time) override {
    ++calls;
    m_xLocal.setTranslation({time, 0, 0});
  }
};

TEST(Root, EveryEvaluationRecomputes) {
  Root root;
  auto* attr = new TimedAttribute;
  Node* n = root.top()->addChild(new Node("n", attr));
  root.rootMatrix().setIdentity();
  root.evaluate(1.0);
  root.evaluate(3.0);
  EXPECT_EQ(attr->calls, 2);
  EXPECT_DOUBLE_EQ(n->position().x, 3.0);
  attr->reset();
  EXPECT_DOUBLE_EQ(attr->local()(3, 0), 0.0);
  EXPECT_DOUBLE_EQ(attr->world()(0, 0), 1.0);
}

}  // namespace
