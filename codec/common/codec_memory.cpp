#include "codec/common/codec_memory.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
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
  AllocRefusal refusal = AllocRefusal::None;
};
thread_local ThreadState t_state;

// Records why an allocation failed; returns true so that callers can fail with it.
bool refuse(AllocRefusal why) {
  t_state.refusal = why;
  return true;
}

// Counts the attempt and reports whether it must fail (recording why).
bool must_fail(std::size_t bytes) {
  ThreadState& s = t_state;
  const std::uint64_t index = s.calls++;
  if (bytes > g_budget.load(std::memory_order_relaxed)) return refuse(AllocRefusal::Budget);
  if (s.fail_at >= 0 && index == static_cast<std::uint64_t>(s.fail_at)) {
    return refuse(AllocRefusal::Injected);
  }
  if (s.hook != nullptr && s.hook(index, bytes, s.context)) return refuse(AllocRefusal::Injected);
  return false;
}

// The system's allocation failed: null, recorded.
void* out_of_memory() {
  refuse(AllocRefusal::OutOfMemory);
  return nullptr;
}

// Every block carries its capacity in a 32-byte header in front of the caller's bytes, so that
// a freed block can be kept for reuse, and the length of its own mapping when it has one.
struct alignas(16) BlockHeader {
  std::size_t capacity;
  std::size_t mapped;  // bytes of the block's own mapping (from the header on); 0 from malloc
  // False for output buffers (codec_malloc_front): kept, they would crowd the work arrays
  // out of the kept blocks, yet no work array may take them.
  bool keep;
};
static_assert(sizeof(BlockHeader) == 32);

BlockHeader* header_of(void* p) { return static_cast<BlockHeader*>(p) - 1; }

// Where large blocks come from, when the program says (codec_set_block_source).
std::atomic<const CodecBlockSource*> g_source{nullptr};

void* raw_allocate(std::size_t bytes, bool zero, bool from_source = true) {
  if (bytes > std::numeric_limits<std::size_t>::max() - sizeof(BlockHeader)) return nullptr;
  const CodecBlockSource* source = g_source.load(std::memory_order_acquire);
  if (from_source && source != nullptr && bytes >= source->min_bytes) {
    const std::size_t total = sizeof(BlockHeader) + bytes;
    if (auto* header = static_cast<BlockHeader*>(source->allocate(total))) {
      header->capacity = bytes;
      header->mapped = total;
      header->keep = true;
      return header + 1;
    }
    // The source has none to give: the heap may still have room.
  }
  void* block = zero ? std::calloc(1, sizeof(BlockHeader) + bytes)
                     : std::malloc(sizeof(BlockHeader) + bytes);
  if (block == nullptr) return nullptr;
  auto* header = static_cast<BlockHeader*>(block);
  header->capacity = bytes;
  header->mapped = 0;
  header->keep = from_source;
  return header + 1;
}

void raw_free(void* p) {
  BlockHeader* header = header_of(p);
  if (header->mapped != 0) {
    // Only a source that was set hands out such blocks, and a source stays for good.
    g_source.load(std::memory_order_acquire)->release(header, header->mapped);
  } else {
    std::free(header);
  }
}

// Large blocks freed on a thread are kept for the thread's next large requests: repeated
// decodes and encodes then reuse memory whose pages are already mapped, instead of having
// the system map (and zero) fresh pages every time.
constexpr std::size_t kCacheMinBytes = std::size_t{128} << 10;
constexpr std::size_t kCacheMaxBytes = std::size_t{512} << 20;
constexpr int kCacheSlots = 8;

struct BlockCache {
  void* blocks[kCacheSlots] = {};
  std::size_t total = 0;

  ~BlockCache() { release(); }

  void release() {
    for (void*& b : blocks) {
      if (b != nullptr) raw_free(b);
      b = nullptr;
    }
    total = 0;
  }

  // The smallest kept block that holds `bytes` without wasting more than half of itself.
  void* take(std::size_t bytes) {
    int best = -1;
    for (int i = 0; i < kCacheSlots; ++i) {
      if (blocks[i] == nullptr) continue;
      const std::size_t cap = header_of(blocks[i])->capacity;
      if (cap >= bytes && cap / 2 <= bytes &&
          (best < 0 || cap < header_of(blocks[best])->capacity)) {
        best = i;
      }
    }
    if (best < 0) return nullptr;
    void* b = blocks[best];
    blocks[best] = nullptr;
    total -= header_of(b)->capacity;
    return b;
  }

  // Keeps the block, or frees it when the cache would grow too large.
  void keep(void* p) {
    const std::size_t cap = header_of(p)->capacity;
    const std::size_t limit = std::min(kCacheMaxBytes, g_budget.load(std::memory_order_relaxed) / 4);
    if (cap > limit) {
      raw_free(p);
      return;
    }
    // Make room: drop the largest kept blocks until this one fits.
    while (total + cap > limit || full()) {
      int largest = -1;
      for (int i = 0; i < kCacheSlots; ++i) {
        if (blocks[i] != nullptr &&
            (largest < 0 || header_of(blocks[i])->capacity > header_of(blocks[largest])->capacity)) {
          largest = i;
        }
      }
      total -= header_of(blocks[largest])->capacity;
      raw_free(blocks[largest]);
      blocks[largest] = nullptr;
    }
    for (void*& b : blocks) {
      if (b == nullptr) {
        b = p;
        total += cap;
        return;
      }
    }
  }

  bool full() const {
    for (void* b : blocks) {
      if (b == nullptr) return false;
    }
    return true;
  }
};
thread_local BlockCache t_cache;

}  // namespace

void* codec_malloc(std::size_t bytes) {
  if (must_fail(bytes)) return nullptr;
  void* p = bytes >= kCacheMinBytes ? t_cache.take(bytes) : nullptr;
  if (p == nullptr) p = raw_allocate(bytes, false);
  if (p == nullptr) return out_of_memory();
  ++t_state.live;
  return p;
}

void* codec_malloc_front(std::size_t bytes) {
  if (must_fail(bytes)) return nullptr;
  void* p = raw_allocate(bytes, false, false);
  if (p == nullptr) return out_of_memory();
  ++t_state.live;
  return p;
}

void* codec_calloc(std::size_t count, std::size_t size) {
  if (size != 0 && count > std::numeric_limits<std::size_t>::max() / size) {
    ++t_state.calls;
    refuse(AllocRefusal::Budget);  // more than any budget can be
    return nullptr;
  }
  const std::size_t bytes = count * size;
  if (must_fail(bytes)) return nullptr;
  void* p = bytes >= kCacheMinBytes ? t_cache.take(bytes) : nullptr;
  if (p != nullptr) {
    std::memset(p, 0, bytes);
  } else {
    p = raw_allocate(bytes, true);
  }
  if (p == nullptr) return out_of_memory();
  ++t_state.live;
  return p;
}

void* codec_realloc(void* p, std::size_t bytes) {
  if (p == nullptr) return codec_malloc(bytes);
  if (must_fail(bytes)) return nullptr;
  if (bytes > std::numeric_limits<std::size_t>::max() - sizeof(BlockHeader)) {
    return out_of_memory();
  }
  if (header_of(p)->mapped != 0) {
    // A block with a mapping of its own moves to a new block of the new size.
    void* moved = raw_allocate(bytes, false);
    if (moved == nullptr) return out_of_memory();
    std::memcpy(moved, p, std::min(bytes, header_of(p)->capacity));
    raw_free(p);
    return moved;
  }
  void* block = std::realloc(header_of(p), sizeof(BlockHeader) + bytes);
  if (block == nullptr) return out_of_memory();
  auto* header = static_cast<BlockHeader*>(block);
  header->capacity = bytes;
  header->mapped = 0;  // `keep` moved with the block
  return header + 1;
}

void codec_free(void* p) {
  if (p == nullptr) return;
  --t_state.live;
  if (header_of(p)->capacity >= kCacheMinBytes && header_of(p)->keep) {
    t_cache.keep(p);
  } else {
    raw_free(p);
  }
}

void codec_free_unkept(void* p) {
  if (p == nullptr) return;
  --t_state.live;
  raw_free(p);
}

void codec_release_cached_memory() { t_cache.release(); }
std::size_t codec_kept_bytes() { return t_cache.total; }

bool codec_set_block_source(const CodecBlockSource* source) {
  // Once set it stays: blocks it handed out are given back to it whenever they are freed.
  const CodecBlockSource* none = nullptr;
  g_source.compare_exchange_strong(none, source, std::memory_order_acq_rel);
  return g_source.load(std::memory_order_acquire) == source;
}

std::size_t codec_memory_budget() { return g_budget.load(std::memory_order_relaxed); }
void codec_set_memory_budget(std::size_t bytes) { g_budget.store(bytes, std::memory_order_relaxed); }

bool codec_fits_budget(std::uint64_t bytes) {
  if (bytes <= g_budget.load(std::memory_order_relaxed)) return true;
  refuse(AllocRefusal::Budget);
  return false;
}

AllocRefusal codec_last_refusal() { return t_state.refusal; }
void codec_clear_last_refusal() { t_state.refusal = AllocRefusal::None; }

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
  t_state.refusal = AllocRefusal::None;
}

}  // namespace ridgeview::codec
