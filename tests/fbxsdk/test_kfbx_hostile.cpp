// Hostile files: every offset, length and count is checked before it is
// used, and each broken rule fails the open or the block with code 0.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "fbxsdk/fileio/kencrypted_file.h"
#include "fbxsdk/fileio/kfbx_field_list.h"
#include "fileio_test_util.h"
#include "hostile_sweep.h"

using namespace fileio_test;

namespace {

std::string Le32(uint32_t u) {
  std::string x(4, '\0');
  for (int i = 0; i < 4; ++i) x[i] = static_cast<char>(u >> (8 * i));
  return x;
}

void Patch32(std::string& xBytes, size_t uAt, uint32_t u) { xBytes.replace(uAt, 4, Le32(u)); }

std::string Header() { return std::string("Quorvex FBX Binary  \0\x1A\0", 23) + Le32(6100); }

// Header, then at 27 "Rec" (one "I" property, ends at 85) whose block holds
// "Kid" (at 48, string "abc" at 64, ends at 72) and a terminator (72); the
// top-level terminator at 85; 98 bytes.
std::string SmallBinary() {
  std::string x = Header();
  x += Le32(85) + Le32(1) + Le32(5) + "\3Rec" + "I" + Le32(5);
  x += Le32(72) + Le32(1) + Le32(8) + "\3Kid" + "S" + Le32(3) + "abc";
  x += std::string(26, '\0');
  return x;
}

const char* kAsciiHeader = "; FBX 6.1.0 project file\n";

enum Outcome { kOpenFails, kBlockFails, kReads };

// Opens the bytes and enters every block of the first occurrences; reports
// where the first failure happened (with code 0 expected there).
Outcome Try(const std::string& xBytes, KFbx& xFbx) {
  if (!xFbx.ProjectOpenMemory(xBytes.data(), xBytes.size())) return kOpenFails;
  while (xFbx.GetFieldCount() > 0 && xFbx.BeginField(xFbx.GetFieldName(0))) {
    // No error text: the occurrence has no block, which is no failure.
    if (!xFbx.EnterBlock()) return xFbx.GetError().GetLastErrorString()[0] ? kBlockFails : kReads;
  }
  return kReads;
}

}  // namespace

TEST(KFbxHostile, BinaryRecords) {
  const std::string xBase = SmallBinary();
  struct Case {
    const char* m_pszName;
    std::function<void(std::string&)> m_xBreak;
    Outcome m_eOutcome;
  } const kCases[] = {
      {"intact", [](std::string&) {}, kReads},
      {"end offset backwards", [](std::string& x) { Patch32(x, 27, 20); }, kOpenFails},
      {"end offset into its own header", [](std::string& x) { Patch32(x, 27, 30); }, kOpenFails},
      {"end offset past the end", [](std::string& x) { Patch32(x, 27, 1000); }, kOpenFails},
      {"child ends past its parent", [](std::string& x) { Patch32(x, 48, 90); }, kBlockFails},
      {"child ends backwards", [](std::string& x) { Patch32(x, 48, 40); }, kBlockFails},
      {"property list longer than its record", [](std::string& x) { Patch32(x, 35, 100); }, kOpenFails},
      {"property list longer than its properties", [](std::string& x) { Patch32(x, 35, 6); }, kOpenFails},
      {"more properties than the list holds", [](std::string& x) { Patch32(x, 31, 2); }, kOpenFails},
      {"huge property count", [](std::string& x) { Patch32(x, 31, 0xFFFFFFFF); }, kOpenFails},
      {"string length 2^31", [](std::string& x) { Patch32(x, 65, 0x80000000u); }, kBlockFails},
      {"string length 2^32 - 1", [](std::string& x) { Patch32(x, 65, 0xFFFFFFFFu); }, kBlockFails},
      {"raw length 2^31", [](std::string& x) { x[64] = 'R', Patch32(x, 65, 0x80000000u); }, kBlockFails},
      {"name runs past its record", [](std::string& x) { x[39] = '\xC8'; }, kOpenFails},
      {"unknown type code", [](std::string& x) { x[43] = 'Z'; }, kOpenFails},
      {"array type code", [](std::string& x) { x[64] = 'd'; }, kBlockFails},
      {"no top-level terminator", [](std::string& x) { x.resize(85); }, kOpenFails},
      {"no nested terminator", [](std::string& x) { x.replace(72, 4, Le32(85)); }, kBlockFails},
      {"header cut short", [](std::string& x) { x.resize(26); }, kOpenFails},
  };
  for (const Case& xCase : kCases) {
    SCOPED_TRACE(xCase.m_pszName);
    std::string xBytes = xBase;
    xCase.m_xBreak(xBytes);
    KFbx xFbx;
    EXPECT_EQ(Try(xBytes, xFbx), xCase.m_eOutcome);
    if (xCase.m_eOutcome != kReads) {
      EXPECT_EQ(xFbx.GetError().GetLastErrorID(), KFbx::eFILE_CORRUPTED);
    }
    // A failed open leaves no section table behind.
    EXPECT_EQ(xFbx.GetSectionCount() == 0, xCase.m_eOutcome == kOpenFails);
  }
}

// Footers built by hand: SmallBinary padded to 112, a footer there (F = 112,
// magic at 240, file end 256), and optionally a second section at 256 (a
// bare terminator, padded to 272) whose footer points back to it (magic at
// 400, file end 416). A footer that is damaged, or points at or before the
// first section's start or outside the file, ends the walk without failing
// the file; the sections found before it stay.
TEST(KFbxHostile, Footers) {
  std::string xBase = SmallBinary();
  xBase.resize(112, '\0');
  const std::string xMagic("\xF8\x5A\x8C\x6A\xDE\xF5\xD9\x7E\xEC\xE9\x0C\xE3\x75\x8F\x29\x0B", 16);
  enum Magic { kAt128, kBroken, kAt8 };
  auto Footer = [&](uint32_t uBack, uint32_t uVersion, Magic eMagic) {
    std::string xFooter = Le32(uBack) + Le32(uVersion) + std::string(120, '\0') + xMagic;
    if (eMagic == kBroken) xFooter.back() ^= 1;
    if (eMagic == kAt8) xFooter = Le32(uBack) + Le32(uVersion) + xMagic + std::string(120, '\0');
    return xFooter;
  };
  const std::string xSecond = std::string(16, '\0') + Footer(16, 6000, kAt128);
  using Sections = std::vector<std::pair<int64_t, int>>;  // start, version
  struct Case {
    const char* m_pszName;
    uint32_t m_uBack, m_uVersion;
    Magic m_eMagic;
    bool m_bSecond;
    Sections m_xSections;
  } const kCases[] = {
      {"first section's footer", 0, 5000, kAt128, false, {{27, 5000}}},
      {"first section's footer, version 0", 0, 0, kAt128, false, {{27, 6100}}},
      {"start before the footer", 112 - 98, 6000, kAt128, false, {{27, 6100}, {98, 6000}}},
      {"version 0 reads 4000", 112 - 98, 0, kAt128, false, {{27, 6100}, {98, 4000}}},
      {"start at the first section's", 112 - 27, 6000, kAt128, false, {{27, 6100}}},
      {"start inside the header", 112 - 10, 6000, kAt128, false, {{27, 6100}}},
      {"start outside the file", 0xFFFFFFF0u, 6000, kAt128, false, {{27, 6100}}},
      {"bad magic", 0, 5000, kBroken, false, {{27, 6100}}},
      {"magic right after the two words", 0, 5000, kAt8, false, {{27, 6100}}},
      {"second section, first section's footer", 0, 5000, kAt128, true, {{27, 5000}, {256, 6000}}},
      {"second section, then a start before the footer",
       112 - 98,
       0,
       kAt128,
       true,
       {{27, 6100}, {256, 6000}, {98, 4000}}},
      {"second section, then a start at the first section's", 112 - 27, 6000, kAt128, true, {{27, 6100}, {256, 6000}}},
      {"second section, then a start inside the header", 112 - 10, 6000, kAt128, true, {{27, 6100}, {256, 6000}}},
      {"second section, then a start outside the file", 0xFFFFFFF0u, 6000, kAt128, true, {{27, 6100}, {256, 6000}}},
      {"second section, then a bad magic", 0, 5000, kBroken, true, {{27, 6100}, {256, 6000}}},
  };
  for (const Case& xCase : kCases) {
    SCOPED_TRACE(xCase.m_pszName);
    const std::string xBytes =
        xBase + Footer(xCase.m_uBack, xCase.m_uVersion, xCase.m_eMagic) + (xCase.m_bSecond ? xSecond : "");
    KFbx xFbx;
    ASSERT_TRUE(xFbx.ProjectOpenMemory(xBytes.data(), xBytes.size()));
    Sections xFound;
    for (int i = 0; i < xFbx.GetSectionCount(); ++i)
      xFound.emplace_back(xFbx.GetSectionStart(i), xFbx.GetSectionVersion(i));
    EXPECT_EQ(xFound, xCase.m_xSections);
    EXPECT_TRUE(xFbx.BeginField("Rec"));  // the first section reads
  }
}

TEST(KFbxHostile, AsciiText) {
  struct Case {
    const char* m_pszName;
    std::string m_xText;
    Outcome m_eOutcome;
  } const kCases[] = {
      {"unterminated quote", "A: \"abc\n", kOpenFails},
      {"unterminated quote in a block", "A: {\n B: \"x\n}\n", kOpenFails},
      {"missing closing brace", "A: {\n B: 1\n", kOpenFails},
      {"extra closing brace", "A: 1\n}\n", kOpenFails},
      {"extra closing brace in a block", "A: {\n}}\n", kOpenFails},
      {"block without a name", "{\n}\n", kOpenFails},
      {"two blocks for one field", "A: { } { }\n", kOpenFails},
      {"50 MB line", "A: " + std::string(50u << 20, '7') + "\n", kOpenFails},
      {"brace in a quoted value", "A: \"{\" {\n B: \"}\"\n}\n", kReads},
      {"marker-like characters", std::string("A: 12\x01, 3\x1f\x7f, \xff {\n B: 1\n}\n"), kReads},
  };
  for (const Case& xCase : kCases) {
    SCOPED_TRACE(xCase.m_pszName);
    KFbx xFbx;
    EXPECT_EQ(Try(kAsciiHeader + xCase.m_xText, xFbx), xCase.m_eOutcome);
    if (xCase.m_eOutcome != kReads) {
      EXPECT_EQ(xFbx.GetError().GetLastErrorID(), KFbx::eFILE_CORRUPTED);
    }
  }
  const std::string xText = std::string(kAsciiHeader) + "A: 12\x01, 3\x1f {\n}\n";
  KFbx xFbx;
  ASSERT_TRUE(xFbx.ProjectOpenMemory(xText.data(), xText.size()));
  ASSERT_TRUE(xFbx.BeginField("A"));
  EXPECT_STREQ(xFbx.NextString(), "12\x01");
  EXPECT_STREQ(xFbx.NextString(), "3\x1f");
  EXPECT_TRUE(xFbx.EnterBlock());
}

// Nested blocks 100 000 deep: the file opens, blocks are entered up to the
// depth limit and the next one fails; nothing recurses on the way.
TEST(KFbxHostile, DeepNesting) {
  constexpr uint32_t kDepth = 100000;
  std::string xBinary = Header();
  for (uint32_t i = 0; i < kDepth; ++i)
    xBinary += Le32(27 + 14 * kDepth + 13 * (kDepth - i)) + Le32(0) + Le32(0) + "\1n";
  xBinary += std::string(13 * (kDepth + 1), '\0');
  std::string xAscii = kAsciiHeader;
  for (uint32_t i = 0; i < kDepth; ++i) xAscii += "n: {\n";
  for (uint32_t i = 0; i < kDepth; ++i) xAscii += "}\n";
  for (const std::string* pxBytes : {&xBinary, &xAscii}) {
    KFbx xFbx;
    ASSERT_TRUE(xFbx.ProjectOpenMemory(pxBytes->data(), pxBytes->size()));
    for (int i = 0; i < KFbxLimits::kMaxBlockDepth; ++i) {
      ASSERT_TRUE(xFbx.BeginField("n"));
      ASSERT_TRUE(xFbx.EnterBlock()) << i;
    }
    EXPECT_EQ(xFbx.GetBlockDepth(), KFbxLimits::kMaxBlockDepth);
    ASSERT_TRUE(xFbx.BeginField("n"));
    EXPECT_FALSE(xFbx.EnterBlock());
    EXPECT_EQ(xFbx.GetError().GetLastErrorID(), KFbx::eFILE_CORRUPTED);
    EXPECT_TRUE(xFbx.LeaveBlock());
  }
}

TEST(KFbxHostile, FieldsPerBlockLimit) {
  for (uint32_t uCount : {KFbxLimits::kMaxFieldsPerBlock, KFbxLimits::kMaxFieldsPerBlock + 1}) {
    SCOPED_TRACE(uCount);
    std::string xBinary = Header();
    xBinary.reserve(27 + 14 * (uCount + 1));
    for (uint32_t i = 0; i < uCount; ++i) xBinary += Le32(27 + 14 * (i + 1)) + Le32(0) + Le32(0) + "\1a";
    xBinary += std::string(13, '\0');
    std::string xAscii = kAsciiHeader;
    for (uint32_t i = 0; i < uCount; ++i) xAscii += "a:\n";
    for (const std::string* pxBytes : {&xBinary, &xAscii}) {
      KFbx xFbx;
      const bool bOpened = xFbx.ProjectOpenMemory(pxBytes->data(), pxBytes->size());
      ASSERT_EQ(bOpened, uCount == KFbxLimits::kMaxFieldsPerBlock);
      if (bOpened)
        EXPECT_EQ(xFbx.GetFieldOccurrenceCount("a"), static_cast<int>(uCount));
      else
        EXPECT_EQ(xFbx.GetError().GetLastErrorID(), KFbx::eFILE_CORRUPTED);
    }
  }
}

TEST(KFbxHostile, ValueAndLineLengthLimits) {
  for (uint32_t uLength : {KFbxLimits::kMaxValueLength, KFbxLimits::kMaxValueLength + 1}) {
    SCOPED_TRACE(uLength);
    const uint32_t uEnd = 27 + 13 + 1 + 5 + uLength;
    const std::string xBytes = Header() + Le32(uEnd) + Le32(1) + Le32(5 + uLength) + "\1s" + "R" + Le32(uLength) +
                               std::string(uLength, 'x') + std::string(13, '\0');
    KFbx xFbx;
    ASSERT_EQ(xFbx.ProjectOpenMemory(xBytes.data(), xBytes.size()), uLength == KFbxLimits::kMaxValueLength);
    std::vector<uint8_t> xRaw;
    if (xFbx.BeginField("s")) {
      EXPECT_TRUE(xFbx.NextRaw(xRaw));
      EXPECT_EQ(xRaw.size(), uLength);
    }
  }
  for (uint32_t uLength : {KFbxLimits::kMaxAsciiLineLength, KFbxLimits::kMaxAsciiLineLength + 1}) {
    SCOPED_TRACE(uLength);
    const std::string xText = kAsciiHeader + std::string("s: ") + std::string(uLength - 3, '9') + "\n";
    KFbx xFbx;
    ASSERT_EQ(xFbx.ProjectOpenMemory(xText.data(), xText.size()), uLength == KFbxLimits::kMaxAsciiLineLength);
  }
}

TEST(KFbxHostile, KeyDerivationRoundsLimit) {
  KFbxWriteOptions xOptions;
  xOptions.m_bEncrypted = true;
  const std::string xBytes = KFbxWriteBytes({{HeaderExtension(6100)}}, xOptions);
  const size_t uRecord = xBytes.find("KFBXENC1");
  ASSERT_NE(uRecord, std::string::npos);
  for (uint32_t uRounds : {KEncryptionRecord::kMaxDeriveRounds, KEncryptionRecord::kMaxDeriveRounds + 1, 0u}) {
    SCOPED_TRACE(uRounds);
    std::string xChanged = xBytes;
    Patch32(xChanged, uRecord + 8, uRounds);
    KFbx xFbx;
    const bool bOpened = xFbx.ProjectOpenMemory(xChanged.data(), xChanged.size());
    ASSERT_EQ(bOpened, uRounds == KEncryptionRecord::kMaxDeriveRounds);
    if (bOpened) {
      EXPECT_FALSE(xFbx.SetPassword(""));  // the stored check was made with other rounds
    }
  }
}

// Every prefix of small files of each encoding, then a fixed set of byte
// changes: nothing crashes, and a failure is reported as corruption.
TEST(KFbxHostile, TruncationAndByteChangeSweeps) {
  KFbxWriteSection xTree = {HeaderExtension(6100)};
  KFbxWriteField& xModel =
      xTree.emplace_back("Model", std::vector<KFbxWriteValue>{KFbxWriteValue::ObjectName("Model", "Hips")});
  xModel.Child("P", {KFbxWriteValue::Double(1.5), KFbxWriteValue::Char('c'), KFbxWriteValue::Raw("raw")});
  xModel.Child("Q", {KFbxWriteValue::String("text {}"), KFbxWriteValue::Int64(-1)}).Child("R").Block();
  for (const Encoding& xEncoding : AllEncodings()) {
    SCOPED_TRACE(xEncoding.m_pszName);
    const std::string xBytes = KFbxWriteBytes({xTree}, xEncoding.m_xOptions);
    std::vector<std::string> xVariants;
    boneplay_test::HostileSweep(xBytes, boneplay_test::SweepPlan(),
                                [&](const std::string& xVariant) { xVariants.push_back(xVariant); });
    size_t uOpened = 0;
    for (const std::string& xVariant : xVariants) {
      KFbx xFbx;
      if (OpenBytes(xFbx, xVariant, xEncoding.m_xOptions)) {
        ++uOpened;
        WalkEverything(xFbx);
      } else {
        const int iCode = xFbx.GetError().GetLastErrorID();
        EXPECT_TRUE(iCode == KFbx::eFILE_CORRUPTED || iCode == KFbx::eFILE_VERSION_NOT_SUPPORTED_YET ||
                    iCode == KFbx::eINVALID_DATA)
            << iCode;
        // A failed open leaves a section table only for a refused version,
        // holding that version alone.
        const bool bRefused = std::string(xFbx.GetError().GetLastErrorString()).rfind("FBX file version", 0) == 0;
        if (!xFbx.IsOpen()) {
          EXPECT_EQ(xFbx.GetSectionCount(), bRefused ? 1 : 0);
        }
      }
    }
    EXPECT_GT(uOpened, 0u);
  }
}
