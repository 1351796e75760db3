// Runs one job per input file on a pool of worker threads. Each job's messages are kept with
// it and printed in input order, so the output of a batch does not depend on the scheduling.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "base/atomic_file.h"

namespace ridgeview::tools {

struct JobResult {
  bool ok = true;
  std::string messages;  // what the job would have written to stderr
  // An output written but not yet flushed to the disk and put in place; RunJobs commits it
  // on a thread of its own. If that fails, the job fails with `commit_failure` followed by
  // the system's reason and a line end.
  base::StagedFile output;
  std::string commit_failure;

  static JobResult Failed(std::string messages) {
    JobResult r;
    r.ok = false;
    r.messages = std::move(messages);
    return r;
  }
};

// Runs job(i) for i = 0..count-1 on `threads` workers (at least 1) and returns the results in
// input order. Jobs must be independent of each other. Their staged outputs are committed
// while the workers go on (as many committing threads as workers, mostly waiting for the
// disk); all are committed, or have failed, when RunJobs returns. `finished`, when given, is
// called on the worker after each job returns.
std::vector<JobResult> RunJobs(std::size_t count, unsigned threads,
                               const std::function<JobResult(std::size_t)>& job,
                               const std::function<void()>& finished = nullptr);

// DIR + "/" + the input's file name with its extension replaced by `extension`.
std::string BatchOutputPath(const std::string& dir, const std::string& input,
                            const std::string& extension);

// Number of worker threads to use by default: all cores.
unsigned DefaultThreads();

}  // namespace ridgeview::tools
