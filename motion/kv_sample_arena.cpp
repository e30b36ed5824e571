#include "kv_sample_arena.h"

#include <limits>

#ifdef __linux__
#include <sys/mman.h>
#endif

namespace Kvat {
namespace Motion {

std::shared_ptr<SampleArena> SampleArena::create(std::size_t count) {
  if (count == 0 || count > (std::numeric_limits<std::size_t>::max() - kLargePage) / sizeof(double)) return nullptr;
  const std::size_t bytes = (count * sizeof(double) + kLargePage - 1) / kLargePage * kLargePage;
  void* block = ::operator new(bytes, std::align_val_t(kLargePage), std::nothrow);
  if (!block) return nullptr;
#ifdef MADV_HUGEPAGE
  // Only advice: where large pages are off or used up the block stays in
  // small pages and works the same.
  madvise(block, bytes, MADV_HUGEPAGE);
#endif
  try {
    return std::shared_ptr<SampleArena>(new SampleArena(static_cast<double*>(block), count));
  } catch (const std::bad_alloc&) {
    ::operator delete(block, std::align_val_t(kLargePage));
    return nullptr;
  }
}

SampleArena::~SampleArena() { ::operator delete(m_pBlock, std::align_val_t(kLargePage)); }

double* SampleArena::take(std::size_t count) {
  if (count > m_uSize - m_uUsed) return nullptr;
  double* p = m_pBlock + m_uUsed;
  m_uUsed += count;
  return p;
}

}  // namespace Motion
}  // namespace Kvat
