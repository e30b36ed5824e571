#pragma once
// The little state the module shares between all its instances: the host's
// global function, kept by the handler activation, and the item-info service
// as last fetched at an instance's creation. Everything runs on the host's
// one calling thread, so plain variables do.

#include "lightwave/lwsdk/lw_globals.h"
#include "lightwave/lwsdk/lw_item_info.h"

namespace Kvat {
namespace Module {

GlobalFunc* hostGlobal();
void setHostGlobal(GlobalFunc* global);

const LWItemInfo* itemInfo();
void setItemInfo(const LWItemInfo* itemInfo);

}  // namespace Module
}  // namespace Kvat
