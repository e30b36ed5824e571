#pragma once
// Times written into pictures: the stamp in a frame's corner and the labels
// under a contact sheet's cells, in a small built-in bitmap font (digits, the
// point, the minus sign, the colon, "s" and the space; anything else is blank).

#include <string>

#include "canvas.h"

namespace Boneplay {
namespace Render {

// "1.50 s" with the given number of decimals.
std::string timeText(double seconds, int decimals);

// Glyphs are 5 x 7 dots, each dot `size` pixels square.
int textWidth(const std::string& text, int size);
int textHeight(int size);
// The dot size that reads well on a picture of this size.
int textSizeFor(int width, int height);

// Writes the text into the text layer with its top-left corner at (x, y).
void drawText(Canvas& canvas, int x, int y, const std::string& text, int size);
// The frame's time in the picture's top-left corner.
void drawStamp(Canvas& canvas, double seconds);

}  // namespace Render
}  // namespace Boneplay
