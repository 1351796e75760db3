// The codec's allocator keeps freed large blocks for the same thread's next requests, so that
// a batch of images reuses mapped memory instead of mapping fresh pages for every file.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <thread>
#include <vector>

#include "codec/codec_test_support.h"
#include "codec/common/codec_memory.h"
#include "codec/common/codes.h"
#include "codec/decode/wsq_builder.h"
#include "codec/wsq/wsq.h"

namespace ridgeview::codec {
namespace {

TEST(CodecMemory, LargeBlocksAreReusedOnTheirThreadOnly) {
  codec_release_cached_memory();
  void* first = codec_malloc(200 * 1024);  // one 500 x 500 gray image and a little more
  ASSERT_NE(first, nullptr);
  codec_free(first);
  // Another thread cannot get the block this thread keeps.
  void* other = nullptr;
  std::thread([&other] {
    void* p = codec_malloc(200 * 1024);
    other = p;
    codec_free(p);
  }).join();
  EXPECT_NE(other, first);
  // A request it holds without wasting more than half of it gets the same block back.
  void* again = codec_malloc(190 * 1024);
  EXPECT_EQ(again, first);
  codec_free(again);
  void* much_smaller = codec_malloc(64 * 1024);
  EXPECT_NE(much_smaller, first);
  codec_free(much_smaller);
  codec_release_cached_memory();
}

struct Outcome {
  int ret;
  AllocRefusal refusal;
};

Outcome decode(const std::vector<std::uint8_t>& file) {
  const int ret = codec_test::decode_file(file).ret;
  return {ret, codec_last_refusal()};
}

Outcome encode(int width, int height) {
  const std::vector<unsigned char> pixels(static_cast<std::size_t>(width) * height, 90);
  CodecBytes data;
  std::size_t length = 0;
  testing::internal::CaptureStderr();
  const int ret = wsq_encode_1(data, &length, 0.75f, pixels.data(), width, height, 8, 500, "");
  testing::internal::GetCapturedStderr();
  return {ret, codec_last_refusal()};
}

// A frame of width x height without tables: its coefficients are the decode's first
// allocation, and its block names an undefined table.
std::vector<std::uint8_t> frame(unsigned width, unsigned height) {
  using namespace wsq_test;
  Bytes f = soi();
  append(f, sof(width, height));
  append(f, sob(0));
  append(f, eoi());
  return f;
}

TEST(CodecMemory, RefusalsSayWhyAnAllocationFailed) {
  const std::size_t budget = codec_memory_budget();
  codec_reset_alloc_counters();
  // A frame larger than the budget allows and a real allocation failure return the same
  // code; the refusal tells them apart.
  const Outcome bomb = decode(frame(65535, 65535));
  EXPECT_EQ(bomb.ret, WSQ_COEFFICIENTS_ALLOC);
  EXPECT_EQ(bomb.refusal, AllocRefusal::Budget);
  codec_fail_nth_alloc(0);
  const Outcome injected = decode(frame(100, 80));
  EXPECT_EQ(injected.ret, WSQ_COEFFICIENTS_ALLOC);
  EXPECT_EQ(injected.refusal, AllocRefusal::Injected);

  // Each decode starts afresh: after a failure that is not an allocation's the refusal is
  // None (so a caller with -91 knows WSQ_NO_MARKER from WSQ_UNQUANTIZE_ALLOC).
  const Outcome no_data = decode(frame(100, 80));
  EXPECT_EQ(no_data.ret, WSQ_HUFFMAN_TABLE_UNDEFINED);
  EXPECT_EQ(no_data.refusal, AllocRefusal::None);

  // The encoder's planned peak against a small budget, and a request no machine can hold.
  codec_set_memory_budget(64 * 64 * 4);
  const Outcome big = encode(64, 64);
  EXPECT_EQ(big.ret, WSQ_ENC_FDATA_ALLOC);
  EXPECT_EQ(big.refusal, AllocRefusal::Budget);
  EXPECT_EQ(codec_malloc(64 * 64 * 4 + 1), nullptr);
  EXPECT_EQ(codec_last_refusal(), AllocRefusal::Budget);
  codec_set_memory_budget(std::numeric_limits<std::size_t>::max());
  EXPECT_EQ(codec_malloc(std::numeric_limits<std::size_t>::max()), nullptr);
  EXPECT_EQ(codec_last_refusal(), AllocRefusal::OutOfMemory);
  codec_set_memory_budget(budget);

  const Outcome fine = encode(64, 64);
  EXPECT_EQ(fine.ret, 0);
  EXPECT_EQ(fine.refusal, AllocRefusal::None);
  // Per thread: another thread's refusal is not seen here.
  codec_clear_last_refusal();
  std::thread([] { EXPECT_EQ(codec_malloc(std::numeric_limits<std::size_t>::max()), nullptr); }).join();
  EXPECT_EQ(codec_last_refusal(), AllocRefusal::None);
  EXPECT_EQ(codec_live_allocations(), 0);
}

}  // namespace
}  // namespace ridgeview::codec

namespace ridgeview::codec {
namespace {

// Blocks from a block source (what programs use for huge pages) behave like heap blocks:
// zero-filled by calloc, contents kept across realloc in both directions, reused after free,
// and given back to the source. The source is set once for this test program.
std::atomic<int> g_source_blocks{0};
void* counted_allocate(std::size_t bytes) {
  ++g_source_blocks;
  return std::calloc(1, bytes);
}
void counted_release(void* p, std::size_t) {
  --g_source_blocks;
  std::free(p);
}

TEST(CodecMemoryLargeBlocks, CallocReallocAndReuseKeepTheirPromises) {
  static const CodecBlockSource source{counted_allocate, counted_release, std::size_t{1} << 20};
  if (!codec_set_block_source(&source)) {
    GTEST_SKIP() << "another block source was set first in this process";
  }
  codec_release_cached_memory();
  const std::size_t big = std::size_t{3} << 20;
  auto* p = static_cast<unsigned char*>(codec_calloc(big, 1));
  ASSERT_NE(p, nullptr);
  for (std::size_t i = 0; i < big; i += 4093) ASSERT_EQ(p[i], 0) << i;
  ASSERT_EQ(p[big - 1], 0);
  for (std::size_t i = 0; i < big; ++i) p[i] = static_cast<unsigned char>(i * 7);

  p = static_cast<unsigned char*>(codec_realloc(p, big * 2));
  ASSERT_NE(p, nullptr);
  for (std::size_t i = 0; i < big; i += 997) ASSERT_EQ(p[i], static_cast<unsigned char>(i * 7));
  p[big * 2 - 1] = 1;

  p = static_cast<unsigned char*>(codec_realloc(p, 1000));
  ASSERT_NE(p, nullptr);
  for (std::size_t i = 0; i < 1000; ++i) ASSERT_EQ(p[i], static_cast<unsigned char>(i * 7));
  codec_free(p);

  // Freed and taken again from the thread's kept blocks: calloc still zero-fills.
  auto* q = static_cast<unsigned char*>(codec_malloc(big));
  ASSERT_NE(q, nullptr);
  std::memset(q, 0xAB, big);
  codec_free(q);
  auto* r = static_cast<unsigned char*>(codec_calloc(big, 1));
  ASSERT_NE(r, nullptr);
  for (std::size_t i = 0; i < big; i += 4093) ASSERT_EQ(r[i], 0) << i;
  const auto kept = reinterpret_cast<std::uintptr_t>(r);
  codec_free(r);
  EXPECT_GT(g_source_blocks.load(), 0) << "the freed block is kept for the next request";

  // An output buffer filled from the front comes from the heap, even when a kept block of
  // the source would fit it, and fails like any allocation.
  const int before = g_source_blocks.load();
  auto* out = static_cast<unsigned char*>(codec_malloc_front(big));
  ASSERT_NE(out, nullptr);
  EXPECT_EQ(g_source_blocks.load(), before);
  EXPECT_NE(reinterpret_cast<std::uintptr_t>(out), kept);
  out[0] = 1;
  out[big - 1] = 2;
  codec_free(out);
  codec_fail_nth_alloc(0);
  EXPECT_EQ(codec_malloc_front(big), nullptr);
  EXPECT_EQ(codec_last_refusal(), AllocRefusal::Injected);
  // Freed output buffers are not kept: however many come and go, the kept work block stays
  // for the next work array.
  for (int i = 0; i < 12; ++i) codec_free(codec_malloc_front(big / 3));
  auto* again = static_cast<unsigned char*>(codec_malloc(big));
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(again), kept);
  codec_free(again);
  codec_release_cached_memory();
  EXPECT_EQ(codec_live_allocations(), 0);
  EXPECT_EQ(g_source_blocks.load(), 0) << "every block went back to its source";
}

}  // namespace
}  // namespace ridgeview::codec
