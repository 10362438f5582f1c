#pragma once
// Memory for tables that may grow to megabytes, such as the lines and the index of a big
// settings text. A block of a megabyte or more is mapped on its own, aligned to 2 MiB and
// offered to the kernel for transparent huge pages: fresh memory then arrives in a few
// large page faults instead of one fault per 4 KiB page, which on a virtual machine costs
// microseconds each. Smaller blocks come from the ordinary heap.
#include <cstddef>
#include <new>

namespace tp {

constexpr size_t kLargeBlockBytes = size_t(1) << 20;

// Throws std::bad_alloc when no memory is left; bytes >= kLargeBlockBytes only.
void* MapLargeBlock(size_t bytes);
void UnmapLargeBlock(void* block, size_t bytes);

template <class T>
struct LargeTableAllocator {
  using value_type = T;
  static_assert(alignof(T) <= __STDCPP_DEFAULT_NEW_ALIGNMENT__, "over-aligned tables are not supported");

  LargeTableAllocator() noexcept = default;
  template <class U>
  LargeTableAllocator(const LargeTableAllocator<U>&) noexcept {}

  T* allocate(size_t n) {
    if (n > size_t(-1) / sizeof(T)) throw std::bad_alloc();
    const size_t bytes = n * sizeof(T);
    if (bytes >= kLargeBlockBytes) return static_cast<T*>(MapLargeBlock(bytes));
    return static_cast<T*>(::operator new(bytes));
  }
  void deallocate(T* p, size_t n) noexcept {
    const size_t bytes = n * sizeof(T);
    if (bytes >= kLargeBlockBytes) UnmapLargeBlock(p, bytes);
    else ::operator delete(p);
  }

  template <class U>
  bool operator==(const LargeTableAllocator<U>&) const noexcept { return true; }
};

}  // namespace tp
