// ridgeview-wsq: encode, decode, inspect and check WSQ fingerprint images.
#include <iostream>
#include <string>
#include <vector>

#include "document/codec_budget.h"
#include "tools/ridgeview-wsq/commands.h"

int main(int argc, char** argv) {
  using namespace ridgeview::tools;
  const std::vector<std::string> args(argv + (argc > 1 ? 2 : 1), argv + argc);
  const std::string command = argc > 1 ? argv[1] : "";
  ridgeview::document::FitCodecBudgetToMachine();
  if (command == "decode") return DecodeCommand(args);
  if (command == "encode") return EncodeCommand(args);
  if (command == "info") return InfoCommand(args);
  if (command == "check") return CheckCommand(args);
  if (command == "thumbnail") return ThumbnailCommand(args);
  std::cerr << "usage: ridgeview-wsq encode|decode|info|check|thumbnail ...\n"
               "  encode [-b BITRATE] [-p PPI] [-c COMMENT] [-s WxH] IN OUT.wsq\n"
               "  decode IN.wsq OUT.pgm|OUT.raw\n"
               "  encode|decode [options] [-q] [-j N] -o DIR IN...\n"
               "  info IN.wsq\n"
               "  info --json IN.wsq...\n"
               "  check [--json] [-q] [-j N] IN.wsq...\n"
               "  thumbnail [-s SIZE] IN.wsq OUT.png\n"
               "  (-q: no progress line on a terminal; -t N: threads of one file's coding,\n"
               "   0 for every core, the default for a single file; -j N: files at once)\n";
  return 2;
}
