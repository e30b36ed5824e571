#pragma once

#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "fbxsdk/core/kstring.h"
#include "fbxsdk/fileio/kfbx.h"

class KFbxImporter;
class KFbxNode;
class KFbxSceneGraph;
class KFbxSdkManager;
class KFbxSkeleton;
class KFCurveNode;
class KProperty;
class KStreamOptionsFbx;
struct KFbxTakeRecord;

// Limits a hostile file can reach, each with its reason.
// Evaluation walks a node's parents by recursion; real rigs are far shallower.
constexpr int kKFbxMaxNodeDepth = 1024;
// Every model becomes a node of a few kilobytes; scenes this library reads
// hold hundreds of models.
constexpr int kKFbxMaxModels = 16384;
// A model's own properties number about seventy; a few hundred user
// properties is already a very rich model.
constexpr int kKFbxMaxDynamicProperties = 1024;
// Channel trees are three levels deep for transforms ("Transform", "T",
// "X"); anything near this bound is not animation.
constexpr int kKFbxMaxChannelDepth = 32;
// Each take copies the curve tree of every model it names.
constexpr int kKFbxMaxTakes = 1024;
// Take nodes made in one read, over all takes and models together.
constexpr int kKFbxMaxTakeNodes = 65536;

// One read of an FBX file into a scene: the walk over the file's top-level
// fields through the container. Used by KFbxReaderFbx only.
class KFbxSceneWalk {
 public:
  KFbxSceneWalk(KFbx& xFbx, KFbxSdkManager& xManager, KFbxImporter* pxImporter, KFbxSceneGraph& xScene,
                KStreamOptionsFbx& xOptions);

  // False with the failure in GetFailure() (a reader code and a message).
  bool Run();
  int GetFailureCode() const { return m_iFailureCode; }
  const KString& GetFailure() const { return m_xFailure; }

  // Older generation: major below 5, 5 with minor below 8, or exactly 5800
  // without top-level "Definitions".
  static bool IsOlderGeneration(int iVersion, bool bHasDefinitions);

 private:
  struct Model {
    KFbxNode* m_pxNode = nullptr;
    std::vector<std::string> m_xChildren;  // older generation: "Children" names
    int m_iParent = -1;                    // index into m_xModels, -1 none
  };

  bool Fail(int iCode, const KString& xMessage);
  void Progress(const KString& xText);

  // Objects and models (kfbx_scene_walk.cpp).
  void ReadDefinitions();
  bool ReadObjects();
  bool ReadOlderModels();
  bool AddModel(const KString& xName, const KString& xSubtype);
  void ReadSceneInfo();
  void ReadConnections();
  void Connect(const std::string& xChild, const std::string& xParent);
  bool BuildHierarchy();
  int Depth(int iModel, std::vector<int>& xDepth);
  void IndexNodes();

  // A model's block (kfbx_model_walk.cpp).
  void ReadModelBlock(Model& xModel, const KString& xSubtype, bool bBlock);
  void SyncDefaultCurves(KFbxNode& xNode);
  void ReadAttribute(KFbxNode& xNode, const KString& xType, bool bHasProperties);
  void ReadSkeletonSizes(KFbxNode& xNode, KFbxSkeleton& xSkeleton, bool bHasProperties);
  void ReadProperties60(KFbxNode& xNode);
  void ReadVersionedProperties(KFbxNode& xNode);
  void ReadProperty(KFbxNode& xNode, int& iDynamicCount);
  void ReadValue(KProperty& xProperty, int iType);

  // Takes (kfbx_take_walk.cpp).
  bool ReadTakes();
  bool ReadTake(const KString& xName, KFbxTakeRecord& xRecord);
  bool ReadTakeObjects(KFbx& xFbx, const KString& xTake, std::unordered_set<KFbxNode*>& xFilled);
  bool AddTakeNode(KFbxNode& xNode, const KString& xTake, std::unordered_set<KFbxNode*>& xFilled);
  bool ReadChannels(KFbx& xFbx, KFCurveNode& xRoot);

  KFbx& m_xFbx;
  KFbxSdkManager& m_xManager;
  KFbxImporter* m_pxImporter;
  KFbxSceneGraph& m_xScene;
  KStreamOptionsFbx& m_xOptions;
  int m_iFailureCode = 0;
  KString m_xFailure;

  std::unordered_set<std::string> m_xObjectTypes;  // from "Definitions"
  std::vector<Model> m_xModels;
  std::unordered_map<std::string, int> m_xModelIndex;         // first model of each name
  std::unordered_set<std::string> m_xOtherObjects;            // named objects that are not models
  std::vector<std::pair<int, int>> m_xLinks;                  // child, parent, in the order made
  std::unordered_map<std::string, KFbxNode*> m_xNodesByName;  // as FindDescendant finds them
  int m_iTakeNodes = 0;
  KString m_xCurrentTake;  // selected after the read when the scene has it
};

// The kind of attribute a model type gives, and its variant.
struct KFbxModelKind {
  const char* m_pszType;
  int m_iAttribute;  // KFbxNodeAttribute::EAttributeType, 0 for attributes this library lacks
  int m_iVariant;    // marker or skeleton kind
};
// The entry of a model type (exact comparison), null for a type not in the table.
const KFbxModelKind* KFbxFindModelKind(const char* pszType);

// A take's "Comments", "LocalTime" and "ReferenceTime" from the current list.
void KFbxReadTakeRecordFields(KFbx& xFbx, KFbxTakeRecord& xRecord);

// Opens a take file named relative to the main file's folder, read-only,
// when it is a regular file that starts like an FBX file; false otherwise.
bool KFbxOpenTakeFile(const KFbx& xMain, KFbx& xTakeFile, const KString& xFileName, const KString& xPassword);

// Base type code of an animatable property's data type name.
int KFbxDataTypeBaseType(const char* pszDataType);
