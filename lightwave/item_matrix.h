#pragma once
// Host items as transforms, read through the item-info service.

#include "kv_item_transform.h"
#include "lightwave/lwsdk/lw_item_info.h"

namespace Kvat {

// Reads one parameter vector of an item at a time.
Vector3 readItemParam(const LWItemInfo& itemInfo, LWItemID item, int paramCode, double time);

Matrix4 itemLocalMatrix(const LWItemInfo& itemInfo, LWItemID item, double time);

// The item's local matrix, then its parent's, up to the topmost ancestor.
Matrix4 itemWorldMatrix(const LWItemInfo& itemInfo, LWItemID item, double time);

}  // namespace Kvat
