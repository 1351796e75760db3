// Every heap allocation the codec makes goes through these functions, so that tests can make
// any one of them fail and can check that nothing stays allocated afterwards.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace ridgeview::codec {

// malloc/calloc/realloc/free with failure injection and bookkeeping. A request larger than
// the memory budget (see below) fails like an exhausted heap. codec_calloc checks
// count * size for overflow. All of them are safe to call from several threads.
void* codec_malloc(std::size_t bytes);
void* codec_calloc(std::size_t count, std::size_t size);
void* codec_realloc(void* p, std::size_t bytes);
void codec_free(void* p);
// codec_free that gives the block back to the system instead of keeping it (see below).
void codec_free_unkept(void* p);

// codec_malloc for a buffer written from the front whose final length is unknown beforehand
// (an output sized for the worst case): it always comes from the heap, never from kept blocks
// or the block source, whose huge pages are backed in whole as soon as one byte of them is
// written. Freed with codec_free.
void* codec_malloc_front(std::size_t bytes);

// Large blocks freed on a thread (128 KiB or more) are kept for that thread's next requests, up
// to a quarter of the memory budget and 512 MiB; this gives them back to the system now.
// Kept blocks are freed when their thread ends.
void codec_release_cached_memory();
// Bytes of the blocks this thread keeps now. Above zero once the thread has coded before and
// is likely to again (a batch), where keeping a freed block saves mapping fresh pages.
std::size_t codec_kept_bytes();

// Where blocks of at least `min_bytes` come from instead of the heap: `allocate` returns
// zero-filled memory of at least that many bytes, aligned for any type, or null (the heap is
// then asked); `release` gets it back with the same size. Programs use it to give large
// arrays memory backed by huge pages. The first source set stays for the rest of the process
// (later calls change nothing); blocks taken from the heap before it was set stay valid.
struct CodecBlockSource {
  void* (*allocate)(std::size_t bytes);
  void (*release)(void* memory, std::size_t bytes);
  std::size_t min_bytes;
};
// Returns whether `source` is the one in use afterwards.
bool codec_set_block_source(const CodecBlockSource* source);

// Largest total the codec may hold for one image (bytes). Drivers compare their planned peak
// with it before allocating (codec_fits_budget), so an absurd frame size is refused at once
// instead of touching gigabytes. Default: 8 GiB. Process-wide.
std::size_t codec_memory_budget();
void codec_set_memory_budget(std::size_t bytes);

// Whether a planned total of `bytes` fits the budget. When it does not, the refusal is
// recorded as AllocRefusal::Budget, as for an allocation the budget refused.
bool codec_fits_budget(std::uint64_t bytes);

// Why the last failed allocation on this thread failed. A failed allocation returns the same
// code whatever the reason (WSQ_COEFFICIENTS_ALLOC for the decoder's coefficients, say); this
// tells a frame too large for the budget from a machine out of memory.
enum class AllocRefusal {
  None,         // no allocation has failed since the thread's latest decode or encode began
  Budget,       // larger than the memory budget (or a planned peak that is)
  OutOfMemory,  // the system had no memory for it
  Injected,     // made to fail by a test (codec_fail_nth_alloc, codec_set_alloc_fail_hook)
};
// Per thread. wsq_decode_mem and wsq_encode_1 clear it to None when they begin, so after one
// of them fails, None means its code did not come from an allocation.
AllocRefusal codec_last_refusal();
void codec_clear_last_refusal();

// Decides whether allocation number `index` (0-based, counted per thread since the hook was
// installed) of `bytes` bytes fails. Returning true makes it fail.
using AllocFailHook = bool (*)(std::uint64_t index, std::size_t bytes, void* context);

// Per-thread test controls.
void codec_set_alloc_fail_hook(AllocFailHook hook, void* context);  // nullptr removes it
void codec_fail_nth_alloc(std::int64_t n);  // n-th allocation from now fails; -1: none
std::uint64_t codec_alloc_calls();          // allocation attempts on this thread since reset
std::int64_t codec_live_allocations();      // allocations minus frees on this thread
void codec_reset_alloc_counters();  // also clears codec_last_refusal()

// RAII owner of codec memory.
struct CodecFree {
  void operator()(void* p) const noexcept { codec_free(p); }
};
template <class T>
using CodecPtr = std::unique_ptr<T, CodecFree>;

// Zero-filled array of n elements, or an empty pointer when memory is short.
template <class T>
CodecPtr<T[]> codec_alloc_array(std::size_t n) {
  return CodecPtr<T[]>(static_cast<T*>(codec_calloc(n == 0 ? 1 : n, sizeof(T))));
}

}  // namespace ridgeview::codec
