#pragma once

#include <memory>
#include <vector>

#include "fbxsdk/core/kstring.h"
#include "fbxsdk/core/ktime.h"
#include "fbxsdk/scene/kfbx_object.h"
#include "fbxsdk/scene/kfcurve_node.h"

// Name of the take node every animatable object starts with.
constexpr const char* kDefaultTakeNodeName = "Default";

// One named animation set of an object: a name and the root of its curve tree.
class TakeNode {
 public:
  TakeNode(const char* pszName, std::unique_ptr<KFCurveNode> pxRoot);
  ~TakeNode();
  TakeNode(const TakeNode&) = delete;
  TakeNode& operator=(const TakeNode&) = delete;

  // Deep copy of the curve tree under another name.
  std::unique_ptr<TakeNode> Clone(const char* pszName) const;

  const char* GetName() const { return m_xName.Buffer(); }
  void SetName(const char* pszName) { m_xName = pszName; }
  KFCurveNode* GetKFCurveNode() { return m_pxRoot.get(); }
  const KFCurveNode* GetKFCurveNode() const { return m_pxRoot.get(); }

 private:
  KString m_xName;
  std::unique_ptr<KFCurveNode> m_pxRoot;
};

// Ordered list of an object's take nodes, one of them current. Index 0 is the
// "Default" take node; it exists from construction on and is never removed.
// Failing operations record code 0 and a message in the object's error state.
class KFbxTakeNodeContainer : public KFbxObject {
 public:
  // Error messages, in the order of kTakeNodeErrorTexts.
  enum ETakeNodeError {
    eINDEX_OUT_OF_RANGE,
    eUNKNOWN_TAKE_NODE_NAME,
    eTAKE_NODE_DOES_NOT_EXIST,
    eCANNOT_REMOVE_DEFAULT_TAKE_NODE,
    eTAKE_NODE_ALREADY_EXISTS,
    eTAKE_NODE_ERROR_COUNT
  };
  static const char* ErrorText(ETakeNodeError eError);

  explicit KFbxTakeNodeContainer(const char* pszName = "", int iKind = eKFBX_KIND_NONE);
  ~KFbxTakeNodeContainer() override;
  KFbxTakeNodeContainer(const KFbxTakeNodeContainer&) = delete;
  KFbxTakeNodeContainer& operator=(const KFbxTakeNodeContainer&) = delete;

  // Out of range or unknown: records the error, makes index 0 current, false.
  virtual bool SetCurrentTakeNode(int iIndex);
  // Names are compared case-sensitively, in list order.
  virtual bool SetCurrentTakeNode(const char* pszName);
  TakeNode* GetCurrentTakeNode();
  int GetCurrentTakeNodeIndex() const { return m_iCurrentTakeNode; }

  TakeNode* GetTakeNode(int iIndex);
  const char* GetTakeNodeName(int iIndex);
  int GetTakeNodeCount() const { return static_cast<int>(m_xTakeNodes.size()); }

  // Appends a copy of the "Default" take node under a new name (or, without
  // one, a take node whose tree BuildTakeNodeTree makes).
  TakeNode* AddTakeNode(const char* pszName);
  // Index 0 cannot be removed. The take node that was current stays current;
  // when it is the one removed, the one before it becomes current.
  bool RemoveTakeNode(int iIndex);

  // The key range of the current take node, widening [xStart, xStop]; false
  // when the current take node has no tree or no key.
  bool GetAnimationInterval(KTime& xStart, KTime& xStop);

 protected:
  // Fills the curve tree of a take node made from nothing; the base builds an
  // empty tree. Objects with animatable properties build theirs.
  virtual void BuildTakeNodeTree(KFCurveNode& xRoot);
  // Called after a take node has been removed, so that objects which keep
  // pointers into take trees can drop them.
  virtual void TakeNodeRemoved() {}
  void Fail(ETakeNodeError eError);

 private:
  int FindTakeNode(const char* pszName) const;

  std::vector<std::unique_ptr<TakeNode>> m_xTakeNodes;
  int m_iCurrentTakeNode = -1;
};
