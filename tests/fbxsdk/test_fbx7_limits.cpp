// The 7.x reader's limits, each at the limit (read) and one over (refused
// with its reason), and arrays whose stored bytes disagree with what they
// declare.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "fbxsdk/fileio/kfbx_write_stream.h"
#include "fbxsdk/fileio/kfbx_writer7.h"
#include "fbxsdk/fileio7/kfbx7_document.h"
#include "fbxsdk/fileio7/kfbx7_limits.h"
#include "fbxsdk/fileio7/kfbx7_reader.h"
#include "fbxsdk/scene/kfbx_node.h"
#include "fbxsdk/scene/kfbx_scene_graph.h"
#include "fbxsdk/scene/kfbx_sdk_manager.h"
#include "node_test_util.h"

namespace {

using Fill = std::function<void(KFbxFieldSink&)>;

// A 7500 binary file of the fields, arrays raw unless deflated is asked.
std::string Binary(const Fill& xFill, size_t uCompressFrom = SIZE_MAX) {
  std::string xBytes;
  KFbxStringOut xOut(xBytes);
  KFbxPutBinary7Header(xOut, 7500);
  const uint64_t ullStart = xOut.Size();
  KFbx7WriteOptions xOptions;
  xOptions.m_iVersion = 7500;
  xOptions.m_uCompressFrom = uCompressFrom;
  xOptions.m_bAlwaysDeflate = true;
  std::unique_ptr<KFbxFieldSink> pxSink = KFbxMakeBinary7Sink(xOut, xOptions);
  xFill(*pxSink);
  EXPECT_FALSE(pxSink->Failed()) << pxSink->Error();
  KFbxPutBinary7End(xOut, 7500, ullStart);
  return xBytes;
}

// A raw value made into an array header that declares uCount elements of
// cType, stored with uEncoding in the raw value's remaining bytes: the
// record around it stays consistent whatever the array claims.
void DeclaredArray(KFbxFieldSink& xOut, char cType, uint32_t uCount, uint32_t uEncoding, std::string xStored,
                   std::string& xPatches) {
  xOut.Value(KFbxWriteValue::Raw(std::string(8, '#') + xStored));
  xPatches.push_back(cType);
  for (uint32_t u : {uCount, uEncoding, static_cast<uint32_t>(xStored.size())})
    for (int i = 0; i < 4; ++i) xPatches.push_back(static_cast<char>(u >> (8 * i)));
}

// Applies DeclaredArray's patches: each 'R' value whose payload starts
// with eight '#' becomes the array its patch describes.
std::string Patched(std::string xBytes, const std::string& xPatches) {
  size_t uAt = 0;
  for (size_t p = 0; p < xPatches.size(); p += 13) {
    uAt = xBytes.find(std::string(8, '#'), uAt) - 5;
    xBytes.replace(uAt, 13, xPatches.substr(p, 13));
    uAt += 13;
  }
  return xBytes;
}

struct Outcome {
  bool m_bRead;
  std::string m_xWhy;
};

Outcome ReadScene(const std::string& xBytes) {
  KFbxSdkManager xManager;
  KFbxSceneGraph* pxScene = xManager.CreateScene();
  std::string xWhy;
  const bool bRead = KFbx7ReadMemory(xBytes.data(), xBytes.size(), xManager, *pxScene, nullptr, &xWhy);
  return {bRead, xWhy};
}

Outcome ParseOnly(const std::string& xBytes) {
  KFbx7Document xDoc;
  std::string xWhy;
  const bool bRead = xDoc.Parse(std::vector<uint8_t>(xBytes.begin(), xBytes.end()), xWhy);
  return {bRead, xWhy};
}

// A hips model whose "Lcl Translation" a curve drives through a chain of
// iPassed curve nodes besides the one the layer holds.
std::string CurveNodeChain(int iPassed) {
  return Binary([&](KFbxFieldSink& x) {
    x.Begin("Objects");
    x.Leaf("Model",
           {KFbxWriteValue::Int64(1), KFbxWriteValue::ObjectName("Model", "Hips"), KFbxWriteValue::String("LimbNode")});
    x.Leaf("AnimationStack",
           {KFbxWriteValue::Int64(2), KFbxWriteValue::ObjectName("AnimStack", "Take"), KFbxWriteValue::String("")});
    x.Leaf("AnimationLayer",
           {KFbxWriteValue::Int64(3), KFbxWriteValue::ObjectName("AnimLayer", "Base"), KFbxWriteValue::String("")});
    for (int i = 0; i <= iPassed; ++i)
      x.Leaf("AnimationCurveNode", {KFbxWriteValue::Int64(10 + i), KFbxWriteValue::ObjectName("AnimCurveNode", "T"),
                                    KFbxWriteValue::String("")});
    x.Begin("AnimationCurve");
    x.Int64(100);
    x.Leaf("KeyTime", {KFbxWriteValue::Int64Array({0})});
    x.Leaf("KeyValueFloat", {KFbxWriteValue::FloatArray({5.0f})});
    x.End();
    x.End();
    x.Begin("Connections");
    const auto C = [&](const char* pszKind, int64_t llChild, int64_t llParent, const char* pszProperty) {
      x.Begin("C");
      x.String(pszKind);
      x.Int64(llChild);
      x.Int64(llParent);
      if (pszProperty) x.String(pszProperty);
      x.End();
    };
    C("OO", 1, 0, nullptr);
    C("OO", 3, 2, nullptr);
    C("OO", 10, 3, nullptr);
    for (int i = 0; i < iPassed; ++i) C("OP", 10 + i, 11 + i, "d|X");
    C("OP", 10 + iPassed, 1, "Lcl Translation");
    C("OP", 100, 10, "d|X");
    x.End();
  });
}

std::string Records(const char* pszBlock, int iCount, const Fill& xOne) {
  return Binary([&](KFbxFieldSink& x) {
    x.Begin(pszBlock);
    for (int i = 0; i < iCount; ++i) xOne(x);
    x.End();
  });
}

}  // namespace

TEST(KFbx7Limits, AtTheLimitReadOneOverRefused) {
  int64_t llId = 0;
  const Fill xObject = [&](KFbxFieldSink& x) { x.Leaf("Video", {KFbxWriteValue::Int64(++llId)}); };
  const Fill xConnection = [](KFbxFieldSink& x) {
    x.Leaf("C", {KFbxWriteValue::String("OO"), KFbxWriteValue::Int64(1), KFbxWriteValue::Int64(2)});
  };
  const struct {
    const char* m_pszLimit;
    std::function<std::string(int)> m_xMake;  // a file at n
    int m_iLimit;
    const char* m_pszWhy;
    bool m_bParseOnly;
  } axCases[] = {
      {"record depth",
       [](int n) {
         return Binary([n](KFbxFieldSink& x) {
           for (int i = 0; i < n; ++i) x.Begin("N");
           for (int i = 0; i < n; ++i) x.End();
         });
       },
       kFbx7MaxRecordDepth, "records nest deeper than 256", true},
      {"objects", [&](int n) { return Records("Objects", n, xObject); }, kFbx7MaxObjects, "more than 200000 objects",
       false},
      {"connections", [&](int n) { return Records("Connections", n, xConnection); }, kFbx7MaxConnections,
       "more than 400000 connections", false},
      {"curve node depth", CurveNodeChain, kFbx7MaxCurveNodeDepth, "through more than 8 other curve nodes", false},
      {"inflated bytes of a file",
       [](int n) {
         // The limit's worth of arrays declaring 64 MiB each, and n beyond
         // that many arrays of one byte; none is inflated while parsing.
         const int iWhole = static_cast<int>(kFbx7MaxInflatedBytes / kFbx7MaxArrayBytes);
         std::string xPatches;
         const std::string xBytes = Binary([&](KFbxFieldSink& x) {
           x.Begin("Arrays");
           for (int i = 0; i < n; ++i)
             DeclaredArray(x, i < iWhole ? 'd' : 'b', i < iWhole ? 8u << 20 : 1, 1, "z", xPatches);
           x.End();
         });
         return Patched(xBytes, xPatches);
       },
       static_cast<int>(kFbx7MaxInflatedBytes / kFbx7MaxArrayBytes), "would inflate to more than the limit", true},
  };
  for (const auto& c : axCases) {
    for (int iOver = 0; iOver < 2; ++iOver) {
      SCOPED_TRACE(std::string(c.m_pszLimit) + (iOver ? ", one over" : ", at the limit"));
      llId = 0;
      const std::string xBytes = c.m_xMake(c.m_iLimit + iOver);
      const Outcome xOut = c.m_bParseOnly ? ParseOnly(xBytes) : ReadScene(xBytes);
      EXPECT_EQ(xOut.m_bRead, iOver == 0) << xOut.m_xWhy;
      if (iOver) {
        EXPECT_NE(xOut.m_xWhy.find(c.m_pszWhy), std::string::npos) << xOut.m_xWhy;
      }
    }
  }
}

// The curve reached through the longest chain still animates the model.
TEST(KFbx7Limits, ACurveThroughAChainOfCurveNodesAnimatesItsModel) {
  const std::string xBytes = CurveNodeChain(kFbx7MaxCurveNodeDepth);
  KFbxSdkManager xManager;
  KFbxSceneGraph* pxScene = xManager.CreateScene();
  std::string xWhy;
  ASSERT_TRUE(KFbx7ReadMemory(xBytes.data(), xBytes.size(), xManager, *pxScene, nullptr, &xWhy)) << xWhy;
  pxScene->SelectTake("Take");
  KFbxNode* pxHips = pxScene->RootNode()->FindDescendant("Hips");
  ASSERT_TRUE(pxHips);
  EXPECT_DOUBLE_EQ(pxHips->GlobalMatrixAt(KTime::FromSeconds(1))[3][0], 5.0);
}

// One array of exactly the limit's bytes inflates; one element more is
// refused before anything is inflated.
TEST(KFbx7Limits, OneArrayAtTheLimit) {
  const uint32_t uLimit = static_cast<uint32_t>(kFbx7MaxArrayBytes / 8);
  for (uint32_t uCount : {uLimit, uLimit + 1}) {
    SCOPED_TRACE(uCount);
    const std::string xBytes = Binary(
        [&](KFbxFieldSink& x) { x.Leaf("Big", {KFbxWriteValue::DoubleArray(std::vector<double>(uCount, 0.25))}); }, 0);
    KFbx7Document xDoc;
    std::string xWhy;
    const bool bParsed = xDoc.Parse(std::vector<uint8_t>(xBytes.begin(), xBytes.end()), xWhy);
    ASSERT_EQ(bParsed, uCount == uLimit) << xWhy;
    if (!bParsed) {
      EXPECT_NE(xWhy.find("passes the limit of 67108864"), std::string::npos) << xWhy;
      continue;
    }
    std::vector<double> xValues;
    ASSERT_TRUE(xDoc.Doubles(xDoc.Value(xDoc.Child(KFbx7Document::kTop, "Big"), 0), xValues, xWhy)) << xWhy;
    EXPECT_EQ(xValues.size(), uLimit);
    EXPECT_EQ(xValues.back(), 0.25);
  }
}

// Arrays whose stored bytes do not hold what they declare.
TEST(KFbx7Limits, ArraysThatBreakTheirRecordOrTheirCount) {
  std::string xTwoDoubles(16, '\0');
  const std::string xDeflated = [] {
    KFbxWriteValue x = KFbxWriteValue::DoubleArray({1, 2, 3});
    KFbx7WriteOptions xOptions;
    xOptions.m_uCompressFrom = 0;
    xOptions.m_bAlwaysDeflate = true;
    const std::string xFile = KFbx7WriteBytes({KFbxWriteField("A", {x})}, xOptions);
    const size_t uAt = 27 + 13 + 1 + 1;  // 7400 header, record header, name "A", code
    const uint32_t uStored = static_cast<uint8_t>(xFile[uAt + 8]) | static_cast<uint8_t>(xFile[uAt + 9]) << 8;
    return xFile.substr(uAt + 12, uStored);
  }();
  const struct {
    const char* m_pszName;
    uint32_t m_uCount, m_uEncoding;
    std::string m_xStored;
    const char* m_pszWhy;
  } axCases[] = {
      {"raw, fewer bytes than elements", 3, 0, xTwoDoubles, "a raw array stores 16 bytes for 3 elements"},
      {"deflated, inflating to more", 2, 1, xDeflated, "inflates to more than"},
      {"deflated, inflating to less", 4, 1, xDeflated, "inflates to 24 bytes, not the 32"},
      {"deflated, cut short", 3, 1, xDeflated.substr(0, 6), "damaged or cut short"},
      {"unknown encoding", 2, 2, xTwoDoubles, "unknown encoding 2"},
  };
  for (const auto& c : axCases) {
    SCOPED_TRACE(c.m_pszName);
    std::string xPatches;
    const std::string xBytes = Patched(Binary([&](KFbxFieldSink& x) {
                                         x.Begin("A");
                                         DeclaredArray(x, 'd', c.m_uCount, c.m_uEncoding, c.m_xStored, xPatches);
                                         x.End();
                                       }),
                                       xPatches);
    KFbx7Document xDoc;
    std::string xWhy;
    std::vector<double> xValues;
    const bool bRead = xDoc.Parse(std::vector<uint8_t>(xBytes.begin(), xBytes.end()), xWhy) &&
                       xDoc.Doubles(xDoc.Value(xDoc.Child(KFbx7Document::kTop, "A"), 0), xValues, xWhy);
    EXPECT_FALSE(bRead);
    EXPECT_NE(xWhy.find(c.m_pszWhy), std::string::npos) << xWhy;
  }
  // An array whose stored length runs past its record's values.
  std::string xPatches;
  std::string xBytes = Binary([&](KFbxFieldSink& x) {
    x.Begin("A");
    DeclaredArray(x, 'd', 2, 1, xTwoDoubles, xPatches);
    x.End();
  });
  xPatches[9] = 17;  // stored 17 bytes in a value of 16
  EXPECT_NE(ParseOnly(Patched(xBytes, xPatches)).m_xWhy.find("run past its record's values"), std::string::npos);
}
