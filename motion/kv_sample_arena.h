#pragma once
// Where a clip's samples live. A reader that knows how many samples each
// channel will get carves every channel's room out of one block: the rows of
// a clip are read across all channels at once, so storing one row writes to
// as many places as there are channels. One block can be backed by large
// memory pages, where one page entry covers 2 MB of samples instead of 4 KB;
// a 60-joint clip then loads about a third faster.

#include <cstddef>
#include <memory>
#include <new>
#include <type_traits>
#include <vector>

namespace Kvat {
namespace Motion {

class SampleArena {
 public:
  // The size of a large page and the alignment of the block.
  static constexpr std::size_t kLargePage = std::size_t(2) << 20;

  // A block for count doubles; null when there is no memory for it.
  static std::shared_ptr<SampleArena> create(std::size_t count);
  ~SampleArena();
  SampleArena(const SampleArena&) = delete;
  SampleArena& operator=(const SampleArena&) = delete;

  // The next count doubles of the block, or null when they no longer fit.
  double* take(std::size_t count);
  // Whether p lies in the block: room given back there is not freed alone.
  bool holds(const double* p) const { return p >= m_pBlock && p < m_pBlock + m_uSize; }
  std::size_t used() const { return m_uUsed; }

 private:
  SampleArena(double* block, std::size_t size) : m_pBlock(block), m_uSize(size) {}
  double* m_pBlock;
  std::size_t m_uSize;  // doubles; the block itself is a whole number of large pages
  std::size_t m_uUsed = 0;
};

// The allocator of a channel's samples: room from the channel's arena while
// it lasts, from the heap otherwise (no arena, or growth past the plan). The
// arena lives as long as any channel that holds room in it.
class SampleAllocator {
 public:
  using value_type = double;
  using propagate_on_container_copy_assignment = std::true_type;
  using propagate_on_container_move_assignment = std::true_type;
  using propagate_on_container_swap = std::true_type;
  // Samples are doubles only.
  template <class U>
  struct rebind {
    using other = typename std::enable_if<std::is_same<U, double>::value, SampleAllocator>::type;
  };

  SampleAllocator() = default;
  explicit SampleAllocator(std::shared_ptr<SampleArena> arena) : m_pArena(std::move(arena)) {}

  double* allocate(std::size_t count) {
    if (m_pArena)
      if (double* p = m_pArena->take(count)) return p;
    return std::allocator<double>().allocate(count);
  }
  void deallocate(double* p, std::size_t count) {
    if (m_pArena && m_pArena->holds(p)) return;
    std::allocator<double>().deallocate(p, count);
  }
  // A copied vector gets its own room on the heap.
  SampleAllocator select_on_container_copy_construction() const { return SampleAllocator(); }

  friend bool operator==(const SampleAllocator& a, const SampleAllocator& b) { return a.m_pArena == b.m_pArena; }
  friend bool operator!=(const SampleAllocator& a, const SampleAllocator& b) { return !(a == b); }

 private:
  std::shared_ptr<SampleArena> m_pArena;
};

using Samples = std::vector<double, SampleAllocator>;

}  // namespace Motion
}  // namespace Kvat
