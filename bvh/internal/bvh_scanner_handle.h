#pragma once
// Owns the generated scanner for one load, so that an early end never leaks it.

#include "bvh_load.h"

namespace Kvat {
namespace Bvh {

class ScannerHandle {
 public:
  explicit ScannerHandle(BvhLoad& load);
  ~ScannerHandle();
  ScannerHandle(const ScannerHandle&) = delete;
  ScannerHandle& operator=(const ScannerHandle&) = delete;
  // None when there was no memory for the scanner.
  void* get() const { return m_scanner; }

 private:
  void* m_scanner = nullptr;
};

}  // namespace Bvh
}  // namespace Kvat
