// The process exit status for the program's result code.
//
// The program entry returns a 32-bit result: the message loop's exit code on a normal run (1:
// the frame posts quit with 1), 1 when a running instance took over, 0 when the main frame
// could not be created, and the failure codes of single_instance.h. Linux keeps only the low
// 8 bits of main's return value, so a code above 255 could come out as 0 or 1 and read as a
// normal end. The mapping:
//
//   result                          exit status
//   0 .. 255                        the same value (0: no frame; 1: normal end or taken over)
//   0x80004005 (general failure)    5
//   0x80070057 (invalid argument)   87  (the system error number inside the code)
//   anything else                   255
//
// 5 and 87 are also what plain truncation would give; they are listed so that no other
// failure code can silently truncate to 0 or 1.
#pragma once

namespace ridgeview::platform {

inline constexpr int kExitStatusGeneralFailure = 5;
inline constexpr int kExitStatusInvalidArgument = 87;
inline constexpr int kExitStatusOtherFailure = 255;

int ExitStatusFromResult(int result);

}  // namespace ridgeview::platform
