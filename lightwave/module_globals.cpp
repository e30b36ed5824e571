#include "module_globals.h"

namespace Kvat {
namespace Module {

namespace {
GlobalFunc* g_pxHostGlobal = nullptr;
const LWItemInfo* g_pxItemInfo = nullptr;
}  // namespace

GlobalFunc* hostGlobal() { return g_pxHostGlobal; }
void setHostGlobal(GlobalFunc* global) { g_pxHostGlobal = global; }

const LWItemInfo* itemInfo() { return g_pxItemInfo; }
void setItemInfo(const LWItemInfo* itemInfo) { g_pxItemInfo = itemInfo; }

}  // namespace Module
}  // namespace Kvat
