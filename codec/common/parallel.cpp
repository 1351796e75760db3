#include "codec/common/parallel.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace ridgeview::codec {
namespace {

// Threads for calls that ask for "all": what the program said (codec_set_default_threads),
// else what the standard library reports.
std::atomic<int> g_default_threads{0};

int default_threads() {
  const int set = g_default_threads.load(std::memory_order_relaxed);
  if (set > 0) return std::min(set, kMaxCodecThreads);
  const unsigned n = std::thread::hardware_concurrency();
  return n > 0 ? std::min(static_cast<int>(n), kMaxCodecThreads) : 1;
}

// How long an idle helper keeps looking for the next job before it sleeps. The passes of one
// transform follow each other within a millisecond or so; a helper that is still awake picks
// the next one up at once instead of waiting to be woken.
constexpr auto kSpin = std::chrono::microseconds(300);

// One call's split work: the piece function, the next piece to take, the pieces not finished
// yet, the helpers that may still join (the call's thread count less one) and the helpers
// inside it. It lives on the calling thread's stack until every helper has left it.
struct Job {
  const std::function<void(int)>* piece = nullptr;
  int pieces = 0;
  std::atomic<int> next{0};
  std::atomic<int> unfinished{0};
  std::atomic<int> seats{0};
  int helpers_inside = 0;  // guarded by the pool's mutex

  void TakePieces() {
    for (;;) {
      const int i = next.fetch_add(1, std::memory_order_relaxed);
      if (i >= pieces) return;
      (*piece)(i);
      unfinished.fetch_sub(1, std::memory_order_acq_rel);
    }
  }
};

// The helper threads, serving one job at a time.
class Pool {
 public:
  explicit Pool(int helpers) {
    workers_.reserve(static_cast<std::size_t>(std::max(helpers, 0)));
    for (int i = 0; i < helpers; ++i) workers_.emplace_back([this] { Work(); });
  }

  // Never destroyed: helpers may still wait on it while the process ends.
  static Pool& Instance() {
    static Pool* pool = new Pool(default_threads() - 1);
    return *pool;
  }

  // False when the pool cannot take the job (busy with another call, or no helpers): the
  // caller then runs the pieces itself. In a child process made by fork() the helpers do not
  // exist, so the caller takes every piece itself and nobody is waited for.
  bool Run(int threads, int pieces, const std::function<void(int)>& piece) {
    if (workers_.empty()) return false;
    std::unique_lock<std::mutex> job_lock(job_mutex_, std::try_to_lock);
    if (!job_lock.owns_lock()) return false;
    Job job;
    job.piece = &piece;
    job.pieces = pieces;
    job.unfinished.store(pieces, std::memory_order_relaxed);
    job.seats.store(threads - 1, std::memory_order_relaxed);
    {
      std::lock_guard<std::mutex> lock(mutex_);
      current_ = &job;
      ++generation_;
      posted_.store(generation_, std::memory_order_release);
    }
    wake_.notify_all();
    job.TakePieces();
    // Pieces helpers are still running usually end soon: look before sleeping.
    const auto until = std::chrono::steady_clock::now() + kSpin;
    while (job.unfinished.load(std::memory_order_acquire) != 0 &&
           std::chrono::steady_clock::now() < until) {
      std::this_thread::yield();
    }
    std::unique_lock<std::mutex> lock(mutex_);
    done_.wait(lock, [&] {
      return job.unfinished.load(std::memory_order_acquire) == 0 && job.helpers_inside == 0;
    });
    current_ = nullptr;
    return true;
  }

 private:
  void Work() {
    std::uint64_t seen = 0;
    for (;;) {
      // Look for a new job for a while, then sleep until one is posted.
      const auto until = std::chrono::steady_clock::now() + kSpin;
      while (posted_.load(std::memory_order_acquire) == seen &&
             std::chrono::steady_clock::now() < until) {
        std::this_thread::yield();
      }
      std::unique_lock<std::mutex> lock(mutex_);
      wake_.wait(lock, [&] { return generation_ != seen; });
      seen = generation_;
      Job* job = current_;
      if (job == nullptr || job->seats.fetch_sub(1, std::memory_order_relaxed) <= 0) continue;
      ++job->helpers_inside;
      lock.unlock();
      job->TakePieces();
      lock.lock();
      --job->helpers_inside;
      done_.notify_all();
    }
  }

  std::vector<std::thread> workers_;
  std::mutex job_mutex_;  // held by the call whose job the pool runs
  std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable done_;
  Job* current_ = nullptr;         // guarded by mutex_
  std::uint64_t generation_ = 0;   // guarded by mutex_; counts posted jobs
  std::atomic<std::uint64_t> posted_{0};  // generation_, for helpers looking without the lock
};

}  // namespace

int codec_thread_count(int requested) {
  if (requested >= 1) return std::min(requested, kMaxCodecThreads);
  return default_threads();
}

void codec_set_default_threads(int threads) {
  g_default_threads.store(threads > 0 ? threads : 0, std::memory_order_relaxed);
}

void run_pieces(int threads, int pieces, const std::function<void(int piece)>& piece) {
  if (pieces <= 0) return;
  if (threads > 1 && pieces > 1 && Pool::Instance().Run(threads, pieces, piece)) return;
  for (int i = 0; i < pieces; ++i) piece(i);
}

int pieces_for(int threads, std::int64_t work, std::int64_t min_work) {
  if (threads <= 1 || work <= 0 || min_work <= 0) return 1;
  const std::int64_t worth = work / min_work;
  return static_cast<int>(std::clamp<std::int64_t>(worth, 1, threads));
}

void piece_range(std::int64_t count, int pieces, int i, std::int64_t align, std::int64_t* begin,
                 std::int64_t* end) {
  if (pieces < 1) pieces = 1;
  if (align < 1) align = 1;
  const auto cut = [&](int k) -> std::int64_t {
    if (k >= pieces) return count;
    const std::int64_t at = count * k / pieces;
    return std::min(count, at / align * align);
  };
  *begin = cut(i);
  *end = cut(i + 1);
}

}  // namespace ridgeview::codec
