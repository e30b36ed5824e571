#include "lw_skl_generator.h"

#include <new>

#include "kv_assert.h"
#include "kv_rig_names.h"

namespace Kvat {
namespace Secne {

AttributeLW::AttributeLW(const LWItemInfo* pxItemInfo, LWItemID item) : m_pxItemInfo(pxItemInfo), m_xItem(item) {
  m_xChannels.scaling = Vector3();
}

void AttributeLW::evaluate(double time) {
  if (!m_pxItemInfo) return;
  const LWItemInfo& info = *m_pxItemInfo;
  m_xChannels.rotation = readItemParam(info, m_xItem, LWIP_ROTATION, time);
  m_xChannels.position = readItemParam(info, m_xItem, LWIP_POSITION, time);
  m_xChannels.scaling = readItemParam(info, m_xItem, LWIP_SCALING, time);
  m_xChannels.pivot = readItemParam(info, m_xItem, LWIP_PIVOT, time);
  m_xChannels.pivotRotation = readItemParam(info, m_xItem, LWIP_PIVOT_ROT, time);
  m_xLocal = composeItemMatrix(m_xChannels);
}

namespace {

template <std::size_t N>
std::vector<std::string> nameList(const char* const (&table)[N]) {
  return std::vector<std::string>(table, table + N);
}

}  // namespace

lw_skl_generator::lw_skl_generator(const LWItemInfo* pxItemInfo)
    : m_pxItemInfo(pxItemInfo),
      m_vsSpineNames(nameList(Rig::kSpine)),
      m_vsLeftArmNames(nameList(Rig::kLeftArm)),
      m_vsRightArmNames(nameList(Rig::kRightArm)),
      m_vsLeftLegNames(nameList(Rig::kLeftLeg)),
      m_vsRightLegNames(nameList(Rig::kRightLeg)) {}

std::string lw_skl_generator::cleanItemName(const std::string& text) {
  const std::size_t open = text.find('(');
  if (open == std::string::npos) return text;
  if (text.find(')', open + 1) == std::string::npos) return text;
  std::string left = text.substr(0, open);
  // The host writes the suffix after a blank; drop that blank too. Whatever
  // the last character is, it goes once any blank is left in the name.
  if (left.find(' ') != std::string::npos) left.pop_back();
  return left;
}

std::string lw_skl_generator::itemName(LWItemID item) const {
  const char* name = item ? m_pxItemInfo->name(item) : nullptr;
  return name ? std::string(name) : std::string();
}

LWItemID lw_skl_generator::findBone(const std::string& name, LWItemID object) const {
  for (LWItemID bone = m_pxItemInfo->first(LWI_BONE, object); bone; bone = m_pxItemInfo->next(bone)) {
    const char* boneName = m_pxItemInfo->name(bone);
    if (boneName && name == boneName) return bone;
  }
  return nullptr;
}

LWItemID lw_skl_generator::findItem(LWItemID item, const std::string& name) const {
  if (!item) return nullptr;
  // A null name never matches, not even an empty one.
  auto matches = [&](LWItemID candidate) {
    const char* text = m_pxItemInfo->name(candidate);
    return text && cleanItemName(text) == name;
  };
  if (matches(item)) return item;
  for (LWItemID child = m_pxItemInfo->firstChild(item); child; child = m_pxItemInfo->nextChild(item, child)) {
    if (matches(child)) return child;
    if (LWItemID bone = findBone(name, child)) return bone;
    if (LWItemID below = findItem(child, name)) return below;
  }
  return nullptr;
}

Node* lw_skl_generator::addItemNode(Node* parent, LWItemID item) const {
  if (!item) return parent;
  std::unique_ptr<Attribute> attribute(new AttributeLW(m_pxItemInfo, item));
  std::unique_ptr<Node> node(new Node(itemName(item), attribute.get()));
  attribute.release();
  parent->addChild(node.get());
  return node.release();
}

Node* lw_skl_generator::addChain(Node* from, LWItemID startItem, const std::vector<std::string>& names) const {
  Node* p = from;
  for (const std::string& name : names) p = addItemNode(p, findItem(startItem, name));
  return p;
}

std::unique_ptr<Root> lw_skl_generator::buildSkeleton(LWItemID startItem) const {
  KVAT_ASSERT(m_pxItemInfo, "m_pxItemInfo");
  try {
    auto root = std::make_unique<Root>();
    Node* cur = root->top();
    for (const std::string& name : m_vsSpineNames) {
      Node* node = addItemNode(cur, findItem(startItem, name));
      if (name == Rig::kArmsBranch) {
        addChain(node, startItem, m_vsLeftArmNames);
        addChain(node, startItem, m_vsRightArmNames);
      }
      if (name == Rig::kLegsBranch) {
        Node* legs = addItemNode(node, findItem(startItem, Rig::kLegsJoint));
        addChain(legs, startItem, m_vsLeftLegNames);
        addChain(legs, startItem, m_vsRightLegNames);
      }
      cur = node;
    }
    return root;
  } catch (const std::bad_alloc&) {
    // Out of memory: no skeleton at all rather than half a rig.
    return nullptr;
  }
}

}  // namespace Secne
}  // namespace Kvat
