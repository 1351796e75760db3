// The C API over the codec when memory runs out at any allocation: the call fails with a code
// and a refusal, hands out nothing, and keeps nothing.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "codec/common/codec_memory.h"
#include "codec/test_files.h"
#include "ridgeview/wsq.h"

namespace ridgeview::codec {
namespace {

using testing_files::read_file;
using testing_files::vector_path;

// Makes each allocation of `call` fail in turn. `call` returns its code and whether it left
// its outputs as they were when it failed.
void fail_each_allocation(const std::function<int(bool& untouched)>& call) {
  codec_reset_alloc_counters();
  bool untouched = true;
  ASSERT_EQ(call(untouched), 0);
  const std::uint64_t count = codec_alloc_calls();
  ASSERT_GT(count, 3u);
  for (std::uint64_t n = 0; n < count; ++n) {
    SCOPED_TRACE("allocation " + std::to_string(n) + " of " + std::to_string(count));
    codec_reset_alloc_counters();
    codec_fail_nth_alloc(static_cast<std::int64_t>(n));
    untouched = false;
    EXPECT_LT(call(untouched), 0);
    EXPECT_TRUE(untouched);
    EXPECT_EQ(codec_live_allocations(), 0);
  }
  codec_fail_nth_alloc(-1);
  codec_release_cached_memory();
}

TEST(WsqApiAllocation, InfoFailsCleanlyAtEveryAllocation) {
  // The info record's lists are the API's own allocations; the headers' are the codec's.
  const std::vector<std::uint8_t> wsq = read_file(vector_path("print_419x331.wsq"));
  ASSERT_FALSE(wsq.empty());
  fail_each_allocation([&](bool& untouched) {
    ridgeview_wsq_info info{};
    ridgeview_wsq_error error;
    const int ret = ridgeview_wsq_read_info(wsq.data(), wsq.size(), &info, &error);
    untouched = info.nistcom == nullptr && info.segments == nullptr && info.width == 0;
    if (ret != 0) {
      EXPECT_EQ(error.refusal, RIDGEVIEW_WSQ_REFUSAL_OUT_OF_MEMORY);
      if (ret == RIDGEVIEW_WSQ_NO_MEMORY) {
        EXPECT_EQ(std::string(error.message).rfind("ERROR : ridgeview_wsq_read_info : malloc : ", 0),
                  0u);
      }
    }
    ridgeview_wsq_info_free(&info);
    return ret;
  });
}

}  // namespace
}  // namespace ridgeview::codec
