#include "fbx_scene_writer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "fbxsdk/scene/kfbx_node.h"
#include "fbxsdk/scene/kfbx_scene_graph.h"
#include "fbxsdk/scene/kfbx_sdk_manager.h"
#include "test_tmpdir.h"

namespace {

KTime Seconds(double dSeconds) { return KTime::FromSeconds(dSeconds); }

KFCurve& Curve(KFbxNode& xNode, const char* pszTake, const char* pszChannel, int iAxis) {
  for (int i = 0; i < xNode.GetTakeNodeCount(); ++i)
    if (std::strcmp(xNode.GetTakeNodeName(i), pszTake) == 0) {
      KFCurveNode* pxChannel = xNode.GetTakeNode(i)->GetKFCurveNode()->Find(pszChannel);
      return *pxChannel->Get(iAxis)->FCurveGet();
    }
  // Every scene this writer builds has the take asked for: a miss is a
  // broken test, reported, with a curve of its own to write into.
  ADD_FAILURE() << "no take node " << pszTake;
  static KFCurve xMissing;
  return xMissing;
}

// Two keys with an interpolation (and tangent mode for cubic keys).
void TwoKeys(KFCurve& xCurve, double dT0, float fV0, double dT1, float fV1, uint32_t uInterpolation,
             uint32_t uTangent = 0) {
  xCurve.KeyClear();
  for (const auto& xKey : {std::make_pair(dT0, fV0), std::make_pair(dT1, fV1)}) {
    const int i = xCurve.KeyAppend(Seconds(xKey.first), xKey.second);
    xCurve.KeySetInterpolation(i, uInterpolation);
    if (uTangent) xCurve.KeySetTangentMode(i, uTangent);
  }
}

KFbxNode* Joint(KFbxSdkManager& xManager, KFbxNode& xParent, const char* pszName, int iKind) {
  KFbxNode* pxNode = xManager.CreateNode(pszName);
  pxNode->SetAttribute(xManager.CreateSkeleton(pszName, iKind));
  xParent.AddChild(pxNode);
  return pxNode;
}

void SetVector(KFbxNode& xNode, const char* pszProperty, double dX, double dY, double dZ) {
  KProperty* pxProperty = xNode.GetProperties().Find(pszProperty);
  for (int i = 0; i < 3; ++i) pxProperty->SetComponent(i, i == 0 ? dX : i == 1 ? dY : dZ);
}

void AnimateWalk(KFbxNode& xHips, KFbxNode& xSpine, KFbxNode& xUpLeg, KFbxNode& xLeg) {
  KFCurve& xHipsTX = Curve(xHips, "Walk", "T", 0);  // linear, repeated after the last key
  TwoKeys(xHipsTX, 0, 0, 1, 10, KFCURVE_INTERPOLATION_LINEAR);
  xHipsTX.SetPostExtrapolation(KFCURVE_EXTRAPOLATION_REPETITION);
  xHipsTX.SetPostExtrapolationCount(-1);
  TwoKeys(Curve(xHips, "Walk", "T", 1), 0, 2, 1, 4, KFCURVE_INTERPOLATION_CONSTANT);
  KFCurve& xHipsRZ = Curve(xHips, "Walk", "R", 2);  // ease: user slopes 0
  TwoKeys(xHipsRZ, 0, 0, 1, 90, KFCURVE_INTERPOLATION_CUBIC, KFCURVE_TANGEANT_USER);
  for (int i = 0; i < 2; ++i)
    for (int d = 0; d < 2; ++d) xHipsRZ.KeySetDataFloat(i, d, 0.0f);
  KFCurve& xSpineRX = Curve(xSpine, "Walk", "R", 0);  // linear, mirrored after the last key
  TwoKeys(xSpineRX, 0, 0, 1, 30, KFCURVE_INTERPOLATION_LINEAR);
  xSpineRX.SetPostExtrapolation(KFCURVE_EXTRAPOLATION_MIRROR_REPETITION);
  xSpineRX.SetPostExtrapolationCount(-1);
  KFCurve& xUpLegSX = Curve(xUpLeg, "Walk", "S", 0);  // linear, slope kept after the last key
  TwoKeys(xUpLegSX, 0, 1, 1, 2, KFCURVE_INTERPOLATION_LINEAR);
  xUpLegSX.SetPostExtrapolation(KFCURVE_EXTRAPOLATION_KEEP_SLOPE);
  xUpLegSX.SetPostExtrapolationCount(-1);
  KFCurve& xUpLegRY = Curve(xUpLeg, "Walk", "R", 1);  // three auto keys, then a TCB key
  xUpLegRY.KeyClear();
  const float afValues[] = {10, 20, 15, 5};
  for (int i = 0; i < 4; ++i) {
    xUpLegRY.KeyAppend(Seconds(0.5 * i), afValues[i]);
    xUpLegRY.KeySetInterpolation(i, KFCURVE_INTERPOLATION_CUBIC);
    xUpLegRY.KeySetTangentMode(i, i == 3 ? KFCURVE_TANGEANT_TCB : KFCURVE_TANGEANT_AUTO);
  }
  xUpLegRY.SetPreExtrapolation(KFCURVE_EXTRAPOLATION_CONST);
  KFCurve& xLegRZ = Curve(xLeg, "Walk", "R", 2);  // constant key taking the next key's value
  TwoKeys(xLegRZ, 0, 5, 1, 25, KFCURVE_INTERPOLATION_CONSTANT);
  xLegRZ.KeySetConstantMode(0, KFCURVE_CONSTANT_NEXT);
}

}  // namespace

const std::string& TestFolder() {
  static const std::string s_xFolder = [] {
    std::string xFolder = boneplay_test::TempFolder();
    if (!xFolder.empty() && xFolder.back() == '/') xFolder.pop_back();
    return xFolder;
  }();
  return s_xFolder;
}

KFbxSceneGraph* BuildSkeletonScene(KFbxSdkManager& xManager) {
  KFbxSceneGraph* pxScene = xManager.CreateScene();
  KFbxNode* pxReference = xManager.CreateNode("Reference");
  pxReference->SetAttribute(xManager.CreateNull("Reference"));
  pxScene->RootNode()->AddChild(pxReference);
  KFbxNode* pxHips = Joint(xManager, *pxReference, "Hips", KFbxSkeleton::eROOT);
  KFbxNode* pxSpine = Joint(xManager, *pxHips, "Spine", KFbxSkeleton::eLIMB_NODE);
  KFbxNode* pxUpLeg = Joint(xManager, *pxHips, "LeftUpLeg", KFbxSkeleton::eLIMB_NODE);
  KFbxNode* pxLeg = Joint(xManager, *pxUpLeg, "LeftLeg", KFbxSkeleton::eLIMB);
  for (KFbxNode* pxNode : {pxReference, pxHips, pxSpine, pxUpLeg, pxLeg}) pxScene->AddTakeObject(pxNode);

  pxHips->SetOldModel(true);
  pxHips->SetInheritType(eINHERIT_Rrs);  // an old joint under a null: read back as type 1
  SetVector(*pxHips, "RotationOffset", 0.5, 0, 0);
  SetVector(*pxHips, "RotationPivot", 0, 1, 0);
  SetVector(*pxHips, "PreRotation", 0, 0, 90);
  SetVector(*pxHips, "PostRotation", 10, 0, 0);
  pxHips->GetProperties().Find("RotationActive")->SetComponent(0, 1);
  SetVector(*pxHips, "Lcl Translation", 0, 90, 0);
  SetVector(*pxSpine, "Lcl Translation", 0, 10, 0);
  SetVector(*pxSpine, "ScalingPivot", 0, 1, 0);
  SetVector(*pxSpine, "Lcl Scaling", 1.5, 1.5, 1.5);
  pxSpine->SetInheritType(eINHERIT_RSrs);
  SetVector(*pxUpLeg, "Lcl Translation", 8, -5, 0);
  pxUpLeg->SetInheritType(eINHERIT_RSrs);
  SetVector(*pxLeg, "Lcl Translation", 0, -40, 0);
  SetVector(*pxLeg, "Lcl Rotation", 0, 30, 0);
  pxLeg->SetInheritType(eINHERIT_RrSs);
  for (KFbxNode* pxNode : {pxReference, pxHips, pxSpine, pxUpLeg, pxLeg}) {
    pxNode->GetProperties().SyncEvaluationState();
    for (const char* pszChannel : {"Lcl Translation", "Lcl Rotation", "Lcl Scaling"}) {
      const char* pszLetter = pszChannel[4] == 'T' ? "T" : pszChannel[4] == 'R' ? "R" : "S";
      KProperty* pxProperty = pxNode->GetProperties().Find(pszChannel);
      for (int i = 0; i < 3; ++i)
        Curve(*pxNode, "Default", pszLetter, i).SetValue(static_cast<float>(pxProperty->GetComponent(i)));
    }
    pxNode->AddTakeNode("Walk");
    pxNode->AddTakeNode("Run");
  }
  pxScene->RootNode()->AddTakeNode("Walk");
  pxScene->RootNode()->AddTakeNode("Run");
  AnimateWalk(*pxHips, *pxSpine, *pxUpLeg, *pxLeg);
  TwoKeys(Curve(*pxHips, "Run", "T", 2), 0, 0, 2, 20, KFCURVE_INTERPOLATION_LINEAR);
  KFbxTakeRecord xWalk("Walk"), xRun("Run");
  xWalk.m_xDescription = "a walk";
  xWalk.m_xLocalTimeSpan = KTimeSpan(Seconds(0), Seconds(1));
  xRun.m_xLocalTimeSpan = KTimeSpan(Seconds(0), Seconds(2));
  xRun.m_xReferenceTimeSpan = KTimeSpan(Seconds(0), Seconds(2));
  pxScene->AddTakeInfo(xWalk);
  pxScene->AddTakeInfo(xRun);
  pxScene->SelectTake("Walk");
  return pxScene;
}

std::string WriteScene(KFbxSceneGraph& xScene, const SceneForm& xForm, const std::string& xName, std::string* pxError) {
  KFbxSceneFieldsOptions xOptions;
  xOptions.m_iVersion = xForm.m_iVersion;
  xOptions.m_bTypeField = xForm.m_bTypeField;
  // A take file is named relative to the folder of its main file.
  const std::string xFolder = xName.substr(0, xName.find_last_of('/') + 1);
  if (xForm.m_bRunInTakeFile) xOptions.m_xTakeFiles.emplace_back("Run", xName.substr(xFolder.size()) + "_Run.tak");
  const KFbxSceneFields xFields = KFbxSceneToFields(xScene, xOptions);
  KFbxWriteOptions xWrite;
  xWrite.m_bBinary = xForm.m_bBinary;
  xWrite.m_bBigEndian = xForm.m_bBigEndian;
  xWrite.m_iHeaderVersion = xForm.m_iHeaderVersion;
  const std::string xPath = TestFolder() + "/" + xName + ".fbx";
  if (!KFbxWriteFile(xPath.c_str(), {xFields.m_xMain}, xWrite, pxError)) return "";
  for (const auto& xTake : xFields.m_xTakeFiles)
    if (!KFbxWriteFile((TestFolder() + "/" + xFolder + xTake.first).c_str(), {xTake.second}, xWrite, pxError))
      return "";
  return xPath;
}

namespace {

// Column-vector 4x4 arithmetic of the expected values, kept apart from the
// library's own.
struct Col {
  double m[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
};

Col operator*(const Col& xA, const Col& xB) {
  Col xOut;
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) {
      double d = 0;
      for (int k = 0; k < 4; ++k) d += xA.m[r][k] * xB.m[k][c];
      xOut.m[r][c] = d;
    }
  return xOut;
}

Col Move(double dX, double dY, double dZ) {
  Col xM;
  xM.m[0][3] = dX;
  xM.m[1][3] = dY;
  xM.m[2][3] = dZ;
  return xM;
}

Col Scale(double dX, double dY, double dZ) {
  Col xM;
  xM.m[0][0] = dX;
  xM.m[1][1] = dY;
  xM.m[2][2] = dZ;
  return xM;
}

Col Turn(int iAxis, double dDegrees) {
  const double a = dDegrees * M_PI / 180.0, c = std::cos(a), s = std::sin(a);
  const int j = (iAxis + 1) % 3, k = (iAxis + 2) % 3;
  Col xM;
  xM.m[j][j] = c;
  xM.m[j][k] = -s;
  xM.m[k][j] = s;
  xM.m[k][k] = c;
  return xM;
}

// X applied first, then Y, then Z.
Col Euler(double dX, double dY, double dZ) { return Turn(2, dZ) * Turn(1, dY) * Turn(0, dX); }

Col Transposed3(Col xM) {
  Col xOut = xM;
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) xOut.m[r][c] = xM.m[c][r];
  return xOut;
}

double Ease(double dFrom, double dTo, double dU) { return dFrom + (dTo - dFrom) * (3 * dU * dU - 2 * dU * dU * dU); }

struct Pose {
  double t[3], r[3], s[3];
};

// The channel values of each joint, from the keys BuildSkeletonScene sets.
Pose PoseOf(const std::string& xNode, bool bWalk, double dT) {
  const double dFrac = dT - std::floor(dT);
  if (xNode == "Hips") {
    if (!bWalk) return {{0, 90, dT >= 2 ? 20 : 10 * dT}, {0, 0, 0}, {1, 1, 1}};
    const double dX = dT >= 1 && dFrac == 0 ? 10 : 10 * dFrac;
    return {{dX, dT < 1 ? 2.0 : 4.0, 0}, {0, 0, dT >= 1 ? 90 : Ease(0, 90, dT)}, {1, 1, 1}};
  }
  if (xNode == "Spine") {
    const double dX = !bWalk ? 0 : dT <= 1 ? 30 * dT : 30 * (2 - dT);
    return {{0, 10, 0}, {dX, 0, 0}, {1.5, 1.5, 1.5}};
  }
  if (xNode == "LeftUpLeg") {
    const double adKeys[] = {10, 20, 15, 5};  // read at key times only
    const double dY = bWalk ? adKeys[static_cast<int>(std::lround(dT * 2))] : 0;
    return {{8, -5, 0}, {0, dY, 0}, {bWalk ? 1 + dT : 1, 1, 1}};
  }
  if (xNode == "LeftLeg") return {{0, -40, 0}, {0, 30, bWalk ? (dT == 0 ? 5.0 : 25.0) : 0.0}, {1, 1, 1}};
  return {{0, 0, 0}, {0, 0, 0}, {1, 1, 1}};
}

// Rotation of a joint with its pre- and post-rotation.
Col RotationOf(const std::string& xNode, const Pose& xPose) {
  const Col xR = Euler(xPose.r[0], xPose.r[1], xPose.r[2]);
  if (xNode != "Hips") return xR;
  return Euler(0, 0, 90) * xR * Transposed3(Euler(10, 0, 0));
}

// T * Roff * Rp * E * Rp^-1 * Soff * Sp * S * Sp^-1 of a joint.
Col LocalOf(const std::string& xNode, const Pose& xPose) {
  const Col xT = Move(xPose.t[0], xPose.t[1], xPose.t[2]);
  const Col xS = Scale(xPose.s[0], xPose.s[1], xPose.s[2]);
  if (xNode == "Hips") return xT * Move(0.5, 0, 0) * Move(0, 1, 0) * RotationOf(xNode, xPose) * Move(0, -1, 0) * xS;
  if (xNode == "Spine") return xT * RotationOf(xNode, xPose) * Move(0, 1, 0) * xS * Move(0, -1, 0);
  return xT * RotationOf(xNode, xPose) * xS;
}

Matrix44 ToRow(const Col& xM) {
  Matrix44 xOut;
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) xOut[r][c] = xM.m[c][r];
  return xOut;
}

}  // namespace

Matrix44 ExpectedGlobal(const char* pszNode, const char* pszTake, double dSeconds) {
  const bool bWalk = std::strcmp(pszTake, "Walk") == 0;
  const std::string xNode(pszNode);
  auto Global = [&](const std::string& xLast) {
    Col xM;
    for (const std::string& xName : {std::string("Reference"), std::string("Hips"), xLast}) {
      xM = xM * LocalOf(xName, PoseOf(xName, bWalk, dSeconds));
      if (xName == xLast) break;
    }
    return xM;
  };
  if (xNode == "LeftLeg") {
    // Inherit type 0: the parent's rotations, then this joint's scale times
    // the parent's own (the parent's scale is neither rotated nor sheared).
    const Col xParent = Global("LeftUpLeg") * Col();
    const Pose xLeg = PoseOf(xNode, bWalk, dSeconds), xUp = PoseOf("LeftUpLeg", bWalk, dSeconds);
    Col xRotation =
        RotationOf("Hips", PoseOf("Hips", bWalk, dSeconds)) * RotationOf("LeftUpLeg", xUp) * RotationOf(xNode, xLeg);
    Col xOut = xRotation * Scale(xLeg.s[0] * xUp.s[0], xLeg.s[1] * xUp.s[1], xLeg.s[2] * xUp.s[2]);
    const Col xAt = xParent * Move(xLeg.t[0], xLeg.t[1], xLeg.t[2]);
    for (int r = 0; r < 3; ++r) xOut.m[r][3] = xAt.m[r][3];
    return ToRow(xOut);
  }
  if (xNode == "Reference" || xNode == "Hips") return ToRow(xNode == "Hips" ? Global("Hips") : Col());
  return ToRow(Global(xNode));
}
