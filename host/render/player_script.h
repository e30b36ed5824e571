#pragma once
// The HTML player's script (player.js beside this file), built into the
// program so that every page it writes carries it and works offline.

namespace Boneplay {
namespace Render {

extern const char* const kPlayerScript;

}  // namespace Render
}  // namespace Boneplay
