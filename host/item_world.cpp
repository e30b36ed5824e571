#include "item_world.h"

#include "kv_item_transform.h"

namespace Boneplay {
namespace Host {

Kvat::Matrix4 itemWorld(const ItemScene& scene, LWItemID item, double time) {
  auto vec = [&](LWItemID id, int code) {
    const Triple v = scene.param(id, code, time);
    return Kvat::Vector3(v[0], v[1], v[2]);
  };
  Kvat::Matrix4 world;
  world.setIdentity();
  for (LWItemID id = item; id; id = scene.parent(id)) {
    Kvat::ItemChannels c;
    c.position = vec(id, LWIP_POSITION);
    c.rotation = vec(id, LWIP_ROTATION);
    c.scaling = vec(id, LWIP_SCALING);
    c.pivot = vec(id, LWIP_PIVOT);
    c.pivotRotation = vec(id, LWIP_PIVOT_ROT);
    world = Kvat::Matrix4::multiply(world, Kvat::composeItemMatrix(c));
  }
  return world;
}

}  // namespace Host
}  // namespace Boneplay
