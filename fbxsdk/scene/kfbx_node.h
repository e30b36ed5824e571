#pragma once

#include <memory>
#include <vector>

#include "fbxsdk/core/ktime.h"
#include "fbxsdk/scene/kfbx_node_attribute.h"
#include "fbxsdk/scene/kfbx_node_properties.h"
#include "fbxsdk/scene/kfbx_take_node.h"
#include "fbxsdk/scene/kfbx_transform_state.h"

class KFbxNode;

// Keeps one component of a property equal to the default value of a curve
// of the node's "Default" take node.
class KFbxPropertyCurveLink : public KFCurveListener {
 public:
  KFbxPropertyCurveLink(KProperty& xProperty, int iComponent) : m_xProperty(xProperty), m_iComponent(iComponent) {}
  void CurveDefaultValueChanged(const KFCurve& xCurve) override;

 private:
  KProperty& m_xProperty;
  int m_iComponent;
};

// A model of the scene: a place in the hierarchy, an optional attribute,
// transform properties and, per take, a tree of curves that animates them.
// Its name carries the "Model::" prefix. Nodes are made and destroyed by the
// manager; the links between them are plain pointers.
class KFbxNode : public KFbxTakeNodeContainer {
 public:
  explicit KFbxNode(const char* pszName);
  ~KFbxNode() override;

  // AddChild walks the new parent's ancestors to refuse cycles: a parent
  // with this many ancestors gets no child, which bounds that walk (real
  // rigs are tens of joints deep). Trees joined from the bottom up can be
  // deeper; every walk over a tree uses an explicit stack.
  static constexpr int kMaxNodeDepth = 1024;

  // Hierarchy. AddChild appends, moving the child from any former parent;
  // it refuses null, the node itself, its ancestors, and any child when the
  // node has kMaxNodeDepth ancestors.
  KFbxNode* GetParent() const { return m_pxParent; }
  bool AddChild(KFbxNode* pxChild);
  bool RemoveChild(KFbxNode* pxChild);
  // Direct children; with bRecursive every descendant.
  int ChildCount(bool bRecursive = false) const;
  KFbxNode* Child(int iIndex) const;
  // The first child (depth first when recursive) whose name equals
  // "Model::" + the name without its own prefix, byte for byte. The node
  // itself is never a candidate.
  KFbxNode* FindDescendant(const char* pszName, bool bRecursive = true, bool bInitialName = false) const;

  // The attribute, or null. Setting one takes it from any node that carried
  // it and returns the attribute it replaced (now without node).
  KFbxNodeAttribute* Attribute() const { return m_pxAttribute; }
  KFbxNodeAttribute* SetAttribute(KFbxNodeAttribute* pxAttribute);

  KFbxNodeProperties& GetProperties() { return m_xProperties; }
  const KFbxNodeProperties& GetProperties() const { return m_xProperties; }
  // Adds a property; an animatable one also gets a curve node of its name in
  // the "Default" take node. Null when the name is taken.
  KProperty* AddDynamicProperty(const char* pszName, int iType, const KFbxDataType* pxDataType = nullptr,
                                int iFlags = 0);

  void SetInheritType(int iType) { m_xProperties.SetInheritType(iType); }
  int GetInheritType() const { return m_xProperties.GetInheritType(); }
  // Set by the reader for models stored before the current inherit rules.
  void SetOldModel(bool bOld) { m_bOldModel = bOld; }
  bool IsOldModel() const { return m_bOldModel; }
  // The pass run after a scene is read, over this node's subtree: an old
  // model with a skeleton attribute under a parent without one that has
  // inherit type 2 gets type 1.
  void FixOldModelInheritTypes();

  // Take selection first drops both evaluation caches.
  bool SetCurrentTakeNode(int iIndex) override;
  bool SetCurrentTakeNode(const char* pszName) override;

  // Local matrix at a time in the current take: scale, Euler XYZ rotation,
  // translation; the cache then holds the clamped T, R, S.
  const Matrix44& LocalTransformAt(KTime xTime);
  // The same from the default values of the "Default" take node's curves.
  const Matrix44& DefaultLocalTransform();
  // Global matrix at a time in the current take, parents first.
  const Matrix44& GlobalMatrixAt(KTime xTime);

  enum { eCURRENT_TAKE_CACHE = 0, eDEFAULT_TAKE_CACHE = 1 };
  const NodeEvaluationCache& GetEvaluationCache(int iIndex) const { return m_axCache[iIndex == 1 ? 1 : 0]; }

 protected:
  void BuildTakeNodeTree(KFCurveNode& xRoot) override;
  void TakeNodeRemoved() override { m_xLookup = TransformCurves(); }

 private:
  // The "T", "R" and "S" curve nodes of one take node, found afresh after a
  // take selection or removal on this node and whenever the curve-node
  // generation has moved on since (a node of the tree may be gone).
  struct TransformCurves {
    const TakeNode* m_pxTakeNode = nullptr;
    uint64_t m_uGeneration = 0;
    KFCurveNode* m_apxNodes[3] = {nullptr, nullptr, nullptr};
    // The X, Y, Z curves of each channel of the plain shape (see
    // kfbx_node_eval.cpp), read directly at every evaluation; null for a
    // channel of any other shape.
    KFCurve* m_apxPlain[3][3] = {};
  };

  void ResetCaches();
  bool GlobalCached(KTime xTime) const;
  void ComputeGlobal(KTime xTime);  // the parent's global matrix must be cached
  const TransformCurves& CurrentTransformCurves(TakeNode* pxTakeNode);
  void BuildLocal(NodeEvaluationCache& xCache, double* pdT, double* pdR, double* pdS);
  void ClampRotation(double* pdR) const;
  void LinkCurve(KFCurve& xCurve, KProperty& xProperty, int iComponent);

  KFbxNode* m_pxParent = nullptr;
  std::vector<KFbxNode*> m_xChildren;
  KFbxNodeAttribute* m_pxAttribute = nullptr;
  KFbxNodeProperties m_xProperties;
  bool m_bOldModel = false;
  std::vector<std::unique_ptr<KFbxPropertyCurveLink>> m_xCurveLinks;
  NodeEvaluationCache m_axCache[2];
  TransformCurves m_xLookup;
};
