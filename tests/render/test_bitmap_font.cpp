#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <string>

#include "bitmap_font.h"

using namespace Boneplay::Render;

namespace {

// The dots a text of one character draws at one pixel a dot, row by row.
std::string dotsOf(const std::string& text) {
  Canvas canvas(5, 7);
  drawText(canvas, 0, 0, text, 1);
  std::string dots;
  for (int y = 0; y < 7; ++y)
    for (int x = 0; x < 5; ++x) dots += canvas.coverage(Layer::Text, x, y) ? '#' : '.';
  return dots;
}

std::string shown(const std::string& text) {
  std::string out;
  for (unsigned char c : text) {
    char hex[8];
    std::snprintf(hex, sizeof hex, "\\x%02x", c);
    out += c >= 32 && c < 127 ? std::string(1, static_cast<char>(c)) : std::string(hex);
  }
  return out;
}

TEST(BitmapFont, EveryPrintableCharacterHasAVisibleGlyphOfItsOwn) {
  // Two characters with the same dots would be a slip in the font's table.
  const std::string placeholder = dotsOf("\x01");
  std::map<std::string, char> owner;
  for (int c = 33; c <= 126; ++c) {
    const std::string text(1, static_cast<char>(c));
    SCOPED_TRACE(text);
    const std::string dots = dotsOf(text);
    EXPECT_NE(dots.find('#'), std::string::npos);
    EXPECT_NE(dots, placeholder);
    const auto taken = owner.emplace(dots, static_cast<char>(c));
    EXPECT_TRUE(taken.second) << "same dots as '" << taken.first->second << "'";
    EXPECT_EQ(textWidth(text, 3), 15);
  }
  EXPECT_EQ(dotsOf(" "), std::string(35, '.'));
  EXPECT_NE(placeholder.find('#'), std::string::npos);

  // Anything else is one placeholder a character: a UTF-8 letter of two to
  // four bytes as one, so a non-ASCII name keeps its length.
  const char* const others[] = {"\x7f", "\x1f", "\t", "\x80", "\xff", "\xc3\xa9", "\xe2\x82\xac", "\xf0\x9f\x98\x80"};
  for (const char* other : others) {
    SCOPED_TRACE(shown(other));
    EXPECT_EQ(dotsOf(other), placeholder);
    EXPECT_EQ(textWidth(other, 2), textWidth("x", 2));
  }
  EXPECT_EQ(textWidth(std::string("a\xc3\xa9") + "b\xe2\x82\xac", 2), textWidth("abcd", 2));
  // A lead byte without its continuation, a stray continuation byte and a
  // byte that leads nothing are each a character of their own.
  EXPECT_EQ(textWidth(std::string("\xc3") + "a", 1), textWidth("ba", 1));
  EXPECT_EQ(textWidth("\xff\x80\x80", 1), textWidth("abc", 1));
}

TEST(BitmapFont, TextTooWideIsCutAfterAWholeCharacterWithAnEllipsis) {
  struct Case {
    const char* text;
    int size, maxWidth;
    const char* fitted;
  };
  // A character takes 6 dots but the last, 5: n characters are 6n - 1 dots.
  const Case cases[] = {
      {"walk.bvh", 1, 1000, "walk.bvh"},
      {"walk.bvh", 1, 47, "walk.bvh"},
      {"walk.bvh", 1, 46, "walk..."},
      {"walk.bvh", 2, 93, "walk..."},
      {"walk.bvh", 2, 95, "walk.bvh"},
      {"walk.fbx, take \"Take 001\"", 1, 77, "walk.fbx,..."},  // no gap before the dots
      {"walk.fbx, take \"Take 001\"", 1, 83, "walk.fbx, t..."},
      {"\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9", 1, 23, "\xc3\xa9..."},  // never half a letter
      {"walk.bvh", 1, 17, "..."},
      {"walk.bvh", 1, 16, ""},
      {"", 1, 0, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(shown(c.text) + " in " + std::to_string(c.maxWidth) + " at " + std::to_string(c.size));
    const std::string fitted = fitText(c.text, c.size, c.maxWidth);
    EXPECT_EQ(fitted, c.fitted);
    EXPECT_LE(textWidth(fitted, c.size), c.maxWidth);
  }
}

}  // namespace
