// Trees written by our writer read back identically in every encoding.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "fileio_test_util.h"

using namespace fileio_test;
using V = KFbxWriteValue;

namespace {

KFbxWriteSection SampleTree() {
  KFbxWriteField xTypes("Types", {V::Char('U'), V::Int(-123456789), V::Int64(-46186158000LL * 3), V::Float(0.1f),
                                  V::Double(-1.0 / 3.0), V::String("with blanks, {braces}, commas; and \x01\x1f"),
                                  V::String(""), V::ObjectName("Model", "Hips"), V::Raw(std::string("r\0a\1w", 5))});
  KFbxWriteField xObjects("Objects");
  for (int i = 0; i < 3; ++i) {
    KFbxWriteField& xModel =
        xObjects.Child("Model", {V::ObjectName("Model", "Joint" + std::to_string(i)), V::String("Limb")});
    xModel.Child("Version", {V::Int(232)});
    KFbxWriteField& xProperties = xModel.Child("Properties60");
    xProperties.Child("Property", {V::String("Lcl Translation"), V::String("Lcl Translation"), V::String("A+"),
                                   V::Double(i), V::Double(2.5), V::Double(-7)});
    xProperties.Child("Property", {V::String("Visibility"), V::String("Visibility"), V::String("A+"), V::Int(1)});
    xModel.Child("Empty").Block();
  }
  return {HeaderExtension(6100), xTypes, xObjects, KFbxWriteField("Tail", {V::Int(7)})};
}

// Reads a value back by the type it was written with.
void ExpectValue(KFbx& xFbx, const V& xValue, bool bAscii) {
  switch (xValue.m_cType) {
    case 'C':
      EXPECT_EQ(xFbx.NextChar(), static_cast<char>(xValue.m_llInt));
      break;
    case 'I':
      EXPECT_EQ(xFbx.NextInt(), xValue.m_llInt);
      break;
    case 'L':
      EXPECT_EQ(xFbx.NextInt64(), xValue.m_llInt);
      break;
    case 'F':
    case 'D':
      EXPECT_EQ(xFbx.NextDouble(), xValue.m_dReal);
      break;
    case 'S':
      EXPECT_EQ(std::string(xFbx.NextString()), xValue.m_xBytes);
      break;
    default:
      if (bAscii) {
        const KString xText = xFbx.NextString();
        EXPECT_EQ(std::string(xText.Buffer(), xText.GetLen()), xValue.m_xBytes);
      } else {
        std::vector<uint8_t> xRaw;
        EXPECT_TRUE(xFbx.NextRaw(xRaw));
        EXPECT_EQ(std::string(xRaw.begin(), xRaw.end()), xValue.m_xBytes);
      }
  }
}

// Compares the current list with the written fields, blocks entered through
// an explicit stack.
void ExpectTree(KFbx& xFbx, const KFbxWriteSection& xFields, bool bAscii) {
  struct Level {
    const std::vector<KFbxWriteField>* m_pxFields;
    size_t m_uNext;
  };
  std::vector<Level> xStack = {{&xFields, 0}};
  while (!xStack.empty()) {
    Level& xLevel = xStack.back();
    if (xLevel.m_uNext == xLevel.m_pxFields->size()) {
      for (const KFbxWriteField& xField : *xLevel.m_pxFields)
        EXPECT_FALSE(xFbx.BeginField(xField.m_xName.c_str())) << "more occurrences of " << xField.m_xName;
      xStack.pop_back();
      if (!xStack.empty()) {
        EXPECT_TRUE(xFbx.LeaveBlock());
        xFbx.EndField();
      }
      continue;
    }
    const KFbxWriteField& xField = (*xLevel.m_pxFields)[xLevel.m_uNext++];
    SCOPED_TRACE(xField.m_xName);
    ASSERT_TRUE(xFbx.BeginField(xField.m_xName.c_str()));
    ASSERT_EQ(xFbx.GetValueCount(), static_cast<int>(xField.m_xValues.size()));
    for (const V& xValue : xField.m_xValues) {
      EXPECT_EQ(xFbx.GetValueType(), bAscii ? 'S' : xValue.m_cType);
      ExpectValue(xFbx, xValue, bAscii);
    }
    EXPECT_EQ(xFbx.GetRemainingValueCount(), 0);
    const bool bBlock = xField.m_bBlock || !xField.m_xChildren.empty();
    ASSERT_EQ(xFbx.EnterBlock(), bBlock);
    if (bBlock) {
      xStack.push_back({&xField.m_xChildren, 0});
    } else {
      xFbx.EndField();
    }
  }
}

}  // namespace

TEST(KFbxRoundTrip, EveryEncodingReadsTheSameTree) {
  const KFbxWriteSection xTree = SampleTree();
  for (const Encoding& xEncoding : AllEncodings()) {
    SCOPED_TRACE(xEncoding.m_pszName);
    std::string xError;
    const std::string xBytes = KFbxWriteBytes({xTree}, xEncoding.m_xOptions, &xError);
    ASSERT_EQ(xError, "");
    KFbx xFbx;
    ASSERT_TRUE(OpenBytes(xFbx, xBytes, xEncoding.m_xOptions)) << xFbx.GetError().GetLastErrorString();
    EXPECT_EQ(xFbx.IsBinary(), xEncoding.m_xOptions.m_bBinary);
    EXPECT_EQ(xFbx.IsBigEndian(), xEncoding.m_xOptions.m_bBigEndian);
    ASSERT_EQ(xFbx.GetFieldCount(), 4);
    EXPECT_STREQ(xFbx.GetFieldName(2), "Objects");
    ExpectTree(xFbx, xTree, !xEncoding.m_xOptions.m_bBinary);
    // Shorthand reads, and their defaults once a field is used up.
    EXPECT_EQ(xFbx.FieldInt("Tail", -1), -1);
    EXPECT_EQ(xFbx.FieldDouble("Absent", 2.5), 2.5);
    EXPECT_STREQ(xFbx.FieldString("Absent", "none"), "none");
  }
}

TEST(KFbxRoundTrip, ValueForms) {
  struct Case {
    const char* m_pszName;
    V m_xValue;
    bool m_bAscii;
    double m_dExpected;
  } const kCases[] = {
      {"tiny ASCII number reads as 0", V::Double(1e-320), true, 0.0},
      {"small normal ASCII number kept", V::Double(1e-300), true, 1e-300},
      {"tiny binary number kept", V::Double(1e-320), false, 1e-320},
      {"binary float widened", V::Float(0.1f), false, static_cast<double>(0.1f)},
      {"binary integer is no double", V::Int(5), false, 0.0},
  };
  for (const Case& xCase : kCases) {
    SCOPED_TRACE(xCase.m_pszName);
    KFbxWriteOptions xOptions;
    xOptions.m_bBinary = !xCase.m_bAscii;
    const std::string xBytes = KFbxWriteBytes({{KFbxWriteField("N", {xCase.m_xValue})}}, xOptions);
    KFbx xFbx;
    ASSERT_TRUE(OpenBytes(xFbx, xBytes, xOptions));
    EXPECT_EQ(xFbx.FieldDouble("N", -1), xCase.m_dExpected);
  }
  // Object names: name, 0, 1, class reads as class::name; other strings as
  // they are.
  const std::string xBytes = KFbxWriteBytes(
      {{KFbxWriteField("N", {V::ObjectName("Model", "Hips"), V::String(std::string("Hips\0Model", 10))})}}, {});
  EXPECT_NE(xBytes.find(std::string("Hips\0\1Model", 11)), std::string::npos);
  KFbx xFbx;
  ASSERT_TRUE(xFbx.ProjectOpenMemory(xBytes.data(), xBytes.size()));
  ASSERT_TRUE(xFbx.BeginField("N"));
  EXPECT_STREQ(xFbx.NextString(), "Model::Hips");
  const KString xPlain = xFbx.NextString();
  EXPECT_EQ(std::string(xPlain.Buffer(), xPlain.GetLen()), std::string("Hips\0Model", 10));
  EXPECT_STREQ(xFbx.NextString(), "");  // past the last value
  EXPECT_EQ(xFbx.NextInt(), 0);
}

TEST(KFbxRoundTrip, AsciiTokens) {
  const std::string xText =
      "; FBX 6.1.0 project file\n; a comment { with a brace\n\n"
      "Values: 12, -3,4.5e1  x \"q}\"  ,,\"\"\n"
      "Spaced : 1\n"
      "Nested:  {\n  Inner: \"a;b\" {\n  ; } not counted\n  }\n}\n";
  KFbx xFbx;
  ASSERT_TRUE(xFbx.ProjectOpenMemory(xText.data(), xText.size()));
  ASSERT_TRUE(xFbx.BeginField("Values"));
  ASSERT_EQ(xFbx.GetValueCount(), 6);
  const char kClasses[] = {'I', 'I', 'D', 'C', 'S', 'S'};
  const char* kTexts[] = {"12", "-3", "4.5e1", "x", "q}", ""};
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(xFbx.GetValueClass(), kClasses[i]) << i;
    EXPECT_STREQ(xFbx.NextString(), kTexts[i]);
  }
  xFbx.EndField();
  EXPECT_EQ(xFbx.FieldInt("Spaced"), 1);
  ASSERT_TRUE(xFbx.BeginField("Nested"));
  ASSERT_TRUE(xFbx.EnterBlock());
  EXPECT_EQ(xFbx.GetBlockDepth(), 1);
  ASSERT_TRUE(xFbx.BeginField("Inner"));
  EXPECT_STREQ(xFbx.NextString(), "a;b");
  ASSERT_TRUE(xFbx.EnterBlock());
  EXPECT_EQ(xFbx.GetFieldCount(), 0);
  EXPECT_TRUE(xFbx.LeaveBlock());
  EXPECT_TRUE(xFbx.LeaveBlock());
  EXPECT_FALSE(xFbx.LeaveBlock());
}

// "Name :" starts a field wherever it stands; the field "A" beside it keeps
// exactly its own values.
TEST(KFbxRoundTrip, AsciiNameApartFromItsColon) {
  struct Case {
    const char* m_pszWhere;
    const char* m_pszText;
    bool m_bInBlock;  // the fields stand inside "Outer: {...}"
    int m_iValuesOfA;
  } const kCases[] = {
      {"first field of the file", "Spaced : 8\nA: 1\n", false, 1},
      {"first field in a block", "Outer: {\n  Spaced  :  8\n  A: 1, 2\n}\n", true, 2},
      {"after a field with a block", "A: 5 {\n  B: 1\n}\nSpaced : 8\n", false, 1},
      {"after a block, in a block", "Outer: {\n  A: {\n  }\n  Spaced\t: 8\n}\n", true, 0},
      {"after plain values", "A: 1, 2, 3\nSpaced : 8\n", false, 3},
      {"colon right before the value", "A: 4\nSpaced :8\n", false, 1},
  };
  for (const Case& xCase : kCases) {
    SCOPED_TRACE(xCase.m_pszWhere);
    const std::string xText = std::string("; FBX 6.1.0 project file\n") + xCase.m_pszText;
    KFbx xFbx;
    ASSERT_TRUE(xFbx.ProjectOpenMemory(xText.data(), xText.size()));
    if (xCase.m_bInBlock) {
      ASSERT_TRUE(xFbx.BeginField("Outer"));
      ASSERT_TRUE(xFbx.EnterBlock());
    }
    EXPECT_EQ(xFbx.GetFieldCount(), 2);
    EXPECT_EQ(xFbx.FieldInt("Spaced", -1), 8);
    ASSERT_TRUE(xFbx.BeginField("A"));
    EXPECT_EQ(xFbx.GetValueCount(), xCase.m_iValuesOfA);
  }
}

// ASCII integers read as strtoll reads the token, clamped to int for NextInt:
// the plain-digit fast path and the texts it hands on must agree.
TEST(KFbxRoundTrip, AsciiIntegersReadAsStrtoll) {
  const char* const kTokens[] = {"0",
                                 "-0",
                                 "+5",
                                 "-7",
                                 "123456789012345678",
                                 "-123456789012345678",
                                 "1234567890123456789",
                                 "-9223372036854775808",
                                 "9223372036854775807",
                                 "99999999999999999999",
                                 "-99999999999999999999",
                                 "2147483648",
                                 "-2147483649",
                                 "12abc",
                                 "1.5",
                                 "4e3",
                                 "-",
                                 "x",
                                 "007"};
  std::string xText = "; FBX 6.1.0 project file\nValues: ";
  for (const char* pszToken : kTokens) xText += std::string(pszToken) + ",";
  xText += "\"42\"\n";
  for (const bool bNarrow : {false, true}) {
    KFbx xFbx;
    ASSERT_TRUE(xFbx.ProjectOpenMemory(xText.data(), xText.size()));
    ASSERT_TRUE(xFbx.BeginField("Values"));
    for (const char* pszToken : kTokens) {
      const long long llExpected = std::strtoll(pszToken, nullptr, 10);
      if (bNarrow)
        EXPECT_EQ(xFbx.NextInt(), static_cast<int>(std::clamp<long long>(llExpected, INT_MIN, INT_MAX))) << pszToken;
      else
        EXPECT_EQ(xFbx.NextInt64(), llExpected) << pszToken;
    }
    EXPECT_EQ(bNarrow ? xFbx.NextInt() : xFbx.NextInt64(), 42);  // a quoted number reads too
  }
}

// ASCII reals read as strtod reads the token, with a non-zero result below
// the smallest normal double (binary exponent below -1021) read as 0: the
// plain decimal texts converted without strtod and every form handed on to
// it must agree to the bit, signed zeros and infinities included.
TEST(KFbxRoundTrip, AsciiRealsReadAsStrtod) {
  std::vector<std::string> xTokens;
  std::istringstream xForms(
      "1.5 +1.5 -0 -0.0 0 .5 5. -.5e-3 1e5 1E+05 1e-320 -1e-320 1e-400 -1e-400 1e400 -1e400 "
      "2.2250738585072011e-308 2.2250738585072014e-308 -2.2250738585072014e-308 4.9406564584124654e-324 "
      "9007199254740993 0.30000000000000004 123456789012345678901234567890 1.7976931348623157e308 "
      "1.7976931348623159e308 0x1p3 inf -inf +inf nan -nan +nan 1.5e 1.5abc +-5 --5 - \"7.25\"");
  for (std::string xForm; xForms >> xForm;) xTokens.push_back(xForm);
  xTokens.push_back("\" \t7.25\"");  // strtod skips the blanks a quoted string may start with
  std::mt19937 xRandom(3);
  for (int i = 0; i < 5000; ++i) {
    std::string xToken = xRandom() % 3 ? "" : "-";
    for (int n = 1 + static_cast<int>(xRandom() % 20); n > 0; --n) xToken += static_cast<char>('0' + xRandom() % 10);
    if (xRandom() % 2) xToken.insert(1 + xRandom() % (xToken.size()), ".");
    if (xRandom() % 3 == 0) xToken += "e" + std::to_string(static_cast<int>(xRandom() % 660) - 330);
    xTokens.push_back(xToken);
  }
  std::string xText = "; FBX 6.1.0 project file\nValues: ";
  for (const std::string& xToken : xTokens) xText += xToken + ",";
  xText += "0\n";
  KFbx xFbx;
  ASSERT_TRUE(xFbx.ProjectOpenMemory(xText.data(), xText.size()));
  ASSERT_TRUE(xFbx.BeginField("Values"));
  for (std::string xToken : xTokens) {
    if (xToken[0] == '"') xToken = xToken.substr(1, xToken.size() - 2);
    double dExpected = std::strtod(xToken.c_str(), nullptr);
    int iExponent = 0;
    if (dExpected != 0.0 && std::isfinite(dExpected) && (std::frexp(dExpected, &iExponent), iExponent < -1021))
      dExpected = 0.0;
    const double dRead = xFbx.NextDouble();
    uint64_t ullExpected, ullRead;
    std::memcpy(&ullExpected, &dExpected, sizeof dExpected);
    std::memcpy(&ullRead, &dRead, sizeof dRead);
    ASSERT_EQ(ullRead, ullExpected) << xToken;
  }
}
