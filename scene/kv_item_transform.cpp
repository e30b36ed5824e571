#include "kv_item_transform.h"

namespace Kvat {

Matrix4 composeItemMatrix(const ItemChannels& c) {
  Matrix4 pivot, scaling, rotation, pivotRotation, position;
  pivot.setTranslation(Vector3(-c.pivot.x, -c.pivot.y, -c.pivot.z));
  scaling.setScaling(c.scaling);
  rotation.setHeadingPitchBank(c.rotation.x, c.rotation.y, c.rotation.z);
  pivotRotation.setHeadingPitchBank(c.pivotRotation.x, c.pivotRotation.y, c.pivotRotation.z);
  position.setTranslation(c.position);
  Matrix4 m = Matrix4::multiply(pivot, scaling);
  m = Matrix4::multiply(m, rotation);
  m = Matrix4::multiply(m, pivotRotation);
  return Matrix4::multiply(m, position);
}

}  // namespace Kvat
