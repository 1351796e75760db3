// The subcommands of ridgeview-wsq. Each takes the arguments after its name, writes results
// to files (or stdout for info and check) and diagnostics to stderr, and returns the exit
// status.
#pragma once

#include <string>
#include <vector>

namespace ridgeview::tools {

int DecodeCommand(const std::vector<std::string>& args);
int EncodeCommand(const std::vector<std::string>& args);
int InfoCommand(const std::vector<std::string>& args);
// Decodes every file fully and prints "FILE: ok" or "FILE: " and the codec's message (the
// first line of the message that came with the failure) on stdout, one line per file in the
// order given; 0 when all are ok, 1 when any is not, 2 for bad arguments.
int CheckCommand(const std::vector<std::string>& args);

}  // namespace ridgeview::tools
