// The subcommands of ridgeview-wsq. Each takes the arguments after its name, writes results
// to files (or stdout for info and check) and diagnostics to stderr, and returns the exit
// status.
#pragma once

#include <string>
#include <vector>

namespace ridgeview::tools {

int DecodeCommand(const std::vector<std::string>& args);
int EncodeCommand(const std::vector<std::string>& args);
// "IN.wsq": the file's facts, NIST_COM entries and segments as "name: value" lines.
// "--json IN.wsq...": one JSON object per file and line (JSON Lines), in the order given:
// file, size, width, height, ppi, encoder, software, nistcom, segments; or for a failure
// file, code, name, message (code null and name "UNREADABLE" for a file that cannot be read).
// 0 when all are read, 1 when any is not, 2 for bad arguments.
int InfoCommand(const std::vector<std::string>& args);
// Decodes every file fully and prints "FILE: ok" or "FILE: " and the codec's message (the
// first line of the message that came with the failure) on stdout, one line per file in the
// order given; with --json, a JSON object per file as `info --json` gives, for a file that
// decodes. 0 when all are ok, 1 when any is not, 2 for bad arguments.
int CheckCommand(const std::vector<std::string>& args);
// "[-s SIZE] IN.wsq OUT.png": the image reduced by area averaging to fit SIZE x SIZE (default
// 256, never enlarged), written as an 8-bit gray PNG in one piece, or not at all. 0 when
// written, 1 when the file cannot be read, decoded or written, 2 for bad arguments.
int ThumbnailCommand(const std::vector<std::string>& args);

}  // namespace ridgeview::tools
