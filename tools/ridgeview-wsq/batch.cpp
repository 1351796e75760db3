#include "tools/ridgeview-wsq/batch.h"

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <thread>

namespace ridgeview::tools {

std::vector<JobResult> RunJobs(std::size_t count, unsigned threads,
                               const std::function<JobResult(std::size_t)>& job) {
  std::vector<JobResult> results(count);
  std::atomic<std::size_t> next{0};
  auto worker = [&] {
    for (std::size_t i = next++; i < count; i = next++) results[i] = job(i);
  };
  const unsigned n = static_cast<unsigned>(
      std::max<std::size_t>(1, std::min<std::size_t>(threads, count)));
  std::vector<std::thread> pool;
  for (unsigned t = 1; t < n; ++t) pool.emplace_back(worker);
  worker();
  for (auto& t : pool) t.join();
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
