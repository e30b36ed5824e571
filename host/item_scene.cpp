#include "item_scene.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>
#include <stdexcept>

namespace Boneplay {
namespace Host {

namespace {

using nlohmann::json;

constexpr double kDegreesToRadians = 3.14159265358979323846 / 180.0;

struct ChannelField {
  const char* key;
  Triple fallback;
  bool degrees;  // written in degrees, served in radians
};

// Indexed by ChannelIndex.
constexpr ChannelField kChannelFields[kChannelCount] = {
    {"position", {0.0, 0.0, 0.0}, false}, {"rotation", {0.0, 0.0, 0.0}, true},      {"scaling", {1.0, 1.0, 1.0}, false},
    {"pivot", {0.0, 0.0, 0.0}, false},    {"pivotRotation", {0.0, 0.0, 0.0}, true},
};

struct ParamCode {
  int code;
  ChannelIndex channel;
};

constexpr ParamCode kParamCodes[] = {
    {LWIP_POSITION, kPosition}, {LWIP_ROTATION, kRotation},       {LWIP_SCALING, kScaling},
    {LWIP_PIVOT, kPivot},       {LWIP_PIVOT_ROT, kPivotRotation},
};

struct TypeName {
  const char* name;
  LWItemType type;
  bool null;
};

constexpr TypeName kTypeNames[] = {
    {"object", LWI_OBJECT, false}, {"null", LWI_OBJECT, true},    {"bone", LWI_BONE, false},
    {"light", LWI_LIGHT, false},   {"camera", LWI_CAMERA, false},
};

// Every key an item may have; any other is a misspelling that would be ignored silently.
constexpr const char* kItemKeys[] = {"name",     "type",    "parent", "object",       "position",
                                     "rotation", "scaling", "pivot",  "pivotRotation"};

[[noreturn]] void fail(const std::string& where, const std::string& what) {
  throw std::runtime_error(where + ": " + what);
}

Triple readTriple(const json& value, const std::string& where, double factor) {
  if (!value.is_array() || value.size() != 3) fail(where, "expected three numbers");
  Triple t{};
  for (std::size_t i = 0; i < 3; ++i) {
    if (!value[i].is_number()) fail(where, "expected three numbers");
    t[i] = value[i].get<double>() * factor;
  }
  return t;
}

// A constant triple, or keys [[seconds, [x, y, z]], ...].
Channel readChannel(const json& value, const std::string& where, double factor) {
  if (value.is_array() && !value.empty() && value[0].is_array()) {
    std::vector<Channel::Key> keys;
    for (const json& key : value) {
      if (!key.is_array() || key.size() != 2 || !key[0].is_number()) fail(where, "a key is [seconds, [x, y, z]]");
      keys.push_back({key[0].get<double>(), readTriple(key[1], where, factor)});
    }
    return Channel(std::move(keys));
  }
  return Channel(readTriple(value, where, factor));
}

// A parent or object reference: an item's index, or the first item of a name.
int resolveReference(const json& value, const std::vector<Item>& items, const std::string& where) {
  if (value.is_number_integer()) {
    const auto index = value.get<long long>();
    if (index < 0 || index >= static_cast<long long>(items.size())) fail(where, "no item at that index");
    return static_cast<int>(index);
  }
  if (value.is_string()) {
    const std::string name = value.get<std::string>();
    for (std::size_t i = 0; i < items.size(); ++i)
      if (items[i].name == name) return static_cast<int>(i);
    fail(where, "no item named \"" + name + "\"");
  }
  fail(where, "expected an item name or index");
}

Item readItem(const json& value, const std::string& where) {
  if (!value.is_object()) fail(where, "an item is a JSON object");
  Item item;
  if (!value.contains("name") || !value["name"].is_string()) fail(where, "the item needs a name");
  item.name = value["name"].get<std::string>();
  for (const auto& entry : value.items()) {
    const std::string& key = entry.key();
    if (std::none_of(std::begin(kItemKeys), std::end(kItemKeys), [&](const char* k) { return key == k; }))
      fail(where + " (" + item.name + ")", "unknown key \"" + key +
                                               "\"; an item has name, type, parent, object, position, rotation, "
                                               "scaling, pivot and pivotRotation");
  }
  if (value.contains("type") && !value["type"].is_string()) fail(where, "the item type is a name such as \"null\"");
  const std::string typeName = value.value("type", std::string("null"));
  const auto type =
      std::find_if(std::begin(kTypeNames), std::end(kTypeNames), [&](const TypeName& t) { return typeName == t.name; });
  if (type == std::end(kTypeNames)) fail(where, "unknown item type \"" + typeName + "\"");
  item.type = type->type;
  item.null = type->null;
  for (int c = 0; c < kChannelCount; ++c) {
    const ChannelField& field = kChannelFields[c];
    const double factor = field.degrees ? kDegreesToRadians : 1.0;
    item.channels[c] = value.contains(field.key) ? readChannel(value[field.key], where + " " + field.key, factor)
                                                 : Channel(field.fallback);
  }
  return item;
}

}  // namespace

Channel::Channel(const Triple& constant) : m_vKeys{{0.0, constant}} {}

Channel::Channel(std::vector<Key> keys) : m_vKeys(std::move(keys)) {
  if (m_vKeys.empty()) throw std::invalid_argument("a keyed channel needs at least one key");
  std::stable_sort(m_vKeys.begin(), m_vKeys.end(), [](const Key& a, const Key& b) { return a.time < b.time; });
}

Triple Channel::at(double time) const {
  if (std::isnan(time) || time <= m_vKeys.front().time) return m_vKeys.front().value;
  if (time >= m_vKeys.back().time) return m_vKeys.back().value;
  const auto after =
      std::upper_bound(m_vKeys.begin(), m_vKeys.end(), time, [](double t, const Key& k) { return t < k.time; });
  const Key& b = *after;
  const Key& a = *(after - 1);
  const double f = (time - a.time) / (b.time - a.time);
  Triple v{};
  for (int i = 0; i < 3; ++i) v[i] = a.value[i] + f * (b.value[i] - a.value[i]);
  return v;
}

ItemScene ItemScene::parse(const std::string& jsonText, Names nameRule) {
  json doc;
  try {
    doc = json::parse(jsonText);
  } catch (const json::exception& e) {
    throw std::runtime_error(std::string("not JSON: ") + e.what());
  }
  if (!doc.is_object() || !doc.contains("items") || !doc["items"].is_array())
    throw std::runtime_error("a scene is an object with an \"items\" array");

  for (const auto& entry : doc.items())
    if (entry.key() != "items")
      throw std::runtime_error("unknown key \"" + entry.key() + "\"; a scene has only \"items\"");

  ItemScene scene;
  const json& items = doc["items"];
  std::map<std::string, std::size_t> names;
  for (std::size_t i = 0; i < items.size(); ++i) {
    const std::string where = "item " + std::to_string(i);
    scene.m_vItems.push_back(readItem(items[i], where));
    const std::string& name = scene.m_vItems.back().name;
    // Items are found by name (--item, parents): two of one name would hide the second.
    const auto taken = names.emplace(name, i);
    if (!taken.second && nameRule == Names::Unique)
      fail(where + " (" + name + ")",
           "the name is already item " + std::to_string(taken.first->second) + "'s; item names must differ");
  }
  // References may point forwards, so they are resolved once all names are known.
  for (std::size_t i = 0; i < items.size(); ++i) {
    const std::string where = "item " + std::to_string(i) + " (" + scene.m_vItems[i].name + ")";
    Item& item = scene.m_vItems[i];
    if (items[i].contains("parent") && !items[i]["parent"].is_null())
      item.parent = resolveReference(items[i]["parent"], scene.m_vItems, where + " parent");
    if (item.type == LWI_BONE && items[i].contains("object"))
      item.object = resolveReference(items[i]["object"], scene.m_vItems, where + " object");
  }
  scene.link();
  return scene;
}

ItemScene ItemScene::load(const std::string& path) {
  std::ifstream in(path);
  if (!in) throw std::runtime_error(path + ": cannot open");
  std::ostringstream text;
  text << in.rdbuf();
  try {
    return parse(text.str());
  } catch (const std::exception& e) {
    throw std::runtime_error(path + ": " + e.what());
  }
}

void ItemScene::link() {
  const int count = static_cast<int>(m_vItems.size());
  for (int i = 0; i < count; ++i) {
    // Walking up must end at the top within as many steps as there are items.
    int steps = 0;
    for (int p = m_vItems[i].parent; p >= 0; p = m_vItems[p].parent)
      if (++steps > count || p == i) fail("item " + std::to_string(i), "parents form a cycle");
  }
  for (int i = 0; i < count; ++i) {
    Item& item = m_vItems[i];
    if (item.type != LWI_BONE) continue;
    if (item.object < 0) {
      // A bone belongs to the nearest object above it.
      for (int p = item.parent; p >= 0 && item.object < 0; p = m_vItems[p].parent)
        if (m_vItems[p].type == LWI_OBJECT) item.object = p;
    }
    if (item.object < 0 || m_vItems[item.object].type != LWI_OBJECT)
      fail("item " + std::to_string(i) + " (" + item.name + ")", "a bone needs an object");
    if (item.parent < 0) item.parent = item.object;
  }
  m_vvChildren.assign(count, {});
  m_vvBones.assign(count, {});
  for (int i = 0; i < count; ++i) {
    const Item& item = m_vItems[i];
    if (item.type == LWI_BONE)
      m_vvBones[item.object].push_back(i);
    else if (item.parent >= 0)
      m_vvChildren[item.parent].push_back(i);
  }
}

ItemScene ItemScene::atRest(LWItemID id) const {
  ItemScene copy = *this;
  const int index = indexOf(id);
  if (index < 0) return copy;
  Item& item = copy.m_vItems[static_cast<std::size_t>(index)];
  item.parent = -1;
  for (Channel& c : item.channels) c = Channel();
  item.channels[kScaling] = Channel(Triple{1.0, 1.0, 1.0});
  copy.link();
  return copy;
}

LWItemID ItemScene::idOf(std::size_t index) {
  return reinterpret_cast<LWItemID>(static_cast<std::uintptr_t>(index + 1));
}

int ItemScene::indexOf(LWItemID id) const {
  const auto value = reinterpret_cast<std::uintptr_t>(id);
  if (value == 0 || value > m_vItems.size()) return -1;
  return static_cast<int>(value - 1);
}

LWItemID ItemScene::find(const std::string& name) const {
  for (std::size_t i = 0; i < m_vItems.size(); ++i)
    if (m_vItems[i].name == name) return idOf(i);
  return nullptr;
}

LWItemID ItemScene::first(LWItemType type, LWItemID object) const {
  if (type == LWI_BONE) {
    const int o = indexOf(object);
    if (o < 0 || m_vvBones[o].empty()) return nullptr;
    return idOf(m_vvBones[o].front());
  }
  for (std::size_t i = 0; i < m_vItems.size(); ++i)
    if (m_vItems[i].type == type) return idOf(i);
  return nullptr;
}

LWItemID ItemScene::next(LWItemID id) const {
  const int i = indexOf(id);
  if (i < 0) return nullptr;
  const Item& item = m_vItems[i];
  if (item.type == LWI_BONE) {
    const std::vector<int>& bones = m_vvBones[item.object];
    const auto at = std::find(bones.begin(), bones.end(), i);
    return (at + 1 < bones.end()) ? idOf(*(at + 1)) : nullptr;
  }
  for (std::size_t j = i + 1; j < m_vItems.size(); ++j)
    if (m_vItems[j].type == item.type) return idOf(j);
  return nullptr;
}

LWItemID ItemScene::firstChild(LWItemID parentId) const {
  const int p = indexOf(parentId);
  if (p < 0 || m_vvChildren[p].empty()) return nullptr;
  return idOf(m_vvChildren[p].front());
}

LWItemID ItemScene::nextChild(LWItemID parentId, LWItemID prevChild) const {
  const int p = indexOf(parentId);
  const int c = indexOf(prevChild);
  if (p < 0 || c < 0) return nullptr;
  const std::vector<int>& children = m_vvChildren[p];
  const auto at = std::find(children.begin(), children.end(), c);
  if (at == children.end() || at + 1 == children.end()) return nullptr;
  return idOf(*(at + 1));
}

LWItemID ItemScene::parent(LWItemID id) const {
  const int i = indexOf(id);
  if (i < 0 || m_vItems[i].parent < 0) return nullptr;
  return idOf(m_vItems[i].parent);
}

const char* ItemScene::name(LWItemID id) const {
  const int i = indexOf(id);
  return i < 0 ? nullptr : m_vItems[i].name.c_str();
}

Triple ItemScene::param(LWItemID id, int paramCode, double time) const {
  const int i = indexOf(id);
  if (i < 0) return Triple{0.0, 0.0, 0.0};
  for (const ParamCode& p : kParamCodes)
    if (p.code == paramCode) return m_vItems[i].channels[p.channel].at(time);
  return Triple{0.0, 0.0, 0.0};
}

}  // namespace Host
}  // namespace Boneplay
