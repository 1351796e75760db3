// Running a helper program (update-mime-database, update-desktop-database) to completion
// with a time limit, its output discarded.
#pragma once

#include <string>
#include <vector>

namespace ridgeview::platform {

inline constexpr int kToolTimeoutMs = 30000;

// Runs argv[0] (looked up in $PATH) with the given arguments and waits for it. Returns its
// exit status, or -1 when it cannot be started, is killed by a signal, or runs longer than
// `timeoutMs` (it is then killed). Standard input and output go to /dev/null.
int RunTool(const std::vector<std::string>& argv, int timeoutMs = kToolTimeoutMs);

}  // namespace ridgeview::platform
