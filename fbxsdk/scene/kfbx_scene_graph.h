#pragma once

#include <memory>
#include <unordered_set>
#include <vector>

#include "fbxsdk/core/kstring.h"
#include "fbxsdk/scene/kfbx_object.h"
#include "fbxsdk/scene/kfbx_take_record.h"

class KFbxNode;
class KFbxSceneInfo;
class KFbxTakeNodeContainer;

// A parent link of the file that the read did not make: a model linked to
// itself, to a second parent, or closing a cycle. The child then keeps its
// first parent, or stands at the top when the link was its only one.
struct KFbxDroppedLink {
  enum Kind { eSELF, eSECOND_PARENT, eCYCLE };
  Kind m_eKind;
  KString m_xChild;
  KString m_xParent;  // the parent the dropped link named
};

// A scene: its root node, the objects that carry takes, what is known of
// each take, the current take and optional scene information. The scene
// refers to its nodes and scene information; the manager owns them.
class KFbxSceneGraph : public KFbxObject {
 public:
  explicit KFbxSceneGraph(KFbxNode* pxRootNode, const char* pszName = "Scene");
  ~KFbxSceneGraph() override;

  KFbxNode* RootNode() const { return m_pxRootNode; }

  // Take-bearing objects other than the root node, in the order takes are
  // collected and selected. Adding one twice or null is refused.
  bool AddTakeObject(KFbxTakeNodeContainer* pxObject);
  bool RemoveTakeObject(KFbxTakeNodeContainer* pxObject);
  int GetTakeObjectCount() const { return static_cast<int>(m_xTakeObjects.size()); }
  KFbxTakeNodeContainer* GetTakeObject(int iIndex) const;

  // Take information, found by exact name.
  void AddTakeInfo(const KFbxTakeRecord& xRecord);
  int GetTakeInfoCount() const { return static_cast<int>(m_xTakeInfos.size()); }
  const KFbxTakeRecord* FindTakeInfo(const char* pszName) const;
  const KFbxTakeRecord* GetTakeInfo(int iIndex) const;

  // Every take-node name of the root node, then of each take-bearing
  // object, once each, in order of first appearance. The array is emptied
  // first.
  void CollectTakeNames(std::vector<std::unique_ptr<KString>>& xNames) const;
  // Makes the take current on the root node and every take-bearing object;
  // false (with the scene's error set) when some object lacks it, those
  // falling back to "Default".
  bool SelectTake(const char* pszName);
  const char* GetCurrentTakeName() const { return m_xCurrentTake.Buffer(); }
  // The take the file itself names current ("" when none), kept apart from
  // whatever take is made current later.
  void SetFileCurrentTakeName(const char* pszName) { m_xFileCurrentTake = pszName ? pszName : ""; }
  const char* GetFileCurrentTakeName() const { return m_xFileCurrentTake.Buffer(); }

  // Links a read dropped, in the order met; a file with more than
  // kMaxDroppedLinks keeps the first ones and counts the rest.
  static constexpr int kMaxDroppedLinks = 1000;
  void AddDroppedLink(const KFbxDroppedLink& xLink);
  const std::vector<KFbxDroppedLink>& GetDroppedLinks() const { return m_xDroppedLinks; }
  int GetDroppedLinkCount() const { return m_iDroppedLinks; }

  KFbxSceneInfo* GetSceneInfo() const { return m_pxSceneInfo; }
  void SetSceneInfo(KFbxSceneInfo* pxInfo) { m_pxSceneInfo = pxInfo; }

 private:
  friend class KFbxSdkManager;  // drops links to objects it destroys
  void Forget(const KFbxObject* pxObject);

  KFbxNode* m_pxRootNode;
  std::vector<KFbxTakeNodeContainer*> m_xTakeObjects;
  // The same objects, to refuse a second addition without a search: a read
  // adds every model it makes.
  std::unordered_set<const KFbxTakeNodeContainer*> m_xTakeObjectSet;
  std::vector<KFbxTakeRecord> m_xTakeInfos;
  KString m_xCurrentTake;
  KString m_xFileCurrentTake;
  KFbxSceneInfo* m_pxSceneInfo = nullptr;
  std::vector<KFbxDroppedLink> m_xDroppedLinks;
  int m_iDroppedLinks = 0;
};
