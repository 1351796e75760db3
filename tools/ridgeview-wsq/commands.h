// The subcommands of ridgeview-wsq. Each takes the arguments after its name, writes results
// to files (or stdout for info) and diagnostics to stderr, and returns the exit status.
#pragma once

#include <string>
#include <vector>

namespace ridgeview::tools {

int DecodeCommand(const std::vector<std::string>& args);
int EncodeCommand(const std::vector<std::string>& args);
int InfoCommand(const std::vector<std::string>& args);

}  // namespace ridgeview::tools
