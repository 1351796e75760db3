#include "codec/common/codec_memory.h"

#include <atomic>
#include <cstdlib>
#include <limits>

namespace ridgeview::codec {
namespace {

std::atomic<std::size_t> g_budget{std::size_t{8} << 30};

struct ThreadState {
  AllocFailHook hook = nullptr;
  void* context = nullptr;
  std::int64_t fail_at = -1;
  std::uint64_t calls = 0;
  std::int64_t live = 0;
};
thread_local ThreadState t_state;

// Counts the attempt and reports whether it must fail.
bool must_fail(std::size_t bytes) {
  ThreadState& s = t_state;
  const std::uint64_t index = s.calls++;
  if (bytes > g_budget.load(std::memory_order_relaxed)) return true;
  if (s.fail_at >= 0 && index == static_cast<std::uint64_t>(s.fail_at)) return true;
  return s.hook != nullptr && s.hook(index, bytes, s.context);
}

}  // namespace

void* codec_malloc(std::size_t bytes) {
  if (must_fail(bytes)) return nullptr;
  void* p = std::malloc(bytes == 0 ? 1 : bytes);
  if (p != nullptr) ++t_state.live;
  return p;
}

void* codec_calloc(std::size_t count, std::size_t size) {
  if (size != 0 && count > std::numeric_limits<std::size_t>::max() / size) {
    ++t_state.calls;
    return nullptr;
  }
  const std::size_t bytes = count * size;
  if (must_fail(bytes)) return nullptr;
  void* p = std::calloc(bytes == 0 ? 1 : bytes, 1);
  if (p != nullptr) ++t_state.live;
  return p;
}

void* codec_realloc(void* p, std::size_t bytes) {
  if (must_fail(bytes)) return nullptr;
  void* q = std::realloc(p, bytes == 0 ? 1 : bytes);
  if (q != nullptr && p == nullptr) ++t_state.live;
  return q;
}

void codec_free(void* p) {
  if (p == nullptr) return;
  --t_state.live;
  std::free(p);
}

std::size_t codec_memory_budget() { return g_budget.load(std::memory_order_relaxed); }
void codec_set_memory_budget(std::size_t bytes) { g_budget.store(bytes, std::memory_order_relaxed); }

void codec_set_alloc_fail_hook(AllocFailHook hook, void* context) {
  t_state.hook = hook;
  t_state.context = context;
  t_state.calls = 0;
}

void codec_fail_nth_alloc(std::int64_t n) {
  t_state.fail_at = n < 0 ? -1 : static_cast<std::int64_t>(t_state.calls) + n;
}

std::uint64_t codec_alloc_calls() { return t_state.calls; }
std::int64_t codec_live_allocations() { return t_state.live; }

void codec_reset_alloc_counters() {
  t_state.calls = 0;
  t_state.live = 0;
  t_state.fail_at = -1;
}

}  // namespace ridgeview::codec
