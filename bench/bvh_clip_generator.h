#pragma once
// Seeded synthetic BVH clips for the reader's benchmarks and fuzz seeds: a
// skeleton of N joints (a root with position and rotation channels, every
// other joint with three rotations, shallow branches like a real rig) and F
// rows of motion with six decimals, as capture exports write them. The same
// (joints, frames, seed) always gives the same bytes.

#include <cstdint>
#include <string>

namespace Boneplay {
namespace Bench {

std::string makeBvhClip(int joints, int frames, uint32_t seed);

}  // namespace Bench
}  // namespace Boneplay
