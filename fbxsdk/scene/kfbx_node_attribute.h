#pragma once

#include "fbxsdk/scene/kfbx_matrix.h"
#include "fbxsdk/scene/kfbx_object.h"

class KFbxNode;

// What a node is: a null, a marker, a skeleton joint, a mesh. An attribute
// belongs to at most one node at a time; the manager creates and destroys it.
class KFbxNodeAttribute : public KFbxObject {
 public:
  enum EAttributeType { eUNIDENTIFIED = 0, eNULL = 1, eMARKER = 2, eSKELETON = 3, eMESH = 4 };

  explicit KFbxNodeAttribute(const char* pszName) : KFbxObject(pszName, eKFBX_KIND_NONE) {}

  virtual EAttributeType AttributeType() const = 0;

  // The node carrying this attribute, or null.
  KFbxNode* GetNode() const { return m_pxNode; }

 private:
  friend class KFbxNode;  // keeps the back link in step with the node's link
  KFbxNode* m_pxNode = nullptr;
};

class KFbxNull : public KFbxNodeAttribute {
 public:
  using KFbxNodeAttribute::KFbxNodeAttribute;
  EAttributeType AttributeType() const override { return eNULL; }
  double m_dSize = 100.0;
};

class KFbxMarker : public KFbxNodeAttribute {
 public:
  // From the model types "Marker", "OpticalMarker", "IKEffector", "FKEffector".
  enum EMarkerKind { eSTANDARD = 0, eOPTICAL = 1, eIK_EFFECTOR = 2, eFK_EFFECTOR = 3 };

  KFbxMarker(const char* pszName, int iKind) : KFbxNodeAttribute(pszName), m_iMarkerKind(iKind) {}
  EAttributeType AttributeType() const override { return eMARKER; }
  int GetMarkerKind() const { return m_iMarkerKind; }

 private:
  int m_iMarkerKind;
};

class KFbxSkeleton : public KFbxNodeAttribute {
 public:
  // From the model types "Root", "Limb", "LimbNode", "Effector".
  enum ESkeletonKind { eROOT = 0, eLIMB = 1, eLIMB_NODE = 2, eEFFECTOR = 3 };

  KFbxSkeleton(const char* pszName, int iKind) : KFbxNodeAttribute(pszName), m_iSkeletonKind(iKind) {}
  EAttributeType AttributeType() const override { return eSKELETON; }
  int GetSkeletonKind() const { return m_iSkeletonKind; }

  // Display values the reader fills from the model's block.
  double m_dSize = 100.0;
  double m_dLimbLength = 1.0;
  KgeTVector m_xColor{0.8, 0.8, 0.8};

 private:
  int m_iSkeletonKind;
};

// A model without a type; its geometry is read into it by later stages.
class KFbxMesh : public KFbxNodeAttribute {
 public:
  using KFbxNodeAttribute::KFbxNodeAttribute;
  EAttributeType AttributeType() const override { return eMESH; }
};
