#pragma once
// Where an item of the stand-in host's scene stands in the world at a time:
// what the host uses to carry the lines a module draws in object coordinates
// into world space.

#include "item_scene.h"
#include "kv_matrix.h"

namespace Boneplay {
namespace Host {

// The item's own transform first, then each ancestor's up to the top.
Kvat::Matrix4 itemWorld(const ItemScene& scene, LWItemID item, double time);

}  // namespace Host
}  // namespace Boneplay
