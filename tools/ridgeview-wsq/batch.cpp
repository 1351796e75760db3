#include "tools/ridgeview-wsq/batch.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <set>
#include <filesystem>
#include <thread>

namespace ridgeview::tools {

namespace {

// Commits staged outputs on threads of its own, in the order they arrive.
class Committer {
 public:
  Committer(unsigned threads, std::vector<JobResult>& results) : results_(results) {
    for (unsigned t = 0; t < threads; ++t) pool_.emplace_back([this] { Work(); });
  }
  ~Committer() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      done_ = true;
    }
    ready_.notify_all();
    for (auto& t : pool_) t.join();
    // Makes the renames durable: each folder written to is synced once, after all commits.
    for (const auto& folder : folders_) base::SyncFolderToDisk(folder);
  }
  void Add(std::size_t job) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      queue_.push_back(job);
    }
    ready_.notify_one();
  }

 private:
  void Work() {
    for (;;) {
      std::size_t job = 0;
      {
        std::unique_lock<std::mutex> lock(mutex_);
        ready_.wait(lock, [this] { return done_ || !queue_.empty(); });
        if (queue_.empty()) return;
        job = queue_.front();
        queue_.pop_front();
      }
      // Each result is touched by one committing thread only, after its worker let go.
      JobResult& r = results_[job];
      const std::filesystem::path folder = r.output.folder();
      if (r.output.Commit(false)) {
        std::lock_guard<std::mutex> lock(mutex_);
        folders_.insert(folder);
      } else {
        r.ok = false;
        r.messages += r.commit_failure + std::strerror(errno) + "\n";
      }
    }
  }

  std::vector<JobResult>& results_;
  std::mutex mutex_;
  std::condition_variable ready_;
  std::deque<std::size_t> queue_;
  bool done_ = false;
  std::set<std::filesystem::path> folders_;  // where commits succeeded
  std::vector<std::thread> pool_;
};

}  // namespace

std::vector<JobResult> RunJobs(std::size_t count, unsigned threads,
                               const std::function<JobResult(std::size_t)>& job,
                               const std::function<void()>& finished) {
  std::vector<JobResult> results(count);
  if (count == 1) {
    // One file: no thread of its own for it, nor for committing it.
    results[0] = job(0);
    JobResult& r = results[0];
    if (r.output.staged() && !r.output.Commit(true)) {
      r.ok = false;
      r.messages += r.commit_failure + std::strerror(errno) + "\n";
    }
    if (finished) finished();
    return results;
  }
  std::atomic<std::size_t> next{0};
  const unsigned n = static_cast<unsigned>(
      std::max<std::size_t>(1, std::min<std::size_t>(threads, count)));
  {
    Committer committer(n, results);
    auto worker = [&] {
      for (std::size_t i = next++; i < count; i = next++) {
        results[i] = job(i);
        if (results[i].output.staged()) committer.Add(i);
        if (finished) finished();
      }
    };
    std::vector<std::thread> pool;
    for (unsigned t = 1; t < n; ++t) pool.emplace_back(worker);
    worker();
    for (auto& t : pool) t.join();
  }  // the committer finishes every queued output
  return results;
}

std::string BatchOutputPath(const std::string& dir, const std::string& input,
                            const std::string& extension) {
  std::filesystem::path name = std::filesystem::path(input).filename();
  name.replace_extension(extension);
  return (std::filesystem::path(dir) / name).string();
}

unsigned DefaultThreads() { return std::max(1u, std::thread::hardware_concurrency()); }

}  // namespace ridgeview::tools
