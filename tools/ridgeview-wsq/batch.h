// Runs one job per input file on a pool of worker threads. Each job's messages are kept with
// it and printed in input order, so the output of a batch does not depend on the scheduling.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace ridgeview::tools {

struct JobResult {
  bool ok = true;
  std::string messages;  // what the job would have written to stderr
};

// Runs job(i) for i = 0..count-1 on `threads` workers (at least 1) and returns the results in
// input order. Jobs must be independent of each other.
std::vector<JobResult> RunJobs(std::size_t count, unsigned threads,
                               const std::function<JobResult(std::size_t)>& job);

// DIR + "/" + the input's file name with its extension replaced by `extension`.
std::string BatchOutputPath(const std::string& dir, const std::string& input,
                            const std::string& extension);

// Number of worker threads to use by default: all cores.
unsigned DefaultThreads();

}  // namespace ridgeview::tools
