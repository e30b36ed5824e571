// Opening FBX files: path resolution, header recognition and versions, the
// header extension and the section table.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

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
  // Upper case under its own name: names differing only in case are one file on Windows.
  WriteTemp("LOUD.FBX", AsciiFile("; FBX 6.1.0 project file", "upper"));
  WriteTemp("walk.fbx", AsciiFile("; FBX 6.1.0 project file", "plain"));
  std::filesystem::create_directory(xDir + "/sub.d");
  WriteTemp("sub.d/walk.fbx", AsciiFile("; FBX 6.1.0 project file", "sub"));
  WriteTemp("proj.fbx", Binary(Which("file")));
  std::filesystem::create_directory(xDir + "/proj.fbd");
  WriteTemp("proj.fbd/Project.txt", AsciiFile("; FBX 6.1.0 project file", "folder text"));
  WriteTemp("bin.fbx", Binary(Which("file")));
  std::filesystem::create_directory(xDir + "/bin.fbd");
  WriteTemp("bin.fbd/Project.bin", Binary(Which("folder binary")));
  struct Case {
    const char* m_pszName;
    const char* m_pszOpened;  // path relative to the folder, or the one tried last
    const char* m_pszWhich;   // nullptr: the open fails
    const char* m_pszProject;
  } const kCases[] = {
      {"LOUD.FBX", "LOUD.FBX", "upper", "LOUD"},
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

// The version is checked once the header extension's "FBXVersion" has
// replaced the header's, in either direction; a 7.x header whose first record
// is no readable header extension is refused for its version, not as damage.
TEST(KFbxOpen, ChecksVersionAfterHeaderExtension) {
  const KFbxWriteField xWhich("Which", {KFbxWriteValue::String("x")});
  // The header extension's end offset (at 27, just after the header) runs
  // past the end of the file.
  auto PastTheEnd = [&](int iHeaderVersion) {
    std::string xBytes = Binary({HeaderExtension(6100), xWhich}, iHeaderVersion);
    const uint32_t uEnd = static_cast<uint32_t>(xBytes.size() + 100);
    for (int i = 0; i < 4; ++i) xBytes[27 + i] = static_cast<char>(uEnd >> (8 * i));
    return xBytes;
  };
  // A record as 7.5 files lay it out: end offset, property count and list
  // length of 64 bits each, so the name length byte is at 24, not 12.
  std::string xWide = Binary({}, 7500).substr(0, 27);
  const std::string xName = "FBXHeaderExtension";
  const uint64_t ullEnd = 27 + 25 + xName.size();
  for (int i = 0; i < 8; ++i) xWide.push_back(static_cast<char>(ullEnd >> (8 * i)));
  xWide += std::string(16, '\0') + static_cast<char>(xName.size()) + xName + std::string(25, '\0');
  const std::string kRefused = "is not supported in this product";
  struct Case {
    const char* m_pszName;
    std::string m_xBytes;
    int m_iVersion;
    int m_iCode;  // -1: the file opens
    std::string m_xMessage;
  } const kCases[] = {
      {"ASCII 7.1.0", AsciiFile("; FBX 7.1.0 project file"), 7100, 1, "FBX file version 7.1.0 " + kRefused},
      {"header 7100, no header extension", Binary(Which("x"), 7100), 7100, 1, "FBX file version 7.1.0 " + kRefused},
      {"header 3000, FBXVersion 7100", Binary({HeaderExtension(7100), xWhich}, 3000), 7100, 1,
       "FBX file version 7.1.0 " + kRefused},
      {"header 6100, FBXVersion 7100", Binary({HeaderExtension(7100), xWhich}, 6100), 7100, 1,
       "FBX file version 7.1.0 " + kRefused},
      {"header 7100, FBXVersion 6100", Binary({HeaderExtension(6100), xWhich}, 7100), 6100, -1, ""},
      {"header 7400, FBXVersion 6100, big-endian", Binary({HeaderExtension(6100), xWhich}, 7400, true), 6100, -1, ""},
      {"header 7500, header extension past the end", PastTheEnd(7500), 7500, 1, "FBX file version 7.5.0 " + kRefused},
      {"header 7500, header extension without a block",
       Binary({KFbxWriteField("FBXHeaderExtension", {KFbxWriteValue::Int(1)})}, 7500), 7500, 1,
       "FBX file version 7.5.0 " + kRefused},
      {"header 7500, 64-bit record layout", xWide, 7500, 1, "FBX file version 7.5.0 " + kRefused},
      {"header 6100, header extension past the end", PastTheEnd(6100), 6100, 0, "File is corrupted <memory>"},
  };
  for (const Case& xCase : kCases) {
    SCOPED_TRACE(xCase.m_pszName);
    KFbx xFbx;
    const bool bOpened = xFbx.ProjectOpenMemory(xCase.m_xBytes.data(), xCase.m_xBytes.size());
    ASSERT_EQ(bOpened, xCase.m_iCode < 0);
    EXPECT_EQ(xFbx.GetFileVersionNumber(), xCase.m_iVersion);
    if (bOpened) {
      EXPECT_STREQ(xFbx.FieldString("Which"), "x");
      ASSERT_EQ(xFbx.GetSectionCount(), 1);
      EXPECT_EQ(xFbx.GetSectionVersion(0), xCase.m_iVersion);
      continue;
    }
    EXPECT_EQ(xFbx.GetError().GetLastErrorID(), xCase.m_iCode);
    const std::string xMessage = xFbx.GetError().GetLastErrorString();
    if (xCase.m_iCode == KFbx::eFILE_VERSION_NOT_SUPPORTED_YET) {
      EXPECT_EQ(xMessage, xCase.m_xMessage);
      // The section table then holds only the refused version.
      ASSERT_EQ(xFbx.GetSectionCount(), 1);
      EXPECT_EQ(xFbx.GetSectionStart(0), xCase.m_xBytes[0] == ';' ? 0 : 27);
      EXPECT_EQ(xFbx.GetSectionVersion(0), xCase.m_iVersion);
    } else {
      EXPECT_EQ(xMessage.substr(0, xCase.m_xMessage.size()), xCase.m_xMessage);
      EXPECT_EQ(xFbx.GetSectionCount(), 0);
    }
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

// Sections are appended saves, each followed by its footer; the table lists
// the first section, then the others from the end of the file backwards. Up
// to 15 bytes after a footer leave it where the reader looks; 16 do not, and
// the walk then stops at once (the first footer's version unread as well).
TEST(KFbxOpen, SectionTableFromFooters) {
  const KFbxWriteSection kSections[] = {
      {HeaderExtension(6100), KFbxWriteField("Which", {KFbxWriteValue::String("1")})},
      {KFbxWriteField("Which", {KFbxWriteValue::String("two")})},
      {KFbxWriteField("Which", {KFbxWriteValue::String("three!")})},
  };
  struct Case {
    const char* m_pszName;
    size_t m_uSections;
    int m_iFirstFooterVersion, m_iFooterVersion;  // -1: the header's, 6100
    size_t m_uTrailing;
    std::vector<int> m_xVersions;  // the table's versions; its size is the section count
  } const kCases[] = {
      {"one section", 1, 0, -1, 0, {6100}},
      {"one section, first footer's version", 1, 5000, -1, 0, {5000}},
      {"two sections, header's version", 2, 0, -1, 0, {6100, 6100}},
      {"two sections, version 0 reads 4000", 2, 5000, 0, 0, {5000, 4000}},
      {"three sections", 3, 5000, 6000, 0, {5000, 6000, 6000}},
      {"three sections, 1 trailing byte", 3, 5000, 6000, 1, {5000, 6000, 6000}},
      {"three sections, 7 trailing bytes", 3, 0, 6000, 7, {6100, 6000, 6000}},
      {"three sections, 15 trailing bytes", 3, 5000, 0, 15, {5000, 4000, 4000}},
      {"three sections, 16 trailing bytes", 3, 5000, 6000, 16, {6100}},
      {"one section, 16 trailing bytes", 1, 5000, -1, 16, {6100}},
  };
  for (const Case& xCase : kCases) {
    for (bool bBigEndian : {false, true}) {
      SCOPED_TRACE(std::string(xCase.m_pszName) + (bBigEndian ? ", big-endian" : ", little-endian"));
      KFbxWriteOptions xOptions;
      xOptions.m_bBigEndian = bBigEndian;
      xOptions.m_iFirstFooterVersion = xCase.m_iFirstFooterVersion;
      xOptions.m_iFooterVersion = xCase.m_iFooterVersion;
      xOptions.m_uFooterTrailingBytes = xCase.m_uTrailing;
      // Section k starts where a file of the sections before it ends.
      std::vector<KFbxWriteSection> xWritten;
      std::vector<int64_t> xStarts;
      for (size_t i = 0; i < xCase.m_uSections; ++i) {
        xStarts.push_back(i == 0 ? 27 : static_cast<int64_t>(KFbxWriteBytes(xWritten, xOptions).size()));
        xWritten.push_back(kSections[i]);
      }
      const std::string xBytes = KFbxWriteBytes(xWritten, xOptions);
      KFbx xFbx;
      ASSERT_TRUE(xFbx.ProjectOpenMemory(xBytes.data(), xBytes.size()));
      ASSERT_EQ(xFbx.GetSectionCount(), static_cast<int>(xCase.m_xVersions.size()));
      for (int i = 0; i < xFbx.GetSectionCount(); ++i) {
        EXPECT_EQ(xFbx.GetSectionStart(i), xStarts[i == 0 ? 0 : xStarts.size() - i]) << i;
        EXPECT_EQ(xFbx.GetSectionVersion(i), xCase.m_xVersions[i]) << i;
      }
      EXPECT_STREQ(xFbx.FieldString("Which"), "1");
    }
  }
  KFbxWriteOptions xAscii;
  xAscii.m_bBinary = false;
  const std::string xBytes = KFbxWriteBytes({kSections[0]}, xAscii);
  KFbx xFbx;
  ASSERT_TRUE(xFbx.ProjectOpenMemory(xBytes.data(), xBytes.size()));
  ASSERT_EQ(xFbx.GetSectionCount(), 1);
  EXPECT_EQ(xFbx.GetSectionStart(0), 0);
  EXPECT_EQ(xFbx.GetSectionVersion(0), 6100);
}

// Where footers sit, read off the bytes. The sizes are chosen from the
// record layout so that the file is 82 960 bytes long: its last section
// ends at P = 82 960, so F = P - P mod 16 - 144 = 82 816 holds the distance
// back to that section's start (2240) and its version (6100), and the magic
// follows the 128 bytes at 82 944, ending 16-aligned. Trailing bytes after
// each magic move none of it.
TEST(KFbxOpen, FooterLayout) {
  const std::string kMagic("\xF8\x5A\x8C\x6A\xDE\xF5\xD9\x7E\xEC\xE9\x0C\xE3\x75\x8F\x29\x0B", 16);
  // A section holding one record "A" with one raw value: record header 13,
  // name 1, type code 1, length 4, the bytes; then the list terminator, 13.
  auto Section = [](size_t uContent) {
    return KFbxWriteSection{KFbxWriteField("A", {KFbxWriteValue::Raw(std::string(uContent - 32, 'r'))})};
  };
  // First section: header 27 + content, ending at its footer 80 432 (16-aligned,
  // no padding); its footer and magic end at 80 576, the second's start.
  const KFbxWriteSection xFirst = Section(80432 - 27);
  for (bool bBigEndian : {false, true}) {
    for (size_t uTrailing : {0, 1, 7, 15}) {
      // Bytes after the first footer shorten the second section, which still
      // ends at 82 816 without padding.
      const KFbxWriteSection xSecond = Section(2240 - uTrailing);
      SCOPED_TRACE(std::string(bBigEndian ? "big-endian, " : "little-endian, ") + std::to_string(uTrailing));
      KFbxWriteOptions xOptions;
      xOptions.m_bBigEndian = bBigEndian;
      xOptions.m_uFooterTrailingBytes = uTrailing;
      const std::string xBytes = KFbxWriteBytes({xFirst, xSecond}, xOptions);
      const auto Word = [&](size_t uAt) {
        uint32_t u = 0;
        for (int i = 0; i < 4; ++i) {
          const uint32_t uByte = static_cast<uint8_t>(xBytes.at(uAt + i));
          u |= uByte << (8 * (bBigEndian ? 3 - i : i));
        }
        return u;
      };
      const size_t uSecondStart = 80576 + uTrailing;
      ASSERT_EQ(xBytes.size(), 82960 + uTrailing);
      // The first footer: distance 0, version 0 (the header's stands).
      EXPECT_EQ(Word(80432), 0u);
      EXPECT_EQ(Word(80436), 0u);
      EXPECT_EQ(xBytes.substr(80432 + 128, 16), kMagic);
      EXPECT_EQ(xBytes.substr(uSecondStart + 12, 2), "\1A");  // the second section's first record
      // The second footer: the distance back from F to the second section.
      EXPECT_EQ(Word(82816), 2240 - uTrailing);
      EXPECT_EQ(Word(82820), 6100u);
      EXPECT_EQ(xBytes.substr(82944, 16), kMagic);
      EXPECT_EQ(xBytes.substr(82960), std::string(uTrailing, '\0'));
      KFbx xFbx;
      ASSERT_TRUE(xFbx.ProjectOpenMemory(xBytes.data(), xBytes.size()));
      ASSERT_EQ(xFbx.GetSectionCount(), 2);
      EXPECT_EQ(xFbx.GetSectionStart(1), static_cast<int64_t>(uSecondStart));
    }
  }
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
