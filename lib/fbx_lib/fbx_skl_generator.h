#pragma once
// A skeleton of the scene graph over an imported FBX scene. The scene stays
// alive inside the root; every joint follows one FBX node and asks it for its
// global matrix whenever the skeleton is posed.

#include <memory>
#include <string>
#include <vector>

#include "fbxsdk/core/kstring.h"
#include "kv_node.h"

class KFbxImporter;
class KFbxNode;
class KFbxSceneGraph;
class KFbxSdkManager;

namespace Kvat {
namespace Secne {

// Joints deeper than this below the skeleton's first joint are not built:
// the scene graph poses and releases its trees recursively, and no real rig
// comes near it.
constexpr int kMaxFbxJointDepth = 1000;

// A joint bound to an FBX node. Its local matrix is an adjustment applied
// after the node's global matrix (the root's display scale); the parent's
// world matrix plays no part.
class FbxAttribute : public Attribute {
 public:
  explicit FbxAttribute(KFbxNode* pkFbxNode);

  // world = the FBX node's global matrix at the time (seconds) * local.
  Matrix4 evaluateWorld(double time, const Matrix4& parentWorld) override;

  KFbxNode* fbxNode() const { return m_pkFbxNode; }

 private:
  KFbxNode* m_pkFbxNode;  // owned by the root's scene
};

class FbxRoot : public Root {
 public:
  // How the load went; the module ignores it, the command line explains it.
  enum class Outcome {
    kSkeleton,        // a skeleton was built
    kNoScene,         // the library could not make a scene or an importer
    kOpenFailed,      // the importer could not open the file
    kImportFailed,    // the file could not be read into the scene
    kNoTakes,         // the scene holds no take names
    kNoSkeletonNode,  // no node of the scene is a skeleton joint
    kNoHips,          // no "Hips" below a top-level node
  };

  FbxRoot();
  ~FbxRoot() override;

  // Stores diag(factors) as the local matrix of every node's attribute; the
  // root's own scale matrix stays as it is.
  void setScale(const Vector3& factors) override;

  // Reads the initialised importer's file into the scene, chooses the take,
  // finds "Hips" and builds the skeleton under the top node. False when the
  // import fails, there are no takes or no skeleton joint; true otherwise,
  // also when no "Hips" was found.
  bool importScene(KFbxImporter* pxImporter);
  // What importScene does once the file is in the scene: the take choice,
  // the skeleton test and the build. Same result.
  bool adoptImportedScene();

  static bool hasSkeleton(KFbxNode* pkNode);
  static bool sceneHasSkeleton(KFbxSceneGraph* pkScene);
  // Where the skeleton starts: the first node named like baseName (with the
  // namespace of its top-level node) below a top-level node; null when none.
  KFbxNode* findSkeletonRoot(const char* baseName) const;
  // Builds the FBX subtree from pkFbxNode as joints under parent.
  void buildNode(KFbxNode* pkFbxNode, Node* parent);
  // The skeleton rebuilt from pkStart instead of where the "Hips" search
  // started it: the command line's choice for rigs that search misses.
  // False (nothing changed) without a node or a scene.
  bool startSkeletonAt(KFbxNode* pkStart);

  KFbxSdkManager* manager() const { return m_pkFbxSdkManager.get(); }
  KFbxSceneGraph* scene() const { return m_pkFbxScene; }
  const std::vector<std::unique_ptr<KString>>& takeNames() const { return m_takeNames; }
  int takeIndex() const { return m_takeIndex; }
  // The current take's name, or "" when no take was chosen.
  std::string currentTakeName() const;

  Outcome outcome() const { return m_eOutcome; }
  // False when the file could not be opened or read into the scene at all.
  bool fileRead() const {
    return m_eOutcome != Outcome::kNoScene && m_eOutcome != Outcome::kOpenFailed &&
           m_eOutcome != Outcome::kImportFailed;
  }
  // The importer's own message when opening or reading failed.
  const std::string& importMessage() const { return m_sImportMessage; }
  // FBX nodes left out because they lie deeper than kMaxFbxJointDepth.
  int skippedJoints() const { return m_iSkippedJoints; }

 private:
  friend FbxRoot* createFbxRoot(const char* fileName);

  void teardown();
  void noteImportFailure(Outcome outcome, KFbxImporter* pxImporter);

  std::unique_ptr<KFbxSdkManager> m_pkFbxSdkManager;
  KFbxSceneGraph* m_pkFbxScene = nullptr;  // owned through the manager
  std::vector<std::unique_ptr<KString>> m_takeNames;
  int m_takeIndex = 0;

  Outcome m_eOutcome = Outcome::kNoScene;
  std::string m_sImportMessage;
  int m_iSkippedJoints = 0;
};

// Loads any file the FBX importer reads. Null only when the library's
// manager cannot be made; any other failure returns a root that holds only
// its "Root" node (outcome() says why). Never throws.
FbxRoot* createFbxRoot(const char* fileName);

// The importer's format code for a file name: 5 for "obj", 4 for "3ds", 3 for
// "dxf" (any case, the text after the last "."), 0 (FBX) for anything else.
int formatFromExtension(const char* fileName);

}  // namespace Secne
}  // namespace Kvat
