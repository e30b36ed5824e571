// Opening FBX files: path resolution, header recognition and versions, the
// header extension and the section table.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "fileio_test_util.h"

using namespace fileio_test;

namespace {

std::string AsciiFile(const std::string& xHeader, const char* pszWhich = "file") {
  return xHeader + "\nWhich: \"" + pszWhich + "\"\n";
}

KFbxWriteSection Which(const char* pszWhich) { return {KFbxWriteField("Which", {KFbxWriteValue::String(pszWhich)})}; }

std::string Binary(const KFbxWriteSection& xSection, int iVersion = 6100, bool bBigEndian = false) {
  KFbxWriteOptions xOptions;
  xOptions.m_iHeaderVersion = iVersion;
  xOptions.m_bBigEndian = bBigEndian;
  return KFbxWriteBytes({xSection}, xOptions);
}

}  // namespace

TEST(KFbxOpen, ResolvesPaths) {
  const std::string xDir = TempDir();
  WriteTemp("WALK.FBX", AsciiFile("; FBX 6.1.0 project file", "upper"));
  WriteTemp("walk.fbx", AsciiFile("; FBX 6.1.0 project file", "plain"));
  mkdir((xDir + "/sub.d").c_str(), 0700);
  WriteTemp("sub.d/walk.fbx", AsciiFile("; FBX 6.1.0 project file", "sub"));
  WriteTemp("proj.fbx", Binary(Which("file")));
  mkdir((xDir + "/proj.fbd").c_str(), 0700);
  WriteTemp("proj.fbd/Project.txt", AsciiFile("; FBX 6.1.0 project file", "folder text"));
  WriteTemp("bin.fbx", Binary(Which("file")));
  mkdir((xDir + "/bin.fbd").c_str(), 0700);
  WriteTemp("bin.fbd/Project.bin", Binary(Which("folder binary")));
  struct Case {
    const char* m_pszName;
    const char* m_pszOpened;  // path relative to the folder, or the one tried last
    const char* m_pszWhich;   // nullptr: the open fails
    const char* m_pszProject;
  } const kCases[] = {
      {"WALK.FBX", "WALK.FBX", "upper", "WALK"},
      {"walk", "walk.fbx", "plain", "walk"},
      {"walk.BVH", "walk.BVH.fbx", nullptr, ""},
      {"walk.obj", "walk.obj.fbx", nullptr, ""},
      {"sub.d/walk", "sub.d/walk.fbx", "sub", "walk"},
      {"proj", "proj.fbd/Project.txt", "folder text", "Project"},
      {"bin.FBX", "bin.fbd/Project.bin", "folder binary", "Project"},
  };
  for (const Case& xCase : kCases) {
    SCOPED_TRACE(xCase.m_pszName);
    KFbx xFbx;
    const std::string xOpened = xDir + "/" + xCase.m_pszOpened;
    const bool bOpened = xFbx.ProjectOpen((xDir + "/" + xCase.m_pszName).c_str());
    ASSERT_EQ(bOpened, xCase.m_pszWhich != nullptr);
    if (!bOpened) {
      EXPECT_EQ(xFbx.GetError().GetLastErrorID(), KFbx::eFILE_NOT_OPENED);
      EXPECT_EQ(std::string(xFbx.GetError().GetLastErrorString()), "Unable to open file " + xOpened);
      continue;
    }
    EXPECT_EQ(std::string(xFbx.GetPath()), xOpened);
    EXPECT_EQ(std::string(xFbx.GetProjectName()), xCase.m_pszProject);
    EXPECT_EQ(std::string(xFbx.GetFolder()), xOpened.substr(0, xOpened.find_last_of('/') + 1));
    EXPECT_EQ(std::string(xFbx.FieldString("Which")), xCase.m_pszWhich);
  }
}

TEST(KFbxOpen, RecognisesHeadersAndVersions) {
  std::string xLowerMagic = Binary(Which("x"));
  for (size_t i = 0; i < 20; ++i) xLowerMagic[i] = static_cast<char>(std::tolower(xLowerMagic[i]));
  const std::string xBigEndian = Binary(Which("x"), 6100, true);
  ASSERT_EQ(xBigEndian.substr(22, 5), std::string("\1\0\0\x17\xD4", 5));
  struct Case {
    const char* m_pszName;
    std::string m_xBytes;
    int m_iVersion;  // -1: the strict open fails with code 0
    bool m_bBinary;
  } const kCases[] = {
      {"6.1.0", AsciiFile("; FBX 6.1.0 project file"), 6100, false},
      {"Tramlix 4.5 from the fixed table", AsciiFile("; Tramlix 4.5 project file"), 4050, false},
      {"Tramlix 2.7 from the fixed table", AsciiFile("; Tramlix 2.7 project file"), 2001, false},
      {"Tramlix 4.2 not in the table", AsciiFile("; Tramlix 4.2 project file"), 4200, false},
      {"product compared exactly", AsciiFile("; tramlix 4.5 project file"), 4500, false},
      {"two numbers", AsciiFile("; FBX 5.8 project file"), 5800, false},
      {"words in any case, CRLF", AsciiFile("; FBX 6.1.0 Project FILE\r"), 6100, false},
      {"numbers reduced", AsciiFile("; FBX 6.123.456 project file"), 6356, false},
      {"# hello", AsciiFile("# hello"), -1, false},
      {"missing file word", AsciiFile("; FBX 6.1.0 project"), -1, false},
      {"four numbers", AsciiFile("; FBX 6.1.0.1 project file"), -1, false},
      {"empty", "", -1, false},
      {"lower-case magic", xLowerMagic, 6100, true},
      {"big-endian 00 00 17 D4", xBigEndian, 6100, true},
  };
  for (const Case& xCase : kCases) {
    SCOPED_TRACE(xCase.m_pszName);
    KFbx xFbx;
    const bool bOpened = xFbx.ProjectOpenMemory(xCase.m_xBytes.data(), xCase.m_xBytes.size());
    ASSERT_EQ(bOpened, xCase.m_iVersion >= 0);
    if (!bOpened) {
      EXPECT_EQ(xFbx.GetError().GetLastErrorID(), KFbx::eFILE_CORRUPTED);
      EXPECT_STREQ(xFbx.GetError().GetLastErrorString(), "File is corrupted <memory>");
      continue;
    }
    EXPECT_EQ(xFbx.GetFileVersionNumber(), xCase.m_iVersion);
    EXPECT_EQ(xFbx.IsBinary(), xCase.m_bBinary);
    EXPECT_EQ(xFbx.IsNewFormat(), xCase.m_iVersion >= 2000);
    EXPECT_STREQ(xFbx.FieldString("Which"), xCase.m_bBinary ? "x" : "file");
  }
}

TEST(KFbxOpen, SecondOpenTakesAnUnknownHeaderAsAscii) {
  const std::string xPath = WriteTemp("take.tak", AsciiFile("# hello"));
  KFbx xFbx;
  ASSERT_TRUE(xFbx.ProjectOpenDirect(xPath.c_str()));
  EXPECT_FALSE(xFbx.IsBinary());
  EXPECT_EQ(xFbx.GetFileVersionNumber(), 1000);
  EXPECT_STREQ(xFbx.FieldString("Which"), "file");
  EXPECT_FALSE(xFbx.ProjectOpenDirect((xPath + "x").c_str()));
  EXPECT_EQ(std::string(xFbx.GetError().GetLastErrorString()), "Unable to open file " + xPath + "x");
}

TEST(KFbxOpen, RefusesVersionSevenAndLater) {
  KFbxWriteOptions xOptions;
  xOptions.m_iHeaderVersion = 7100;
  const std::string kFiles[] = {AsciiFile("; FBX 7.1.0 project file"), KFbxWriteBytes({Which("x")}, xOptions),
                                Binary({HeaderExtension(7100)}, 3000)};
  for (const std::string& xBytes : kFiles) {
    KFbx xFbx;
    EXPECT_FALSE(xFbx.ProjectOpenMemory(xBytes.data(), xBytes.size()));
    EXPECT_EQ(xFbx.GetError().GetLastErrorID(), KFbx::eFILE_VERSION_NOT_SUPPORTED_YET);
    EXPECT_STREQ(xFbx.GetError().GetLastErrorString(), "FBX file version 7.1.0 is not supported in this product");
    ASSERT_EQ(xFbx.GetSectionCount(), 1);
    EXPECT_EQ(xFbx.GetSectionVersion(0), 7100);
  }
}

// 5.x files often store 3000 in the binary header: the header extension's
// version is the file's.
TEST(KFbxOpen, HeaderExtensionGivesVersionAndInformation) {
  KFbxWriteField xHeader = HeaderExtension(5800);
  KFbxWriteField& xCamera = xHeader.Child("CurrentCameraResolution");
  xCamera.Child("CameraName", {KFbxWriteValue::String("Producer Perspective")});
  xCamera.Child("CameraResolutionMode", {KFbxWriteValue::String("Window Size")});
  xCamera.Child("CameraResolutionW", {KFbxWriteValue::Double(640)});
  xCamera.Child("CameraResolutionH", {KFbxWriteValue::Double(480)});
  KFbxWriteField& xStamp = xHeader.Child("CreationTimeStamp");
  xStamp.Child("Version", {KFbxWriteValue::Int(1000)});
  const char* kParts[] = {"Year", "Month", "Day", "Hour", "Minute", "Second", "Millisecond"};
  for (int i = 0; i < 7; ++i) xStamp.Child(kParts[i], {KFbxWriteValue::Int(2000 + i)});
  xHeader.Child("Creator", {KFbxWriteValue::String("boneplay tests")});
  xHeader.Child("OtherFlags").Child("FlagPLE", {KFbxWriteValue::Int(1)});
  const KFbxWriteSection xSection = {xHeader, KFbxWriteField("Which", {KFbxWriteValue::String("x")})};
  for (Encoding& xEncoding : AllEncodings()) {
    SCOPED_TRACE(xEncoding.m_pszName);
    xEncoding.m_xOptions.m_iHeaderVersion = 3000;
    const std::string xBytes = KFbxWriteBytes({xSection}, xEncoding.m_xOptions);
    KFbx xFbx;
    KFbxHeaderInfo xInfo;
    ASSERT_TRUE(xFbx.ProjectOpenMemory(xBytes.data(), xBytes.size(), false, false, &xInfo));
    EXPECT_EQ(xFbx.GetFileVersionNumber(), 5800);
    EXPECT_EQ(xFbx.IsEncrypted(), xEncoding.m_xOptions.m_bEncrypted);
    EXPECT_TRUE(xInfo.m_bResolutionAvailable);
    EXPECT_STREQ(xInfo.m_xCameraName, "Producer Perspective");
    EXPECT_STREQ(xInfo.m_xResolutionMode, "Window Size");
    EXPECT_EQ(xInfo.m_dResolutionW, 640);
    EXPECT_EQ(xInfo.m_dResolutionH, 480);
    EXPECT_TRUE(xInfo.m_bTimeStampAvailable);
    EXPECT_EQ(xInfo.m_aiTimeStamp[0], 2000);
    EXPECT_EQ(xInfo.m_aiTimeStamp[6], 2006);
    EXPECT_STREQ(xInfo.m_xCreator, "boneplay tests");
    EXPECT_TRUE(xInfo.m_bFlagPLE);
    // The header extension stays readable at the top level.
    EXPECT_TRUE(xFbx.BeginField("FBXHeaderExtension"));
  }
}

TEST(KFbxOpen, HeaderExtensionFailures) {
  KFbxWriteField xWithout("FBXHeaderExtension");
  xWithout.Child("FBXHeaderVersion", {KFbxWriteValue::Int(1003)});
  KFbxWriteField xCipher = HeaderExtension(6100);
  xCipher.Child("EncryptionType", {KFbxWriteValue::Int(2)});
  KFbx xFbx;
  std::string xBytes = Binary({xWithout});
  ASSERT_TRUE(xFbx.ProjectOpenMemory(xBytes.data(), xBytes.size()));
  EXPECT_EQ(xFbx.GetFileVersionNumber(), 0);  // "FBXVersion" absent
  xBytes = Binary({xCipher});
  EXPECT_FALSE(xFbx.ProjectOpenMemory(xBytes.data(), xBytes.size()));
  EXPECT_EQ(xFbx.GetError().GetLastErrorID(), KFbx::eFILE_VERSION_NOT_SUPPORTED_YET);
  EXPECT_STREQ(xFbx.GetError().GetLastErrorString(), "Encryption type is not supported");
  xBytes = Binary({KFbxWriteField("FBXHeaderExtension", {KFbxWriteValue::Int(1)})});
  EXPECT_FALSE(xFbx.ProjectOpenMemory(xBytes.data(), xBytes.size()));
  EXPECT_EQ(xFbx.GetError().GetLastErrorID(), KFbx::eFILE_CORRUPTED);
}

TEST(KFbxOpen, SectionTableFromFooters) {
  const KFbxWriteSection xFirst = {HeaderExtension(6100), KFbxWriteField("Which", {KFbxWriteValue::String("1")})};
  const KFbxWriteSection xSecond = {KFbxWriteField("Which", {KFbxWriteValue::String("two")})};
  const KFbxWriteSection xThird = {KFbxWriteField("Which", {KFbxWriteValue::String("three!")})};
  for (bool bBigEndian : {false, true}) {
    SCOPED_TRACE(bBigEndian ? "big-endian" : "little-endian");
    KFbxWriteOptions xOptions;
    xOptions.m_bBigEndian = bBigEndian;
    xOptions.m_iFirstFooterVersion = 5000;
    xOptions.m_iFooterVersion = 6000;
    const size_t uSecondStart = KFbxWriteBytes({xFirst}, xOptions).size();
    const size_t uThirdStart = KFbxWriteBytes({xFirst, xSecond}, xOptions).size();
    const std::string xBytes = KFbxWriteBytes({xFirst, xSecond, xThird}, xOptions);
    KFbx xFbx;
    ASSERT_TRUE(xFbx.ProjectOpenMemory(xBytes.data(), xBytes.size()));
    // The first section, then the others from the end of the file back.
    ASSERT_EQ(xFbx.GetSectionCount(), 3);
    EXPECT_EQ(xFbx.GetSectionStart(0), 27);
    EXPECT_EQ(xFbx.GetSectionVersion(0), 5000);
    EXPECT_EQ(xFbx.GetSectionStart(1), static_cast<int64_t>(uThirdStart));
    EXPECT_EQ(xFbx.GetSectionStart(2), static_cast<int64_t>(uSecondStart));
    EXPECT_EQ(xFbx.GetSectionVersion(1), 6000);
    EXPECT_STREQ(xFbx.FieldString("Which"), "1");
  }
  KFbxWriteOptions xAscii;
  xAscii.m_bBinary = false;
  const std::string xBytes = KFbxWriteBytes({xFirst}, xAscii);
  KFbx xFbx;
  ASSERT_TRUE(xFbx.ProjectOpenMemory(xBytes.data(), xBytes.size()));
  ASSERT_EQ(xFbx.GetSectionCount(), 1);
  EXPECT_EQ(xFbx.GetSectionVersion(0), 6100);
}

TEST(KFbxOpen, EncryptedFiles) {
  KFbxWriteOptions xOptions;
  xOptions.m_bEncrypted = true;
  xOptions.m_xPassword = "right";
  const KFbxWriteSection xSection = {HeaderExtension(6100), KFbxWriteField("Which", {KFbxWriteValue::String("x")})};
  std::string xBytes = KFbxWriteBytes({xSection}, xOptions);
  EXPECT_EQ(xBytes.find("Which"), std::string::npos);  // the content is enciphered
  KFbx xFbx;
  ASSERT_TRUE(xFbx.ProjectOpenMemory(xBytes.data(), xBytes.size(), true));
  EXPECT_TRUE(xFbx.IsEncrypted());
  EXPECT_EQ(xFbx.GetFileVersionNumber(), 6100);
  EXPECT_FALSE(xFbx.BeginField("Which"));
  EXPECT_FALSE(xFbx.SetPassword("wrong"));
  EXPECT_FALSE(xFbx.SetPassword(""));
  EXPECT_TRUE(xFbx.SetPassword("right"));
  EXPECT_STREQ(xFbx.FieldString("Which"), "x");
  // A changed byte after the record fails the checksum, when it is asked for.
  xBytes[xBytes.size() - 20] ^= 0x40;
  EXPECT_FALSE(xFbx.ProjectOpenMemory(xBytes.data(), xBytes.size(), true));
  EXPECT_EQ(xFbx.GetError().GetLastErrorID(), KFbx::eCRC_CHECK_FAILED);
  EXPECT_TRUE(xFbx.ProjectOpenMemory(xBytes.data(), xBytes.size(), false));
  // Plain files have no password.
  const std::string xPlain = Binary(xSection);
  ASSERT_TRUE(xFbx.ProjectOpenMemory(xPlain.data(), xPlain.size(), true));
  EXPECT_FALSE(xFbx.SetPassword("right"));
}
