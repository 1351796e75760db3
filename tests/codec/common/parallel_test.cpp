// Splitting one call's work over threads: every piece runs exactly once, whoever runs it; calls
// from several threads at once and from a forked child all complete.
#include "codec/common/parallel.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <set>
#include <thread>
#include <vector>

namespace ridgeview::codec {
namespace {

TEST(Parallel, EveryPieceRunsExactlyOnceForEveryThreadCount) {
  for (int threads : {1, 2, 3, 8}) {
    for (int pieces : {0, 1, 2, 5, 64}) {
      std::vector<std::atomic<int>> runs(static_cast<std::size_t>(pieces));
      run_pieces(threads, pieces, [&](int i) { runs[static_cast<std::size_t>(i)]++; });
      for (int i = 0; i < pieces; ++i) {
        EXPECT_EQ(runs[static_cast<std::size_t>(i)].load(), 1)
            << "threads " << threads << " pieces " << pieces << " piece " << i;
      }
    }
  }
}

TEST(Parallel, CallsFromManyThreadsAtOnceAllComplete) {
  std::atomic<long> total{0};
  std::vector<std::thread> callers;
  for (int c = 0; c < 6; ++c) {
    callers.emplace_back([&] {
      for (int round = 0; round < 200; ++round) {
        run_pieces(4, 7, [&](int i) { total += i + 1; });
      }
    });
  }
  for (std::thread& t : callers) t.join();
  EXPECT_EQ(total.load(), 6L * 200 * (7 * 8 / 2));
}

TEST(Parallel, AForkedChildRunsItsPiecesItself) {
  run_pieces(2, 4, [](int) {});  // the pool exists in the parent
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    std::atomic<int> count{0};
    run_pieces(2, 16, [&](int) { ++count; });
    _exit(count.load() == 16 ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

TEST(Parallel, PiecesCoverTheRangeInAlignedContiguousParts) {
  for (std::int64_t count : {0, 1, 15, 16, 17, 1000, 1001}) {
    for (int pieces : {1, 2, 3, 7}) {
      std::int64_t expected_begin = 0;
      for (int i = 0; i < pieces; ++i) {
        std::int64_t begin = -1, end = -1;
        piece_range(count, pieces, i, 16, &begin, &end);
        EXPECT_EQ(begin, expected_begin);
        EXPECT_LE(begin, end);
        if (i + 1 < pieces) EXPECT_EQ(end % 16, 0);
        expected_begin = end;
      }
      EXPECT_EQ(expected_begin, count);
    }
  }
  EXPECT_EQ(pieces_for(1, 1 << 30, 1000), 1);
  EXPECT_EQ(pieces_for(4, 2500, 1000), 2);
  EXPECT_EQ(pieces_for(4, 999, 1000), 1);
  EXPECT_EQ(pieces_for(4, 1 << 30, 1000), 4);
  EXPECT_EQ(codec_thread_count(3), 3);
  EXPECT_GE(codec_thread_count(0), 1);
  EXPECT_EQ(codec_thread_count(100000), kMaxCodecThreads);
}

}  // namespace
}  // namespace ridgeview::codec
