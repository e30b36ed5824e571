#pragma once
// Inside the 7.x reader: one read of a parsed document into a scene. The
// objects are indexed by id, the connections by child and by parent; then
// models become nodes (kfbx7_models.cpp) and stacks takes
// (kfbx7_animation.cpp).

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "fbxsdk/fileio7/kfbx7_document.h"
#include "fbxsdk/fileio7/kfbx7_reader.h"

class KFbxNode;
class KFCurve;
class KFbxSceneGraph;
class KFbxSdkManager;

class KFbx7SceneRead {
 public:
  KFbx7SceneRead(const KFbx7Document& xDocument, KFbxSdkManager& xManager, KFbxSceneGraph& xScene, KFbx7FileInfo& xInfo)
      : m_xDoc(xDocument), m_xManager(xManager), m_xScene(xScene), m_xInfo(xInfo) {}

  // False with the reason in xWhy.
  bool Run(std::string& xWhy);

 private:
  struct Object {
    int m_iRecord;
    int64_t m_llId;
    std::string_view m_xClass;  // the record's name: "Model", "AnimationCurve"...
    std::string m_xName;        // "Class::Name"
    std::string_view m_xSubtype;
  };
  // One connection seen from one end: the object at the other end, and the
  // property named when the connection is "OP".
  struct Link {
    int64_t m_llOther;
    std::string_view m_xProperty;
    bool m_bProperty;
  };

  bool IndexObjects(std::string& xWhy);
  bool IndexConnections(std::string& xWhy);
  const Object* Find(int64_t llId) const;
  const std::vector<Link>& Parents(int64_t llId) const;
  const std::vector<Link>& Children(int64_t llId) const;
  // Numbers of a record's first value, or of its child record pszName.
  double ChildNumber(int iRecord, const char* pszName, double dDefault) const;
  void ReadGlobalSettings();

  // kfbx7_models.cpp
  bool ReadModels(std::string& xWhy);
  void ReadProperties70(int iRecord, KFbxNode& xNode);
  void SetAttribute(const Object& xModel, KFbxNode& xNode);
  bool BuildHierarchy(std::string& xWhy);

  // kfbx7_animation.cpp
  bool ReadStacks(std::string& xWhy);
  bool ReadLayer(const std::string& xTake, int64_t llLayer, std::string& xWhy);
  bool CurveNodeTarget(int64_t llCurveNode, KFbxNode*& pxNode, std::string_view& xProperty, std::string& xWhy) const;
  bool ReadCurve(const Object& xCurve, KFCurve& xOut, std::string& xWhy) const;

  const KFbx7Document& m_xDoc;
  KFbxSdkManager& m_xManager;
  KFbxSceneGraph& m_xScene;
  KFbx7FileInfo& m_xInfo;
  std::vector<Object> m_xObjects;
  std::unordered_map<int64_t, size_t> m_xById;
  std::unordered_map<int64_t, std::vector<Link>> m_xParents, m_xChildren;
  const std::vector<Link> m_xNoLinks;
  // "OO" connections in file order: child, parent.
  std::vector<std::pair<int64_t, int64_t>> m_xObjectLinks;
  std::vector<int64_t> m_xModelIds;  // in file order
  std::unordered_map<int64_t, KFbxNode*> m_xNodes;
  int m_iTakeNodes = 0;
  // A curve's key arrays, kept from curve to curve (their memory reused).
  struct KeyArrays {
    std::vector<int64_t> m_xTimes;
    std::vector<float> m_xValues;
    std::vector<int32_t> m_xFlags, m_xRuns;
    std::vector<uint32_t> m_xData;
  };
  mutable KeyArrays m_xKeys;
};

// "Class::Name" of an object-name value: binary files store name, 0, 1,
// class; ASCII files the text.
std::string KFbx7ObjectName(std::string_view xStored);
// The part after "Class::", or the whole name without one.
std::string_view KFbx7BareName(std::string_view xName);
