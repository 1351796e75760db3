#include "platform/qt/instance/exit_status.h"

#include "platform/qt/instance/single_instance.h"

namespace ridgeview::platform {

int ExitStatusFromResult(int result) {
  if (result >= 0 && result <= 255) return result;
  if (result == kInstanceGeneralFailure) return kExitStatusGeneralFailure;
  if (result == kInstanceInvalidArgument) return kExitStatusInvalidArgument;
  return kExitStatusOtherFailure;
}

}  // namespace ridgeview::platform
