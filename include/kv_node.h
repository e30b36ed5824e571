#pragma once
// The skeleton tree shared by every motion source: named nodes, each carrying
// one attribute that poses it, under a root with a root matrix and a scale.

#include <memory>
#include <string>
#include <vector>

#include "kv_matrix.h"

namespace Kvat {

class Named {
 public:
  explicit Named(std::string name = std::string()) : m_sName(std::move(name)) {}
  virtual ~Named() = default;

  const std::string& name() const { return m_sName; }
  void setName(const std::string& name) { m_sName = name; }

 private:
  std::string m_sName;
};

namespace Secne {

// The per-node payload: local and world transform, posed by the kind of attribute.
class Attribute {
 public:
  Attribute();
  virtual ~Attribute() = default;

  virtual void reset();
  // Sets the local matrix for the time (seconds); a plain attribute keeps its own.
  virtual void evaluate(double time);
  // evaluate(time), then world = local * parentWorld; stores and returns it.
  virtual Matrix4 evaluateWorld(double time, const Matrix4& parentWorld);

  Matrix4& local() { return m_xLocal; }
  const Matrix4& local() const { return m_xLocal; }
  Matrix4& world() { return m_xWorld; }
  const Matrix4& world() const { return m_xWorld; }

 protected:
  Matrix4 m_xLocal;
  Matrix4 m_xWorld;
};

class Node : public Named {
 public:
  using Visitor = void (*)(void* context, Node* node);

  // Takes ownership of pAttribute; with none, the node carries a plain attribute.
  explicit Node(const std::string& name, Attribute* pAttribute = nullptr);
  ~Node() override;
  Node(const Node&) = delete;
  Node& operator=(const Node&) = delete;

  Attribute* attrib() const { return m_pxAttrb.get(); }
  Node* parent() const { return m_pParent; }
  const std::vector<Node*>& children() const { return m_vChildren; }

  // Adopts pNode (renamed by the sibling rule) and returns it.
  Node* addChild(Node* pNode);
  // Deletes every child with its subtree.
  void deleteChildren();
  // The requested name, numbered " (n)" by how many of the parent's children
  // already bear it exactly.
  std::string uniqueName(const std::string& requested) const;
  // Pre-order search from this node; exact, case-sensitive.
  Node* find(const std::string& name);
  void evaluate(double time, const Matrix4& parentWorld);
  void traverse(void* context, Visitor callback);

  // Row 3 of the world matrix left by the last evaluation.
  Vector3 position() const;

 private:
  std::unique_ptr<Attribute> m_pxAttrb;
  Node* m_pParent = nullptr;
  std::vector<Node*> m_vChildren;  // owned; raw so callers see a stable list of nodes
};

class Root {
 public:
  Root();
  virtual ~Root();
  Root(const Root&) = delete;
  Root& operator=(const Root&) = delete;

  virtual const char* typeName() const { return "Root"; }
  virtual void setScale(const Vector3& factors);

  // Poses every node at time (seconds), starting from rootMatrix * scaleMatrix.
  void evaluate(double time);

  Node* top() const { return m_pRoot; }
  Matrix4& rootMatrix() { return m_xRootMatrix; }
  const Matrix4& rootMatrix() const { return m_xRootMatrix; }
  const Matrix4& scaleMatrix() const { return m_xScaleMatrix; }

 protected:
  Matrix4 m_xRootMatrix;
  Matrix4 m_xScaleMatrix;
  Node* m_pRoot = nullptr;  // owned
};

}  // namespace Secne
}  // namespace Kvat
