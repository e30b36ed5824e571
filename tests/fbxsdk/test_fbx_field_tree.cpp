// The field tree the structure-aware fuzzer mutates: a file read into a
// tree and written back is the same file, and every mutated file reads as
// a tree again.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "fbx_field_tree.h"
#include "fbx_tree_mutator.h"
#include "hostile_sweep.h"

namespace {

using V = KFbxWriteValue;
using F = KFbxWriteField;

constexpr int64_t kSecond = 46186158000;

bool HasBlock(const F& xField) { return xField.m_bBlock || !xField.m_xChildren.empty(); }

bool SameValue(const V& xA, const V& xB) {
  if (xA.m_cType != xB.m_cType) return false;
  switch (xA.m_cType) {
    case 'C':
    case 'I':
    case 'L':
      return xA.m_llInt == xB.m_llInt;
    case 'F':
    case 'D':
      return std::memcmp(&xA.m_dReal, &xB.m_dReal, sizeof xA.m_dReal) == 0;
    default:
      return xA.m_xBytes == xB.m_xBytes;
  }
}

std::string Show(const V& xValue) {
  return std::string(1, xValue.m_cType) + ":" + std::to_string(xValue.m_llInt) + "/" + std::to_string(xValue.m_dReal) +
         "/" + xValue.m_xBytes;
}

// Field by field, with the path of the first difference.
void ExpectSameTree(const KFbxWriteSection& xExpected, const KFbxWriteSection& xActual, const std::string& xPath = "") {
  ASSERT_EQ(xExpected.size(), xActual.size()) << "fields of " << xPath;
  for (size_t i = 0; i < xExpected.size(); ++i) {
    const F& xE = xExpected[i];
    const F& xA = xActual[i];
    const std::string xHere = xPath + "/" + xE.m_xName + "[" + std::to_string(i) + "]";
    ASSERT_EQ(xE.m_xName, xA.m_xName) << xHere;
    ASSERT_EQ(HasBlock(xE), HasBlock(xA)) << xHere;
    ASSERT_EQ(xE.m_xValues.size(), xA.m_xValues.size()) << xHere;
    for (size_t v = 0; v < xE.m_xValues.size(); ++v)
      ASSERT_TRUE(SameValue(xE.m_xValues[v], xA.m_xValues[v]))
          << xHere << " value " << v << ": " << Show(xE.m_xValues[v]) << " read as " << Show(xA.m_xValues[v]);
    ExpectSameTree(xE.m_xChildren, xA.m_xChildren, xHere);
  }
}

// Every binary value type, object names, texts with blanks and colons,
// bytes with zeros, blocks three deep, an empty block, a field with
// neither values nor block, and repeated names.
KFbxWriteSection Scene(int iVersion) {
  F xHeader("FBXHeaderExtension");
  xHeader.Child("FBXHeaderVersion", {V::Int(1003)});
  xHeader.Child("FBXVersion", {V::Int(iVersion)});
  F xObjects("Objects");
  F& xHips = xObjects.Child("Model", {V::ObjectName("Model", "Hips"), V::String("Root")});
  xHips.Child("Properties60")
      .Child("Property", {V::String("Lcl Translation"), V::String("Lcl Translation"), V::String("A+"), V::Double(0.1),
                          V::Float(1.5f), V::Int(-7)});
  xHips.Child("Blob", {V::Raw(std::string("\0\1\2 ,;", 6))});
  xHips.Child("Children", {V::String("Model::Spine"), V::String("Leg with blanks")});
  xObjects.Child("Model", {V::ObjectName("Model", "Spine"), V::String("LimbNode")}).Block();
  xObjects.Child("Marker");
  F xTakes("Takes");
  F& xTake = xTakes.Child("Take", {V::String("Walk")});
  xTake.Child("Key", {V::Int64(0), V::Double(-2.25), V::Char('L'), V::Int64(kSecond), V::Double(1e-3), V::Char('C'),
                      V::Char('n')});
  xTake.Child("LocalTime", {V::Int64(-kSecond), V::Int64(int64_t(1) << 40)});
  return {xHeader, xObjects, xTakes};
}

struct Encoding {
  const char* m_pszName;
  bool m_bBinary;
  bool m_bBigEndian;
  int m_iHeaderVersion;
  int m_iFbxVersion;
  int m_iFirstFooterVersion;
};

constexpr Encoding kEncodings[] = {
    {"binary LE 6.1", true, false, 6100, 6100, 0},
    {"binary BE 6.1", true, true, 6100, 6100, 0},
    {"ASCII 6.1", false, false, 6100, 6100, 0},
    {"binary 5.0 with a 3.0 header", true, false, 3000, 5000, 0},
    {"binary 5.0 with its own footer version", true, false, 5000, 5000, 5800},
    {"ASCII 5.0", false, false, 5000, 5000, 0},
};

std::string Write(const KFbxWriteSection& xSection, const KFbxWriteOptions& xOptions) {
  std::string xError;
  const std::string xBytes = KFbxWriteBytes({xSection}, xOptions, &xError);
  EXPECT_EQ(xError, "");
  return xBytes;
}

const uint8_t* Bytes(const std::string& xBytes) { return reinterpret_cast<const uint8_t*>(xBytes.data()); }

// Read, written and read again: the same tree, and the same header (the
// binary one with its byte order and version, or the ASCII first line) and
// the same first footer (its version). Texts holding "::" are written in
// the binary object-name form, which reads as the same text as the plain
// form; so files need not come back byte for byte.
void ExpectRoundTrip(const std::string& xFile, FbxFieldTree& xTree) {
  ASSERT_TRUE(FbxTreeRead(Bytes(xFile), xFile.size(), xTree));
  FbxFieldTree xCopy = xTree;
  const std::string xAgain = FbxTreeWrite(xCopy);
  FbxFieldTree xReread;
  ASSERT_TRUE(FbxTreeRead(Bytes(xAgain), xAgain.size(), xReread));
  ExpectSameTree(xTree.m_xFields, xReread.m_xFields);
  if (xTree.m_xOptions.m_bBinary) {
    constexpr size_t kHeader = 27, kFooter = 144;
    ASSERT_GT(xAgain.size(), kHeader + kFooter);
    EXPECT_EQ(xAgain.substr(0, kHeader), xFile.substr(0, kHeader));
    EXPECT_EQ(xAgain.substr(xAgain.size() - kFooter), xFile.substr(xFile.size() - kFooter));
  } else {
    EXPECT_EQ(xAgain.substr(0, xAgain.find('\n')), xFile.substr(0, xFile.find('\n')));
  }
}

std::vector<std::string> Seeds() {
  std::vector<std::string> xSeeds;
  for (const std::string& xPath : boneplay_test::FilesIn(BONEPLAY_FBX_STRUCTURE_CORPUS, ".fbx"))
    xSeeds.push_back(boneplay_test::ReadBytes(xPath));
  return xSeeds;
}

}  // namespace

TEST(FbxFieldTree, ContainerTreeWriterRoundTrip) {
  for (const Encoding& xEncoding : kEncodings) {
    SCOPED_TRACE(xEncoding.m_pszName);
    KFbxWriteOptions xOptions;
    xOptions.m_bBinary = xEncoding.m_bBinary;
    xOptions.m_bBigEndian = xEncoding.m_bBigEndian;
    xOptions.m_iHeaderVersion = xEncoding.m_iHeaderVersion;
    xOptions.m_iFirstFooterVersion = xEncoding.m_iFirstFooterVersion;
    const KFbxWriteSection xScene = Scene(xEncoding.m_iFbxVersion);
    FbxFieldTree xTree;
    ExpectRoundTrip(Write(xScene, xOptions), xTree);
    EXPECT_EQ(xTree.m_xOptions.m_iHeaderVersion, xEncoding.m_iHeaderVersion);
    // Binary files keep every value's type. ASCII ones type values by their
    // token, as the importer's key reader does: integers, reals, letters,
    // texts; a 32-bit integer reads as a 64-bit one, a float as a double.
    if (xEncoding.m_bBinary) {
      ExpectSameTree(xScene, xTree.m_xFields);
    } else {
      const F& xTake = xTree.m_xFields[2].m_xChildren[0];
      const F& xProperty = xTree.m_xFields[1].m_xChildren[0].m_xChildren[0].m_xChildren[0];
      std::string xKeyTypes, xPropertyTypes;
      for (const V& xValue : xTake.m_xChildren[0].m_xValues) xKeyTypes += xValue.m_cType;
      for (const V& xValue : xProperty.m_xValues) xPropertyTypes += xValue.m_cType;
      EXPECT_EQ(xKeyTypes, "LDCLDCC");
      EXPECT_EQ(xPropertyTypes, "SSSDDL");
    }
  }
  const std::vector<std::string> xSeeds = Seeds();
  ASSERT_GE(xSeeds.size(), 4u);
  for (const std::string& xSeed : xSeeds) {
    SCOPED_TRACE(xSeed.substr(0, 24));
    FbxFieldTree xTree;
    ExpectRoundTrip(xSeed, xTree);
  }
}

// The container hands out a block's fields by name: occurrences of one name
// come together, names in order of first appearance, as the importer sees
// them; so the tree holds them.
TEST(FbxFieldTree, InterleavedNamesReadGroupedAsTheImporterSeesThem) {
  for (bool bBinary : {true, false}) {
    SCOPED_TRACE(bBinary ? "binary" : "ASCII");
    F xObjects("Objects");
    xObjects.Child("Model", {V::String("Model::A")});
    xObjects.Child("Connect", {V::String("OO")});
    xObjects.Child("Model", {V::String("Model::B")});
    KFbxWriteOptions xOptions;
    xOptions.m_bBinary = bBinary;
    const std::string xFile = Write({xObjects}, xOptions);
    FbxFieldTree xTree;
    ASSERT_TRUE(FbxTreeRead(Bytes(xFile), xFile.size(), xTree));
    F xGrouped("Objects");
    xGrouped.Child("Model", {V::String("Model::A")});
    xGrouped.Child("Model", {V::String("Model::B")});
    xGrouped.Child("Connect", {V::String("OO")});
    ExpectSameTree({xGrouped}, xTree.m_xFields);
    FbxFieldTree xAgain;
    ExpectRoundTrip(FbxTreeWrite(xTree), xAgain);
  }
}

TEST(FbxFieldTree, RefusesWhatItCannotMutate) {
  KFbxWriteOptions xEncrypted;
  xEncrypted.m_bEncrypted = true;
  xEncrypted.m_xPassword = "secret";
  F xBig("Objects");
  for (size_t i = 0; i <= kFbxTreeMaxFields; ++i) xBig.Child("Model", {V::Int(static_cast<int32_t>(i))});
  const struct {
    const char* m_pszName;
    std::string m_xBytes;
  } axCases[] = {
      {"not a file", "no FBX here"},
      {"encrypted", Write(Scene(6100), xEncrypted)},
      {"more fields than the cap", Write({xBig}, KFbxWriteOptions())},
  };
  for (const auto& xCase : axCases) {
    SCOPED_TRACE(xCase.m_pszName);
    FbxFieldTree xTree;
    EXPECT_FALSE(FbxTreeRead(Bytes(xCase.m_xBytes), xCase.m_xBytes.size(), xTree));
  }
}

namespace {

// Faults the mutator exists to make, each recognised in a mutated tree.
bool SelfConnection(const F& xField) {
  return xField.m_xName == "Connect" && xField.m_xValues.size() >= 3 &&
         xField.m_xValues[1].m_xBytes.rfind("Model::", 0) == 0 &&
         xField.m_xValues[1].m_xBytes == xField.m_xValues[2].m_xBytes;
}

bool TakeNamesModelTwice(const F& xField) {
  if (xField.m_xName != "Take") return false;
  std::vector<std::string> xNames;
  for (const F& xChild : xField.m_xChildren)
    if (xChild.m_xName == "Model" && !xChild.m_xValues.empty()) xNames.push_back(xChild.m_xValues[0].m_xBytes);
  for (size_t i = 0; i < xNames.size(); ++i)
    for (size_t j = i + 1; j < xNames.size(); ++j)
      if (xNames[i] == xNames[j]) return true;
  return false;
}

// Binary key lists: times are the only 64-bit integers.
bool KeysOutOfOrder(const F& xField) {
  if (xField.m_xName != "Key") return false;
  std::vector<int64_t> xTimes;
  for (const V& xValue : xField.m_xValues)
    if (xValue.m_cType == 'L') xTimes.push_back(xValue.m_llInt);
  for (size_t i = 1; i < xTimes.size(); ++i)
    if (xTimes[i] <= xTimes[i - 1]) return true;
  return false;
}

bool ModelIsItsOwnChild(const F& xField) {
  if (xField.m_xName != "Model" || xField.m_xValues.empty()) return false;
  const std::string& xName = xField.m_xValues[0].m_xBytes;
  for (const F& xChild : xField.m_xChildren)
    if (xChild.m_xName == "Children")
      for (const V& xValue : xChild.m_xValues)
        if (xValue.m_xBytes == xName || "Model::" + xValue.m_xBytes == xName) return true;
  return false;
}

bool OtherGeneration(const F& xField) {
  return xField.m_xName == "FBXVersion" && !xField.m_xValues.empty() && xField.m_xValues[0].m_llInt != 6100 &&
         xField.m_xValues[0].m_llInt != 5000 && xField.m_xValues[0].m_llInt != 5800;
}

bool AnyField(const KFbxWriteSection& xFields, bool (*pIs)(const F&)) {
  for (const F& xField : xFields)
    if (pIs(xField) || AnyField(xField.m_xChildren, pIs)) return true;
  return false;
}

}  // namespace

// Chains of mutations from every seed with fixed seeds: each output fits
// the size caps and reads as a tree again (the byte-level fallback is never
// needed), the same seed gives the same output, and the faults the mutator
// is for all turn up.
TEST(FbxTreeMutator, OutputsReadAgainAndReachTheWalksFaults) {
  const std::vector<std::string> xSeeds = Seeds();
  ASSERT_GE(xSeeds.size(), 4u);
  const struct {
    const char* m_pszName;
    bool (*m_pIs)(const F&);
    bool m_bBinaryOnly;
  } axFaults[] = {
      {"model connected to itself", SelfConnection, false},
      {"take naming a model twice", TakeNamesModelTwice, false},
      {"keys out of time order", KeysOutOfOrder, true},
      {"model among its own children", ModelIsItsOwnChild, false},
      {"another generation's version", OtherGeneration, false},
  };
  auto axSeen = std::vector<int>(std::size(axFaults), 0);
  int iFallbacks = 0, iUnchanged = 0, iMutations = 0;
  const FbxByteMutation xFallback = [&iFallbacks](uint8_t*, size_t uSize, size_t) { return ++iFallbacks, uSize; };
  constexpr size_t kMaxSize = 16384;
  for (size_t s = 0; s < xSeeds.size(); ++s) {
    SCOPED_TRACE("seed file " + std::to_string(s));
    std::string xInput = xSeeds[s];
    for (unsigned uSeed = 1; uSeed <= 300; ++uSeed, ++iMutations) {
      std::vector<uint8_t> xBuffer(kMaxSize), xTwin(kMaxSize);
      std::memcpy(xBuffer.data(), xInput.data(), xInput.size());
      std::memcpy(xTwin.data(), xInput.data(), xInput.size());
      const size_t uSize = FbxTreeMutate(xBuffer.data(), xInput.size(), kMaxSize, uSeed, xFallback);
      ASSERT_EQ(FbxTreeMutate(xTwin.data(), xInput.size(), kMaxSize, uSeed, xFallback), uSize) << uSeed;
      ASSERT_TRUE(std::equal(xBuffer.begin(), xBuffer.begin() + static_cast<std::ptrdiff_t>(uSize), xTwin.begin()));
      ASSERT_LE(uSize, kFbxTreeMaxBytes);
      FbxFieldTree xTree;
      ASSERT_TRUE(FbxTreeRead(xBuffer.data(), uSize, xTree)) << "seed " << uSeed;
      std::string xOutput(reinterpret_cast<const char*>(xBuffer.data()), uSize);
      iUnchanged += xOutput == xInput;
      for (size_t f = 0; f < std::size(axFaults); ++f)
        if ((xTree.m_xOptions.m_bBinary || !axFaults[f].m_bBinaryOnly) && AnyField(xTree.m_xFields, axFaults[f].m_pIs))
          ++axSeen[f];
      // Every tenth step starts again from the seed, so that chains stay
      // near files the importer reads whole.
      xInput = uSeed % 10 == 0 ? xSeeds[s] : xOutput;
    }
    // Cross-over with the next seed file: a file again, within the cap.
    const std::string& xOther = xSeeds[(s + 1) % xSeeds.size()];
    std::vector<uint8_t> xOut(kMaxSize);
    const size_t uCrossed =
        FbxTreeCrossOver(Bytes(xSeeds[s]), xSeeds[s].size(), Bytes(xOther), xOther.size(), xOut.data(), xOut.size(), 7);
    ASSERT_GT(uCrossed, 0u);
    FbxFieldTree xCrossed;
    EXPECT_TRUE(FbxTreeRead(xOut.data(), uCrossed, xCrossed));
  }
  EXPECT_EQ(iFallbacks, 0);
  EXPECT_LT(iUnchanged, iMutations / 20);
  for (size_t f = 0; f < std::size(axFaults); ++f) EXPECT_GT(axSeen[f], 0) << axFaults[f].m_pszName;
}
