#include "item_matrix.h"

namespace Kvat {

Vector3 readItemParam(const LWItemInfo& itemInfo, LWItemID item, int paramCode, double time) {
  LWDVector v = {0.0, 0.0, 0.0};
  itemInfo.param(item, paramCode, time, v);
  return Vector3(v[0], v[1], v[2]);
}

Matrix4 itemLocalMatrix(const LWItemInfo& itemInfo, LWItemID item, double time) {
  ItemChannels c;
  c.position = readItemParam(itemInfo, item, LWIP_POSITION, time);
  c.rotation = readItemParam(itemInfo, item, LWIP_ROTATION, time);
  c.scaling = readItemParam(itemInfo, item, LWIP_SCALING, time);
  c.pivot = readItemParam(itemInfo, item, LWIP_PIVOT, time);
  c.pivotRotation = readItemParam(itemInfo, item, LWIP_PIVOT_ROT, time);
  return composeItemMatrix(c);
}

Matrix4 itemWorldMatrix(const LWItemInfo& itemInfo, LWItemID item, double time) {
  Matrix4 world;
  world.setIdentity();
  for (LWItemID c = item; c; c = itemInfo.parent(c))
    world = Matrix4::multiply(world, itemLocalMatrix(itemInfo, c, time));
  return world;
}

}  // namespace Kvat
