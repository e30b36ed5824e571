#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "fbx_scene_writer.h"
#include "fbxsdk/fileio/kfbx_file_format.h"
#include "fbxsdk/fileio/kfbx_importer.h"
#include "fbxsdk/fileio/kfbx_reader.h"
#include "fbxsdk/scene/kfbx_node.h"
#include "fbxsdk/scene/kfbx_scene_graph.h"
#include "fbxsdk/scene/kfbx_sdk_manager.h"
#include "node_test_util.h"

namespace {

struct Imported {
  std::unique_ptr<KFbxSdkManager> m_pxManager = std::make_unique<KFbxSdkManager>();
  KFbxSceneGraph* m_pxScene = m_pxManager->CreateScene();
  KFbxImporter* m_pxImporter = m_pxManager->CreateImporter();
  bool m_bOk = false;

  explicit Imported(const std::string& xPath, KStreamOptions* pxOptions = nullptr) {
    m_bOk = m_pxImporter->Initialize(xPath.c_str()) && m_pxImporter->Import(m_pxScene, pxOptions);
  }
  KFbxNode* Node(const char* pszName) const { return m_pxScene->RootNode()->FindDescendant(pszName); }
  std::string Error() const { return m_pxImporter->GetError().GetLastErrorString(); }
};

int TakeIndex(KFbxNode& xNode, const char* pszTake) {
  for (int i = 0; i < xNode.GetTakeNodeCount(); ++i)
    if (std::string(xNode.GetTakeNodeName(i)) == pszTake) return i;
  return -1;
}

void WriteText(const std::string& xPath, const std::string& xText) { std::ofstream(xPath) << xText; }

}  // namespace

TEST(KFbxFileFormats, TableHasSeventeenCodes) {
  EXPECT_STREQ(KFbxFileFormatDescription(0), "FBX binary (*.fbx)");
  EXPECT_STREQ(KFbxFileFormatDescription(6), "Biovision (*.bvh)");
  EXPECT_STREQ(KFbxFileFormatDescription(16), "Ascension BRD (*.brd)");
  EXPECT_STREQ(KFbxFileFormatExtension(13), "mcd");
  EXPECT_STREQ(KFbxFileFormatDescription(17), "");
  KFbxSdkManager xManager;
  for (int i = 0; i < eKFBX_FORMAT_COUNT; ++i) {
    SCOPED_TRACE(i);
    std::unique_ptr<KFbxReader> pxReader = KFbxCreateReader(i, xManager, nullptr);
    ASSERT_TRUE(pxReader);
    EXPECT_EQ(pxReader->GetFileFormat(), i < 3 ? 0 : i);
  }
  EXPECT_FALSE(KFbxCreateReader(17, xManager, nullptr));
}

// Initialize opens names whose extension holds "fbx" at once; other names
// wait for Import, which uses the selected format's reader.
TEST(KFbxImporter, InitializeAndImportFollowTheNameAndFormat) {
  const std::string xBvh = TestFolder() + "/walk.bvh";
  WriteText(xBvh, "HIERARCHY\n");
  const struct {
    const char* m_pszName;
    std::string m_xPath;
    int m_iFormat;
    bool m_bInitialized;
    int m_iInitCode;  // -1: nothing opened
    const char* m_pszImportError;
  } acCases[] = {
      {"fbx extension opens at once", "C:\\data\\walk.FBX", 0, false, 3, "Unable to open file"},
      {"bvh waits, bvh reader", xBvh, 6, true, -1, "Reading Biovision (*.bvh) files is not supported"},
      {"bvh waits, fbx reader", xBvh, 0, true, -1, "Unable to open file"},
      {"no extension after a backslash", "dir.fbx\\walk", 0, true, -1, "Unable to open file"},
  };
  for (const auto& c : acCases) {
    SCOPED_TRACE(c.m_pszName);
    KFbxSdkManager xManager;
    KFbxImporter* pxImporter = xManager.CreateImporter();
    pxImporter->SelectFormat(c.m_iFormat);
    pxImporter->GetError().SetLastErrorID(-1);
    EXPECT_EQ(pxImporter->Initialize(c.m_xPath.c_str()), c.m_bInitialized);
    EXPECT_EQ(pxImporter->GetError().GetLastErrorID(), c.m_iInitCode);
    EXPECT_FALSE(pxImporter->Import(xManager.CreateScene()));
    EXPECT_NE(std::string(pxImporter->GetError().GetLastErrorString()).find(c.m_pszImportError), std::string::npos)
        << pxImporter->GetError().GetLastErrorString();
    EXPECT_TRUE(xManager.DestroyImporter(pxImporter));
    EXPECT_FALSE(xManager.DestroyImporter(pxImporter));
  }
  KFbxSdkManager xManager;
  KFbxImporter* pxImporter = xManager.CreateImporter();
  EXPECT_FALSE(pxImporter->Import(xManager.CreateScene()));
  EXPECT_EQ(pxImporter->GetError().GetLastErrorID(), KFbxIO::eUNINITIALIZED_FILENAME);
  EXPECT_STREQ(pxImporter->GetError().GetLastErrorString(),
               "Uninitialized filename, use method Initialize(char* pFilename) first");
}

// One scene written in every form we read; the same checks on each.
TEST(KFbxImport, SkeletonSceneInEveryForm) {
  const SceneForm axForms[] = {
      {"6.1 ascii", 6100, false, false, 6100, false, true},
      {"6.1 binary", 6100, true, false, 6100, true, false},
      {"6.1 binary big-endian", 6100, true, true, 6100, false, true},
      {"5.0 ascii", 5000, false, false, 5000, false, true},
      {"5.0 binary, header 3000", 5000, true, false, 3000, false, false},
  };
  KFbxSdkManager xSource;
  KFbxSceneGraph* pxSource = BuildSkeletonScene(xSource);
  for (const SceneForm& xForm : axForms) {
    SCOPED_TRACE(xForm.m_pszName);
    std::string xError;
    const std::string xPath =
        WriteScene(*pxSource, xForm, std::string("scene_") + std::to_string(&xForm - axForms), &xError);
    ASSERT_FALSE(xPath.empty()) << xError;
    Imported xIn(xPath);
    ASSERT_TRUE(xIn.m_bOk) << xIn.Error();
    int iMajor, iMinor, iRevision;
    xIn.m_pxImporter->GetFileVersion(iMajor, iMinor, iRevision);
    EXPECT_EQ(iMajor * 1000 + iMinor * 100 + iRevision, xForm.m_iVersion);
    EXPECT_EQ(xIn.m_pxImporter->GetFileFormat(), xForm.m_bBinary ? 0 : 1);

    // Tree and attributes.
    KFbxNode* pxRoot = xIn.m_pxScene->RootNode();
    ASSERT_EQ(pxRoot->ChildCount(), 1);
    EXPECT_EQ(pxRoot->ChildCount(true), 5);
    KFbxNode* pxReference = pxRoot->Child(0);
    EXPECT_STREQ(pxReference->Name(), "Model::Reference");
    ASSERT_TRUE(pxReference->Attribute());
    EXPECT_EQ(pxReference->Attribute()->AttributeType(), KFbxNodeAttribute::eNULL);
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
      auto* pxSkeleton = dynamic_cast<KFbxSkeleton*>(pxNode->Attribute());
      ASSERT_TRUE(pxSkeleton);
      EXPECT_EQ(pxSkeleton->GetSkeletonKind(), xJoint.m_iKind);
      EXPECT_EQ(pxNode->GetInheritType(), xJoint.m_iInherit);
      EXPECT_EQ(pxNode->GetTakeNodeCount(), 3);
      EXPECT_GE(TakeIndex(*pxNode, "Run"), 1);
    }
    KFbxNode* pxHips = xIn.Node("Hips");
    EXPECT_TRUE(pxHips->IsOldModel());
    const KFbxNodeProperties& xHips = pxHips->GetProperties();
    EXPECT_DOUBLE_EQ(xHips.Find("PreRotation")->GetComponent(2), 90.0);
    EXPECT_DOUBLE_EQ(xHips.Find("RotationPivot")->GetComponent(1), 1.0);
    EXPECT_DOUBLE_EQ(xHips.GetTransformPivots().m_xRotationOffset[0], 0.5);
    EXPECT_TRUE(xHips.RotationLimits().IsActive());

    // Take records and the current take.
    ASSERT_TRUE(xIn.m_pxScene->FindTakeInfo("Walk"));
    ASSERT_TRUE(xIn.m_pxScene->FindTakeInfo("Run"));
    EXPECT_STREQ(xIn.m_pxScene->FindTakeInfo("Walk")->m_xDescription, "a walk");
    EXPECT_EQ(xIn.m_pxScene->FindTakeInfo("Run")->m_xLocalTimeSpan.m_xStop, KTime::FromSeconds(2));
    EXPECT_STREQ(xIn.m_pxScene->GetCurrentTakeName(), "Walk");

    // Poses in both takes against the values computed by hand.
    for (const char* pszTake : {"Walk", "Run"}) {
      xIn.m_pxScene->SelectTake(pszTake);
      for (double dT : {0.0, 0.5, 1.0, 1.5})
        for (const char* pszNode : {"Reference", "Hips", "Spine", "LeftUpLeg", "LeftLeg"}) {
          SCOPED_TRACE(std::string(pszTake) + " " + pszNode + " at " + std::to_string(dT));
          ExpectNear4x4(xIn.Node(pszNode)->GlobalMatrixAt(KTime::FromSeconds(dT)), ExpectedGlobal(pszNode, pszTake, dT),
                        1e-4);
        }
    }
  }
}

// A relative name resolves against the current directory, whatever that
// folder is called (UTF-8 "mocap_Jörg_步" here; Windows reads it wide), and
// the take file beside the scene is found there too.
TEST(KFbxImport, RelativeNameInAFolderOfAnyName) {
  namespace fs = std::filesystem;
  const std::string xFolderName = "mocap_J\xc3\xb6rg_\xe6\xad\xa5";
  const fs::path xFolder = fs::u8path(TestFolder() + "/" + xFolderName);
  fs::create_directory(xFolder);
  KFbxSdkManager xSource;
  const SceneForm xForm = {"6.1 ascii", 6100, false, false, 6100, false, true};
  std::string xError;
  ASSERT_FALSE(WriteScene(*BuildSkeletonScene(xSource), xForm, xFolderName + "/walk", &xError).empty()) << xError;
  const fs::path xPrevious = fs::current_path();
  fs::current_path(xFolder);
  const Imported xIn("walk.fbx");
  fs::current_path(xPrevious);
  ASSERT_TRUE(xIn.m_bOk) << xIn.Error();
  KFbxNode* pxHips = xIn.Node("Hips");
  ASSERT_NE(pxHips, nullptr);
  EXPECT_GE(TakeIndex(*pxHips, "Run"), 1);
}

// An encrypted file, end to end: Initialize tells its format, an import
// without the password (no options, a wrong one, an empty one) fails with the
// password error and reads nothing, the right one reads the whole scene.
TEST(KFbxImport, EncryptedFileReadsOnlyWithItsPassword) {
  KFbxSdkManager xSource;
  KFbxSceneGraph* pxSource = BuildSkeletonScene(xSource);
  pxSource->SelectTake("Run");  // the file's current take is not its first
  const KFbxSceneFields xFields = KFbxSceneToFields(*pxSource, KFbxSceneFieldsOptions());
  KFbxWriteOptions xWrite;
  xWrite.m_bEncrypted = true;
  xWrite.m_xPassword = "Tanz 步";
  const std::string xPath = TestFolder() + "/locked.fbx";
  std::string xError;
  ASSERT_TRUE(KFbxWriteFile(xPath.c_str(), {xFields.m_xMain}, xWrite, &xError)) << xError;
  const struct {
    const char* m_pszPassword;  // null: import with the importer's own options
    bool m_bRead;
  } axCases[] = {{nullptr, false}, {"wrong", false}, {"", false}, {"Tanz", false}, {"Tanz 步", true}};
  for (const auto& c : axCases) {
    SCOPED_TRACE(c.m_pszPassword ? c.m_pszPassword : "(no options)");
    KStreamOptionsFbx xOptions;
    if (c.m_pszPassword) xOptions.m_xPassword = c.m_pszPassword;
    Imported xIn(xPath, c.m_pszPassword ? &xOptions : nullptr);
    EXPECT_EQ(xIn.m_pxImporter->GetFileFormat(), eKFBX_FORMAT_FBX_ENCRYPTED);
    EXPECT_EQ(xIn.m_bOk, c.m_bRead) << xIn.Error();
    if (!c.m_bRead) {
      EXPECT_EQ(xIn.m_pxImporter->GetError().GetLastErrorID(), KFbxImporter::ePASSWORD_ERROR);
      EXPECT_EQ(xIn.Error(), "File is password protected and the provided password is wrong.");
      EXPECT_EQ(xIn.m_pxScene->RootNode()->ChildCount(true), 0);
      continue;
    }
    EXPECT_EQ(xIn.m_pxScene->RootNode()->ChildCount(true), 5);
    // Options that carry only the password still take the file's current take.
    EXPECT_STREQ(xIn.m_pxScene->GetCurrentTakeName(), "Run");
    for (const char* pszNode : {"Hips", "LeftLeg"})
      ExpectNear4x4(xIn.Node(pszNode)->GlobalMatrixAt(KTime::FromSeconds(0.5)), ExpectedGlobal(pszNode, "Run", 0.5),
                    1e-4);
  }
}
