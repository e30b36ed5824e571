#pragma once
// A small built-in bitmap font for text written into pictures (times, the
// contact sheet's title): every printable ASCII character in 5 x 7 dots.
// Any other character (a control byte, or a UTF-8 sequence of a non-ASCII
// name) draws as one small box, so a name's length still shows.

#include <string>

#include "canvas.h"

namespace Boneplay {
namespace Render {

// Glyphs are 5 x 7 dots, each dot `size` pixels square, one dot apart.
int textWidth(const std::string& text, int size);
int textHeight(int size);

// Writes the text into the text layer with its top-left corner at (x, y).
void drawText(Canvas& canvas, int x, int y, const std::string& text, int size);

// The text as it fits in `maxWidth` pixels: whole when it fits, else cut
// after a whole character and ended with "..."; empty when not even "..." fits.
std::string fitText(const std::string& text, int size, int maxWidth);

}  // namespace Render
}  // namespace Boneplay
