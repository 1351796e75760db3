#include "base/large_pages.h"

#include <sched.h>
#include <sys/mman.h>
#include <unistd.h>

#include <thread>

namespace ridgeview::base {
namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kMappings = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(memory_sanitizer)
constexpr bool kMappings = false;
#else
constexpr bool kMappings = true;
#endif
#else
constexpr bool kMappings = true;
#endif

constexpr std::size_t kHugePage = std::size_t{2} << 20;

std::size_t PageSize() {
  const long size = sysconf(_SC_PAGESIZE);
  return size > 0 ? static_cast<std::size_t>(size) : 4096;
}

std::size_t MappedLength(std::size_t bytes) {
  const std::size_t page = PageSize();
  return (bytes + page - 1) / page * page;
}

}  // namespace

bool LargePagesInUse() { return kMappings; }

void* AllocateLargePages(std::size_t bytes) {
  if (!kMappings || bytes == 0 || bytes > static_cast<std::size_t>(-1) / 2) return nullptr;
  const std::size_t length = MappedLength(bytes);
  // Map one huge page more than needed, then give back what lies before the first huge-page
  // boundary and after the block.
  const std::size_t span = length + kHugePage;
  void* raw = mmap(nullptr, span, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (raw == MAP_FAILED) return nullptr;
  const auto start = reinterpret_cast<std::uintptr_t>(raw);
  const std::uintptr_t aligned = (start + kHugePage - 1) / kHugePage * kHugePage;
  if (aligned > start) munmap(raw, aligned - start);
  const std::uintptr_t end = start + span;
  if (end > aligned + length) {
    munmap(reinterpret_cast<void*>(aligned + length), end - aligned - length);
  }
  void* block = reinterpret_cast<void*>(aligned);
  madvise(block, length, MADV_HUGEPAGE);  // only advice: without huge pages it still works
  return block;
}

void ReleaseLargePages(void* memory, std::size_t bytes) {
  if (memory != nullptr) munmap(memory, MappedLength(bytes));
}

int ProcessorsAvailable() {
  cpu_set_t set;
  CPU_ZERO(&set);
  if (sched_getaffinity(0, sizeof set, &set) == 0) {
    const int n = CPU_COUNT(&set);
    if (n > 0) return n;
  }
  const unsigned n = std::thread::hardware_concurrency();
  return n > 0 ? static_cast<int>(n) : 1;
}

}  // namespace ridgeview::base
