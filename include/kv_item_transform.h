#pragma once
// A host item's transform from its five channels. A point is moved by the
// negated pivot, scaled, turned by the item's rotation and then by the pivot
// rotation, and finally moved by the position:
//   T(-pivot) * S(scaling) * R(rotation) * R(pivot rotation) * T(position)
// (row vectors, so the leftmost factor applies first). Both the module (for
// its joints and carrying item) and the stand-in host (to show what the
// module draws in world space) compose items this one way.

#include "kv_matrix.h"

namespace Kvat {

// The five channels of an item at one time, rotations in radians.
struct ItemChannels {
  Vector3 position;
  Vector3 rotation;  // heading, pitch, bank
  Vector3 scaling{1.0, 1.0, 1.0};
  Vector3 pivot;          // as the host gives it; composeItemMatrix negates it
  Vector3 pivotRotation;  // heading, pitch, bank
};

Matrix4 composeItemMatrix(const ItemChannels& channels);

}  // namespace Kvat
