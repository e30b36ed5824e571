// The streaming scene writer: the same bytes as the tree written whole, a
// binary layout that follows the record format byte for byte (also where
// records were patched after their bytes had left the buffer), and ASCII
// key lists longer than a reader's line that still read back.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sstream>

#include "fbx_scene_writer.h"
#include "fbxsdk/fileio/kfbx_field_sink.h"
#include "fbxsdk/fileio/kfbx_importer.h"
#include "fbxsdk/fileio/kfbx_scene_fields.h"
#include "fbxsdk/fileio/kfbx_write_stream.h"
#include "fbxsdk/fileio/kfile.h"
#include "fbxsdk/scene/kfbx_node.h"
#include "fbxsdk/scene/kfbx_scene_graph.h"
#include "fbxsdk/scene/kfbx_sdk_manager.h"

namespace {

// Keys enough that a curve's record outgrows the writer's 1 MiB buffer in
// both encodings, and an ASCII key line its 1 MiB wrap length.
constexpr int kLongCurveKeys = 60000;

std::string Slurp(const std::string& xPath) {
  std::ifstream xIn(xPath, std::ios::binary);
  std::ostringstream xOut;
  xOut << xIn.rdbuf();
  return xOut.str();
}

KFCurve& WalkCurve(KFbxNode& xNode, const char* pszChannel) {
  for (int i = 0; i < xNode.GetTakeNodeCount(); ++i)
    if (std::strcmp(xNode.GetTakeNodeName(i), "Walk") == 0)
      return *xNode.GetTakeNode(i)->GetKFCurveNode()->Find(pszChannel)->FCurveGet();
  throw std::runtime_error("no take Walk");
}

// The skeleton scene, its hips' "Walk" X translation replaced by a long
// run of linear keys when asked.
KFbxSceneGraph* Scene(KFbxSdkManager& xManager, bool bLongCurve) {
  KFbxSceneGraph* pxScene = BuildSkeletonScene(xManager);
  if (bLongCurve) {
    KFCurve& xCurve = WalkCurve(*pxScene->RootNode()->FindDescendant("Hips"), "T/X");
    xCurve.KeyClear();
    for (int i = 0; i < kLongCurveKeys; ++i) {
      const int iKey = xCurve.KeyAppend(KTime::FromSeconds(i / 30.0), static_cast<float>(i) * 0.25f);
      xCurve.KeySetInterpolation(iKey, KFCURVE_INTERPOLATION_LINEAR);
    }
  }
  return pxScene;
}

struct Form {
  const char* m_pszName;
  int m_iVersion;
  bool m_bBinary, m_bBigEndian;
  bool m_bRunInTakeFile;
  bool m_bLongCurve;
  std::vector<std::string> m_xTakes;
};

const Form kForms[] = {
    {"6100 binary", 6100, true, false, false, false, {}},
    {"6100 binary big-endian, long curve", 6100, true, true, false, true, {}},
    {"6100 binary, long curve, Run in a take file", 6100, true, false, true, true, {}},
    {"6100 ascii, long curve", 6100, false, false, false, true, {}},
    {"5800 binary, Walk only", 5800, true, false, false, false, {"Walk"}},
    {"5800 ascii", 5800, false, false, true, false, {}},
    {"5000 binary (older form)", 5000, true, false, false, false, {}},
    {"5000 ascii big-endian flag ignored", 5000, false, true, false, false, {"Run"}},
};

KFbxSceneFieldsOptions FieldOptions(const Form& xForm, const std::string& xName) {
  KFbxSceneFieldsOptions xOptions;
  xOptions.m_iVersion = xForm.m_iVersion;
  xOptions.m_bTypeField = xForm.m_bBinary;
  xOptions.m_xTakes = xForm.m_xTakes;
  if (xForm.m_bRunInTakeFile) xOptions.m_xTakeFiles.emplace_back("Run", xName + "_Run.tak");
  xOptions.m_xTrailingFields.emplace_back("Settings");
  xOptions.m_xTrailingFields.back().Child("FrameRate", {KFbxWriteValue::String("30")});
  return xOptions;
}

KFbxWriteOptions WriteOptions(const Form& xForm) {
  KFbxWriteOptions xOptions;
  xOptions.m_bBinary = xForm.m_bBinary;
  xOptions.m_bBigEndian = xForm.m_bBigEndian;
  xOptions.m_iHeaderVersion = xForm.m_iVersion;
  return xOptions;
}

// The streamed file's path: written field by field.
std::string Streamed(const Form& xForm, size_t uIndex) {
  const std::string xName = "streamed_" + std::to_string(uIndex);
  KFbxSdkManager xManager;
  KFbxSceneGraph* pxScene = Scene(xManager, xForm.m_bLongCurve);
  const std::string xPath = TestFolder() + "/" + xName + ".fbx";
  std::string xError;
  EXPECT_TRUE(KFbxWriteSceneFile(xPath.c_str(), *pxScene, FieldOptions(xForm, xName), WriteOptions(xForm), &xError))
      << xError;
  return xPath;
}

TEST(KFbxWriteSceneFile, SameBytesAsTheTreeWrittenWhole) {
  for (size_t i = 0; i < std::size(kForms); ++i) {
    const Form& xForm = kForms[i];
    SCOPED_TRACE(xForm.m_pszName);
    const std::string xName = "streamed_" + std::to_string(i);
    const std::string xStreamed = Slurp(Streamed(xForm, i));
    KFbxSdkManager xManager;
    const KFbxSceneFields xTree = KFbxSceneToFields(*Scene(xManager, xForm.m_bLongCurve), FieldOptions(xForm, xName));
    const std::string xWhole = KFbxWriteBytes({xTree.m_xMain}, WriteOptions(xForm));
    ASSERT_FALSE(xWhole.empty());
    EXPECT_TRUE(xStreamed == xWhole) << "sizes " << xStreamed.size() << " and " << xWhole.size();
    ASSERT_EQ(xTree.m_xTakeFiles.size(), xForm.m_bRunInTakeFile && xForm.m_xTakes.empty() ? 1u : 0u);
    for (const auto& xTake : xTree.m_xTakeFiles)
      EXPECT_TRUE(Slurp(TestFolder() + "/" + xTake.first) == KFbxWriteBytes({xTake.second}, WriteOptions(xForm)));
    // The takes asked for, and only they, read back.
    KFbxSdkManager xReadManager;
    KFbxSceneGraph* pxRead = xReadManager.CreateScene();
    KFbxImporter* pxImporter = xReadManager.CreateImporter();
    ASSERT_TRUE(pxImporter->Initialize((TestFolder() + "/" + xName + ".fbx").c_str()) && pxImporter->Import(pxRead));
    std::vector<std::string> xTakes;
    for (int t = 0; t < pxRead->GetTakeInfoCount(); ++t) xTakes.emplace_back(pxRead->GetTakeInfo(t)->m_xName.Buffer());
    const std::vector<std::string> xAll{"Walk", "Run"};
    EXPECT_EQ(xTakes, xForm.m_xTakes.empty() ? xAll : xForm.m_xTakes);
  }
}

// The record format, read here from its description and nothing else.
class RecordWalk {
 public:
  RecordWalk(const std::string& xBytes, bool bBigEndian) : m_xBytes(xBytes), m_bBigEndian(bBigEndian) {}

  uint32_t U32(size_t uAt) const {
    uint32_t u = 0;
    for (int i = 0; i < 4; ++i)
      u |= uint32_t(static_cast<uint8_t>(m_xBytes[uAt + i])) << (8 * (m_bBigEndian ? 3 - i : i));
    return u;
  }
  uint64_t U64(size_t uAt) const {
    const uint64_t ullFirst = U32(uAt), ullSecond = U32(uAt + 4);
    return m_bBigEndian ? ullFirst << 32 | ullSecond : ullSecond << 32 | ullFirst;
  }
  bool Zeros(size_t uAt, size_t uCount) const {
    return uAt + uCount <= m_xBytes.size() && m_xBytes.compare(uAt, uCount, std::string(uCount, '\0')) == 0;
  }

  // One record at uAt inside [uAt, uLimit): its values, walked by their
  // type codes, fill the length its header gives; the rest of the record,
  // if any, is its nested block, ended by a 13-byte zero terminator right
  // at the record's end. Returns the record's end.
  size_t Record(size_t uAt, size_t uLimit) {
    const size_t uEnd = U32(uAt), uCount = U32(uAt + 4), uLength = U32(uAt + 8);
    const size_t uNameLength = static_cast<uint8_t>(m_xBytes[uAt + 12]);
    const std::string xName = m_xBytes.substr(uAt + 13, uNameLength);
    EXPECT_GT(uEnd, uAt);
    EXPECT_LE(uEnd, uLimit) << xName << " at " << uAt;
    const bool bLongKeys = xName == "Key" && uCount == 3u * kLongCurveKeys;
    size_t uValue = uAt + 13 + uNameLength;
    for (size_t i = 0; i < uCount && !::testing::Test::HasFailure(); ++i) {
      if (bLongKeys && i < 6) m_xLongKeys.push_back(ValueText(uValue));
      uValue = SkipValue(xName, uValue);
    }
    EXPECT_EQ(uValue, uAt + 13 + uNameLength + uLength) << xName << " at " << uAt;
    if (uValue < uEnd) {
      size_t uChild = uValue;
      while (!Zeros(uChild, 13) && !::testing::Test::HasFailure()) uChild = Record(uChild, uEnd - 13);
      EXPECT_EQ(uChild + 13, uEnd) << "terminator of " << xName << " not at its record's end";
    }
    ++m_iRecords;
    return uEnd;
  }

  int m_iRecords = 0;
  // The first six values of the long curve's "Key" list.
  std::vector<std::string> m_xLongKeys;

 private:
  size_t SkipValue(const std::string& xName, size_t uAt) {
    switch (m_xBytes[uAt]) {
      case 'C':
        return uAt + 2;
      case 'I':
      case 'F':
        return uAt + 5;
      case 'D':
      case 'L':
        return uAt + 9;
      case 'S':
      case 'R':
        return uAt + 5 + U32(uAt + 1);
      default:
        ADD_FAILURE() << "type code " << int(m_xBytes[uAt]) << " in " << xName;
        return m_xBytes.size();
    }
  }

  std::string ValueText(size_t uAt) const {
    const char cType = m_xBytes[uAt];
    if (cType == 'L') return "L" + std::to_string(U64(uAt + 1));
    if (cType == 'C') return std::string("C") + m_xBytes[uAt + 1];
    const uint64_t u = U64(uAt + 1);
    double d;
    std::memcpy(&d, &u, 8);
    return std::string(1, cType) + std::to_string(d);
  }

  const std::string& m_xBytes;
  bool m_bBigEndian;
};

constexpr uint8_t kFooterMagic[16] = {0xF8, 0x5A, 0x8C, 0x6A, 0xDE, 0xF5, 0xD9, 0x7E,
                                      0xEC, 0xE9, 0x0C, 0xE3, 0x75, 0x8F, 0x29, 0x0B};

TEST(KFbxWriteSceneFile, BinaryLayoutFollowsTheRecordFormat) {
  for (size_t i = 0; i < std::size(kForms); ++i) {
    const Form& xForm = kForms[i];
    if (!xForm.m_bBinary || !xForm.m_bLongCurve) continue;
    SCOPED_TRACE(xForm.m_pszName);
    const std::string xBytes = Slurp(Streamed(xForm, i));
    ASSERT_GT(xBytes.size(), 1u << 20);  // records were patched after their bytes had left the buffer
    // Header: magic, its zero, 0x1A, the byte order, the version.
    EXPECT_EQ(xBytes.compare(0, 21, std::string("Quorvex FBX Binary  \0", 21)), 0);
    EXPECT_EQ(xBytes[21], '\x1A');
    EXPECT_EQ(xBytes[22], xForm.m_bBigEndian ? '\1' : '\0');
    RecordWalk xWalk(xBytes, xForm.m_bBigEndian);
    EXPECT_EQ(xWalk.U32(23), 6100u);
    // The top level runs to its terminator; zeros pad to the footer, which
    // starts 144 bytes before the file's end rounded down to 16.
    const size_t uSize = xBytes.size();
    const size_t uFooter = uSize - uSize % 16 - 144;
    size_t uAt = 27;
    while (!xWalk.Zeros(uAt, 13) && !::testing::Test::HasFailure()) uAt = xWalk.Record(uAt, uFooter);
    ASSERT_FALSE(::testing::Test::HasFailure());
    EXPECT_GT(xWalk.m_iRecords, 100);
    EXPECT_LE(uAt + 13, uFooter);
    EXPECT_TRUE(xWalk.Zeros(uAt, uFooter - uAt)) << "terminator and padding";
    EXPECT_EQ(xWalk.U32(uFooter), 0u);  // the first section's distance back
    EXPECT_EQ(std::memcmp(xBytes.data() + uFooter + 128, kFooterMagic, 16), 0);
    EXPECT_EQ(uFooter + 144, uSize);
    // The long curve's keys: time, value and letter per key.
    const std::vector<std::string> xFirst{
        "L0", "D0.000000", "CL", "L" + std::to_string(KTime::FromSeconds(1 / 30.0).Get()), "D0.250000", "CL"};
    EXPECT_EQ(xWalk.m_xLongKeys, xFirst);
  }
}

// A patched word lands where its bytes are: in the file, in the buffer, or
// across the two when a flush fell between them.
TEST(KFbxFileOut, PatchesReachFlushedAndBufferedBytes) {
  const size_t uBuffer = KFbxFileOut::kStreamBufferBytes;
  const std::string xPath = TestFolder() + "/patched.bin";
  KFbxFileOut xOut(KFileOpenUtf8(xPath.c_str(), "wb"));
  xOut.Append(std::string(uBuffer - 2, 'a'));
  xOut.Append("bb", 2);  // the buffer is full: all of it goes to the file
  xOut.Append("cccccc", 6);
  const uint8_t au1[4] = {'1', '1', '1', '1'}, au2[4] = {'2', '2', '2', '2'}, au3[4] = {'3', '3', '3', '3'};
  xOut.Patch(10, au1);           // in the file
  xOut.Patch(uBuffer - 2, au2);  // two bytes in the file, two in the buffer
  xOut.Patch(uBuffer + 2, au3);  // in the buffer
  xOut.Append("d", 1);
  ASSERT_TRUE(xOut.Close()) << xOut.Error();
  std::string xWanted = std::string(uBuffer - 2, 'a') + "bbccccccd";
  xWanted.replace(10, 4, "1111");
  xWanted.replace(uBuffer - 2, 4, "2222");
  xWanted.replace(uBuffer + 2, 4, "3333");
  EXPECT_TRUE(Slurp(xPath) == xWanted);
}

// A key list longer than the writer's 1 MiB wrap length goes on over
// several lines, none much longer than that, and reads back whole.
TEST(KFbxWriteSceneFile, LongAsciiKeyListsWrapAndReadBack) {
  const size_t uIndex = 3;
  ASSERT_FALSE(kForms[uIndex].m_bBinary);
  ASSERT_TRUE(kForms[uIndex].m_bLongCurve);
  const std::string xPath = Streamed(kForms[uIndex], uIndex);
  const std::string xText = Slurp(xPath);
  size_t uLongest = 0, uLines = 0;
  for (size_t uAt = 0, uNext; uAt < xText.size(); uAt = uNext + 1, ++uLines) {
    uNext = xText.find('\n', uAt);
    if (uNext == std::string::npos) uNext = xText.size();
    uLongest = std::max(uLongest, uNext - uAt);
  }
  EXPECT_GT(uLongest, size_t(1) << 20);
  EXPECT_LT(uLongest, (size_t(1) << 20) + 64);
  KFbxSdkManager xManager;
  KFbxSceneGraph* pxScene = xManager.CreateScene();
  KFbxImporter* pxImporter = xManager.CreateImporter();
  ASSERT_TRUE(pxImporter->Initialize(xPath.c_str()) && pxImporter->Import(pxScene));
  const KFCurve& xCurve = WalkCurve(*pxScene->RootNode()->FindDescendant("Hips"), "T/X");
  ASSERT_EQ(xCurve.KeyGetCount(), kLongCurveKeys);
  for (int i : {0, 1, kLongCurveKeys / 2, kLongCurveKeys - 1}) {
    EXPECT_EQ(xCurve.KeyGet(i).GetValue(), static_cast<float>(i) * 0.25f) << i;
    EXPECT_EQ(xCurve.KeyGet(i).GetTime(), KTime::FromSeconds(i / 30.0)) << i;
    EXPECT_EQ(xCurve.KeyGet(i).GetInterpolation(), KFCURVE_INTERPOLATION_LINEAR) << i;
  }
}

}  // namespace
