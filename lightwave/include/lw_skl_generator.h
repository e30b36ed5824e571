#pragma once
// The host rig skeleton: before any motion file is chosen, an instance shows
// the joints of the standard character rig, found by name among the host's
// items below the carrying item and posed from those items.

#include <memory>
#include <string>
#include <vector>

#include "item_matrix.h"
#include "kv_node.h"
#include "lightwave/lwsdk/lw_item_info.h"

namespace Kvat {
namespace Secne {

// A joint posed from one host item's channels.
class AttributeLW : public Attribute {
 public:
  AttributeLW(const LWItemInfo* pxItemInfo, LWItemID item);

  void evaluate(double time) override;

  LWItemID item() const { return m_xItem; }
  // The channels as last read from the host.
  const ItemChannels& channels() const { return m_xChannels; }

 private:
  const LWItemInfo* m_pxItemInfo;
  LWItemID m_xItem;
  ItemChannels m_xChannels;
};

class lw_skl_generator {
 public:
  explicit lw_skl_generator(const LWItemInfo* pxItemInfo);

  // The rig below (and including) the start item. The top node "Root" is
  // always there; joints whose item is missing are skipped and their chain
  // goes on from the last joint found. None only when memory runs out.
  std::unique_ptr<Root> buildSkeleton(LWItemID startItem) const;

  // Depth-first search for an item whose cleaned name is the given one, or a
  // bone of an item below the start whose name is exactly the given one.
  LWItemID findItem(LWItemID item, const std::string& name) const;
  // The object's first bone named exactly so.
  LWItemID findBone(const std::string& name, LWItemID object) const;
  // Strips a parenthesised suffix such as " (2)" that the host adds to
  // duplicate names.
  static std::string cleanItemName(const std::string& text);
  // A node for the item under the parent; with no item, the parent itself.
  Node* addItemNode(Node* parent, LWItemID item) const;

  const std::vector<std::string>& spineNames() const { return m_vsSpineNames; }
  const std::vector<std::string>& leftArmNames() const { return m_vsLeftArmNames; }
  const std::vector<std::string>& rightArmNames() const { return m_vsRightArmNames; }
  const std::vector<std::string>& leftLegNames() const { return m_vsLeftLegNames; }
  const std::vector<std::string>& rightLegNames() const { return m_vsRightLegNames; }

 private:
  std::string itemName(LWItemID item) const;
  Node* addChain(Node* from, LWItemID startItem, const std::vector<std::string>& names) const;

  const LWItemInfo* m_pxItemInfo;
  std::vector<std::string> m_vsSpineNames;
  std::vector<std::string> m_vsLeftArmNames;
  std::vector<std::string> m_vsRightArmNames;
  std::vector<std::string> m_vsLeftLegNames;
  std::vector<std::string> m_vsRightLegNames;
};

}  // namespace Secne
}  // namespace Kvat
