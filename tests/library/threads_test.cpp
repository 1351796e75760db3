// Calls on many threads at once: each gets exactly what it gets alone, and each thread's
// messages stay in its own error record.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "codec/test_files.h"
#include "ridgeview/wsq.h"

namespace {

using ridgeview::testing_files::read_file;
using ridgeview::testing_files::read_pgm;
using ridgeview::testing_files::vector_path;

using Bytes = std::vector<std::uint8_t>;

// What one round of calls gives: decoded pixels and encoded bytes of both vectors, the
// segment count of one, and the message of a damaged file.
struct Round {
  std::vector<Bytes> outputs;
  std::string failure;

  bool operator==(const Round&) const = default;
};

Round run_round(int threads) {
  Round r;
  for (const std::string name : {"print_419x331", "photo_384x288"}) {
    const Bytes wsq = read_file(vector_path(name + ".wsq"));
    ridgeview_wsq_image image{};
    ridgeview_wsq_error error;
    if (ridgeview_wsq_decode(wsq.data(), wsq.size(), threads, &image, &error) == 0) {
      r.outputs.emplace_back(image.pixels,
                             image.pixels + static_cast<std::size_t>(image.width) * image.height);
      ridgeview_wsq_free(image.pixels);
    }
    const auto source = read_pgm(vector_path(name + ".pgm"));
    unsigned char* data = nullptr;
    std::size_t size = 0;
    if (ridgeview_wsq_encode(source.pixels.data(), source.width, source.height, 0.75f, 500, "",
                             threads, &data, &size, &error) == 0) {
      r.outputs.emplace_back(data, data + size);
      ridgeview_wsq_free(data);
    }
    ridgeview_wsq_info info;
    if (ridgeview_wsq_read_info(wsq.data(), wsq.size(), &info, &error) == 0) {
      r.outputs.push_back(Bytes(info.segment_count));
      ridgeview_wsq_info_free(&info);
    }
  }
  const Bytes damaged = read_file(vector_path("errors/nistcom_without_ppi.wsq"));
  ridgeview_wsq_image image{};
  ridgeview_wsq_error error;
  ridgeview_wsq_decode(damaged.data(), damaged.size(), threads, &image, &error);
  r.failure = error.message;
  return r;
}

TEST(LibraryThreads, ManyCallsAtOnceGiveTheResultsOfOne) {
  const Round alone = run_round(1);
  ASSERT_EQ(alone.outputs.size(), 6u);
  ASSERT_EQ(alone.failure, "ERROR : extractfet_ret : feature PPI not found\n");

  constexpr int kThreads = 8;
  constexpr int kRounds = 3;
  std::atomic<int> mismatches{0};
  std::vector<std::thread> pool;
  for (int t = 0; t < kThreads; ++t) {
    pool.emplace_back([&, t] {
      for (int i = 0; i < kRounds; ++i) {
        // Every thread count gives the same bits, negative ones included.
        if (!(run_round(t - 1) == alone)) ++mismatches;
      }
      ridgeview_wsq_release_cached_memory();
    });
  }
  for (std::thread& t : pool) t.join();
  EXPECT_EQ(mismatches.load(), 0);
}

}  // namespace
