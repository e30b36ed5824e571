#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "bvh_numbers.h"
#include "bvh_test_util.h"
#include "bvh_tokens.h"
#include "test_tmpdir.h"

using Kvat::Bvh::Token;
using Kvat::Bvh::TokenStream;

namespace {

enum Code {
  HIERARCHY = 260,
  ROOT,
  OFFSET,
  CHANNELS,
  JOINT,
  END,
  MOTION,
  FRAMES,
  FRAME,
  TIME,
  IDENT = 273,
  INTEGER,
  REAL,
  STRING
};

struct Scan {
  TokenStream stream;
  std::string echoed;
};

Scan scan(const std::string& text) {
  Scan s;
  Kvat::Bvh::CollectedDiagnostics sink;
  s.stream = Kvat::Bvh::scanTokens(text.data(), text.size(), sink);
  s.echoed = sink.out;
  return s;
}

// A compact rendering of a token stream: keywords by name, characters quoted,
// values after a colon. Makes expected streams readable in a table.
std::string render(const std::vector<Token>& tokens) {
  static const char* const kKeywords[] = {"HIERARCHY", "ROOT",   "OFFSET", "CHANNELS", "JOINT",
                                          "END",       "MOTION", "FRAMES", "FRAME",    "TIME"};
  std::string out;
  char buf[64];
  for (const Token& t : tokens) {
    if (!out.empty()) out += ' ';
    if (t.code >= HIERARCHY && t.code <= TIME) {
      out += kKeywords[t.code - HIERARCHY];
    } else if (t.code == INTEGER) {
      std::snprintf(buf, sizeof buf, "I:%d", t.integer);
      out += buf;
    } else if (t.code == REAL) {
      std::snprintf(buf, sizeof buf, "R:%g", t.real);
      out += buf;
    } else if (t.code == IDENT) {
      out += "N:" + t.text;
    } else if (t.code == STRING) {
      out += "S:" + t.text;
    } else if (t.code == '\n') {
      out += "'\\n'";
    } else {
      out += '\'';
      out += static_cast<char>(t.code);
      out += '\'';
    }
  }
  return out;
}

struct LexCase {
  const char* input;
  const char* tokens;
  const char* echoed;
};

TEST(BvhScanner, TokenRules) {
  const LexCase cases[] = {
      // numbers and signs
      {"-12", "I:-12", ""},
      {"- 12", "'-' I:12", ""},
      {"+5", "'+' I:5", ""},
      {"0x1A 0Xff", "I:26 I:255", ""},
      {"0x1G", "N:0x1G", ""},
      {".5 5. -0.25e-2 2.5E+1F", "R:0.5 R:5 R:-0.0025 R:25", ""},
      {"1.5d", "R:1.5 N:d", ""},
      {"1e5 12abc", "N:1e5 N:12abc", ""},
      {"L_Hip.001", "N:L_Hip R:0.001", ""},
      {"L_Hip:1", "N:L_Hip I:1", ":"},
      {"2147483648", "I:2147483647", ""},
      // keywords are whole names
      {"HIERARCHYX ROOTS MOTIONS Frames Frame Time", "N:HIERARCHYX N:ROOTS N:MOTIONS N:Frames N:Frame N:Time", ""},
      {"End Site", "END N:Site", ""},
      {"HIERARCHY ROOT OFFSET CHANNELS JOINT", "HIERARCHY ROOT OFFSET CHANNELS JOINT", ""},
      {"{ } ; , * ", "'{' '}' ';' ',' '*'", ""},
      {"a#b", "N:a N:b", "#"},
      // the motion condition
      {"MOTION\nFrames: 2\nFrame Time: 0.5\n", "MOTION '\\n' FRAMES ':' I:2 '\\n' FRAME TIME ':' R:0.5 '\\n'", ""},
      {"ROOT\nMOTION\n", "ROOT MOTION '\\n'", ""},
      {"MOTION { 1 }", "MOTION I:1", "{}"},
      {"MOTION\n- 1 -2 End x", "MOTION '\\n' I:1 I:-2 N:End N:x", "-"},
      {"MOTION\nHIERARCHY\n{", "MOTION '\\n' HIERARCHY '{'", ""},
      {"MOTION /* x */", "MOTION N:x", "/**/"},
      // strings
      {"\"a\\tb\\x41\\101\\q\\\"\"", "S:a\tbAAq\"", ""},
      {"\"\\x4a9\" \"\\7777\"",
       "S:J9 S:\xff"
       "7",
       ""},
      {"\"one\\\ntwo\"", "S:onetwo", ""},
      {"\"open\nROOT", "ROOT", "ERROR: Unterminated string\n"},
      {"\"never closed", "", "ERROR: EOF in string\nERROR: EOF in STRING\n"},
      // comments
      {"/* a\n * b **/ROOT", "ROOT", ""},
      {"/* ** / * */ JOINT", "JOINT", ""},
      {"/* open", "", "ERROR: EOF in comment\n"},
      // line ends
      {"ROOT\r\nJOINT\r\n", "ROOT JOINT", ""},
      {"ROOT\rJOINT", "ROOT JOINT", "\r"},
      {"ROOT\r\r\nJOINT", "ROOT JOINT", "\r"},  // the pair folds, the CR before it stays
  };
  for (const LexCase& c : cases) {
    const Scan s = scan(c.input);
    EXPECT_EQ(render(s.stream.tokens), c.tokens) << "input: " << c.input;
    EXPECT_EQ(s.echoed, c.echoed) << "input: " << c.input;
  }
}

TEST(BvhScanner, CountsLinesInEveryCondition) {
  struct Case {
    const char* input;
    int lines;
  };
  const Case cases[] = {
      {"", 0},
      {"ROOT\nJOINT\n\n", 3},
      {"a\r\nb\r\nc", 2},
      {"/* 1\n2\n*\n*/ x\n", 4},
      {"\"a\\\nb\nc", 2},
      {"MOTION\n1 2\n3\n", 3},
  };
  for (const Case& c : cases) EXPECT_EQ(scan(c.input).stream.lines, c.lines) << c.input;
}

TEST(BvhScanner, EndOfStringEndsTheStream) {
  // After an unfinished string the next token is the end, whatever follows.
  const Scan s = scan("ROOT \"abc");
  EXPECT_EQ(render(s.stream.tokens), "ROOT");
}

TEST(BvhScanner, LongTokensGrowTheBuffer) {
  const std::string name(40000, 'n');
  const Scan s = scan("ROOT " + name + " JOINT");
  ASSERT_EQ(s.stream.tokens.size(), 3u);
  EXPECT_EQ(s.stream.tokens[1].text, name);
  EXPECT_EQ(s.stream.tokens[2].code, JOINT);
}

TEST(BvhScanner, TokensUpToTheBufferLimit) {
  // The buffer holds the token and the character after it that ends it.
  constexpr std::size_t kLimit = 1 << 16;
  for (std::size_t length : {kLimit - 2, kLimit - 1}) {
    SCOPED_TRACE(length);
    const std::string text = "ROOT " + std::string(length, 'n') + " JOINT";
    Kvat::Bvh::CollectedDiagnostics sink;
    const TokenStream s = Kvat::Bvh::scanTokens(text.data(), text.size(), sink, kLimit);
    const bool fits = length == kLimit - 2;
    EXPECT_EQ(s.tokens.size(), fits ? 3u : 1u);
    EXPECT_EQ(sink.err, fits ? "" : "fatal error - scanner input buffer overflow\n");
  }
}

TEST(BvhScanner, FailedReadEndsTheScanOnly) {
  // A folder opens for reading on this platform but every read fails.
  const std::string dir = boneplay_test::TempFolder();
  const bvhtest::Output o = bvhtest::capture([&] {
    std::FILE* f = std::fopen(dir.c_str(), "r");
    if (!f) return;
    EXPECT_TRUE(Kvat::Bvh::scanTokens(f).tokens.empty());
    std::fclose(f);
  });
  if (o.err.empty()) GTEST_SKIP() << "folders cannot be opened as files here";
  EXPECT_EQ(o.err, "input in flex scanner failed\n");
}

// A word of a motion row is taken without the scanner (whole rows of
// numbers are) exactly when the scanner reads it as one number token, and
// then with that token's value: hand-picked forms at every rule's edge, then
// random words over the characters those rules read.
TEST(BvhScanner, RowWordsReadWholeAsTheScannerReadsThem) {
  std::vector<std::string> words;
  std::istringstream forms(
      "12 -12 0x1F 0X1f 0x 0x1G -0x1 1.5 1.5f 1.5F 1. 1.f .5 -.5 . -. - 1e5 1.5e 1.5e+ 1.5e+3 1.5E-3f 1.5ef 1.5fe "
      "12abc 1_2 007 0x0000000000000001f 99999999999 1.0e99999999999999999999");
  for (std::string form; forms >> form;) words.push_back(form);
  std::mt19937 random(5);
  const std::string alphabet = "0123456789.-+eEfFxXaG_";
  for (int i = 0; i < 50000; ++i) {
    std::string word;
    for (int n = 1 + static_cast<int>(random() % 8); n > 0; --n) word += alphabet[random() % alphabet.size()];
    words.push_back(word);
  }
  for (const std::string& word : words) {
    const Scan s = scan("MOTION\n" + word + "\n");
    ASSERT_GE(s.stream.tokens.size(), 3u) << word;
    const bool oneNumber = s.stream.tokens.size() == 4 && s.echoed.empty() &&
                           (s.stream.tokens[2].code == INTEGER || s.stream.tokens[2].code == REAL);
    float value = 0.f;
    ASSERT_EQ(Kvat::Bvh::rowNumber(word.data(), word.size(), value), oneNumber) << word;
    if (!oneNumber) continue;
    const Token& t = s.stream.tokens[2];
    const float expected = t.code == INTEGER ? static_cast<float>(t.integer) : t.real;
    ASSERT_EQ(std::memcmp(&value, &expected, sizeof value), 0) << word;
  }
}

}  // namespace
