#include "module_messages.h"

#include <cstring>

#include "diagnostics.h"
#include "kv_rig_names.h"

namespace Boneplay {
namespace Cli {

namespace {

struct BoxReason {
  const char* title;
  const char* text;
  const char* reason;
};
constexpr BoxReason kBoxReasons[] = {
    {"Kestrel", "do not resize", "AutoResize works on a clip, not on the rig built from the scene"},
    {"Motion ERROR", "no motion!", "AutoResize found no skeleton: the clip gave the module none"},
};

// The rig names a report lists.
constexpr std::size_t kListedNames = 8;

// An item's name as the module matches it: without the " (2)" the host adds
// to a second item of one name.
std::string cleanName(const std::string& name) {
  const std::size_t open = name.rfind(" (");
  return open != std::string::npos && !name.empty() && name.back() == ')' ? name.substr(0, open) : name;
}

template <std::size_t N>
bool inTable(const std::string& name, const char* const (&table)[N]) {
  for (const char* entry : table)
    if (name == entry) return true;
  return false;
}

bool isRigName(const std::string& name) {
  using namespace Kvat::Rig;
  return inTable(name, kSpine) || inTable(name, kLeftArm) || inTable(name, kRightArm) || inTable(name, kLeftLeg) ||
         inTable(name, kRightLeg) || name == kLegsJoint;
}

}  // namespace

std::string moduleMessageReason(const std::string& title, const std::string& text) {
  for (const BoxReason& r : kBoxReasons)
    if (title == r.title && text == r.text) return r.reason;
  return "";
}

std::string rigNamesReport(const Host::ItemScene& scene) {
  std::size_t matched = 0;
  std::string names;
  for (std::size_t i = 0; i < scene.size(); ++i) {
    const std::string name = cleanName(scene.item(i).name);
    if (!isRigName(name)) continue;
    names += (matched == 0 ? "" : ", ") + name;
    ++matched;
  }
  std::string expected;
  for (std::size_t i = 0; i < kListedNames && i < std::size(Kvat::Rig::kSpine); ++i)
    expected += std::string(i == 0 ? "" : ", ") + Kvat::Rig::kSpine[i];
  std::string s = std::to_string(matched) + " of the scene's " + countOf(scene.size(), "item") +
                  (matched == 1 ? " carries" : " carry") + " a joint name of the standard rig";
  if (matched > 0) s += " (" + names + "), too few for a bone";
  return s + "; the module looks for " + expected + ", ... below the carrying item";
}

}  // namespace Cli
}  // namespace Boneplay
