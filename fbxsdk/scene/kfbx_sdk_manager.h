#pragma once

#include <array>
#include <new>
#include <utility>
#include <vector>

#include "fbxsdk/core/kerror.h"
#include "fbxsdk/scene/kfbx_object.h"

class KFbxImporter;
class KFbxMarker;
class KFbxMesh;
class KFbxNode;
class KFbxNodeAttribute;
class KFbxNull;
class KFbxSceneGraph;
class KFbxSceneInfo;
class KFbxSkeleton;

// Creates, records and destroys the library's objects, one list per kind.
// Whatever is still recorded when the manager is deleted is deleted with it.
// Destroying an object the manager does not hold fails with code 0.
class KFbxSdkManager {
 public:
  // One list per kind of object the manager makes.
  enum EObjectList {
    eLIST_IMPORTER,
    eLIST_EXPORTER,
    eLIST_STREAM_OPTIONS,
    eLIST_SCENE,
    eLIST_NODE,
    eLIST_NODE_ATTRIBUTE,
    eLIST_SCENE_INFO,
    eLIST_GEOMETRY,
    eLIST_MATERIAL,
    eLIST_TEXTURE,
    eLIST_VIDEO,
    eLIST_DEFORMER,
    eLIST_POSE,
    eLIST_GENERIC_NODE,
    eLIST_CHARACTER,
    eLIST_CONSTRAINT,
    eLIST_CONTROL_SET_PLUG,
    eLIST_COUNT
  };

  enum EError { eOBJECT_NOT_FOUND = 0, eERROR_1 = 1, eERROR_COUNT };

  KFbxSdkManager();
  ~KFbxSdkManager();
  KFbxSdkManager(const KFbxSdkManager&) = delete;
  KFbxSdkManager& operator=(const KFbxSdkManager&) = delete;

  // A new scene with an empty root node; null when it cannot be made.
  KFbxSceneGraph* CreateScene(const char* pszName = "Scene");
  // Deletes the scene; with bNodeTree also its root node and all below it.
  bool DestroyScene(KFbxSceneGraph* pxScene, bool bNodeTree);

  // A node named "Model::" + the name without its own prefix.
  KFbxNode* CreateNode(const char* pszName);
  // Unlinks the node from its parent and scenes and destroys its attribute;
  // bRecursive destroys the children too, otherwise they lose their parent.
  bool DestroyNode(KFbxNode* pxNode, bool bRecursive = false);

  KFbxNull* CreateNull(const char* pszName);
  KFbxMarker* CreateMarker(const char* pszName, int iMarkerKind);
  KFbxSkeleton* CreateSkeleton(const char* pszName, int iSkeletonKind);
  KFbxMesh* CreateMesh(const char* pszName);
  // Takes the attribute off its node first.
  bool DestroyNodeAttribute(KFbxNodeAttribute* pxAttribute);

  // A new importer; null when it cannot be made. Destroying it deletes its
  // reader and whatever it kept.
  KFbxImporter* CreateImporter();
  bool DestroyImporter(KFbxImporter* pxImporter);

  KFbxSceneInfo* CreateSceneInfo(const char* pszName = "SceneInfo");
  bool DestroySceneInfo(KFbxSceneInfo* pxInfo);

  // Generic creation for the other kinds (importers and the like): makes a
  // T from the arguments and records it in the list; null on failure.
  template <class T, class... Args>
  T* CreateObject(EObjectList eList, Args&&... xArgs) {
    try {
      // Room for the entry before the object exists, so that recording it
      // cannot fail; grown geometrically, as one slot at a time would copy
      // the whole list on every creation.
      std::vector<KFbxObject*>& xList = m_axLists[eList];
      if (xList.size() == xList.capacity()) xList.reserve(xList.size() < 16 ? 16 : xList.size() * 2);
      T* pxObject = new T(std::forward<Args>(xArgs)...);
      xList.push_back(pxObject);
      return pxObject;
    } catch (const std::bad_alloc&) {
      return nullptr;  // no memory for the object or its parts
    }
  }
  // Destroys an object of any list: scenes, nodes and node attributes as
  // DestroyScene (without node tree), DestroyNode and DestroyNodeAttribute
  // do; any other object leaves every scene's lists first.
  bool DestroyObject(EObjectList eList, KFbxObject* pxObject);

  bool Holds(EObjectList eList, const KFbxObject* pxObject) const;
  int GetObjectCount(EObjectList eList) const { return static_cast<int>(m_axLists[eList].size()); }
  KFbxObject* GetObject(EObjectList eList, int iIndex) const;

  KErrorState& GetError() { return m_xError; }
  const KErrorState& GetError() const { return m_xError; }

 private:
  bool Unrecord(EObjectList eList, KFbxObject* pxObject);
  // Unrecords the object, drops it from every scene and deletes it.
  bool DeleteRecorded(EObjectList eList, KFbxObject* pxObject);
  bool NotFound();

  std::array<std::vector<KFbxObject*>, eLIST_COUNT> m_axLists;
  KErrorState m_xError;
};
