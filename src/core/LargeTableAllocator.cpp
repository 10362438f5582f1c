#include "core/LargeTableAllocator.h"

#include <sys/mman.h>

#include <cstdint>

namespace tp {
namespace {

constexpr size_t kHugePage = size_t(2) << 20;

size_t RoundUp(size_t n, size_t to) { return (n + to - 1) / to * to; }

// The mapping of a block: whole huge pages, so that none of it falls back to small ones.
size_t MappedBytes(size_t bytes) { return RoundUp(bytes, kHugePage); }

}  // namespace

void* MapLargeBlock(size_t bytes) {
  const size_t mapped = MappedBytes(bytes);
  if (mapped < bytes || mapped + kHugePage < mapped) throw std::bad_alloc();
  // Map a huge page more than needed, then give back what lies before the first 2 MiB
  // boundary and after the block.
  void* area = ::mmap(nullptr, mapped + kHugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (area == MAP_FAILED) throw std::bad_alloc();
  const uintptr_t start = reinterpret_cast<uintptr_t>(area);
  const uintptr_t aligned = RoundUp(start, kHugePage);
  if (aligned > start) ::munmap(area, aligned - start);
  const uintptr_t end = start + mapped + kHugePage;
  if (end > aligned + mapped) ::munmap(reinterpret_cast<void*>(aligned + mapped), end - (aligned + mapped));
#ifdef MADV_HUGEPAGE
  ::madvise(reinterpret_cast<void*>(aligned), mapped, MADV_HUGEPAGE);  // a hint only
#endif
  return reinterpret_cast<void*>(aligned);
}

void UnmapLargeBlock(void* block, size_t bytes) {
  if (block) ::munmap(block, MappedBytes(bytes));
}

}  // namespace tp
