// The reader's entries and its own pieces: bytes in memory and files read
// alike, line ends folded once, number texts read as the C library reads
// them (32-bit integers clamped), long tokens, diagnostics to a sink.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "attribute_bvh.h"
#include "bvh_numbers.h"
#include "bvh_root.h"
#include "bvh_source.h"
#include "bvh_test_util.h"

using Kvat::Secne::AttributeBvh;
using Kvat::Secne::BvhRoot;

namespace {

std::unique_ptr<BvhRoot> load(const std::string& text, Kvat::Bvh::CollectedDiagnostics& sink) {
  return std::unique_ptr<BvhRoot>(Kvat::Secne::createBvhRootFromBytes(text.data(), text.size(), sink));
}

const AttributeBvh& joint(const BvhRoot& root, const char* name) {
  return dynamic_cast<const AttributeBvh&>(*root.top()->find(name)->attrib());
}

TEST(BvhReader, IntegerTextsClampTo32Bits) {
  const struct {
    const char* text;
    int32_t value;
  } table[] = {
      {"99999999999", 2147483647},      {"-99999999999", -2147483647 - 1}, {"2147483648", 2147483647},
      {"-2147483649", -2147483647 - 1}, {"2147483647", 2147483647},        {"-2147483647", -2147483647},
      {"0x7FFFFFFF", 2147483647},       {"0x80000000", 2147483647},        {"0xFFFFFFFFFF", 2147483647},
      {"-2147483648", -2147483647 - 1}, {"000000000000000000000012", 12},  {"0x0000000000000001f", 31},
  };
  for (const auto& row : table) {
    SCOPED_TRACE(row.text);
    Kvat::Bvh::CollectedDiagnostics sink;
    const auto root = load("HIERARCHY\nROOT H\n{\nOFFSET " + std::string(row.text) + " 0 0\n}\n", sink);
    EXPECT_EQ(sink.out, "");
    // Every number reaches the joint as a 32-bit float.
    EXPECT_EQ(joint(*root, "Root").offset().x, static_cast<double>(static_cast<float>(row.value)));
    const std::string digits = row.text[1] == 'x' ? row.text + 2 : row.text;
    if (row.text[1] == 'x')
      EXPECT_EQ(Kvat::Bvh::hexInteger(digits.data(), digits.size()), row.value);
    else
      EXPECT_EQ(Kvat::Bvh::decimalInteger(digits.data(), digits.size()), row.value);
  }
}

// The float strtof gives for the text, suffix and all.
uint32_t bitsOf(float f) {
  uint32_t b;
  std::memcpy(&b, &f, sizeof b);
  return b;
}

TEST(BvhReader, RealTextsReadAsStrtofReadsThem) {
  std::vector<std::string> texts = {
      "0.0",
      "-0.0",
      ".5",
      "5.",
      "-.25e-2",
      "1.e5",
      "2.5E+1F",
      "1.5f",
      "0.1",
      "-123.456789",
      "16777217.0",
      "16777219.0",
      "0.000000000000000000000000000000000000000000001",
      "1.0e-46",
      "-1.0e-50",
      "1.0e-45",
      "3.4028235e38",
      "3.4028236e38",
      "-3.5e38",
      "1.0e99999999999999999999",
      "1.0e-99999999999999999999",
      "0.0e999999999",
      "33554431.0",
      "33554433.000000",
      "9007199254740993.0",
      "0.30000001192092896",
      "1.00000005960464477539062",
      "1.000000059604644775390625",
      "1.0000000596046447753906251",
      "123456789012345.6",
      "12345678901234.56",
      "0.999999970198",
      "7.038531e-26",
  };
  std::mt19937 random(11);
  for (int i = 0; i < 20000; ++i) {
    std::string t = random() % 2 ? "-" : "";
    for (int d = static_cast<int>(random() % 12); d >= 0; --d) t += static_cast<char>('0' + random() % 10);
    t += '.';
    for (int d = static_cast<int>(random() % 20); d > 0; --d) t += static_cast<char>('0' + random() % 10);
    if (random() % 4 == 0) t += "e" + std::to_string(static_cast<int>(random() % 90) - 45);
    texts.push_back(t);
  }
  for (const std::string& t : texts) {
    const float expected = std::strtof(t.c_str(), nullptr);
    ASSERT_EQ(bitsOf(Kvat::Bvh::realNumber(t.data(), t.size())), bitsOf(expected)) << t;
  }
}

// Bytes and files read alike: the same tokens, tree, samples and reports,
// the file's on the standard streams. CR LF is folded once, wherever it falls
// against the reads: the fold of a file's 1 MiB blocks, the scanner's 16 KiB
// buffer (rows of about that length, ended by CR LF).
TEST(BvhReader, FilesReadAsBytesDoWithLineEndsFoldedOnce) {
  std::string longRows;
  for (int length = 16370; length < 16400; ++length) {
    std::string row;
    while (row.size() + 2 < static_cast<std::size_t>(length)) row += "1 ";
    longRows += row + "7\r\n";
  }
  std::string acrossBlock = "HIERARCHY\nROOT H\n{\nOFFSET 0 0 0\nCHANNELS 1 Xposition\n}\nMOTION\nFrames: 1\n5";
  acrossBlock += std::string((1 << 20) - 1 - acrossBlock.size(), ' ') + "\r\n6\r\n";
  // A CR that is not folded would be echoed: only case 2 has lone ones.
  const struct {
    std::string text;
    const char* out;
  } cases[] = {
      {bvhtest::kWorkedExample, ""},
      {"HIERARCHY\r\nROOT H\r\n{\r\nOFFSET 1 2 3\r\nCHANNELS 1 Xposition\r\n}\r\nMOTION\r\nFrames: 1\r\n" + longRows,
       ""},
      {"HIERARCHY\r\r\nROOT H\r\n{\rOFFSET 1 2 3\n}\r\n", "\r\r"},
      {acrossBlock, ""},
      {"HIERARCHY\nROOT H\n{\nOFFSET 1 2 3\nJOINT A.B\n{\n}\n}\n", ".ERROR: syntax error\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text.substr(0, 40));
    Kvat::Bvh::CollectedDiagnostics sink;
    const auto fromBytes = load(c.text, sink);
    EXPECT_EQ(sink.out, c.out);
    const std::string path = bvhtest::writeTemp("same.bvh", c.text);
    std::unique_ptr<BvhRoot> fromFile;
    const bvhtest::Output printed = bvhtest::capture([&] { fromFile.reset(Kvat::Secne::createBvhRoot(path.c_str())); });
    ASSERT_TRUE(fromBytes && fromFile);
    EXPECT_EQ(printed.out, sink.out);
    EXPECT_EQ(printed.err, sink.err);
    ASSERT_EQ(fromFile->motions().count(), fromBytes->motions().count());
    for (std::size_t m = 0; m < fromFile->motions().count(); ++m)
      for (std::size_t c = 0; c < fromFile->motions().motion(m)->count(); ++c)
        EXPECT_EQ(fromFile->motions().motion(m)->fx(c)->function()->samples(),
                  fromBytes->motions().motion(m)->fx(c)->function()->samples());
  }
}

TEST(BvhReader, ByteSourceFoldsAcrossEveryCut) {
  const char* const texts[] = {"a\r\nb", "\r\r\n", "\r", "a\rb\r", "\r\n\r\n", "ab\r\ncd\r\r\n\n"};
  for (const char* text : texts) {
    // One pass: a CR right before LF goes; what is left is not looked at again.
    std::string expected;
    for (const char* p = text; *p; ++p)
      if (!(p[0] == '\r' && p[1] == '\n')) expected += *p;
    for (std::size_t cut = 1; cut <= 5; ++cut) {
      Kvat::Bvh::ByteSource source(text, std::strlen(text));
      std::string got;
      char buffer[8];
      while (std::size_t n = source.readLine(buffer, cut)) got.append(buffer, n);
      EXPECT_EQ(got, expected) << "cut " << cut;
    }
  }
}

// Long tokens cost time and memory in proportion to their length; the time
// of a 10 MB token is the benchmark's to show, not this test's.
TEST(BvhReader, TenMegabyteTokens) {
  const std::size_t size = 10 << 20;
  const std::string name(size, 'n');
  std::string text = "HIERARCHY\nROOT H\n{\nOFFSET 0 -";
  text.reserve(3 * size + 200);
  text.append(size, '9').append(" 0\nJOINT ").append(name);
  text.append("\n{\nOFFSET 0 0 0\nCHANNELS 1 Xposition\n}\n}\nMOTION\nFrames: 1\n1.").append(size, '0') += '\n';
  Kvat::Bvh::CollectedDiagnostics sink;
  auto root = load(text, sink);
  EXPECT_EQ(sink.out, "");
  EXPECT_EQ(joint(*root, "Root").offset().y, -2147483648.0);
  EXPECT_EQ(joint(*root, name.c_str()).channels().at(0)->function()->samples(), Kvat::Motion::Samples{1.0});
  // An unknown character repeated a million times, then a string as long.
  root = load(std::string(1 << 20, '#') + "\"" + std::string(1 << 20, 's') + "\"", sink);
  EXPECT_EQ(sink.out, std::string(1 << 20, '#') + "ERROR: syntax error\n");
}

}  // namespace
