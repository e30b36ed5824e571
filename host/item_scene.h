#pragma once
// The stand-in host's scene: a flat list of items (objects, nulls, bones of
// an object, lights, cameras) with a parent and five keyed channels, read
// from a JSON file. It answers what the item-info service is asked.

#include <array>
#include <string>
#include <vector>

#include "lightwave/lwsdk/lw_item_info.h"

namespace Boneplay {
namespace Host {

using Triple = std::array<double, 3>;

// One channel: a value per key time, linear between keys, held before the
// first key and after the last. A constant is a single key.
class Channel {
 public:
  struct Key {
    double time;
    Triple value;
  };

  explicit Channel(const Triple& constant = Triple{0.0, 0.0, 0.0});
  // Keys in any order; they are sorted by time. At least one key.
  explicit Channel(std::vector<Key> keys);

  Triple at(double time) const;
  const std::vector<Key>& keys() const { return m_vKeys; }

 private:
  std::vector<Key> m_vKeys;
};

// The channels in the order the scene file names them.
enum ChannelIndex { kPosition = 0, kRotation, kScaling, kPivot, kPivotRotation, kChannelCount };

struct Item {
  std::string name;
  LWItemType type = LWI_OBJECT;
  bool null = false;  // a null is an object without geometry
  int parent = -1;    // index into the scene, -1 at the top
  int object = -1;    // for a bone: the object it belongs to
  // Rotations held in radians.
  std::array<Channel, kChannelCount> channels;
};

class ItemScene {
 public:
  ItemScene() = default;

  // Whether two items may share a name. A real host allows it, and tests of
  // the module's search through a host's items need it; a scene a person
  // writes for the command line refers to items by name, so there a second
  // item of one name is an error.
  enum class Names { Unique, MayRepeat };

  // Throw std::runtime_error naming what is wrong (and the file, for load):
  // malformed JSON, an unknown key, a bad value or reference.
  static ItemScene parse(const std::string& jsonText, Names names = Names::Unique);
  static ItemScene load(const std::string& path);

  std::size_t size() const { return m_vItems.size(); }
  const Item& item(std::size_t index) const { return m_vItems.at(index); }

  // Ids are index + 1, so that no item is the null id.
  static LWItemID idOf(std::size_t index);
  // The index of an id, or -1 for the null id and ids of no item.
  int indexOf(LWItemID id) const;
  // The first item with exactly that name, or the null id.
  LWItemID find(const std::string& name) const;

  // A copy in which the item stands unmoved at the top of the scene: no
  // parent, and channels that give the identity matrix at every time.
  ItemScene atRest(LWItemID id) const;

  // The item-info queries.
  LWItemID first(LWItemType type, LWItemID object) const;
  LWItemID next(LWItemID item) const;
  LWItemID firstChild(LWItemID parent) const;
  LWItemID nextChild(LWItemID parent, LWItemID prevChild) const;
  LWItemID parent(LWItemID item) const;
  const char* name(LWItemID item) const;
  // Unknown items and codes give zeros.
  Triple param(LWItemID item, int paramCode, double time) const;

 private:
  void link();

  std::vector<Item> m_vItems;
  std::vector<std::vector<int>> m_vvChildren;  // non-bone children per item
  std::vector<std::vector<int>> m_vvBones;     // bones per object
};

}  // namespace Host
}  // namespace Boneplay
