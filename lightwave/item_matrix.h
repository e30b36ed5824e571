#pragma once
// Host items as transforms. An item's local matrix moves a point by the
// negated pivot, scales it, turns it by the item's rotation and then by the
// pivot rotation, and finally moves it by the position:
//   T(-pivot) * S(scaling) * R(rotation) * R(pivot rotation) * T(position)
// (row vectors, so the leftmost factor applies first).

#include "kv_matrix.h"
#include "lightwave/lwsdk/lw_item_info.h"

namespace Kvat {

// The five channels of an item at one time, rotations in radians.
struct ItemChannels {
  Vector3 position;
  Vector3 rotation;       // heading, pitch, bank
  Vector3 scaling{1.0, 1.0, 1.0};
  Vector3 pivot;          // as the host gives it; composeItemMatrix negates it
  Vector3 pivotRotation;  // heading, pitch, bank
};

Matrix4 composeItemMatrix(const ItemChannels& channels);

// Reads one parameter vector of an item at a time.
Vector3 readItemParam(const LWItemInfo& itemInfo, LWItemID item, int paramCode, double time);

Matrix4 itemLocalMatrix(const LWItemInfo& itemInfo, LWItemID item, double time);

// The item's local matrix, then its parent's, up to the topmost ancestor.
Matrix4 itemWorldMatrix(const LWItemInfo& itemInfo, LWItemID item, double time);

}  // namespace Kvat
