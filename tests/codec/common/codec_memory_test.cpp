// The codec's allocator keeps freed large blocks for the same thread's next requests, so that
// a batch of images reuses mapped memory instead of mapping fresh pages for every file.
#include <gtest/gtest.h>

#include <thread>

#include "codec/common/codec_memory.h"

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

}  // namespace
}  // namespace ridgeview::codec
