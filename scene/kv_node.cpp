#include "kv_node.h"

#include <cstdio>

#include "kv_assert.h"

namespace Kvat {
namespace Secne {

Attribute::Attribute() {
  m_xLocal.setIdentity();
  m_xWorld.setIdentity();
}

void Attribute::reset() {
  m_xLocal.setIdentity();
  m_xWorld.setIdentity();
}

void Attribute::evaluate(double) {}

Matrix4 Attribute::evaluateWorld(double time, const Matrix4& parentWorld) {
  evaluate(time);
  m_xWorld = Matrix4::multiply(m_xLocal, parentWorld);
  return m_xWorld;
}

Node::Node(const std::string& name, Attribute* pAttribute) : Named(name), m_pxAttrb(pAttribute) {
  if (!m_pxAttrb) {
    m_pxAttrb.reset(new Attribute());
    m_pxAttrb->reset();
  }
}

Node::~Node() {
  for (Node* child : m_vChildren) delete child;
  m_vChildren.clear();
  m_pxAttrb.reset();
}

void Node::deleteChildren() {
  for (Node* child : m_vChildren) delete child;
  m_vChildren.clear();
}

Node* Node::addChild(Node* pNode) {
  KVAT_ASSERT(pNode, "pNode");
  pNode->m_pParent = this;
  try {
    pNode->setName(pNode->uniqueName(pNode->name()));
    m_vChildren.push_back(pNode);
  } catch (...) {
    // The node was handed over: it goes rather than leaks.
    delete pNode;
    throw;
  }
  return pNode;
}

std::string Node::uniqueName(const std::string& requested) const {
  if (!m_pParent) return requested;
  int count = 0;
  for (const Node* sibling : m_pParent->m_vChildren)
    if (sibling->name() == requested) ++count;
  if (count == 0) return requested;
  char suffix[32];
  std::snprintf(suffix, sizeof suffix, " (%d)", count);
  return requested + suffix;
}

Node* Node::find(const std::string& name) {
  if (this->name() == name) return this;
  for (Node* child : m_vChildren)
    if (Node* hit = child->find(name)) return hit;
  return nullptr;
}

void Node::evaluate(double time, const Matrix4& parentWorld) {
  KVAT_ASSERT(m_pxAttrb, "m_pxAttrb");
  const Matrix4 world = m_pxAttrb->evaluateWorld(time, parentWorld);
  for (Node* child : m_vChildren) child->evaluate(time, world);
}

void Node::traverse(void* context, Visitor callback) {
  callback(context, this);
  for (Node* child : m_vChildren) child->traverse(context, callback);
}

Vector3 Node::position() const { return m_pxAttrb->world().translation(); }

Root::Root() {
  m_xRootMatrix.setZero();
  m_xScaleMatrix.setZero();
  m_xScaleMatrix.setIdentity();
  m_pRoot = new Node("Root");
  KVAT_ASSERT(m_pRoot, "m_pRoot");
  KVAT_ASSERT(m_pRoot->attrib(), "m_pRoot->attrib()");
  m_pRoot->attrib()->evaluate(0.0);
}

Root::~Root() { delete m_pRoot; }

void Root::setScale(const Vector3& factors) { m_xScaleMatrix.setScaling(factors); }

void Root::evaluate(double time) {
  const Matrix4 m = Matrix4::multiply(m_xRootMatrix, m_xScaleMatrix);
  m_pRoot->evaluate(time, m);
}

}  // namespace Secne
}  // namespace Kvat
