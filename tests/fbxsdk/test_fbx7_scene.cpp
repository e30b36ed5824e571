// The skeleton scene written by our 7.x writer in every form it makes and
// read back by our 7.x reader: the same tree, attributes, inherit types,
// takes and spans, and the same poses, against the values computed by hand
// at key times and against the source scene between them.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "fbx_scene_writer.h"
#include "fbxsdk/fileio/kfbx_importer.h"
#include "fbxsdk/fileio7/kfbx7_reader.h"
#include "fbxsdk/fileio7/kfbx7_scene_fields.h"
#include "fbxsdk/scene/kfbx_node.h"
#include "fbxsdk/scene/kfbx_scene_graph.h"
#include "fbxsdk/scene/kfbx_sdk_manager.h"
#include "node_test_util.h"

namespace {

constexpr const char* kJoints[] = {"Reference", "Hips", "Spine", "LeftUpLeg", "LeftLeg"};
// The scene's extent (the hips stand 90 high, the leg reaches 45 below):
// poses must agree within 1e-5 of it.
constexpr double kSceneSize = 100.0;
constexpr double kTolerance = 1e-5 * kSceneSize;

struct Form {
  const char* m_pszName;
  int m_iVersion;
  bool m_bBinary;
  size_t m_uCompressFrom;
};

const Form kForms[] = {
    {"7400 binary, raw arrays", 7400, true, SIZE_MAX},
    {"7400 binary, deflated arrays", 7400, true, 0},
    {"7500 binary, raw arrays", 7500, true, SIZE_MAX},
    {"7500 binary, deflated from 128 bytes", 7500, true, 128},
    {"7100 binary", 7100, true, 64},
    {"7700 binary", 7700, true, 0},
    {"7400 ascii", 7400, false, 0},
};

std::string Write(KFbxSceneGraph& xScene, const Form& xForm, const std::string& xName) {
  KFbx7WriteOptions xWrite;
  xWrite.m_iVersion = xForm.m_iVersion;
  xWrite.m_bBinary = xForm.m_bBinary;
  xWrite.m_uCompressFrom = xForm.m_uCompressFrom;
  xWrite.m_bAlwaysDeflate = true;
  const std::string xPath = TestFolder() + "/" + xName + ".fbx";
  std::string xError;
  EXPECT_TRUE(KFbx7WriteSceneFile(xPath.c_str(), xScene, KFbx7SceneOptions(), xWrite, &xError)) << xError;
  return xPath;
}

struct Read {
  std::unique_ptr<KFbxSdkManager> m_pxManager = std::make_unique<KFbxSdkManager>();
  KFbxSceneGraph* m_pxScene = m_pxManager->CreateScene();
  KFbx7FileInfo m_xInfo;
  std::string m_xError;
  bool m_bOk;
  explicit Read(const std::string& xPath)
      : m_bOk(KFbx7ReadFile(xPath.c_str(), *m_pxManager, *m_pxScene, &m_xInfo, &m_xError)) {}
  KFbxNode* Node(const char* pszName) const { return m_pxScene->RootNode()->FindDescendant(pszName); }
};

// Every key time of the scene's takes, and halfway between them.
std::vector<double> Times() {
  std::vector<double> xTimes;
  for (double d = 0.0; d <= 2.0; d += 0.25) xTimes.push_back(d);
  return xTimes;
}

// The key times ExpectedGlobal computes poses at (the scene's keys lie in
// [0, 1.5]).
bool KeyTime(double dT) { return std::fmod(dT, 0.5) == 0.0 && dT <= 1.5; }

}  // namespace

TEST(KFbx7Scene, SkeletonSceneInEveryForm) {
  KFbxSdkManager xSource;
  KFbxSceneGraph* pxSource = BuildSkeletonScene(xSource);
  for (const Form& xForm : kForms) {
    SCOPED_TRACE(xForm.m_pszName);
    Read xIn(Write(*pxSource, xForm, std::string("scene7_") + std::to_string(&xForm - kForms)));
    ASSERT_TRUE(xIn.m_bOk) << xIn.m_xError;
    EXPECT_EQ(xIn.m_xInfo.m_iVersion, xForm.m_iVersion);
    EXPECT_EQ(xIn.m_xInfo.m_bBinary, xForm.m_bBinary);
    EXPECT_DOUBLE_EQ(xIn.m_xInfo.m_dFrameRate, 30.0);
    ASSERT_EQ(xIn.m_xInfo.m_xStacks.size(), 2u);
    EXPECT_EQ(xIn.m_xInfo.m_xStacks[0].m_xName, "Walk");
    EXPECT_EQ(xIn.m_xInfo.m_xStacks[1].m_xLayers, std::vector<std::string>{"BaseLayer"});

    KFbxNode* pxRoot = xIn.m_pxScene->RootNode();
    ASSERT_EQ(pxRoot->ChildCount(), 1);
    EXPECT_EQ(pxRoot->ChildCount(true), 5);
    ASSERT_TRUE(xIn.Node("Reference") && xIn.Node("Reference")->Attribute());
    EXPECT_EQ(xIn.Node("Reference")->Attribute()->AttributeType(), KFbxNodeAttribute::eNULL);
    const struct {
      const char* m_pszName;
      const char* m_pszParent;
      int m_iKind;
      int m_iInherit;
    } axJoints[] = {{"Hips", "Model::Reference", KFbxSkeleton::eROOT, eINHERIT_RSrs},
                    {"Spine", "Model::Hips", KFbxSkeleton::eLIMB_NODE, eINHERIT_RSrs},
                    {"LeftUpLeg", "Model::Hips", KFbxSkeleton::eLIMB_NODE, eINHERIT_RSrs},
                    {"LeftLeg", "Model::LeftUpLeg", KFbxSkeleton::eLIMB, eINHERIT_RrSs}};
    for (const auto& xJoint : axJoints) {
      SCOPED_TRACE(xJoint.m_pszName);
      KFbxNode* pxNode = xIn.Node(xJoint.m_pszName);
      ASSERT_TRUE(pxNode);
      EXPECT_STREQ(pxNode->GetParent()->Name(), xJoint.m_pszParent);
      const auto* pxSkeleton = dynamic_cast<const KFbxSkeleton*>(pxNode->Attribute());
      ASSERT_TRUE(pxSkeleton);
      EXPECT_EQ(pxSkeleton->GetSkeletonKind(), xJoint.m_iKind);
      // The old hips under a null is read back as type 1, as 6.x files are.
      EXPECT_EQ(pxNode->GetInheritType(), xJoint.m_iInherit);
      EXPECT_EQ(pxNode->GetTakeNodeCount(), 3);
    }
    const KFbxNodeProperties& xHips = xIn.Node("Hips")->GetProperties();
    EXPECT_DOUBLE_EQ(xHips.Find("PreRotation")->GetComponent(2), 90.0);
    EXPECT_DOUBLE_EQ(xHips.Find("PostRotation")->GetComponent(0), 10.0);
    EXPECT_DOUBLE_EQ(xHips.GetTransformPivots().m_xRotationOffset[0], 0.5);
    EXPECT_TRUE(xHips.RotationLimits().IsActive());

    ASSERT_TRUE(xIn.m_pxScene->FindTakeInfo("Walk") && xIn.m_pxScene->FindTakeInfo("Run"));
    EXPECT_STREQ(xIn.m_pxScene->FindTakeInfo("Walk")->m_xDescription, "a walk");
    EXPECT_EQ(xIn.m_pxScene->FindTakeInfo("Run")->m_xLocalTimeSpan, KTimeSpan(KTime(0), KTime::FromSeconds(2)));
    EXPECT_EQ(xIn.m_pxScene->FindTakeInfo("Run")->m_xReferenceTimeSpan.m_xStop, KTime::FromSeconds(2));
    EXPECT_STREQ(xIn.m_pxScene->GetCurrentTakeName(), "Walk");

    for (const char* pszTake : {"Walk", "Run"}) {
      pxSource->SelectTake(pszTake);
      xIn.m_pxScene->SelectTake(pszTake);
      for (double dT : Times())
        for (const char* pszNode : kJoints) {
          SCOPED_TRACE(std::string(pszTake) + " " + pszNode + " at " + std::to_string(dT));
          const KTime xAt = KTime::FromSeconds(dT);
          const Matrix44& xRead = xIn.Node(pszNode)->GlobalMatrixAt(xAt);
          ExpectNear4x4(xRead, pxSource->RootNode()->FindDescendant(pszNode)->GlobalMatrixAt(xAt), kTolerance);
          if (KeyTime(dT)) ExpectNear4x4(xRead, ExpectedGlobal(pszNode, pszTake, dT), kTolerance);
        }
    }
    pxSource->SelectTake("Walk");
  }
}

// Each inherit type on the leg below the thigh, whose scale moves in
// "Walk": the type is carried and the leg poses as in the source (types 1
// and 2 shear it differently, type 0 not at all).
TEST(KFbx7Scene, EveryInheritTypeIsCarried) {
  for (int iType : {eINHERIT_RrSs, eINHERIT_RSrs, eINHERIT_Rrs}) {
    SCOPED_TRACE(iType);
    KFbxSdkManager xSource;
    KFbxSceneGraph* pxSource = BuildSkeletonScene(xSource);
    KFbxNode* pxLeg = pxSource->RootNode()->FindDescendant("LeftLeg");
    pxLeg->SetInheritType(iType);
    for (const Form& xForm : {kForms[3], kForms[6]}) {
      SCOPED_TRACE(xForm.m_pszName);
      Read xIn(Write(*pxSource, xForm, "inherit7_" + std::to_string(iType) + (xForm.m_bBinary ? "b" : "a")));
      ASSERT_TRUE(xIn.m_bOk) << xIn.m_xError;
      EXPECT_EQ(xIn.Node("LeftLeg")->GetInheritType(), iType);
      xIn.m_pxScene->SelectTake("Walk");
      for (double dT : Times()) {
        SCOPED_TRACE(dT);
        const KTime xAt = KTime::FromSeconds(dT);
        ExpectNear4x4(xIn.Node("LeftLeg")->GlobalMatrixAt(xAt), pxLeg->GlobalMatrixAt(xAt), kTolerance);
      }
    }
  }
}

// Keys of every interpolation, tangent mode, weight and velocity come back
// as the source holds them, bit for bit.
TEST(KFbx7Scene, KeysComeBackAsTheyWere) {
  KFbxSdkManager xSource;
  KFbxSceneGraph* pxSource = BuildSkeletonScene(xSource);
  KFbxNode* pxLeg = pxSource->RootNode()->FindDescendant("LeftLeg");
  KFCurve& xCurve = *AxisCurve(*pxLeg, "R", 0, 1);
  xCurve.KeyClear();
  for (int i = 0; i < 6; ++i) xCurve.KeyAppend(KTime::FromSeconds(0.2 * i), static_cast<float>(i * i));
  xCurve.KeySetInterpolation(0, KFCURVE_INTERPOLATION_CUBIC);
  xCurve.KeySetTangentMode(0, KFCURVE_TANGEANT_BREAK);
  xCurve.KeySetDataFloat(0, 0, 3.5f);
  xCurve.KeySetDataFloat(0, 1, -2.25f);
  xCurve.KeySetTangentWeightMode(0, KFCURVE_WEIGHTED_RIGHT | KFCURVE_WEIGHTED_NEXT_LEFT);
  xCurve.KeySetRightTangentWeight(0, 0.7f);
  xCurve.KeySetNextLeftTangentWeight(0, 0.1f);
  xCurve.KeySetTangentVelocityMode(0, KFCURVE_VELOCITY_RIGHT);
  xCurve.KeySetRightVelocity(0, -0.25f);
  xCurve.KeySetInterpolation(1, KFCURVE_INTERPOLATION_CUBIC);
  xCurve.KeySetTCB(1, 0.5f, -0.5f, 0.25f);
  xCurve.KeySetInterpolation(2, KFCURVE_INTERPOLATION_CONSTANT);
  xCurve.KeySetConstantMode(2, KFCURVE_CONSTANT_NEXT);
  for (int i = 3; i < 6; ++i) xCurve.KeySetInterpolation(i, KFCURVE_INTERPOLATION_LINEAR);
  xCurve.SetPreExtrapolation(KFCURVE_EXTRAPOLATION_MIRROR_REPETITION);
  xCurve.SetPreExtrapolationCount(3);
  for (const Form& xForm : kForms) {
    SCOPED_TRACE(xForm.m_pszName);
    Read xIn(Write(*pxSource, xForm, std::string("keys7_") + std::to_string(&xForm - kForms)));
    ASSERT_TRUE(xIn.m_bOk) << xIn.m_xError;
    const KFCurve& xBack = *AxisCurve(*xIn.Node("LeftLeg"), "R", 0, 1);
    ASSERT_EQ(xBack.KeyGetCount(), xCurve.KeyGetCount());
    EXPECT_EQ(xBack.GetPreExtrapolation(), KFCURVE_EXTRAPOLATION_MIRROR_REPETITION);
    EXPECT_EQ(xBack.GetPreExtrapolationCount(), 3);
    for (int i = 0; i < xCurve.KeyGetCount(); ++i) {
      SCOPED_TRACE(i);
      const KFCurveKey &xA = xCurve.KeyGet(i), &xB = xBack.KeyGet(i);
      EXPECT_EQ(xB.GetTime(), xA.GetTime());
      EXPECT_EQ(xB.GetValue(), xA.GetValue());
      EXPECT_EQ(xB.GetFlags(), xA.GetFlags());
      for (int d = 0; d < 3; ++d) EXPECT_EQ(xB.GetDataFloat(d), xA.GetDataFloat(d)) << "data " << d;
      EXPECT_EQ(xB.GetRightTangentWeight(), xA.GetRightTangentWeight());
      EXPECT_EQ(xB.GetRightVelocity(), xA.GetRightVelocity());
    }
  }
}

// The module's importer keeps refusing 7.x files, whoever wrote them.
TEST(KFbx7Scene, TheSixGenerationImporterRefusesThem) {
  KFbxSdkManager xSource;
  KFbxSceneGraph* pxSource = BuildSkeletonScene(xSource);
  const struct {
    Form m_xForm;
    const char* m_pszMessage;
  } axCases[] = {{kForms[0], "FBX file version 7.4.0 is not supported in this product"},
                 {kForms[2], "FBX file version 7.5.0 is not supported in this product"},
                 {kForms[6], "FBX file version 7.4.0 is not supported in this product"}};
  for (const auto& c : axCases) {
    SCOPED_TRACE(c.m_xForm.m_pszName);
    const std::string xPath = Write(*pxSource, c.m_xForm, "refused7_" + std::to_string(&c - axCases));
    KFbxSdkManager xManager;
    KFbxImporter* pxImporter = xManager.CreateImporter();
    EXPECT_FALSE(pxImporter->Initialize(xPath.c_str()));
    EXPECT_EQ(pxImporter->GetError().GetLastErrorID(), 1);
    EXPECT_STREQ(pxImporter->GetError().GetLastErrorString(), c.m_pszMessage);
  }
}
