#pragma once
// The host interface's service tables are plain C functions without a context
// argument, so they reach the object behind them as "the current one": the
// most recently constructed of its kind that is still alive.

#include <algorithm>
#include <vector>

namespace Boneplay {
namespace Host {

template <typename T>
class CurrentInstance {
 public:
  static void enter(T* object) { live().push_back(object); }
  static void leave(T* object) {
    std::vector<T*>& l = live();
    l.erase(std::remove(l.begin(), l.end(), object), l.end());
  }
  static T* get() { return live().empty() ? nullptr : live().back(); }

 private:
  static std::vector<T*>& live() {
    static std::vector<T*> objects;
    return objects;
  }
};

}  // namespace Host
}  // namespace Boneplay
