#include <gtest/gtest.h>

#include "fbxsdk/core/kerror.h"
#include "fbxsdk/core/kstring.h"

TEST(KString, SubStringsClipToTheText) {
  const KString xText("Model::Hips");
  EXPECT_STREQ(xText.Left(5), "Model");
  EXPECT_STREQ(xText.Right(4), "Hips");
  EXPECT_STREQ(xText.Mid(7, 2), "Hi");
  EXPECT_STREQ(xText.Mid(7), "Hips");
  EXPECT_STREQ(xText.Left(50), "Model::Hips");
  EXPECT_STREQ(xText.Right(50), "Model::Hips");
  EXPECT_STREQ(xText.Mid(50, 2), "");
}

TEST(KString, FindAndReverseFind) {
  const KString xText("a/b/c");
  EXPECT_EQ(xText.Find('/'), 1);
  EXPECT_EQ(xText.Find('/', 2), 3);
  EXPECT_EQ(xText.Find("b/c"), 2);
  EXPECT_EQ(xText.Find('x'), KString::kNotFound);
  EXPECT_EQ(xText.ReverseFind('/'), 3);
  EXPECT_EQ(xText.ReverseFind('x'), KString::kNotFound);
}

TEST(KString, ConcatenationCaseAndComparison) {
  KString xText("Take");
  xText += " ";
  xText += KString("001");
  EXPECT_STREQ(xText, "Take 001");
  EXPECT_STREQ(xText + "!", "Take 001!");
  EXPECT_STREQ(xText.Upper(), "TAKE 001");
  EXPECT_STREQ(xText.Lower(), "take 001");
  EXPECT_EQ(xText.CompareNoCase("TAKE 001"), 0);
  EXPECT_LT(KString("abc").CompareNoCase("ABD"), 0);
  EXPECT_GT(KString("abcd").CompareNoCase("ABC"), 0);
  EXPECT_EQ(KStringCompareNoCase(nullptr, ""), 0);
  EXPECT_EQ(xText.GetLen(), 8u);
  KString xNull(static_cast<const char*>(nullptr));
  EXPECT_TRUE(xNull.IsEmpty());
}

namespace {
constexpr const char* kTable[] = {"Object not found", nullptr};
}

TEST(KErrorState, CodeCopiesTableTextAndDetailReplacesIt) {
  KErrorState xError(kTable, 2);
  EXPECT_EQ(xError.GetErrorCount(), 2);
  xError.SetLastErrorID(0);
  EXPECT_EQ(xError.GetLastErrorID(), 0);
  EXPECT_STREQ(xError.GetLastErrorString(), "Object not found");
  xError.SetLastErrorID(1);  // a code without text
  EXPECT_STREQ(xError.GetLastErrorString(), "");
  xError.SetLastError(0, "Unable to open file walk.fbx");
  EXPECT_EQ(xError.GetLastErrorID(), 0);
  EXPECT_STREQ(xError.GetLastErrorString(), "Unable to open file walk.fbx");
  xError.SetLastErrorID(7);  // outside the table: no text, no read past it
  EXPECT_EQ(xError.GetLastErrorID(), 7);
  EXPECT_STREQ(xError.GetLastErrorString(), "");
}
