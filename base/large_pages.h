// Memory for large arrays (decoded images, their 24-bit renderings, codec work arrays) from
// mappings of their own, aligned to and advised for huge pages where the system offers them:
// such an array then faults in 2 MiB at a time instead of 4 KiB. On virtual machines a 4 KiB
// fault can cost microseconds, and a 4000 x 4000 image touches tens of thousands of pages, so
// this is often most of the time a large image takes to appear.
//
// Builds with AddressSanitizer get no mappings (AllocateLargePages returns null) so that every
// array stays in the sanitizer's heap, where it watches the edges.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <type_traits>
#include <vector>

namespace ridgeview::base {

// Arrays below this size come from the ordinary heap.
inline constexpr std::size_t kLargePageMinBytes = std::size_t{2} << 20;

// Whether this build uses such mappings at all (not under AddressSanitizer).
bool LargePagesInUse();

// A zero-filled mapping of at least `bytes` bytes, aligned to 2 MiB; null when it cannot be
// had or LargePagesInUse() is false. Release with ReleaseLargePages and the same size.
void* AllocateLargePages(std::size_t bytes);
void ReleaseLargePages(void* memory, std::size_t bytes);

// The processors this process may run on (its affinity mask), at least 1.
int ProcessorsAvailable();

// A std::allocator whose large allocations (kLargePageMinBytes and up) are such mappings; one
// that cannot be had throws std::bad_alloc, as the heap would.
template <class T>
struct LargePageAllocator {
  using value_type = T;
  LargePageAllocator() = default;
  template <class U>
  LargePageAllocator(const LargePageAllocator<U>&) noexcept {}

  T* allocate(std::size_t n) {
    if (n > static_cast<std::size_t>(-1) / sizeof(T)) throw std::bad_array_new_length();
    if (Mapped(n)) {
      if (void* p = AllocateLargePages(n * sizeof(T))) return static_cast<T*>(p);
      throw std::bad_alloc();
    }
    return std::allocator<T>().allocate(n);
  }
  void deallocate(T* p, std::size_t n) noexcept {
    if (Mapped(n)) {
      ReleaseLargePages(p, n * sizeof(T));
    } else {
      std::allocator<T>().deallocate(p, n);
    }
  }
  friend bool operator==(const LargePageAllocator&, const LargePageAllocator&) { return true; }

 private:
  // Decided by the size alone, so that deallocate knows where a block came from.
  static bool Mapped(std::size_t n) {
    return n * sizeof(T) >= kLargePageMinBytes && LargePagesInUse();
  }
};

// Arrays compare by their contents whichever allocator holds them.
template <class T, class OtherAllocator>
  requires(!std::is_same_v<OtherAllocator, LargePageAllocator<T>>)
bool operator==(const std::vector<T, LargePageAllocator<T>>& a,
                const std::vector<T, OtherAllocator>& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end());
}

}  // namespace ridgeview::base
