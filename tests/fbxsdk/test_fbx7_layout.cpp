// The 7.x layout our writer makes, checked against byte positions worked
// out by hand from the layout (not against our reader), and the same bytes
// read back by our reader.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>
#include <string>
#include <vector>

#include "fbxsdk/fileio/kfbx_writer7.h"
#include "fbxsdk/fileio7/kfbx7_document.h"

namespace {

uint64_t Word(const std::string& xBytes, size_t uAt, size_t uSize) {
  uint64_t u = 0;
  for (size_t i = 0; i < uSize; ++i) u |= uint64_t(static_cast<uint8_t>(xBytes.at(uAt + i))) << (8 * i);
  return u;
}

// "AB": the 32-bit integer 7 and the doubles {1.5, -2}; a nested "C"
// holding the 64-bit integer 5.
std::vector<KFbxWriteField> SmallTree() {
  KFbxWriteField xAB("AB", {KFbxWriteValue::Int(7), KFbxWriteValue::DoubleArray({1.5, -2.0})});
  xAB.Child("C", {KFbxWriteValue::Int64(5)});
  return {xAB};
}

std::string Bytes(int iVersion, size_t uCompressFrom, bool bBinary = true) {
  KFbx7WriteOptions xOptions;
  xOptions.m_iVersion = iVersion;
  xOptions.m_bBinary = bBinary;
  xOptions.m_uCompressFrom = uCompressFrom;
  xOptions.m_bAlwaysDeflate = true;
  std::string xError;
  const std::string xBytes = KFbx7WriteBytes(SmallTree(), xOptions, &xError);
  EXPECT_TRUE(xError.empty()) << xError;
  return xBytes;
}

}  // namespace

// Header words (end, count, length) of 64 bits from 7500, 32 below; the
// name length byte after them; the array's count, encoding and stored
// length; each list closed by a null record of the header's size; the
// footer 144 bytes before the end rounded down to 16.
TEST(KFbx7Layout, RecordAndArrayHeadersAtTheirOffsets) {
  const struct {
    int m_iVersion;
    size_t m_uWord;  // bytes of a header word
  } axCases[] = {{7500, 8}, {7400, 4}};
  for (const auto& c : axCases) {
    SCOPED_TRACE(c.m_iVersion);
    const std::string x = Bytes(c.m_iVersion, SIZE_MAX);
    const size_t w = c.m_uWord, uHeader = 3 * w + 1;
    EXPECT_EQ(x.substr(0, 21), std::string("Quorvex FBX Binary  \0", 21));
    EXPECT_EQ(Word(x, 23, 4), static_cast<uint64_t>(c.m_iVersion));
    const size_t uAB = 27, uValues = uAB + uHeader + 2;
    EXPECT_EQ(Word(x, uAB + w, w), 2u);  // two values
    EXPECT_EQ(x[uAB + 3 * w], 2);        // name length
    EXPECT_EQ(x.substr(uAB + uHeader, 2), "AB");
    EXPECT_EQ(x[uValues], 'I');
    EXPECT_EQ(Word(x, uValues + 1, 4), 7u);
    const size_t uArray = uValues + 5;
    EXPECT_EQ(x[uArray], 'd');
    EXPECT_EQ(Word(x, uArray + 1, 4), 2u);   // elements
    EXPECT_EQ(Word(x, uArray + 5, 4), 0u);   // raw
    EXPECT_EQ(Word(x, uArray + 9, 4), 16u);  // stored bytes
    double ad[2];
    std::memcpy(ad, x.data() + uArray + 13, 16);
    EXPECT_EQ(ad[0], 1.5);
    EXPECT_EQ(ad[1], -2.0);
    const size_t uC = uArray + 13 + 16;
    EXPECT_EQ(Word(x, uAB + 2 * w, w), uC - uValues);  // value list length
    EXPECT_EQ(x.substr(uC + uHeader, 1), "C");
    EXPECT_EQ(x[uC + uHeader + 1], 'L');
    const size_t uCEnd = uC + uHeader + 2 + 8;
    EXPECT_EQ(Word(x, uC, w), uCEnd);
    EXPECT_EQ(x.substr(uCEnd, uHeader), std::string(uHeader, '\0'));  // AB's list ends
    EXPECT_EQ(Word(x, uAB, w), uCEnd + uHeader);
    const size_t uTopEnd = uCEnd + 2 * uHeader;  // then the top level's null record
    EXPECT_EQ(x.substr(uCEnd + uHeader, uHeader), std::string(uHeader, '\0'));
    const size_t uFooter = (uTopEnd + 15) / 16 * 16;
    EXPECT_EQ(x.size(), uFooter + 144);
    EXPECT_EQ(Word(x, uFooter, 4), 0u);
    EXPECT_EQ(Word(x, uFooter + 4, 4), static_cast<uint64_t>(c.m_iVersion));
    EXPECT_EQ(static_cast<uint8_t>(x[uFooter + 128]), 0xF8);
    EXPECT_EQ(static_cast<uint8_t>(x.back()), 0x0B);

    KFbx7Document xDoc;
    std::string xWhy;
    ASSERT_TRUE(xDoc.Parse(std::vector<uint8_t>(x.begin(), x.end()), xWhy)) << xWhy;
    EXPECT_EQ(xDoc.FooterVersion(), c.m_iVersion);
    const int iAB = xDoc.Child(KFbx7Document::kTop, "AB");
    ASSERT_GE(iAB, 0);
    std::vector<double> xDoubles;
    ASSERT_TRUE(xDoc.Doubles(xDoc.Value(iAB, 1), xDoubles, xWhy)) << xWhy;
    EXPECT_EQ(xDoubles, (std::vector<double>{1.5, -2.0}));
    EXPECT_EQ(xDoc.Value(xDoc.Child(iAB, "C"), 0).m_llInt, 5);
  }
}

// A deflated array: encoding 1, the stored length the zlib stream's, which
// zlib itself inflates to the elements.
TEST(KFbx7Layout, DeflatedArrayIsAZlibStream) {
  const std::string x = Bytes(7500, 0);
  const size_t uArray = 27 + 25 + 2 + 5;
  ASSERT_EQ(x[uArray], 'd');
  EXPECT_EQ(Word(x, uArray + 1, 4), 2u);
  EXPECT_EQ(Word(x, uArray + 5, 4), 1u);
  const size_t uStored = Word(x, uArray + 9, 4);
  uLongf uOut = 16;
  double ad[2] = {0, 0};
  ASSERT_EQ(
      uncompress(reinterpret_cast<Bytef*>(ad), &uOut, reinterpret_cast<const Bytef*>(x.data() + uArray + 13), uStored),
      Z_OK);
  EXPECT_EQ(uOut, 16u);
  EXPECT_EQ(ad[0], 1.5);
  const size_t uC = uArray + 13 + uStored;  // the nested record follows the stored bytes
  EXPECT_EQ(x[uC + 24], 1);
  EXPECT_EQ(x[uC + 25], 'C');
}

TEST(KFbx7Layout, AsciiArraysAndBlocks) {
  KFbx7WriteOptions xOptions;
  xOptions.m_bBinary = false;
  std::string xError;
  EXPECT_EQ(KFbx7WriteBytes(SmallTree(), xOptions, &xError), "");
  EXPECT_EQ(xError, "an array is the only value of its field in ASCII files");
  KFbxWriteField xCurve("AnimationCurve", {KFbxWriteValue::Int64(9)});
  xCurve.Child("KeyTime", {KFbxWriteValue::Int64Array({0, 46186158000, -3})});
  xCurve.Child("KeyValueFloat", {KFbxWriteValue::FloatArray({0.1f, -2.5f})});
  const std::string xText = KFbx7WriteBytes({xCurve}, xOptions, &xError);
  EXPECT_EQ(xText.substr(0, xText.find('\n')), "; FBX 7.4.0 project file");
  EXPECT_NE(xText.find("AnimationCurve: 9 {\n\tKeyTime: *3 {\n\t\ta: 0,46186158000,-3\n\t}\n"
                       "\tKeyValueFloat: *2 {\n\t\ta: 0.100000001,-2.5\n\t}\n}\n"),
            std::string::npos)
      << xText;
  KFbx7Document xDoc;
  std::string xWhy;
  ASSERT_TRUE(xDoc.Parse(std::vector<uint8_t>(xText.begin(), xText.end()), xWhy)) << xWhy;
  const int iCurve = xDoc.Child(KFbx7Document::kTop, "AnimationCurve");
  std::vector<int64_t> xTimes;
  std::vector<float> xValues;
  ASSERT_TRUE(xDoc.Int64s(xDoc.Value(xDoc.Child(iCurve, "KeyTime"), 0), xTimes, xWhy));
  ASSERT_TRUE(xDoc.Floats(xDoc.Value(xDoc.Child(iCurve, "KeyValueFloat"), 0), xValues, xWhy));
  EXPECT_EQ(xTimes, (std::vector<int64_t>{0, 46186158000, -3}));
  EXPECT_EQ(xValues, (std::vector<float>{0.1f, -2.5f}));
}

// By default an array is deflated from 128 bytes on, and only where that
// saves an eighth of its bytes: noisy floats stay raw.
TEST(KFbx7Layout, ArraysDeflatedOnlyWhereThatPays) {
  std::vector<float> xNoise(64), xSteady(64, 2.5f), xShort(31, 2.5f);
  uint32_t u = 12345;
  for (float& f : xNoise) u = u * 1664525u + 1013904223u, f = static_cast<float>(u) * 1e-9f;
  const struct {
    const char* m_pszName;
    std::vector<float> m_xValues;
    uint32_t m_uEncoding;
  } axCases[] = {{"noise", xNoise, 0}, {"steady", xSteady, 1}, {"124 bytes", xShort, 0}};
  for (const auto& c : axCases) {
    SCOPED_TRACE(c.m_pszName);
    const std::string x =
        KFbx7WriteBytes({KFbxWriteField("A", {KFbxWriteValue::FloatArray(c.m_xValues)})}, KFbx7WriteOptions());
    const size_t uArray = 27 + 13 + 1;  // 7400 header, record header, name
    ASSERT_EQ(x.at(uArray), 'f');
    EXPECT_EQ(Word(x, uArray + 1, 4), c.m_xValues.size());
    EXPECT_EQ(Word(x, uArray + 5, 4), c.m_uEncoding);
  }
}
