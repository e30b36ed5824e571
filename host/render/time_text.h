#pragma once
// Times written into pictures: the stamp in a frame's corner and the labels
// under a contact sheet's cells, in the built-in bitmap font.

#include <string>

#include "bitmap_font.h"
#include "canvas.h"

namespace Boneplay {
namespace Render {

// "1.50 s" with the given number of decimals.
std::string timeText(double seconds, int decimals);

// The dot size that reads well on a picture of this size.
int textSizeFor(int width, int height);

// The frame's time in the picture's top-left corner.
void drawStamp(Canvas& canvas, double seconds);

}  // namespace Render
}  // namespace Boneplay
